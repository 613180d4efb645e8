#include "shell/Shell.h"

#include "shell/QuitPolicy.h"
#include "tray/PanelWindow.h"
#include "tray/TrayItem.h"

#include <QApplication>
#include <QDateTime>
#include <QLoggingCategory>

namespace ui {

namespace {

// QT_LOGGING_RULES="quillmark.timing.info=true" reports how quickly the panel appears.
Q_LOGGING_CATEGORY(timing, "quillmark.timing", QtWarningMsg)

} // namespace

Shell::Shell(app::AppModel& model, ActivationGate::Now now, QObject* parent)
    : QObject(parent), model_(model), gate_(std::move(now)),
      tray_(std::make_unique<TrayItem>(model)), panel_(std::make_unique<PanelWindow>(model)) {
    connect(tray_.get(), &TrayItem::clicked, this, &Shell::trayClicked);
    connect(tray_.get(), &TrayItem::openPanelRequested, this, &Shell::openPanel);
    connect(tray_.get(), &TrayItem::openDashboardRequested, this, [this] { openDashboard(); });
    connect(tray_.get(), &TrayItem::quitRequested, this, &Shell::quitWithoutAsking);
    connect(panel_.get(), &PanelWindow::openDashboardRequested, this, [this] { openDashboard(); });
    connect(panel_.get(), &PanelWindow::quitRequested, this, &Shell::quitWithoutAsking);
    connect(panel_.get(), &PanelWindow::lostActivation, this,
            [this] { gate_.panelLostActivation(); });
    connect(panel_.get(), &PanelWindow::painted, this, &Shell::reportPaintTime);
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
    // Until the dashboard window exists, the panel answers the request.
    openPanel();
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
    QApplication::quit();
}

} // namespace ui
