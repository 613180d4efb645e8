#pragma once

#include <QPalette>

class QApplication;

namespace ui {

// The program always looks the same: Fusion with the light paper palette, whatever the
// desktop's theme or dark mode.
class LightAppearance {
public:
    static QPalette palette();
    static void apply(QApplication& application);
};

} // namespace ui
