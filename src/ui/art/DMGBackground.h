#pragma once

#include <QColor>
#include <QImage>
#include <QPointF>
#include <QSize>

class QPainter;

namespace ui {

// The picture behind the icons of the installer window: drag the program onto Applications.
// Every seed is fixed, so it renders the same every time.
class DMGBackground {
public:
    static constexpr QSize size{640, 420};

    // Paints the whole canvas at the painter's origin, in points.
    static void paint(QPainter& painter);
    // The canvas at `scale` pixels per point (640 × 420 at 1, 1280 × 840 at 2).
    static QImage render(qreal scale);

    static constexpr QPointF appSpot{170, 215};
    static constexpr QPointF applicationsSpot{470, 215};

private:
    static void spot(QPainter& painter, QPointF centre, const QColor& tint, double seed);
};

} // namespace ui
