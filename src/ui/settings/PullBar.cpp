#include "settings/PullBar.h"

#include "look/Ink.h"
#include "look/WobblyRect.h"

#include <QPainter>
#include <algorithm>

namespace ui {

PullBar::PullBar(QWidget* parent) : QWidget(parent) {
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void PullBar::setFraction(qreal fraction) {
    fraction = fraction < 0 ? -1 : std::min<qreal>(fraction, 1);
    if (fraction != fraction_) {
        fraction_ = fraction;
        update();
    }
}

QSize PullBar::sizeHint() const {
    return {160, 14};
}

void PullBar::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF frame = QRectF(rect()).adjusted(1.5, 1.5, -1.5, -1.5);
    const QPainterPath outline = WobblyRect::path(frame, frame.height() / 2, 0.8, 21);
    painter.fillPath(outline, Qt::white);
    if (fraction_ > 0) {
        painter.save();
        painter.setClipPath(outline);
        painter.fillRect(
            QRectF(frame.left(), frame.top(), frame.width() * fraction_, frame.height()),
            Ink::orange());
        painter.restore();
    }
    painter.setPen(QPen(Ink::ink(), 1.8));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(outline);
}

} // namespace ui
