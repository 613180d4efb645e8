#include "look/CrayonArrow.h"

namespace ui {

QPainterPath CrayonArrow::path(const QRectF& rect) {
    const qreal midY = rect.center().y();
    QPainterPath path;
    path.moveTo(rect.left() + 4, midY + 6);
    path.cubicTo(rect.left() + 0.35 * rect.width(), rect.top() - 4,
                 rect.left() + 0.65 * rect.width(), rect.bottom() + 6, rect.right() - 6, midY);
    // The head is its own open stroke.
    path.moveTo(rect.right() - 22, midY - 13);
    path.lineTo(rect.right() - 6, midY);
    path.lineTo(rect.right() - 23, midY + 11);
    return path;
}

} // namespace ui
