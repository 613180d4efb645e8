#include "look/WobblyRect.h"
#include "look/Scribble.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <cmath>

using ui::Scribble;
using ui::WobblyRect;

namespace {

// Signed distance from p to the rounded rectangle's outline (negative inside).
double outlineDistance(const QRectF& rect, double r, QPointF p) {
    const QPointF centre = rect.center();
    const double qx = std::abs(p.x() - centre.x()) - (rect.width() / 2 - r);
    const double qy = std::abs(p.y() - centre.y()) - (rect.height() / 2 - r);
    const double outside = std::hypot(std::max(qx, 0.0), std::max(qy, 0.0));
    return outside + std::min(std::max(qx, qy), 0.0) - r;
}

bool allFinite(const std::vector<QPointF>& points) {
    return std::all_of(points.begin(), points.end(),
                       [](QPointF p) { return std::isfinite(p.x()) && std::isfinite(p.y()); });
}

} // namespace

TEST(WobblyRect, takesOneSamplePerEightPointsButAtLeastSixtyFour) {
    // Perimeter 2π·10 + 220 ≈ 282.8: below the floor.
    EXPECT_EQ(WobblyRect::samples({0, 0, 100, 50}, 10, 1.1, 1).size(), 65U);
    // Perimeter 2π·12 + 1304 ≈ 1379.4: 172 segments.
    EXPECT_EQ(WobblyRect::samples({0, 0, 400, 300}, 12, 1.1, 1).size(), 173U);

    // A zero-height rectangle still gives 64 segments and a closed outline.
    const QPainterPath flat = WobblyRect::path({10, 20, 100, 0}, 12, 1.1, 4);
    EXPECT_EQ(WobblyRect::samples({10, 20, 100, 0}, 12, 1.1, 4).size(), 65U);
    ASSERT_GT(flat.elementCount(), 64);
    const QPainterPath::Element first = flat.elementAt(0);
    const QPainterPath::Element last = flat.elementAt(flat.elementCount() - 1);
    EXPECT_DOUBLE_EQ(first.x, last.x);
    EXPECT_DOUBLE_EQ(first.y, last.y);
}

TEST(WobblyRect, withoutWobbleEverySampleLiesOnTheRoundedRectangle) {
    const QRectF rect(5, 7, 180, 64);
    for (double seed : {0.0, 3.0, 5.0}) {
        const auto points = WobblyRect::samples(rect, 14, 0, seed);
        for (QPointF p : points)
            ASSERT_NEAR(outlineDistance(rect, 14, p), 0, 1e-9) << p.x() << "," << p.y();
    }
    // Clockwise from the top edge's left end, back to it.
    const auto points = WobblyRect::samples(rect, 14, 0, 1);
    EXPECT_NEAR(points.front().x(), 5 + 14, 1e-9);
    EXPECT_NEAR(points.front().y(), 7, 1e-9);
    EXPECT_GT(points[1].x(), points[0].x());
    EXPECT_NEAR(points.back().x(), points.front().x(), 1e-9);
}

TEST(WobblyRect, clampsTheRadiusToHalfTheShorterSide) {
    const QRectF narrow(0, 0, 20, 100);
    const auto points = WobblyRect::samples(narrow, 40, 0, 1);
    for (QPointF p : points)
        ASSERT_NEAR(outlineDistance(narrow, 10, p), 0, 1e-9);
    EXPECT_NEAR(points.front().x(), 10, 1e-9);
}

TEST(WobblyRect, wobblesWithinItsAmplitudeTheSameWayForOneSeed) {
    const QRectF rect(0, 0, 240, 90);
    const auto points = WobblyRect::samples(rect, 12, 1.1, 3);
    double largest = 0;
    for (QPointF p : points)
        largest = std::max(largest, std::abs(outlineDistance(rect, 12, p)));
    EXPECT_LE(largest, 1.1 + 1e-9);
    EXPECT_GT(largest, 0.5);

    EXPECT_EQ(WobblyRect::path(rect, 12, 1.1, 3), WobblyRect::path(rect, 12, 1.1, 3));
    EXPECT_NE(WobblyRect::path(rect, 12, 1.1, 3), WobblyRect::path(rect, 12, 1.1, 5));
}

TEST(WobblyRect, degenerateRectanglesGiveFinitePoints) {
    // 0 × 0: every sample falls back to the top edge's start.
    const auto dot = WobblyRect::samples({3, 4, 0, 0}, 12, 1.1, 2);
    EXPECT_EQ(dot.size(), 65U);
    EXPECT_TRUE(allFinite(dot));
    // Square corners: a sample 0.0005 past the top edge falls into a corner of radius 0.
    EXPECT_TRUE(allFinite(WobblyRect::samples({0, 0, 99.9995, 28.0005}, 0, 1.1, 2)));
    // Sizes no view has are bounded instead of stalling; non-finite ones draw nothing.
    EXPECT_EQ(WobblyRect::samples({0, 0, 1e9, 1e9}, 12, 1.1, 2).size(),
              std::size_t(WobblyRect::maxSamples) + 1);
    EXPECT_TRUE(WobblyRect::path({0, 0, qInf(), 10}, 12, 1.1, 2).isEmpty());
}

TEST(Scribble, startsOneCanvasHeightLeftAndStopsPastTheRightEdge) {
    const auto lines = Scribble::lines({100, 50}, 7);
    ASSERT_EQ(lines.size(), 29U); // x₀ = −50, −43, … 146
    EXPECT_EQ(lines.front(), QLineF(-50, 52, -50 + 34, -2));
    const double j = std::sin(1.7) * 1.2;
    EXPECT_NEAR(lines[1].x1(), -43 + j, 1e-9);
    EXPECT_NEAR(lines[1].x2(), -43 + 34 - j, 1e-9);
    EXPECT_NEAR(lines.back().x1(), 146 + std::sin(28 * 1.7) * 1.2, 1e-9);

    EXPECT_TRUE(Scribble::lines({0, 0}, 7).empty());
    EXPECT_TRUE(Scribble::lines({100, 50}, 0).empty());
    EXPECT_TRUE(Scribble::lines({100, 50}, -3).empty());
}

TEST(Scribble, coversAboutHalfTheCanvasWithStrokesOfFiftyFivePercentSpacing) {
    QImage image(100, 50, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        Scribble::paint(painter, QRectF(image.rect()), Qt::black, 7);
    }
    double coverage = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            coverage += qAlpha(image.pixel(x, y)) / 255.0;
    coverage /= image.width() * image.height();
    // Strokes 3.85 wide every 7 points, slanted: perpendicular spacing 7·cos(atan(0.68·50/54)).
    EXPECT_NEAR(coverage, 3.85 / (7 * std::cos(std::atan(0.68 * 50 / 54))), 0.05);
}
