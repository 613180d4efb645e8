#include "shell/SingleInstance.h"

#include <QDir>
#include <QFile>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QThread>

namespace ui {

namespace {

const QByteArray kOpenDashboard = QByteArrayLiteral("open-dashboard");
constexpr int kConnectTimeoutMs = 500;
// A primary that took the lock a moment ago may not be listening yet.
constexpr int kConnectAttempts = 10;

} // namespace

SingleInstance::SingleInstance(QString folder, QObject* parent)
    : QObject(parent), folder_(std::move(folder)) {
    connect(&server_, &QLocalServer::newConnection, this, &SingleInstance::readRequest);
}

SingleInstance::~SingleInstance() {
    server_.close();
}

QString SingleInstance::defaultFolder() {
    // Qt falls back to a private folder of its own making when the variable is not set.
    return QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
}

QString SingleInstance::lockPath() const {
    return QDir(folder_).filePath(QStringLiteral("quillmark.lock"));
}

QString SingleInstance::socketPath() const {
    return QDir(folder_).filePath(QStringLiteral("quillmark.socket"));
}

SingleInstance::Role SingleInstance::claim() {
    lock_ = std::make_unique<QLockFile>(lockPath());
    // Never stale by age: only a lock whose process is gone is taken over.
    lock_->setStaleLockTime(0);
    if (lock_->tryLock(0)) {
        listen();
        return Role::primary;
    }
    if (lock_->error() == QLockFile::LockFailedError) {
        return Role::secondary;
    }
    // The folder cannot hold a lock (missing, read-only): run without the one-instance rule
    // rather than not at all.
    lock_.reset();
    return Role::primary;
}

bool SingleInstance::listen() {
    // Holding the lock means no live instance owns the socket: whatever is there was left by a
    // crash.
    QLocalServer::removeServer(socketPath());
    server_.setSocketOptions(QLocalServer::UserAccessOption);
    return server_.listen(socketPath());
}

void SingleInstance::readRequest() {
    while (QLocalSocket* connection = server_.nextPendingConnection()) {
        connection->setParent(this);
        auto handle = [this, connection] {
            if (!connection->canReadLine()) {
                return;
            }
            const QByteArray line = connection->readLine(4096).trimmed();
            connection->disconnectFromServer();
            connection->deleteLater();
            const qsizetype space = line.indexOf(' ');
            const QByteArray command = space < 0 ? line : line.left(space);
            if (command == kOpenDashboard) {
                emit openDashboardRequested(space < 0 ? QByteArray() : line.mid(space + 1));
            }
        };
        connect(connection, &QLocalSocket::readyRead, this, handle);
        connect(connection, &QLocalSocket::disconnected, connection, &QObject::deleteLater);
        handle();
    }
}

bool SingleInstance::sendOpenDashboard(const QByteArray& activationToken) const {
    QByteArray request = kOpenDashboard;
    const QByteArray token = activationToken.trimmed();
    if (!token.isEmpty() && !token.contains('\n') && !token.contains(' ')) {
        request += ' ' + token;
    }
    request += '\n';
    for (int attempt = 0; attempt < kConnectAttempts; ++attempt) {
        QLocalSocket socket;
        socket.connectToServer(socketPath());
        if (socket.waitForConnected(kConnectTimeoutMs)) {
            socket.write(request);
            const bool sent = socket.waitForBytesWritten(kConnectTimeoutMs);
            socket.disconnectFromServer();
            return sent;
        }
        QThread::msleep(100);
    }
    return false;
}

} // namespace ui
