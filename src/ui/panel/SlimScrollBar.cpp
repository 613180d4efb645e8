#include "panel/SlimScrollBar.h"

#include <QAbstractScrollArea>
#include <QScrollBar>

namespace ui {

void SlimScrollBar::apply(QAbstractScrollArea* area) {
    area->verticalScrollBar()->setStyleSheet(QStringLiteral(
        "QScrollBar:vertical { width: 6px; background: transparent; margin: 0; }"
        "QScrollBar::handle:vertical { background: rgba(18, 18, 20, 90); border-radius: 3px;"
        " min-height: 24px; }"
        "QScrollBar::add-line:vertical, QScrollBar::sub-line:vertical { height: 0; }"
        "QScrollBar::add-page:vertical, QScrollBar::sub-page:vertical { background: none; }"));
}

} // namespace ui
