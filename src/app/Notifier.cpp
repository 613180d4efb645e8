#include "Notifier.h"

#include <QDBusMessage>
#include <QVariantMap>

namespace app {

namespace {

const QString kTitle = QStringLiteral("Quillmark");
// The installed icon and desktop entry share the application's id, so desktops can show the
// icon and group the notifications under the application.
const QString kApplicationId = QStringLiteral("org.quillmark.Quillmark");

QString quoted(const QString& name) {
    return QStringLiteral("\u201C") + name + QStringLiteral("\u201D");
}

} // namespace

Notifier::Notifier() : Notifier(QDBusConnection::sessionBus()) {}

Notifier::Notifier(QDBusConnection bus, bool enabled) : bus_(std::move(bus)), enabled_(enabled) {}

Notifier Notifier::disabled() {
    return Notifier(QDBusConnection(QString()), false);
}

bool Notifier::canPost() const {
    return enabled_ && bus_.isConnected();
}

QString Notifier::body(const QStringList& names) {
    if (names.isEmpty()) {
        return QString();
    }
    if (names.size() == 1) {
        return QStringLiteral("Named ") + quoted(names.front());
    }
    return QStringLiteral("Named %1 screenshots, including %2, %3")
        .arg(names.size())
        .arg(quoted(names.at(names.size() - 2)), quoted(names.back()));
}

void Notifier::named(const QStringList& names) const {
    if (!canPost() || names.isEmpty()) {
        return;
    }
    QDBusMessage message = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.Notifications"),
        QStringLiteral("/org/freedesktop/Notifications"),
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("Notify"));
    message << kTitle         // app_name
            << uint(0)        // replaces_id
            << kApplicationId // app_icon
            << kTitle         // summary
            << body(names)    // body
            << QStringList()  // actions
            << QVariantMap{{QStringLiteral("desktop-entry"), kApplicationId}}
            << int(-1); // expire_timeout: the server's default
    // Fire and forget: a server that is missing or refuses stays silent.
    bus_.send(message);
}

} // namespace app
