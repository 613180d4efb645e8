#pragma once

#include <QColor>
#include <QFont>
#include <QRectF>
#include <QString>

#include <optional>
#include <utility>

class QPainter;

namespace ui {

// Wrapped text with an optional marked range, cut to a number of lines with an ellipsis.
class TextDrawing {
public:
    // Returns the width of the widest line drawn.
    static qreal paint(QPainter& painter, const QRectF& rect, const QString& text,
                       const QFont& font, const QColor& color,
                       std::optional<std::pair<int, int>> marked, int maxLines);
};

} // namespace ui
