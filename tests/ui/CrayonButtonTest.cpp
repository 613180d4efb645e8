#include "look/CrayonButton.h"
#include "look/Ink.h"
#include "look/PointerCursor.h"

#include <QEnterEvent>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>
#include <numbers>

using ui::CrayonButton;
using ui::Ink;
using ui::PointerCursor;
using Kind = CrayonButton::Kind;

namespace {

void hover(QWidget& widget) {
    QEnterEvent enter(QPointF(10, 10), QPointF(10, 10), widget.mapToGlobal(QPointF(10, 10)));
    QApplication::sendEvent(&widget, &enter);
}

} // namespace

TEST(CrayonButton, onlyPlainHasAShadowAndAPureInkOutline) {
    for (Kind kind : {Kind::orange, Kind::dark, Kind::plain, Kind::yellow}) {
        const CrayonButton button(QStringLiteral("Undo"), kind, false);
        const ui::CrayonBox box = button.box();
        EXPECT_EQ(box.shadow, kind == Kind::plain);
        EXPECT_EQ(box.fill, button.background());
        EXPECT_FALSE(box.scribble.has_value());
        EXPECT_FALSE(box.dashed);
        EXPECT_EQ(box.radius, 40);
        if (kind == Kind::plain) {
            EXPECT_EQ(box.line, Ink::ink());
            EXPECT_EQ(box.lineWidth, 2);
        } else {
            EXPECT_EQ(box.line, Ink::mix(button.background(), Ink::ink(), 0.25));
            EXPECT_EQ(box.lineWidth, 1.6);
        }
    }
    EXPECT_EQ(CrayonButton(QString(), Kind::yellow, true).box().seed, 3);
    EXPECT_EQ(CrayonButton(QString(), Kind::yellow, false).box().seed, 5);
    EXPECT_EQ(CrayonButton(QString(), Kind::dark, false).labelColor(), QColor(Qt::white));
    EXPECT_EQ(CrayonButton(QString(), Kind::yellow, false).labelColor(), Ink::ink());
}

TEST(CrayonButton, isAtLeastItsMinimumHeightAndGrowsForAnIcon) {
    CrayonButton small(QStringLiteral("Undo"), Kind::plain, true);
    CrayonButton large(QStringLiteral("Undo"), Kind::plain, false);
    const QMargins spill = CrayonButton::spillMargins();
    EXPECT_GE(small.sizeHint().height() - spill.top() - spill.bottom(), 28);
    EXPECT_GE(large.sizeHint().height() - spill.top() - spill.bottom(), 34);
    const int before = large.sizeHint().width();
    large.setIconName(QStringLiteral("gear"));
    EXPECT_GT(large.sizeHint().width(), before);
    large.setIconName(QStringLiteral("no-such-icon"));
    EXPECT_EQ(large.sizeHint().width(), before);
}

TEST(CrayonButton, hoveringLiftsAndTiltsAnEnabledButtonAndHidingDropsIt) {
    CrayonButton button(QStringLiteral("Name Again"), Kind::orange, false);
    button.show();
    ASSERT_TRUE(PointerCursor::isPointing(&button));
    hover(button);
    EXPECT_TRUE(button.isHovering());
    ASSERT_TRUE(QTest::qWaitFor([&] { return button.lift() == 1.0; }, 1000));
    const QPointF centre = button.contentRect().center();
    const QPointF moved = button.contentTransform().map(centre);
    EXPECT_NEAR(moved.x() - centre.x(), -1, 1e-9);
    EXPECT_NEAR(moved.y() - centre.y(), -1.5, 1e-9);
    // Tilted counter-clockwise by 0.8°: the right end rises.
    const QPointF right = button.contentTransform().map(centre + QPointF(50, 0));
    EXPECT_NEAR(right.y() - moved.y(), -50 * std::sin(0.8 * std::numbers::pi / 180), 1e-6);

    button.hide();
    EXPECT_FALSE(button.isHovering());
    EXPECT_EQ(button.lift(), 0);
}

TEST(CrayonButton, disabledNeitherLiftsNorPointsAndFades) {
    CrayonButton button(QStringLiteral("Undo"), Kind::plain, true);
    button.show();
    button.setEnabled(false);
    EXPECT_FALSE(PointerCursor::isPointing(&button));
    EXPECT_EQ(button.opacity(), 0.45);
    hover(button);
    QTest::qWait(200);
    EXPECT_EQ(button.lift(), 0);
    EXPECT_TRUE(button.contentTransform().isIdentity());

    button.setEnabled(true);
    EXPECT_TRUE(PointerCursor::isPointing(&button));
    EXPECT_EQ(button.opacity(), 1);
}

TEST(CrayonButton, pressShrinksAndOnlyTheContentTakesClicks) {
    CrayonButton button(QStringLiteral("Quit"), Kind::dark, false);
    button.resize(button.sizeHint());
    button.show();
    QSignalSpy clicked(&button, &QAbstractButton::clicked);
    QTest::mouseClick(&button, Qt::LeftButton, {}, QPoint(button.width() - 2, button.height() - 2));
    EXPECT_EQ(clicked.count(), 0);
    QTest::mouseClick(&button, Qt::LeftButton, {}, button.contentRect().center().toPoint());
    EXPECT_EQ(clicked.count(), 1);

    button.setDown(true);
    const QRectF content = button.contentRect();
    const QRectF pressed = button.contentTransform().mapRect(content);
    EXPECT_NEAR(pressed.width(), content.width() * 0.97, 1e-9);
    EXPECT_NEAR(pressed.center().x(), content.center().x(), 1e-9);
}
