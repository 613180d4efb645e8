#include "AppServices.h"

#include "FileManager.h"
#include "Notifier.h"

#include <QCoreApplication>

namespace app {

AppServices AppServices::forApplication() {
    AppServices services;
    auto notifier = std::make_shared<Notifier>();
    services.runningAsApplication = notifier->canPost();
    services.startUpdater = true;
    services.discoverModelServers = true;
    services.applyLoginDefault = true;
    services.postNamedNotification = [notifier](const QStringList& names) {
        notifier->named(names);
    };
    services.requestNotificationPermission = [notifier] { notifier->requestPermission(); };
    services.reveal = [](const std::filesystem::path& file, std::function<void(bool)> done) {
        FileManager::reveal(file, std::move(done));
    };
    services.executablePath = QCoreApplication::applicationFilePath();
    return services;
}

AppServices AppServices::forWatchMode() {
    AppServices services = forApplication();
    services.applyLoginDefault = false;
    services.discoverModelServers = false; // nothing shows what it would find
    return services;
}

} // namespace app
