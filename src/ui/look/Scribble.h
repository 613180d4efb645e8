#pragma once

#include <QColor>
#include <QLineF>
#include <QRectF>
#include <QSizeF>

#include <vector>

class QPainter;

namespace ui {

// Diagonal crayon hatching that fills a rectangle (its strokes run past the edges).
class Scribble {
public:
    static void paint(QPainter& painter, const QRectF& rect, const QColor& color, qreal spacing);
    // The strokes end 2 points beyond the top and bottom edges. Callers that clip to within
    // about a point of the rectangle never see the round ends and may skip them (they are slow).
    enum class Caps { round, hidden };
    static void paint(QPainter& painter, const QRectF& rect, const QColor& color, qreal spacing,
                      Caps caps);
    // The strokes for a canvas of `size` with its origin at (0, 0).
    static std::vector<QLineF> lines(const QSizeF& size, qreal spacing);
};

} // namespace ui
