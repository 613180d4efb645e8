#pragma once

#include <QDBusConnection>
#include <QMenu>
#include <QObject>
#include <QRect>
#include <QSystemTrayIcon>
#include <functional>
#include <memory>
#include <optional>

class QDBusServiceWatcher;
class QTimer;

namespace app {
class AppModel;
}

namespace ui {

// The tray icon: idle and busy pictures following the naming queue, its tooltip, the context
// menu, and the clicks that open the panel.
class TrayItem : public QObject {
    Q_OBJECT

public:
    // `bus` is where tray hosts announce themselves.
    explicit TrayItem(app::AppModel& model,
                      const QDBusConnection& bus = QDBusConnection::sessionBus(),
                      QObject* parent = nullptr);
    ~TrayItem() override;

    // Puts the icon in the tray now if a tray host exists, else as soon as one appears.
    void start();
    // Asks whether an X11 tray is there (XEmbedTray::present unless a test says otherwise).
    void setXEmbedProbe(std::function<bool()> probe) { xembedProbe_ = std::move(probe); }
    // An icon is in a tray, so the panel can open from it.
    bool isInTray() const;
    // The icon's place on screen, when the tray host tells it (XEmbed does, SNI does not).
    std::optional<QRect> iconGeometry() const;
    bool showsBusy() const { return busy_; }
    // An icon was handed to Qt (it may still be waiting for a host to show it).
    bool hasIcon() const { return icon_ != nullptr; }
    QString toolTip() const;

signals:
    // A click on the icon (single, double or middle), not yet debounced.
    void clicked();
    void openPanelRequested();
    void openDashboardRequested();
    void quitRequested();
    // The icon went into a tray after start-up.
    void placedInTray();

private slots:
    void trayHostAppeared();

private:
    void createIcon();
    void refresh();
    void watcherAppeared();
    void lookForXEmbedTray();

    bool hostWatcherRegistered() const;
    // The watcher knows a host that shows items. Qt settles on the D-Bus tray or XEmbed once,
    // when the first icon is made, by this very question.
    bool hostRegistered() const;

    app::AppModel& model_;
    QDBusConnection bus_;
    QMenu menu_;
    std::unique_ptr<QSystemTrayIcon> icon_;
    QDBusServiceWatcher* hostWatcher_ = nullptr;
    std::function<bool()> xembedProbe_;
    // An X11 tray announces itself to nobody in particular: it is looked for now and then.
    QTimer* xembedLook_;
    bool busy_ = false;
};

} // namespace ui
