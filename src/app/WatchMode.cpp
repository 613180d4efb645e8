#include "WatchMode.h"

#include "AppModel.h"
#include "SignalPipe.h"

#include <QCoreApplication>
#include <cstdio>
#include <iostream>

namespace app {

int WatchMode::run(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Quillmark"));
    SignalPipe::install(application, [&application] { application.quit(); });

    AppServices services = AppServices::forWatchMode();
    AppModel model(std::move(services));
    std::cerr << "quillmark: watching " << model.screenshotFolder().string() << std::endl;

    QObject::connect(&model, &AppModel::fileNamed, [](const engine::RenameRecord& record) {
        std::cout << record.originalName << " -> " << record.currentName << " ["
                  << engine::Namer::rawValue(record.source) << "]" << std::endl;
    });
    QObject::connect(&model, &AppModel::messageChanged, [&model] {
        if (model.message()) {
            std::cout << model.message()->toStdString() << std::endl;
        }
    });
    if (model.message()) {
        std::cout << model.message()->toStdString() << std::endl;
    }
    return application.exec();
}

} // namespace app
