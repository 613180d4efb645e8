#include "access/ItemListAccessible.h"

#include "access/ItemList.h"

#include <QWidget>

namespace ui {

ItemListAccessible::ItemListAccessible(QWidget* widget, ItemList* list, QAccessible::Role role,
                                       QAccessible::Role itemRole)
    : QAccessibleWidget(widget, role), list_(list), itemRole_(itemRole) {}

ItemListAccessible::~ItemListAccessible() {
    for (const QAccessible::Id id : std::as_const(items_)) {
        QAccessible::deleteAccessibleInterface(id);
    }
}

int ItemListAccessible::widgetCount() const {
    return list_->childWidgetsAreItems() ? 0 : QAccessibleWidget::childCount();
}

int ItemListAccessible::childCount() const {
    return list_->accessibleItemCount() + widgetCount();
}

QAccessibleInterface* ItemListAccessible::child(int index) const {
    const int items = list_->accessibleItemCount();
    if (index >= items && index < items + widgetCount()) {
        return QAccessibleWidget::child(index - items);
    }
    if (index < 0 || index >= items) {
        return nullptr;
    }
    if (const auto found = items_.constFind(index); found != items_.constEnd()) {
        return QAccessible::accessibleInterface(*found);
    }
    auto* item = new ItemAccessible(this, index);
    items_.insert(index, QAccessible::registerAccessibleInterface(item));
    return item;
}

int ItemListAccessible::indexOfChild(const QAccessibleInterface* child) const {
    if (const auto* item = dynamic_cast<const ItemAccessible*>(child)) {
        return item->parent() == this && item->isValid() ? item->index() : -1;
    }
    const int widgetIndex = widgetCount() > 0 ? QAccessibleWidget::indexOfChild(child) : -1;
    return widgetIndex < 0 ? -1 : list_->accessibleItemCount() + widgetIndex;
}

QAccessibleInterface* ItemListAccessible::childAt(int x, int y) const {
    const QPoint local = widget()->mapFromGlobal(QPoint(x, y));
    // Only the items have rectangles of their own; the child widgets after them are found by Qt.
    const int items = list_->accessibleItemCount();
    for (int i = 0; i < items; ++i) {
        if (list_->accessibleItemRect(i).contains(local)) {
            return child(i);
        }
    }
    return widgetCount() > 0 ? QAccessibleWidget::childAt(x, y) : nullptr;
}

QAccessibleInterface* ItemListAccessible::focusChild() const {
    const int current = list_->accessibleCurrentItem();
    if (widget()->hasFocus() && current >= 0) {
        return child(current);
    }
    return widgetCount() > 0 ? QAccessibleWidget::focusChild() : nullptr;
}

bool ItemAccessible::isValid() const {
    return owner_->isValid() && index_ < list()->accessibleItemCount();
}

QWindow* ItemAccessible::window() const {
    return owner_->window();
}

QAccessibleInterface* ItemAccessible::parent() const {
    return const_cast<ItemListAccessible*>(owner_);
}

QString ItemAccessible::text(QAccessible::Text t) const {
    if (!isValid()) {
        return {};
    }
    switch (t) {
    case QAccessible::Name:
        return list()->accessibleItemName(index_);
    case QAccessible::Description:
        return list()->accessibleItemDescription(index_);
    default:
        return {};
    }
}

QRect ItemAccessible::rect() const {
    if (!isValid()) {
        return {};
    }
    const QRect local = list()->accessibleItemRect(index_);
    return QRect(owner_->listWidget()->mapToGlobal(local.topLeft()), local.size());
}

QAccessible::State ItemAccessible::state() const {
    QAccessible::State state;
    if (!isValid()) {
        state.invalid = true;
        return state;
    }
    const QWidget* widget = owner_->listWidget();
    state.selectable = true;
    state.selected = list()->accessibleItemSelected(index_);
    state.focusable = widget->focusPolicy() != Qt::NoFocus;
    state.focused = widget->hasFocus() && list()->accessibleCurrentItem() == index_;
    const QRect shown = list()->accessibleItemRect(index_);
    state.invisible = !widget->isVisible();
    state.offscreen = !widget->rect().intersects(shown);
    return state;
}

void* ItemAccessible::interface_cast(QAccessible::InterfaceType type) {
    return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this)
                                                : nullptr;
}

QStringList ItemAccessible::actionNames() const {
    return {pressAction(), showMenuAction()};
}

void ItemAccessible::doAction(const QString& actionName) {
    if (!isValid()) {
        return;
    }
    if (actionName == pressAction()) {
        list()->activateAccessibleItem(index_);
    } else if (actionName == showMenuAction()) {
        list()->showAccessibleItemMenu(index_);
    }
}

} // namespace ui
