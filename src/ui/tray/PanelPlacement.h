#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>
#include <optional>

namespace ui {

// Where the panel's top-left corner goes on X11, where a window may choose its position.
class PanelPlacement {
public:
    // Gap between the panel and the tray icon or the pointer.
    static constexpr int gap = 6;

    // Beside the icon when its geometry is known (below it when the icon is in the upper half
    // of the screen, above it otherwise), else at the pointer; always inside `available`.
    static QPoint position(QSize panel, const std::optional<QRect>& icon, QPoint pointer,
                           const QRect& available);
    // The part of `available` on the side where `position` puts the panel, so a panel no
    // taller than it never covers the icon or the pointer.
    static QRect room(const std::optional<QRect>& icon, QPoint pointer, const QRect& available);
};

} // namespace ui
