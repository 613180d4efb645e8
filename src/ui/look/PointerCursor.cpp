#include "look/PointerCursor.h"

#include <QEvent>
#include <QWidget>

namespace ui {

// A widget cursor rather than an application override cursor: Qt shows it only while the pointer
// is over the widget, so hiding or deleting a hovered widget cannot leave a stray cursor behind.
PointerCursor::PointerCursor(QWidget* widget) : QObject(widget) {
    widget->installEventFilter(this);
    update(widget);
}

void PointerCursor::attach(QWidget* widget) {
    if (widget->findChild<PointerCursor*>(QString(), Qt::FindDirectChildrenOnly) == nullptr)
        new PointerCursor(widget);
}

bool PointerCursor::isPointing(const QWidget* widget) {
    return widget->testAttribute(Qt::WA_SetCursor) &&
           widget->cursor().shape() == Qt::PointingHandCursor;
}

void PointerCursor::update(QWidget* widget) {
    if (widget->isEnabled())
        widget->setCursor(Qt::PointingHandCursor);
    else
        widget->unsetCursor();
}

bool PointerCursor::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::EnabledChange)
        update(static_cast<QWidget*>(watched));
    return QObject::eventFilter(watched, event);
}

} // namespace ui
