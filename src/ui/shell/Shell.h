#pragma once

#include "tray/ActivationGate.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <memory>

namespace app {
class AppModel;
}

namespace ui {

class PanelWindow;
class TrayItem;

// The windows of the running program and the requests that open them: tray clicks, the tray
// menu, the panel's buttons and a second launch.
class Shell : public QObject {
    Q_OBJECT

public:
    explicit Shell(app::AppModel& model, ActivationGate::Now now = ActivationGate::Clock::now,
                   QObject* parent = nullptr);
    ~Shell() override;

    void start();

    TrayItem& tray() { return *tray_; }
    PanelWindow& panel() { return *panel_; }

public slots:
    // The open-dashboard request. `activationToken` lets a Wayland compositor give the window
    // the focus the launching program had.
    void openDashboard(const QByteArray& activationToken = {});
    // The panel beside the tray icon, or as an ordinary window where there is no tray.
    void openPanel();
    void trayClicked();
    void quitWithoutAsking();

private:
    void reportPaintTime();

    app::AppModel& model_;
    ActivationGate gate_;
    std::unique_ptr<TrayItem> tray_;
    std::unique_ptr<PanelWindow> panel_;
    QElapsedTimer sinceClick_;
};

} // namespace ui
