#pragma once

#include <QDBusConnection>
#include <QString>
#include <QStringList>

namespace app {

// Desktop notifications through org.freedesktop.Notifications.
class Notifier {
public:
    // Enabled on the session bus: the running application.
    Notifier();
    // `enabled` false for the command-line modes, which never post.
    explicit Notifier(QDBusConnection bus, bool enabled = true);
    virtual ~Notifier() = default;

    static Notifier disabled();

    // Posting is possible: enabled and connected to a bus.
    bool canPost() const;

    // Desktop notification servers need no permission; kept so callers read as on every platform.
    void requestPermission() const {}

    // One notification for a finished batch; `names` are the new names in the order given.
    virtual void named(const QStringList& names) const;

    static QString body(const QStringList& names);

private:
    QDBusConnection bus_;
    bool enabled_;
};

} // namespace app
