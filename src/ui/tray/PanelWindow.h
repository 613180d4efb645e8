#pragma once

#include "shell/PanelContent.h"

#include <QRect>
#include <QWidget>
#include <optional>

namespace app {
class AppModel;
}

namespace ui {

// The top-level window that shows the panel: frameless beside the tray icon, or an ordinary
// window titled "Quillmark" where there is no tray.
class PanelWindow : public QWidget {
    Q_OBJECT

public:
    explicit PanelWindow(app::AppModel& model, QWidget* parent = nullptr);

    // Frameless, beside the icon when its geometry is known, else at the pointer.
    void showBesideTray(const std::optional<QRect>& iconGeometry);
    // Decorated, where the window manager puts it.
    void showAsWindow();
    bool isFrameless() const { return frameless_; }

    PanelContent& content() { return *content_; }

signals:
    // Hidden because another window took the activation.
    void lostActivation();
    void openDashboardRequested();
    void quitRequested();
    // The first paint after each show; used to time how quickly the panel appears.
    void painted();

protected:
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void setFrameless(bool frameless);
    void present();
    void fitToContent();

    PanelContent* content_;
    bool frameless_ = false;
    bool wasActive_ = false;
    bool awaitingPaint_ = false;
};

} // namespace ui
