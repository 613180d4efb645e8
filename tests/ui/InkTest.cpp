#include "look/Ink.h"

#include <gtest/gtest.h>

using ui::Ink;

TEST(Ink, mixBlendsEachComponentAndIsOpaque) {
    const QColor half = Ink::mix(Ink::orange(), Ink::ink(), 0.25);
    EXPECT_EQ(half.red(), qRound(255 + 0.25 * (18 - 255)));
    EXPECT_EQ(half.green(), qRound(90 + 0.25 * (18 - 90)));
    EXPECT_EQ(half.blue(), qRound(20 + 0.25 * (20 - 20)));
    EXPECT_EQ(half.alpha(), 255);

    const QColor translucent = QColor(255, 255, 255, 10);
    EXPECT_EQ(Ink::mix(translucent, Ink::ink(), 0).alpha(), 255);
    EXPECT_EQ(Ink::mix(Ink::paper(), Ink::ink(), 1), Ink::ink());
}
