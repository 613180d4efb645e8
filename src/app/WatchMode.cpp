#include "WatchMode.h"

#include "AppModel.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <csignal>
#include <cstdio>
#include <iostream>
#include <sys/socket.h>
#include <unistd.h>

namespace app {

namespace {

int signalPipe[2] = {-1, -1};

void onSignal(int) {
    const char byte = 1;
    [[maybe_unused]] auto written = ::write(signalPipe[1], &byte, 1);
}

// Signal handlers may only write to a pipe; the event loop reads it and quits.
void quitOnSignals(QCoreApplication& application) {
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) != 0) {
        return;
    }
    auto* notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, &application);
    QObject::connect(notifier, &QSocketNotifier::activated, &application, [&application] {
        char byte = 0;
        [[maybe_unused]] auto got = ::read(signalPipe[0], &byte, 1);
        application.quit();
    });
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

} // namespace

int WatchMode::run(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Quillmark"));
    quitOnSignals(application);

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
