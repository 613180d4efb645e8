#include "art/DMGBackground.h"

#include "look/CrayonArrow.h"
#include "look/CrayonBox.h"
#include "look/Fonts.h"
#include "look/Icons.h"
#include "look/Ink.h"
#include "look/Paper.h"

#include <QFontMetricsF>
#include <QPainter>

namespace ui {

namespace {

const QString kNote = QStringLiteral("First time it opens, macOS may ask: go to System Settings "
                                     "\u203A Privacy & Security and click Open Anyway.");

QColor withAlpha(QColor color, float alpha) {
    color.setAlphaF(alpha);
    return color;
}

void heading(QPainter& painter) {
    const QFont first = Fonts::hand(34);
    const QFont second = Fonts::hand(24);
    const QFontMetricsF firstMetrics(first);
    const QString lead = QStringLiteral("Drag Quillmark into ");
    const QString target = QStringLiteral("Applications");
    const qreal width = firstMetrics.horizontalAdvance(lead + target);
    qreal x = (DMGBackground::size.width() - width) / 2;
    const qreal baseline = 34 + firstMetrics.ascent();
    painter.setFont(first);
    painter.setPen(Ink::ink());
    painter.drawText(QPointF(x, baseline), lead);
    x += firstMetrics.horizontalAdvance(lead);
    painter.setPen(Ink::orange());
    painter.drawText(QPointF(x, baseline), target);

    painter.setFont(second);
    painter.setPen(Ink::ink());
    const QRectF line(0, 34 + firstMetrics.height() + 2, DMGBackground::size.width(),
                      QFontMetricsF(second).height());
    painter.drawText(line, Qt::AlignHCenter | Qt::AlignTop,
                     QStringLiteral("That\u2019s the whole install."));
}

void arrow(QPainter& painter) {
    const QRectF frame(320 - 75, 209 - 22, 150, 44);
    QPen pen(Ink::orange(), 5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    pen.setMiterLimit(10);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(CrayonArrow::path(frame));
}

void note(QPainter& painter) {
    const QFont font = Fonts::system(12, QFont::DemiBold);
    const qreal width = 520;
    const qreal icon = 14;
    const qreal gap = 8;
    const qreal textWidth = width - 2 * 14 - icon - gap;
    const QRectF text =
        QFontMetricsF(font).boundingRect(QRectF(0, 0, textWidth, 200), Qt::TextWordWrap, kNote);
    const qreal height = text.height() + 2 * 9;
    const QRectF box(320 - width / 2, 362 - height / 2, width, height);
    CrayonBox{withAlpha(Ink::yellow(), 0.35F), std::nullopt, Ink::ink(), 1.8, 12, false, false, 11}
        .paint(painter, box);
    Icons::paint(painter, QRectF(box.left() + 14, box.center().y() - icon / 2, icon, icon),
                 QStringLiteral("lock-open-fill"), Ink::ink());
    painter.setFont(font);
    painter.setPen(Ink::ink());
    painter.drawText(QRectF(box.left() + 14 + icon + gap, box.top() + 9, textWidth, text.height()),
                     Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignVCenter, kNote);
}

} // namespace

void DMGBackground::spot(QPainter& painter, QPointF centre, const QColor& tint, double seed) {
    const QRectF area(centre - QPointF(75, 75), QSizeF(150, 150));
    CrayonBox{
        withAlpha(tint, 0.35F), tint, withAlpha(Ink::ink(), 0.85F), 2.2, 36, false, true, seed}
        .paint(painter, area);
}

void DMGBackground::paint(QPainter& painter) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    Paper::fill(painter, QRectF(QPointF(0, 0), QSizeF(size)));
    heading(painter);
    spot(painter, appSpot, Ink::peach(), 3);
    spot(painter, applicationsSpot, Ink::sky(), 7);
    arrow(painter);
    note(painter);
    painter.restore();
}

QImage DMGBackground::render(qreal scale) {
    QImage image((QSizeF(size) * scale).toSize(), QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(scale);
    image.fill(Ink::paper());
    QPainter painter(&image);
    paint(painter);
    painter.end();
    return image;
}

} // namespace ui
