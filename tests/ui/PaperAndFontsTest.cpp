#include "look/Fonts.h"
#include "look/HandFont.h"
#include "look/Paper.h"

#include <QDir>
#include <QPainter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using ui::Fonts;
using ui::HandFont;
using ui::Paper;

TEST(Paper, grainStartsFromItsSeedAndIsTheSameEveryTime) {
    Paper::Random random;
    EXPECT_NEAR(random.next(), 0.9357478352895695, 1e-15); // the first dot's alpha source
    EXPECT_NEAR(random.next() * 256, 212.58094213371209, 1e-9);
    EXPECT_NEAR(random.next() * 256, 108.77258544264947, 1e-9);

    const QImage grain = Paper::grain();
    EXPECT_EQ(grain.size(), QSize(256, 256));
    EXPECT_EQ(grain, Paper::drawGrain());
    // The first dot (alpha ≈ 0.106) lands on the four pixels around (212.58, 108.77).
    int alpha = 0;
    for (int y = 108; y <= 109; ++y)
        for (int x = 212; x <= 213; ++x)
            alpha += qAlpha(grain.pixel(x, y));
    EXPECT_NEAR(alpha, 0.106 * 255, 4);
}

TEST(Paper, fillIsPaperWithAFaintDarkerGrain) {
    QImage image(300, 300, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        Paper::fill(painter, QRectF(image.rect()));
    }
    int darker = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            ASSERT_EQ(c.alpha(), 255);
            ASSERT_GE(c.red(), 225) << x << "," << y;
            darker += c.red() < 255 ? 1 : 0;
        }
    }
    // About 1638 dots per 256 × 256 tile, each spread over a few pixels.
    EXPECT_GT(darker, 1638);
    EXPECT_LT(darker, 4 * 1638 * 2);
}

TEST(Paper, neighbouringFillsShareOneGrainAnchoredAtTheOrigin) {
    const QRect piece(270, 100, 30, 200); // crosses a tile edge at 256
    for (qreal dpr : {1.0, 2.0}) {
        QImage whole(QSize(300, 300) * dpr, QImage::Format_ARGB32_Premultiplied);
        QImage part(whole.size(), QImage::Format_ARGB32_Premultiplied);
        whole.setDevicePixelRatio(dpr);
        part.setDevicePixelRatio(dpr);
        for (int pass = 0; pass < 2; ++pass) { // the second comes from the cache
            part.fill(Qt::transparent);
            QPainter a(&whole);
            Paper::fill(a, QRectF(0, 0, 300, 300));
            QPainter b(&part);
            Paper::fill(b, QRectF(piece));
            a.end();
            b.end();
            const QRect pixels(piece.topLeft() * dpr, piece.size() * dpr);
            ASSERT_EQ(whole.copy(pixels), part.copy(pixels)) << dpr << " pass " << pass;
        }
    }
}

TEST(Fonts, handUsesGaeguWhenBundled) {
    const QFont font = Fonts::hand(20);
    ASSERT_TRUE(Fonts::handAvailable());
    EXPECT_EQ(QFontInfo(font).family(), QStringLiteral("Gaegu"));
    EXPECT_EQ(font.weight(), QFont::Bold);
    EXPECT_NEAR(Fonts::pixelSize(font), 20, 1e-9);
    EXPECT_EQ(font.letterSpacingType(), QFont::AbsoluteSpacing);
    EXPECT_NEAR(font.letterSpacing(), -0.6, 1.0 / 64); // Qt keeps 1/64 px
}

TEST(Fonts, handWithoutTheFontFileFallsBackToTheBoldRoundedFontAtEightySixPercent) {
    QTemporaryDir empty;
    const HandFont missing(QDir(empty.path()).filePath(QStringLiteral("Gaegu-Bold.ttf")),
                           QStringLiteral("Quillmark Missing Hand"));
    EXPECT_FALSE(missing.registered());
    const QFont font = missing.font(20);
    EXPECT_NEAR(Fonts::pixelSize(font), 17.2, 1e-9);
    EXPECT_EQ(font.weight(), QFont::Bold);
    EXPECT_EQ(QFontInfo(font).family(), QStringLiteral("Nunito"));
    EXPECT_NEAR(font.letterSpacing(), -0.6, 1.0 / 64); // Qt keeps 1/64 px
}

TEST(Fonts, roundedAndEyebrowStyles) {
    const QFont semibold = Fonts::rounded(13, QFont::DemiBold);
    EXPECT_EQ(QFontInfo(semibold).family(), QStringLiteral("Nunito"));
    EXPECT_EQ(QFontInfo(semibold).weight(), QFont::DemiBold);
    // Fractional sizes survive.
    EXPECT_NEAR(Fonts::pixelSize(Fonts::rounded(10.5)), 10.5, 1e-9);

    EXPECT_EQ(Fonts::eyebrowText(QStringLiteral("Library")), QStringLiteral("LIBRARY"));
    const QFont eyebrow = Fonts::eyebrow();
    EXPECT_EQ(eyebrow.weight(), QFont::Bold);
    EXPECT_NEAR(eyebrow.letterSpacing(), 1.3, 1.0 / 64);
    EXPECT_NEAR(Fonts::pixelSize(eyebrow), 10.5, 1e-9);
}
