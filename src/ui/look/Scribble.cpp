#include "look/Scribble.h"

#include <QPainter>
#include <QPen>

#include <cmath>

namespace ui {

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
    std::vector<QLineF> strokes = lines(rect.size(), spacing);
    if (strokes.empty())
        return;
    for (QLineF& line : strokes)
        line.translate(rect.topLeft());
    QPen pen(color, spacing * 0.55, Qt::SolidLine, Qt::RoundCap, Qt::MiterJoin);
    pen.setMiterLimit(10);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(pen);
    painter.drawLines(strokes.data(), static_cast<int>(strokes.size()));
    painter.restore();
}

} // namespace ui
