#include "tray/PanelWindow.h"

#include "look/Ink.h"
#include "panel/FollowFocus.h"
#include "panel/SlimScrollBar.h"
#include "tray/PanelPlacement.h"
#include "tray/PointerButtons.h"

#include <QApplication>
#include <QCursor>
#include <QEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>
#include <QVBoxLayout>
#include <QWindow>

namespace ui {

namespace {

bool windowsMayBePlaced() {
    // Wayland compositors place windows themselves.
    return !QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

QScreen* screenNear(QPoint point) {
    QScreen* screen = QGuiApplication::screenAt(point);
    return screen != nullptr ? screen : QGuiApplication::primaryScreen();
}

} // namespace

PanelWindow::PanelWindow(app::AppModel& model, QWidget* parent)
    : QWidget(parent), content_(new PanelContent(model, false, this)),
      scroller_(new QScrollArea(this)), leaveGrace_(new QTimer(this)) {
    setWindowTitle(QStringLiteral("Quillmark"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    // Sized by fitToContent, which knows the panel's fitting size.
    scroller_->setWidgetResizable(false);
    scroller_->setFrameShape(QFrame::NoFrame);
    scroller_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // The panel's own controls are the Tab stops; the view scrolls to whichever has focus.
    scroller_->setFocusPolicy(Qt::NoFocus);
    FollowFocus::apply(scroller_);
    scroller_->setAutoFillBackground(false);
    scroller_->viewport()->setAutoFillBackground(false);
    SlimScrollBar::apply(scroller_);
    scroller_->setWidget(content_);
    layout->addWidget(scroller_);
    QPalette paper = palette();
    paper.setColor(QPalette::Window, Ink::paper());
    setPalette(paper);
    setAutoFillBackground(true);
    content_->installEventFilter(this);
    leaveGrace_->setSingleShot(true);
    leaveGrace_->setInterval(dragGrace);
    connect(leaveGrace_, &QTimer::timeout, this, &PanelWindow::leave);

    connect(content_, &PanelContent::dismissRequested, this, &QWidget::hide);
    connect(content_, &PanelContent::openDashboardRequested, this,
            &PanelWindow::openDashboardRequested);
    connect(content_, &PanelContent::quitRequested, this, &PanelWindow::quitRequested);
    setFrameless(true);
}

void PanelWindow::setFrameless(bool frameless) {
    if (frameless == frameless_ && windowHandle() != nullptr) {
        return;
    }
    frameless_ = frameless;
    const bool wasVisible = isVisible();
    setWindowFlags(frameless ? Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint
                             : Qt::Window);
    if (wasVisible) {
        hide();
    }
}

void PanelWindow::showBesideTray(const std::optional<QRect>& iconGeometry) {
    setFrameless(true);
    iconGeometry_ = iconGeometry;
    pointer_ = QCursor::pos();
    present();
}

void PanelWindow::showAsWindow() {
    setFrameless(false);
    present();
}

QRect PanelWindow::room() const {
    if (!frameless_ || !windowsMayBePlaced()) {
        QScreen* shown = screen() != nullptr ? screen() : QGuiApplication::primaryScreen();
        return shown->availableGeometry();
    }
    const QPoint anchor = iconGeometry_ ? iconGeometry_->center() : pointer_;
    return PanelPlacement::room(iconGeometry_, pointer_, screenNear(anchor)->availableGeometry());
}

void PanelWindow::fitToContent() {
    const QRect area = room();
    if (heightLimit_ != area.height()) {
        // The settings page scrolls on its own within what the panel may take.
        heightLimit_ = area.height();
        content_->setHeightLimit(heightLimit_);
    }
    // The panel's own fitting size, not a height for its width: wrapped texts inside would
    // otherwise squeeze it.
    const QSize wanted = content_->sizeHint();
    content_->resize(wanted);
    QSize size = wanted;
    if (wanted.height() > area.height()) {
        size = {wanted.width() + scroller_->verticalScrollBar()->sizeHint().width(), area.height()};
    }
    setFixedSize(size);
    if (frameless_ && windowsMayBePlaced()) {
        // Placed again at every change of size, so a growing panel stays beside its icon.
        const QPoint anchor = iconGeometry_ ? iconGeometry_->center() : pointer_;
        move(PanelPlacement::position(size, iconGeometry_, pointer_,
                                      screenNear(anchor)->availableGeometry()));
    }
}

void PanelWindow::present() {
    fitToContent();
    wasActive_ = false;
    awaitingPaint_ = true;
    show();
    raise();
    activateWindow();
}

void PanelWindow::showEvent(QShowEvent* event) {
    wasActive_ = isActiveWindow();
    leaveGrace_->stop();
    dragInside_ = false;
    // The native window is made anew when the frame changes; drags arrive at the current one.
    if (windowHandle() != nullptr) {
        windowHandle()->installEventFilter(this);
    }
    QWidget::showEvent(event);
}

void PanelWindow::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() != QEvent::ActivationChange) {
        return;
    }
    if (isActiveWindow()) {
        wasActive_ = true;
        leaveGrace_->stop();
    } else if (QApplication::activeModalWidget() != nullptr) {
        // Our own dialog (the folder chooser of the settings) took it; the panel stays behind.
    } else if (frameless_ && wasActive_ && isVisible() && !dragInside_) {
        leaveGrace_->start();
    }
}

void PanelWindow::leave() {
    if (!isVisible() || !frameless_ || isActiveWindow() || dragInside_ ||
        QApplication::activeModalWidget() != nullptr) {
        return;
    }
    if (PointerButtons::held()) {
        // A drag may still be on its way from the other window.
        leaveGrace_->start();
        return;
    }
    wasActive_ = false;
    hide();
    emit lostActivation();
}

void PanelWindow::dragEvent(QEvent::Type type) {
    switch (type) {
    case QEvent::DragEnter:
    case QEvent::DragMove:
        dragInside_ = true;
        leaveGrace_->stop();
        break;
    case QEvent::Drop:
        dragInside_ = false;
        // Back to the panel, so its answer to the drop can be seen; another window taking
        // the activation later sends it away as usual.
        activateWindow();
        leaveGrace_->start();
        break;
    default: // a drag that passed over without dropping
        dragInside_ = false;
        if (frameless_ && !isActiveWindow()) {
            leaveGrace_->start();
        }
        break;
    }
}

void PanelWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        hide();
        return;
    }
    QWidget::keyPressEvent(event);
}

bool PanelWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == windowHandle()) {
        const QEvent::Type type = event->type();
        if (type == QEvent::DragEnter || type == QEvent::DragMove || type == QEvent::DragLeave ||
            type == QEvent::Drop) {
            dragEvent(type);
        }
        return QWidget::eventFilter(watched, event);
    }
    if (watched == content_ && event->type() == QEvent::LayoutRequest) {
        fitToContent();
    }
    if (watched == content_ && event->type() == QEvent::Paint && awaitingPaint_) {
        awaitingPaint_ = false;
        // Queued, so it is reported once the paint is done.
        QMetaObject::invokeMethod(this, &PanelWindow::painted, Qt::QueuedConnection);
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace ui
