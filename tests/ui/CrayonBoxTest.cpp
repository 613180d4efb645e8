#include "look/CrayonBox.h"
#include "look/Ink.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

using ui::CrayonBox;
using ui::Ink;

namespace {

CrayonBox card(bool shadow = false) {
    return {Qt::white, std::nullopt, Ink::blue(), 1, 12, shadow, false, 7};
}

QImage render(const CrayonBox& box, QSize size, qreal dpr, const QRectF& content, bool cached) {
    QImage image(size * dpr, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(dpr);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    if (cached)
        box.paint(painter, content);
    else
        box.paintDirect(painter, content);
    return image;
}

int largestDifference(const QImage& a, const QImage& b) {
    int largest = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            for (int shift : {0, 8, 16, 24})
                largest = std::max(largest, std::abs(int((a.pixel(x, y) >> shift) & 0xFF) -
                                                     int((b.pixel(x, y) >> shift) & 0xFF)));
    return largest;
}

} // namespace

TEST(CrayonBox, outlineIsARoundCrayonLineDashedSevenOnFiveOff) {
    CrayonBox box = card();
    box.lineWidth = 2.5;
    EXPECT_EQ(box.outlinePen().style(), Qt::SolidLine);
    EXPECT_EQ(box.outlinePen().capStyle(), Qt::RoundCap);
    EXPECT_EQ(box.outlinePen().joinStyle(), Qt::RoundJoin);
    box.dashed = true;
    const QPen dashed = box.outlinePen();
    // Qt counts dashes in pen widths.
    ASSERT_EQ(dashed.dashPattern().size(), 2);
    EXPECT_NEAR(dashed.dashPattern()[0] * dashed.widthF(), 7, 1e-9);
    EXPECT_NEAR(dashed.dashPattern()[1] * dashed.widthF(), 5, 1e-9);
}

TEST(CrayonBox, cachedLayerLandsWhereTheDirectDrawingDoes) {
    CrayonBox box{Ink::peach(), Ink::orange(), Ink::ink(), 2, 14, true, false, 11};
    for (qreal dpr : {1.0, 2.0}) {
        const QRectF content(20, 16, 150, 60);
        const QImage cached = render(box, {200, 100}, dpr, content, true);
        const QImage direct = render(box, {200, 100}, dpr, content, false);
        // Edge pixels may differ slightly: the layer keeps the hatching in by compositing.
        EXPECT_LE(largestDifference(cached, direct), 8) << dpr;
    }
}

TEST(CrayonBox, layersAreSharedPerSizeParametersAndPixelRatio) {
    const CrayonBox box = card();
    const QPixmap layer = box.layer({100, 40}, 2);
    EXPECT_EQ(layer.size(), QSize(232, 112)); // padded by 8 on each side
    EXPECT_EQ(layer.cacheKey(), box.layer({100, 40}, 2).cacheKey());
    EXPECT_NE(layer.cacheKey(), box.layer({100, 40}, 1).cacheKey());
    EXPECT_NE(layer.cacheKey(), box.layer({100, 41}, 2).cacheKey());
    CrayonBox other = box;
    other.seed = 8;
    EXPECT_NE(layer.cacheKey(), other.layer({100, 40}, 2).cacheKey());
    other = box;
    other.scribble = Ink::sky();
    EXPECT_NE(layer.cacheKey(), other.layer({100, 40}, 2).cacheKey());
}

TEST(CrayonBox, shadowIsInkOffsetDownwardsOnlyWhenAsked) {
    // Four pixels per point so a pixel fits between the outline and the shadow's edge.
    const QRectF content(8, 8, 100, 40);
    const QPoint below(4 * 58, 4 * (48 + 2.25));
    const QPoint above(4 * 58, 4 * (8 - 2.5));
    const QImage with = render(card(true), {130, 70}, 4, content, true);
    EXPECT_EQ(with.pixelColor(below), Ink::ink());
    EXPECT_EQ(qAlpha(with.pixel(above)), 0);
    const QImage without = render(card(false), {130, 70}, 4, content, true);
    EXPECT_EQ(qAlpha(without.pixel(below)), 0);
    // Inside is the fill either way.
    EXPECT_EQ(with.pixelColor(4 * 58, 4 * 28), QColor(Qt::white));
}
