#pragma once

class QScrollArea;

namespace ui {

// Keeps the control with keyboard focus in sight in a scroll view that takes no focus itself.
// Qt scrolls only when Tab moves within the view; focus also comes in from outside it (Tab
// wrapping round from the footer, Backtab), and in nested views the outer one must scroll after
// the inner one.
struct FollowFocus {
    static void apply(QScrollArea* area);
};

} // namespace ui
