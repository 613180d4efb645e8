#include "shell/SingleInstance.h"

#include <QDir>
#include <QFile>
#include <QLocalSocket>
#include <QThread>
#include <sys/stat.h>
#include <unistd.h>

namespace ui {

namespace {

const QByteArray kOpenDashboard = QByteArrayLiteral("open-dashboard");
constexpr int kConnectTimeoutMs = 500;
constexpr int kRetryPauseMs = 100;
constexpr int kRelistenMs = 1000;

// Only this user may enter it, so no one else can put a lock or a socket there.
bool isPrivateFolder(const QByteArray& path, bool followLink) {
    struct stat info {};
    const int status =
        followLink ? ::stat(path.constData(), &info) : ::lstat(path.constData(), &info);
    return status == 0 && S_ISDIR(info.st_mode) && info.st_uid == ::geteuid() &&
           (info.st_mode & (S_IRWXG | S_IRWXO)) == 0;
}

} // namespace

SingleInstance::SingleInstance(QString folder, QObject* parent)
    : QObject(parent), folder_(std::move(folder)) {
    connect(&server_, &QLocalServer::newConnection, this, &SingleInstance::readRequest);
    relisten_.setInterval(kRelistenMs);
    connect(&relisten_, &QTimer::timeout, this, [this] {
        if (!server_.isListening()) {
            listen();
        }
    });
}

SingleInstance::~SingleInstance() {
    server_.close();
}

QString SingleInstance::defaultFolder() {
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    if (runtime.startsWith('/') && isPrivateFolder(runtime, true)) {
        return QString::fromLocal8Bit(runtime);
    }
    // Never bare names in the working folder or in the shared temporary folder.
    const QByteArray own =
        QFile::encodeName(QDir::tempPath() + QStringLiteral("/quillmark-%1").arg(::geteuid()));
    ::mkdir(own.constData(), 0700);
    return isPrivateFolder(own, false) ? QFile::decodeName(own) : QString();
}

QString SingleInstance::lockPath() const {
    return QDir(folder_).filePath(QStringLiteral("quillmark.lock"));
}

QString SingleInstance::socketPath() const {
    return QDir(folder_).filePath(QStringLiteral("quillmark.socket"));
}

SingleInstance::Role SingleInstance::claim() {
    if (folder_.isEmpty()) {
        return Role::primary;
    }
    lock_ = std::make_unique<QLockFile>(lockPath());
    // Never stale by age: only a lock whose process is gone is taken over.
    lock_->setStaleLockTime(0);
    if (lock_->tryLock(0)) {
        listen();
        relisten_.start();
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
        // Qt stops reading once this much waits; a client that fills it without a line is cut.
        connection->setReadBufferSize(maxRequestBytes);
        connections_.append(connection);
        keepWithinLimit();
        QTimer::singleShot(silenceMs, connection, [connection] {
            connection->abort();
            connection->deleteLater();
        });
        auto handle = [this, connection] {
            if (!connection->canReadLine()) {
                if (connection->bytesAvailable() >= maxRequestBytes) {
                    connection->abort();
                    connection->deleteLater();
                }
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

// The newest connections are the likeliest to be a launch about to speak: the oldest go.
void SingleInstance::keepWithinLimit() {
    connections_.removeIf([](const QPointer<QLocalSocket>& connection) { return !connection; });
    while (connections_.size() > maxConnections) {
        if (QLocalSocket* oldest = connections_.takeFirst()) {
            oldest->abort();
            oldest->deleteLater();
        }
    }
}

bool SingleInstance::sendOpenDashboard(const QByteArray& activationToken, int attempts) const {
    QByteArray request = kOpenDashboard;
    const QByteArray token = activationToken.trimmed();
    if (!token.isEmpty() && !token.contains('\n') && !token.contains(' ')) {
        request += ' ' + token;
    }
    request += '\n';
    for (int attempt = 0; attempt < attempts; ++attempt) {
        if (attempt > 0) {
            QThread::msleep(kRetryPauseMs);
        }
        QLocalSocket socket;
        socket.connectToServer(socketPath());
        if (socket.waitForConnected(kConnectTimeoutMs)) {
            socket.write(request);
            const bool sent = socket.waitForBytesWritten(kConnectTimeoutMs);
            socket.disconnectFromServer();
            return sent;
        }
    }
    return false;
}

} // namespace ui
