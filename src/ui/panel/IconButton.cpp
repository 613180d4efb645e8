#include "panel/IconButton.h"

#include "look/FocusRing.h"
#include "look/Icons.h"

#include <QEvent>
#include <QPainter>

namespace ui {

IconButton::IconButton(QString iconName, const QColor& color, qreal iconSize, QSize frame,
                       QWidget* parent)
    : QAbstractButton(parent), iconName_(std::move(iconName)), color_(color), iconSize_(iconSize),
      frame_(frame) {
    setFixedSize(frame_);
    setFocusPolicy(Qt::TabFocus);
    setCursor(Qt::PointingHandCursor);
    FocusRing::attach(this);
}

void IconButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (!isEnabled()) {
        painter.setOpacity(0.45);
    }
    const QRectF icon((width() - iconSize_) / 2, (height() - iconSize_) / 2, iconSize_, iconSize_);
    Icons::paint(painter, icon, iconName_, color_);
    if (FocusRing::isShown(this)) {
        FocusRing::paint(painter, QRectF(rect()).adjusted(1.5, 1.5, -1.5, -1.5), width() / 2.0, 7,
                         0);
    }
}

void IconButton::changeEvent(QEvent* event) {
    if (event->type() == QEvent::EnabledChange) {
        // The hand only over something that reacts.
        if (isEnabled()) {
            setCursor(Qt::PointingHandCursor);
        } else {
            unsetCursor();
        }
    }
    QAbstractButton::changeEvent(event);
}

} // namespace ui
