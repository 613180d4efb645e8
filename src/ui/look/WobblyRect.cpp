#include "look/WobblyRect.h"

#include <cmath>
#include <numbers>

namespace ui {

namespace {

struct Sample {
    QPointF point;
    QPointF normal;
};

QPointF arcPoint(QPointF centre, double r, double angle) {
    return centre + QPointF(r * std::cos(angle), r * std::sin(angle));
}

// The point and outward normal at distance s along the rounded rectangle's outline, walking
// clockwise from the top-left end of the top edge.
Sample pointAt(const QRectF& rect, double r, double s) {
    const double w = rect.width() - 2 * r;
    const double h = rect.height() - 2 * r;
    const double q = std::numbers::pi * r * 0.5;
    const double minX = rect.left(), minY = rect.top(), maxX = rect.right(), maxY = rect.bottom();
    const double lengths[8] = {w, q, h, q, w, q, h, q};
    for (int segment = 0; segment < 8; ++segment) {
        const double length = lengths[segment];
        // Quarter arcs get a little slack against rounding in the distance sum.
        if (s <= length || (length == q && s <= length + 0.001)) {
            const double t = s;
            // A corner of radius 0 is a single point; t / r would be 0/0 there.
            const double turn = r > 0 ? t / r : 0;
            double a = 0;
            switch (segment) {
            case 0:
                return {{minX + r + t, minY}, {0, -1}};
            case 1:
                a = turn - std::numbers::pi / 2;
                return {arcPoint({maxX - r, minY + r}, r, a), {std::cos(a), std::sin(a)}};
            case 2:
                return {{maxX, minY + r + t}, {1, 0}};
            case 3:
                a = turn;
                return {arcPoint({maxX - r, maxY - r}, r, a), {std::cos(a), std::sin(a)}};
            case 4:
                return {{maxX - r - t, maxY}, {0, 1}};
            case 5:
                a = turn + std::numbers::pi / 2;
                return {arcPoint({minX + r, maxY - r}, r, a), {std::cos(a), std::sin(a)}};
            case 6:
                return {{minX, maxY - r - t}, {-1, 0}};
            default:
                a = turn + std::numbers::pi;
                return {arcPoint({minX + r, minY + r}, r, a), {std::cos(a), std::sin(a)}};
            }
        }
        s -= length;
    }
    return {{minX + r, minY}, {0, -1}};
}

} // namespace

std::vector<QPointF> WobblyRect::samples(const QRectF& rect, qreal radius, qreal wobble,
                                         double seed) {
    const double r =
        std::min({static_cast<double>(radius), rect.width() * 0.5, rect.height() * 0.5});
    const double w = rect.width() - 2 * r;
    const double h = rect.height() - 2 * r;
    const double q = std::numbers::pi * r * 0.5;
    const double perimeter = 4 * q + 2 * (w + h);
    if (!std::isfinite(perimeter) || perimeter < 0 || !std::isfinite(seed) ||
        !std::isfinite(wobble))
        return {};
    // One sample per 8 points of outline, at least 64; capped so a runaway size cannot stall.
    const double byLength = std::trunc(perimeter * 0.125);
    const int n = byLength <= 64 ? 64 : static_cast<int>(std::min<double>(byLength, maxSamples));

    const double phase = seed * 7.31;
    std::vector<QPointF> points;
    points.reserve(n + 1);
    for (int i = 0; i <= n; ++i) {
        const double d = perimeter * i / n;
        const Sample sample = pointAt(rect, r, std::fmod(d, perimeter));
        // The wobble follows the unwrapped distance, so the last sample need not meet the first.
        const double theta = phase + d / 22;
        const double o = wobble * (std::sin(theta) * 0.6 + std::sin(seed + theta * 2.7) * 0.4);
        points.push_back(sample.point + o * sample.normal);
    }
    return points;
}

QPainterPath WobblyRect::path(const QRectF& rect, qreal radius, qreal wobble, double seed) {
    const std::vector<QPointF> points = samples(rect, radius, wobble, seed);
    QPainterPath path;
    if (points.empty())
        return path;
    path.moveTo(points.front());
    for (std::size_t i = 1; i < points.size(); ++i)
        path.lineTo(points[i]);
    path.closeSubpath();
    return path;
}

} // namespace ui
