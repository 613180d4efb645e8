#include "shell/Shell.h"

#include "dashboard/DashboardView.h"
#include "look/AppLogo.h"
#include "shell/QuitPolicy.h"
#include "tray/PanelWindow.h"
#include "tray/TrayItem.h"

#include <QApplication>
#include <QDateTime>
#include <QLoggingCategory>
#include <QMessageBox>
#include <QPushButton>

namespace ui {

namespace {

// QT_LOGGING_RULES="quillmark.timing.info=true" reports how quickly the panel appears.
Q_LOGGING_CATEGORY(timing, "quillmark.timing", QtWarningMsg)

} // namespace

Shell::Shell(app::AppModel& model, ActivationGate::Now now, QObject* parent)
    : QObject(parent), model_(model), gate_(std::move(now)),
      tray_(std::make_unique<TrayItem>(model)), panel_(std::make_unique<PanelWindow>(model)),
      quit_([] { QApplication::quit(); }) {
    connect(tray_.get(), &TrayItem::clicked, this, &Shell::trayClicked);
    connect(tray_.get(), &TrayItem::openPanelRequested, this, &Shell::openPanel);
    connect(tray_.get(), &TrayItem::openDashboardRequested, this, [this] { openDashboard(); });
    connect(tray_.get(), &TrayItem::quitRequested, this, &Shell::quitWithoutAsking);
    connect(panel_.get(), &PanelWindow::openDashboardRequested, this, [this] { openDashboard(); });
    connect(panel_.get(), &PanelWindow::quitRequested, this, &Shell::quitWithoutAsking);
    connect(panel_.get(), &PanelWindow::lostActivation, this,
            [this] { gate_.panelLostActivation(); });
    connect(panel_.get(), &PanelWindow::painted, this, &Shell::reportPaintTime);
    // A tray that comes late takes over the panel; the dashboard's stand-in button goes.
    connect(tray_.get(), &TrayItem::placedInTray, this, [this] {
        if (dashboard_) {
            dashboard_->setSettingsButtonVisible(false);
        }
    });
    askQuit_ = [this] { return askWithMessageBox(tray_->isInTray()); };
}

Shell::~Shell() = default;

void Shell::start() {
    tray_->start();
}

void Shell::openDashboard(const QByteArray& activationToken) {
    if (!activationToken.isEmpty()) {
        // Read by the Wayland platform when the window asks to be activated.
        qputenv("XDG_ACTIVATION_TOKEN", activationToken);
    }
    DashboardView& view = dashboard();
    view.setSettingsButtonVisible(!tray_->isInTray());
    DashboardView::requested() = true;
    view.show();
    view.raise();
    view.activateWindow();
}

DashboardView& Shell::dashboard() {
    if (!dashboard_) {
        dashboard_ = std::make_unique<DashboardView>(model_);
        connect(dashboard_.get(), &DashboardView::settingsRequested, this, &Shell::openPanel);
        connect(dashboard_.get(), &DashboardView::quitRequested, this, &Shell::quitFromDashboard);
    }
    return *dashboard_;
}

QString Shell::quitExplanation(bool inTray) {
    return QStringLiteral("New screenshots won\u2019t get names until you open Quillmark again. ") +
           (inTray ? QStringLiteral("To keep it working in the tray, just close this window.")
                   : QStringLiteral("To keep it working in the background, just close this "
                                    "window."));
}

bool Shell::askWithMessageBox(bool inTray) {
    QMessageBox box;
    box.setWindowTitle(QStringLiteral("Quillmark"));
    box.setText(QStringLiteral("Quit Quillmark?"));
    box.setInformativeText(quitExplanation(inTray));
    box.setIconPixmap(AppLogo::pixmap(64, box.devicePixelRatioF()));
    QPushButton* close =
        box.addButton(QStringLiteral("Just Close Window"), QMessageBox::RejectRole);
    QPushButton* quit = box.addButton(QStringLiteral("Quit"), QMessageBox::AcceptRole);
    box.setDefaultButton(close);
    box.exec();
    return box.clickedButton() == quit;
}

void Shell::quitFromDashboard() {
    const bool dashboardOpen = dashboard_ && dashboard_->isVisible();
    if (!QuitPolicy::mayAsk() || !dashboardOpen || askQuit_()) {
        quit_();
        return;
    }
    // Keep running: close the windows that have a title bar.
    dashboard_->close();
    if (!tray_->isInTray() && panel_->isVisible()) {
        panel_->hide();
    }
}

void Shell::openPanel() {
    if (tray_->isInTray()) {
        panel_->showBesideTray(tray_->iconGeometry());
    } else {
        panel_->showAsWindow();
    }
}

void Shell::trayClicked() {
    sinceClick_.start();
    qCInfo(timing, "tray clicked at %lld ms", QDateTime::currentMSecsSinceEpoch());
    switch (gate_.trayActivated(panel_->isVisible())) {
    case ActivationGate::Action::show:
        openPanel();
        break;
    case ActivationGate::Action::hide:
        panel_->hide();
        break;
    case ActivationGate::Action::ignore:
        break;
    }
}

void Shell::reportPaintTime() {
    if (!sinceClick_.isValid()) {
        return;
    }
    qCInfo(timing, "panel painted at %lld ms, %.1f ms after the tray click",
           QDateTime::currentMSecsSinceEpoch(),
           static_cast<double>(sinceClick_.nsecsElapsed()) / 1e6);
    sinceClick_.invalidate();
}

void Shell::quitWithoutAsking() {
    QuitPolicy::quitWithoutAsking();
    quit_();
}

} // namespace ui
