#include "tray/PanelPlacement.h"

#include <algorithm>

namespace ui {

namespace {

int clampedStart(int wanted, int length, int areaStart, int areaLength) {
    // A panel larger than the area keeps its top or left edge visible.
    const int last = std::max(areaStart, areaStart + areaLength - length);
    return std::clamp(wanted, areaStart, last);
}

} // namespace

QPoint PanelPlacement::position(QSize panel, const std::optional<QRect>& icon, QPoint pointer,
                                const QRect& available) {
    QPoint wanted;
    if (icon && icon->isValid()) {
        const bool iconInUpperHalf = icon->center().y() < available.center().y();
        wanted.setX(icon->center().x() - panel.width() / 2);
        wanted.setY(iconInUpperHalf ? icon->bottom() + 1 + gap
                                    : icon->top() - gap - panel.height());
    } else {
        const bool pointerInUpperHalf = pointer.y() < available.center().y();
        wanted.setX(pointer.x() - panel.width() / 2);
        wanted.setY(pointerInUpperHalf ? pointer.y() + gap : pointer.y() - gap - panel.height());
    }
    return {clampedStart(wanted.x(), panel.width(), available.x(), available.width()),
            clampedStart(wanted.y(), panel.height(), available.y(), available.height())};
}

QRect PanelPlacement::room(const std::optional<QRect>& icon, QPoint pointer,
                           const QRect& available) {
    const bool hasIcon = icon && icon->isValid();
    const int anchorY = hasIcon ? icon->center().y() : pointer.y();
    QRect side = available;
    if (anchorY < available.center().y()) {
        side.setTop(std::max(available.top(), (hasIcon ? icon->bottom() + 1 : pointer.y()) + gap));
    } else {
        side.setBottom(
            std::min(available.bottom(), (hasIcon ? icon->top() : pointer.y()) - gap - 1));
    }
    // An icon reported far off the area leaves no sensible side; the whole area then.
    return side.height() < available.height() / 3 ? available : side;
}

} // namespace ui
