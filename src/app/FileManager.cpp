#include "FileManager.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QProcess>
#include <QUrl>

namespace app {

namespace {

bool openWithXdgOpen(const QString& folder) {
    // False where xdg-open is not installed.
    return QProcess::startDetached(QStringLiteral("xdg-open"), {folder});
}

} // namespace

void FileManager::reveal(const std::filesystem::path& file, Done done) {
    reveal(file, std::move(done), QDBusConnection::sessionBus(), openWithXdgOpen);
}

void FileManager::reveal(const std::filesystem::path& file, Done done, QDBusConnection bus,
                         FolderOpener openFolder) {
    const QString path = QString::fromStdString(file.string());
    const QString folder = QString::fromStdString(file.parent_path().string());
    if (!bus.isConnected()) {
        done(openFolder(folder));
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.FileManager1"),
        QStringLiteral("/org/freedesktop/FileManager1"),
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("ShowItems"));
    // Encoded: a name with spaces is otherwise no valid URI.
    call << QStringList{QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded)} << QString();
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, 2000));
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher,
                     [watcher, folder, done = std::move(done), openFolder = std::move(openFolder)] {
                         watcher->deleteLater();
                         done(!watcher->isError() || openFolder(folder));
                     });
}

} // namespace app
