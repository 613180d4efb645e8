#include "look/Chip.h"

#include "look/Fonts.h"
#include "look/Ink.h"

#include <QFontMetricsF>
#include <QPainter>

namespace ui {

namespace {

QFont chipFont() {
    return Fonts::rounded(10.5, QFont::Bold);
}

} // namespace

QSizeF Chip::size() const {
    const QFontMetricsF metrics(chipFont());
    qreal width = metrics.horizontalAdvance(text);
    qreal height = metrics.height();
    if (dot) {
        width += dotSize + spacing;
        height = std::max(height, dotSize);
    }
    return {width + 2 * paddingX, height + 2 * paddingY};
}

void Chip::paint(QPainter& painter, QPointF topLeft) const {
    const QSizeF box = size();
    const QRectF rect(topLeft, box);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Ink::ink(), borderWidth));
    painter.setBrush(color);
    const qreal inset = borderWidth / 2;
    const QRectF capsule = rect.adjusted(inset, inset, -inset, -inset);
    painter.drawRoundedRect(capsule, capsule.height() / 2, capsule.height() / 2);

    qreal x = rect.left() + paddingX;
    if (dot) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(*dot);
        painter.drawEllipse(QRectF(x, rect.center().y() - dotSize / 2, dotSize, dotSize));
        x += dotSize + spacing;
    }
    painter.setFont(chipFont());
    painter.setPen(Ink::ink());
    painter.drawText(QRectF(x, rect.top(), rect.right() - paddingX - x, rect.height()),
                     Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, text);
    painter.restore();
}

} // namespace ui
