#include "look/Scribble.h"

#include <QPainter>
#include <QPainterPath>
#include <QPen>

#include <cmath>
#include <numbers>

namespace ui {

namespace {

// A half disc of `radius` at `end`, facing away from `other`.
void addCap(QPainterPath& path, QPointF end, QPointF other, qreal radius) {
    const QPointF away = end - other;
    // Qt measures arc angles counter-clockwise with y pointing up.
    const qreal angle = std::atan2(-away.y(), away.x()) * 180 / std::numbers::pi;
    const QRectF circle(end - QPointF(radius, radius), QSizeF(2 * radius, 2 * radius));
    path.moveTo(end);
    path.arcTo(circle, angle - 90, 180);
    path.closeSubpath();
}

} // namespace

std::vector<QLineF> Scribble::lines(const QSizeF& size, qreal spacing) {
    std::vector<QLineF> result;
    const double w = size.width();
    const double h = size.height();
    // A spacing that does not move x forward would never end.
    if (!(spacing > 0) || !std::isfinite(w) || !std::isfinite(h) || !std::isfinite(spacing))
        return result;
    int i = 0;
    for (double x0 = -h; x0 < w + h; x0 += spacing, ++i) {
        const double j = std::sin(i * 1.7) * 1.2;
        result.emplace_back(x0 + j, h + 2, x0 + h * 0.68 - j, -2);
    }
    return result;
}

void Scribble::paint(QPainter& painter, const QRectF& rect, const QColor& color, qreal spacing) {
    paint(painter, rect, color, spacing, Caps::round);
}

void Scribble::paint(QPainter& painter, const QRectF& rect, const QColor& color, qreal spacing,
                     Caps caps) {
    std::vector<QLineF> strokes = lines(rect.size(), spacing);
    if (strokes.empty())
        return;
    const qreal width = spacing * 0.55;
    // Qt's stroker is very slow with round caps (about 20 ms for one card's hatching), so the
    // strokes are drawn flat and the round caps added as half discs, which do not overlap the
    // strokes and so keep translucent colours even.
    QPainterPath ends;
    for (QLineF& line : strokes) {
        line.translate(rect.topLeft());
        if (caps == Caps::round) {
            addCap(ends, line.p1(), line.p2(), width / 2);
            addCap(ends, line.p2(), line.p1(), width / 2);
        }
    }
    QPen pen(color, width, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
    pen.setMiterLimit(10);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(pen);
    painter.drawLines(strokes.data(), static_cast<int>(strokes.size()));
    if (!ends.isEmpty())
        painter.fillPath(ends, color);
    painter.restore();
}

} // namespace ui
