#pragma once

#include <QByteArray>
#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <QString>
#include <memory>

namespace ui {

// One running program per user session: a lock file and a local socket in the runtime folder.
// The first instance listens; a later one hands its request over and ends.
class SingleInstance : public QObject {
    Q_OBJECT

public:
    enum class Role { primary, secondary };

    // `folder` is normally $XDG_RUNTIME_DIR.
    explicit SingleInstance(QString folder, QObject* parent = nullptr);
    ~SingleInstance() override;

    static QString defaultFolder();
    QString lockPath() const;
    QString socketPath() const;

    // Takes the lock (recovering one left by a crashed instance) and listens, or finds the
    // live instance. Primary also when the folder cannot hold a lock, so the program runs.
    Role claim();

    // From a secondary: asks the primary to open the dashboard, with the activation token this
    // launch was given. False when the primary could not be reached.
    bool sendOpenDashboard(const QByteArray& activationToken) const;

signals:
    // In the primary: a later launch asked for the dashboard.
    void openDashboardRequested(const QByteArray& activationToken);

private:
    bool listen();
    void readRequest();

    QString folder_;
    std::unique_ptr<QLockFile> lock_;
    QLocalServer server_;
};

} // namespace ui
