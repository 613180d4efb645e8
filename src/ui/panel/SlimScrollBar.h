#pragma once

class QAbstractScrollArea;

namespace ui {

// A slim ink indicator in place of the desktop's full vertical scroll bar.
struct SlimScrollBar {
    static void apply(QAbstractScrollArea* area);
};

} // namespace ui
