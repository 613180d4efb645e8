#include "look/AppLogo.h"
#include "look/Chip.h"
#include "look/CrayonArrow.h"
#include "look/CrayonToggle.h"
#include "look/Icons.h"
#include "look/Ink.h"

#include <QApplication>
#include <QIcon>
#include <QLabel>
#include <QPainter>
#include <QTest>

#include <gtest/gtest.h>

using namespace ui;

TEST(CrayonToggle, clickFlipsTheValueAndTheKnobSpringsToTheTrailingEnd) {
    CrayonToggle toggle(QStringLiteral("Open at login"));
    toggle.resize(toggle.sizeHint());
    toggle.show();
    const QRectF track = toggle.switchRect();
    EXPECT_EQ(track.size(), QSizeF(40, 23));
    EXPECT_NEAR(toggle.knobRect().left(), track.left() + 3.5, 1e-9);
    EXPECT_EQ(toggle.knobRect().size(), QSizeF(16, 16));

    QTest::mouseClick(&toggle, Qt::LeftButton, {}, QPoint(5, toggle.height() / 2));
    EXPECT_TRUE(toggle.isChecked());
    ASSERT_TRUE(QTest::qWaitFor([&] { return toggle.knobPosition() == 1.0; }, 1000));
    EXPECT_NEAR(toggle.knobRect().right(), track.right() - 3.5, 1e-9);

    toggle.hide();
    toggle.setChecked(false); // not shown: no animation
    EXPECT_EQ(toggle.knobPosition(), 0);
}

TEST(CrayonToggle, aLabelWidgetSitsBesideTheSwitchAndClicksOnItToggle) {
    CrayonToggle toggle(QString{});
    auto* label = new QLabel(QStringLiteral("Name new screenshots\nWatching Screenshots"));
    toggle.setLabelWidget(label);
    toggle.resize(toggle.sizeHint());
    toggle.show();
    EXPECT_GE(toggle.width(), label->sizeHint().width() + 40);
    EXPECT_LE(label->geometry().right(), toggle.switchRect().left());
    QTest::mouseClick(label, Qt::LeftButton, {}, QPoint(3, 3));
    EXPECT_TRUE(toggle.isChecked());
}

TEST(Chip, dotAddsItsWidthAndTheSpacing) {
    const Chip plain{QStringLiteral("45 named"), Ink::mint(), std::nullopt};
    const Chip dotted{QStringLiteral("45 named"), Ink::mint(), Ink::blue()};
    EXPECT_NEAR(dotted.size().width() - plain.size().width(), 6 + 5, 1e-9);
    EXPECT_GT(plain.size().height(), 2 * 3 + 6);
    const Chip empty{QString(), Ink::mint(), std::nullopt};
    EXPECT_EQ(empty.size().width(), 2 * 8);
}

TEST(CrayonArrow, isACurveAndASeparateOpenHead) {
    const QRectF r(10, 20, 200, 60);
    const QPainterPath arrow = CrayonArrow::path(r);
    ASSERT_EQ(arrow.elementCount(), 4 + 3); // move + cubic (3 elements), move + 2 lines
    EXPECT_EQ(QPointF(arrow.elementAt(0)), QPointF(14, 56));
    EXPECT_EQ(QPointF(arrow.elementAt(1)), QPointF(10 + 70, 16));
    EXPECT_EQ(QPointF(arrow.elementAt(3)), QPointF(204, 50));
    EXPECT_TRUE(arrow.elementAt(4).isMoveTo());
    EXPECT_EQ(QPointF(arrow.elementAt(6)), QPointF(187, 61));
}

TEST(Icons, tintsBundledIconsAndHasNoneForUnknownNames) {
    const QPixmap gear = Icons::pixmap(QStringLiteral("gear"), Ink::orange(), 16, 2);
    ASSERT_FALSE(gear.isNull());
    EXPECT_EQ(gear.size(), QSize(32, 32));
    EXPECT_EQ(gear.devicePixelRatio(), 2);
    const QImage image = gear.toImage();
    int opaque = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.alpha() == 255) {
                ++opaque;
                ASSERT_EQ(c.rgb(), Ink::orange().rgb());
            }
        }
    }
    EXPECT_GT(opaque, 50);
    for (const char* name : {"info-fill", "x-circle-fill", "arrow-u-up-left", "images-square"})
        EXPECT_TRUE(Icons::exists(QString::fromLatin1(name))) << name;
    EXPECT_TRUE(Icons::pixmap(QStringLiteral("no-such-icon"), Qt::black, 16, 1).isNull());
}

TEST(AppLogo, drawsTheMascotOrElseTheApplicationIcon) {
    ASSERT_TRUE(AppLogo::available());
    QImage image(64, 64, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        AppLogo::paint(painter, QRectF(0, 0, 64, 64));
    }
    EXPECT_EQ(image.pixelColor(32, 32), Ink::orange()); // the body between the eyes
    EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0);

    QPixmap red(32, 32);
    red.fill(Qt::red);
    QApplication::setWindowIcon(QIcon(red));
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        AppLogo::paintFrom(painter, QRectF(0, 0, 64, 64), QStringLiteral(":/missing/logo.svg"));
    }
    QApplication::setWindowIcon(QIcon());
    EXPECT_EQ(image.pixelColor(32, 32), QColor(Qt::red));
    EXPECT_EQ(image.pixelColor(1, 1), QColor(Qt::red));
}
