#pragma once

#include "shell/PanelContent.h"

#include <QEvent>
#include <QRect>
#include <QWidget>
#include <chrono>
#include <optional>

class QScrollArea;
class QTimer;

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

    // How long the panel stays after losing the activation: pressing on a file in another
    // window activates that window, and the drag it starts must still find the panel.
    static constexpr std::chrono::milliseconds dragGrace{1200};

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
    void leave();
    // Follows drags over the window, wherever in it they are.
    void dragEvent(QEvent::Type type);
    void setFrameless(bool frameless);
    void present();
    void fitToContent();
    // Where the panel may lie now: the side of the tray icon it opens on, or the screen.
    QRect room() const;

    PanelContent* content_;
    // Scrolls the content where the screen has less room than the panel needs.
    QScrollArea* scroller_;
    std::optional<QRect> iconGeometry_;
    QPoint pointer_;
    std::optional<int> heightLimit_;
    QTimer* leaveGrace_;
    bool dragInside_ = false;
    bool frameless_ = false;
    bool wasActive_ = false;
    bool awaitingPaint_ = false;
};

} // namespace ui
