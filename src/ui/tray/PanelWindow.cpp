#include "tray/PanelWindow.h"

#include "look/Ink.h"
#include "tray/PanelPlacement.h"

#include <QApplication>
#include <QCursor>
#include <QEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>
#include <QVBoxLayout>

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
    : QWidget(parent), content_(new PanelContent(model, false, this)) {
    setWindowTitle(QStringLiteral("Quillmark"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(content_);
    QPalette paper = palette();
    paper.setColor(QPalette::Window, Ink::paper());
    setPalette(paper);
    setAutoFillBackground(true);
    content_->installEventFilter(this);

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
    if (windowsMayBePlaced()) {
        const QPoint pointer = QCursor::pos();
        const QPoint anchor = iconGeometry ? iconGeometry->center() : pointer;
        fitToContent();
        const QSize size = this->size();
        move(PanelPlacement::position(size, iconGeometry, pointer,
                                      screenNear(anchor)->availableGeometry()));
    }
    present();
}

void PanelWindow::showAsWindow() {
    setFrameless(false);
    present();
}

void PanelWindow::fitToContent() {
    // The panel's own fitting size, not a height for its width: wrapped texts inside would
    // otherwise squeeze it.
    setFixedSize(content_->sizeHint());
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
    QWidget::showEvent(event);
}

void PanelWindow::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() != QEvent::ActivationChange) {
        return;
    }
    if (isActiveWindow()) {
        wasActive_ = true;
    } else if (QApplication::activeModalWidget() != nullptr) {
        // Our own dialog (the folder chooser of the settings) took it; the panel stays behind.
    } else if (frameless_ && wasActive_ && isVisible()) {
        wasActive_ = false;
        hide();
        emit lostActivation();
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
