#include "art/DMGBackground.h"
#include "look/Ink.h"

#include <gtest/gtest.h>

using ui::DMGBackground;

namespace {

// Mean colour of a small square around a point given in points.
QColor sample(const QImage& image, QPointF point, qreal scale) {
    const QPoint centre = (point * scale).toPoint();
    long r = 0, g = 0, b = 0, n = 0;
    for (int y = centre.y() - 3; y <= centre.y() + 3; ++y) {
        for (int x = centre.x() - 3; x <= centre.x() + 3; ++x) {
            const QColor c = image.pixelColor(x, y);
            r += c.red();
            g += c.green();
            b += c.blue();
            ++n;
        }
    }
    return QColor(static_cast<int>(r / n), static_cast<int>(g / n), static_cast<int>(b / n));
}

TEST(DMGBackground, rendersAtBothScalesTheSameEveryTime) {
    const QImage one = DMGBackground::render(1);
    const QImage two = DMGBackground::render(2);
    EXPECT_EQ(one.size(), QSize(640, 420));
    EXPECT_EQ(two.size(), QSize(1280, 840));
    EXPECT_EQ(one, DMGBackground::render(1));

    // The same picture at two pixel sizes: the spots carry their tints at both scales.
    for (qreal scale : {1.0, 2.0}) {
        const QImage& image = scale == 1 ? one : two;
        const QColor peach = sample(image, DMGBackground::appSpot + QPointF(0, 40), scale);
        const QColor sky = sample(image, DMGBackground::applicationsSpot + QPointF(0, 40), scale);
        EXPECT_GT(peach.red(), peach.blue()) << scale;
        EXPECT_GT(sky.blue(), sky.red()) << scale;
    }
    const QImage halved = two.scaled(640, 420, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    for (QPointF p : {QPointF(40, 300), QPointF(320, 209), DMGBackground::appSpot}) {
        const QColor a = sample(one, p, 1);
        const QColor b = sample(halved, p, 1);
        EXPECT_NEAR(a.red(), b.red(), 30) << p.x() << "," << p.y();
        EXPECT_NEAR(a.blue(), b.blue(), 30) << p.x() << "," << p.y();
    }
}

} // namespace
