#pragma once

#include <QPainterPath>
#include <QPointF>
#include <QRectF>

#include <vector>

namespace ui {

// A rounded rectangle whose outline wobbles slightly, the same way every time for one seed.
class WobblyRect {
public:
    static QPainterPath path(const QRectF& rect, qreal radius, qreal wobble, double seed);
    // The outline's samples: the first and the last lie at the same distance along it.
    static std::vector<QPointF> samples(const QRectF& rect, qreal radius, qreal wobble,
                                        double seed);
    // Beyond this many samples a rectangle is too large to be a view.
    static constexpr int maxSamples = 1 << 16;
};

} // namespace ui
