#include "shell/QuitSignals.h"

#include "SignalPipe.h"
#include "shell/QuitPolicy.h"

#include <QApplication>
#include <QSessionManager>

namespace ui {

void QuitSignals::install(QApplication& application) {
    // Direct: the session manager waits for this answer, and the answer is never to ask.
    QObject::connect(
        &application, &QGuiApplication::commitDataRequest, &application,
        [](QSessionManager&) { QuitPolicy::systemIsQuitting(); }, Qt::DirectConnection);

    app::SignalPipe::install(application, [&application] {
        QuitPolicy::systemIsQuitting();
        application.quit();
    });
}

} // namespace ui
