#pragma once

#include "tray/ActivationGate.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <functional>
#include <memory>

namespace app {
class AppModel;
}

namespace ui {

class DashboardView;
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
    DashboardView& dashboard();

    // Asks whether to quit while the dashboard is open; true means quit.
    using QuitQuestion = std::function<bool()>;
    void setQuitQuestion(QuitQuestion question) { askQuit_ = std::move(question); }
    static bool askWithMessageBox(bool inTray);
    // The question's explanation: where the program keeps working once the window closes.
    static QString quitExplanation(bool inTray);
    // What quitting does; tests replace it.
    void setQuitAction(std::function<void()> quit) { quit_ = std::move(quit); }

public slots:
    // The open-dashboard request. `activationToken` lets a Wayland compositor give the window
    // the focus the launching program had.
    void openDashboard(const QByteArray& activationToken = {});
    // The panel beside the tray icon, or as an ordinary window where there is no tray.
    void openPanel();
    void trayClicked();
    void quitWithoutAsking();
    // Ctrl+Q in the dashboard: quitting stops the naming, so it asks first while the dashboard
    // is open, unless the system or the user's Quit button already decided.
    void quitFromDashboard();

private:
    void reportPaintTime();

    app::AppModel& model_;
    ActivationGate gate_;
    std::unique_ptr<TrayItem> tray_;
    std::unique_ptr<PanelWindow> panel_;
    std::unique_ptr<DashboardView> dashboard_;
    QuitQuestion askQuit_;
    std::function<void()> quit_;
    QElapsedTimer sinceClick_;
};

} // namespace ui
