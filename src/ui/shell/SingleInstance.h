#pragma once

#include <QByteArray>
#include <QList>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <memory>

namespace ui {

// One running program per user session: a lock file and a local socket in the runtime folder.
// The first instance listens; a later one hands its request over and ends.
class SingleInstance : public QObject {
    Q_OBJECT

public:
    enum class Role { primary, secondary };

    // What a connection may do before it is closed: requests are one short line, sent at once.
    static constexpr int maxConnections = 16;
    static constexpr qint64 maxRequestBytes = 4096;
    static constexpr int silenceMs = 5000;

    // `folder` is normally defaultFolder(); an empty one holds no lock.
    explicit SingleInstance(QString folder, QObject* parent = nullptr);
    ~SingleInstance() override;

    // $XDG_RUNTIME_DIR when it is this user's folder, else <temporary folder>/quillmark-<uid>,
    // made with mode 0700 and used only when this user owns it and no one else may enter it.
    // Empty when there is no such folder.
    static QString defaultFolder();
    QString lockPath() const;
    QString socketPath() const;

    // Takes the lock (recovering one left by a crashed instance) and listens, or finds the
    // live instance. Primary also when the folder cannot hold a lock, so the program runs.
    Role claim();

    // From a secondary: asks the primary to open the dashboard, with the activation token this
    // launch was given. False when the primary could not be reached in `attempts` tries (a
    // primary that took the lock a moment ago may not be listening yet).
    bool sendOpenDashboard(const QByteArray& activationToken, int attempts = 10) const;

signals:
    // In the primary: a later launch asked for the dashboard.
    void openDashboardRequested(const QByteArray& activationToken);

private:
    bool listen();
    void readRequest();
    void keepWithinLimit();

    QString folder_;
    std::unique_ptr<QLockFile> lock_;
    QLocalServer server_;
    // Qt closes the server for good when accepting fails (too many open files).
    QTimer relisten_;
    QList<QPointer<QLocalSocket>> connections_;
};

} // namespace ui
