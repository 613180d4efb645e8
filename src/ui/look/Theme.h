#pragma once

#include <QPalette>

class QApplication;

namespace ui {

// The light look whatever the desktop's theme: Fusion style with a palette made of Ink colours.
class Theme {
public:
    static QPalette palette();
    // Sets the style and palette and registers the bundled fonts.
    static void apply(QApplication& application);
};

} // namespace ui
