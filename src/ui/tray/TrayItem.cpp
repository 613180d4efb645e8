#include "tray/TrayItem.h"

#include "AppModel.h"
#include "tray/MenuBarIcon.h"
#include "tray/XEmbedTray.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusServiceWatcher>
#include <QDBusVariant>
#include <QGuiApplication>
#include <QTimer>

namespace ui {

namespace {

const QString kSniWatcher = QStringLiteral("org.kde.StatusNotifierWatcher");
const QString kSniWatcherPath = QStringLiteral("/StatusNotifierWatcher");

} // namespace

TrayItem::TrayItem(app::AppModel& model, const QDBusConnection& bus, QObject* parent)
    : QObject(parent), model_(model), bus_(bus), xembedProbe_(&XEmbedTray::present),
      xembedLook_(new QTimer(this)) {
    xembedLook_->setInterval(1000);
    connect(xembedLook_, &QTimer::timeout, this, &TrayItem::lookForXEmbedTray);
    menu_.addAction(QStringLiteral("Open Quillmark"), this, &TrayItem::openPanelRequested);
    menu_.addAction(QStringLiteral("Dashboard"), this, &TrayItem::openDashboardRequested);
    menu_.addSeparator();
    menu_.addAction(QStringLiteral("Quit"), this, &TrayItem::quitRequested);
    busy_ = model_.queued() >= 1;
    connect(&model_, &app::AppModel::queuedChanged, this, &TrayItem::refresh);
}

TrayItem::~TrayItem() = default;

bool TrayItem::hostWatcherRegistered() const {
    QDBusConnectionInterface* interface = bus_.interface();
    return interface != nullptr && interface->isServiceRegistered(kSniWatcher).value();
}

bool TrayItem::hostRegistered() const {
    if (!bus_.isConnected()) {
        return false;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(
        kSniWatcher, kSniWatcherPath, QStringLiteral("org.freedesktop.DBus.Properties"),
        QStringLiteral("Get"));
    call << kSniWatcher << QStringLiteral("IsStatusNotifierHostRegistered");
    const QDBusMessage reply = bus_.call(call, QDBus::Block, 1000);
    return reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty() &&
           reply.arguments().constFirst().value<QDBusVariant>().variant().toBool();
}

void TrayItem::start() {
    if (bus_.isConnected()) {
        hostWatcher_ = new QDBusServiceWatcher(kSniWatcher, bus_,
                                               QDBusServiceWatcher::WatchForRegistration, this);
        connect(hostWatcher_, &QDBusServiceWatcher::serviceRegistered, this,
                &TrayItem::watcherAppeared);
        bus_.connect(kSniWatcher, kSniWatcherPath, kSniWatcher,
                     QStringLiteral("StatusNotifierHostRegistered"), this,
                     SLOT(trayHostAppeared()));
    }
    // Qt chooses between the D-Bus tray and XEmbed once per process, when the first icon is
    // made. A watcher without a host yet (a panel still starting) gets its host soon: wait for
    // it rather than let Qt settle on XEmbed. Only X11 with a tray there and no watcher goes
    // to XEmbed; with neither yet, whichever comes first.
    const bool watcher = hostWatcherRegistered();
    if ((watcher && hostRegistered()) || (!watcher && xembedProbe_())) {
        createIcon();
    } else if (!watcher) {
        xembedLook_->start();
    }
}

void TrayItem::lookForXEmbedTray() {
    if (icon_) {
        xembedLook_->stop();
    } else if (!hostWatcherRegistered() && xembedProbe_()) {
        xembedLook_->stop();
        trayHostAppeared();
    }
}

void TrayItem::watcherAppeared() {
    // A watcher may come before its host, which then says so by a signal.
    if (hostRegistered()) {
        trayHostAppeared();
    }
}

void TrayItem::createIcon() {
    xembedLook_->stop();
    icon_ = std::make_unique<QSystemTrayIcon>();
    icon_->setContextMenu(&menu_);
    connect(icon_.get(), &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick ||
                    reason == QSystemTrayIcon::MiddleClick) {
                    emit clicked();
                }
            });
    refresh();
    icon_->show();
}

void TrayItem::trayHostAppeared() {
    const bool wasInTray = isInTray();
    if (!icon_) {
        createIcon();
    } else {
        // A host that restarts or arrives late learns about icons only when they register.
        icon_->hide();
        icon_->show();
    }
    if (!wasInTray && isInTray()) {
        emit placedInTray();
    }
}

bool TrayItem::isInTray() const {
    return icon_ && icon_->isVisible() && QSystemTrayIcon::isSystemTrayAvailable();
}

std::optional<QRect> TrayItem::iconGeometry() const {
    if (!icon_) {
        return std::nullopt;
    }
    const QRect geometry = icon_->geometry();
    if (!geometry.isValid() || geometry.isEmpty()) {
        return std::nullopt;
    }
    return geometry;
}

QString TrayItem::toolTip() const {
    return MenuBarIcon::description(busy_);
}

void TrayItem::refresh() {
    busy_ = model_.queued() >= 1;
    if (!icon_) {
        return;
    }
    icon_->setIcon(MenuBarIcon::icon(busy_));
    icon_->setToolTip(toolTip());
}

} // namespace ui
