#pragma once

#include <QPainterPath>
#include <QRectF>

namespace ui {

// A hand-drawn curved arrow pointing right: the curve and a separate open arrowhead.
class CrayonArrow {
public:
    static QPainterPath path(const QRectF& rect);
};

} // namespace ui
