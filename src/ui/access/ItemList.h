#pragma once

#include <QRect>
#include <QString>

namespace ui {

// A widget that paints its items itself (cards, sidebar entries, rows) and tells screen readers
// about them one by one. Indices are positions in what is shown now.
class ItemList {
public:
    virtual ~ItemList() = default;

    virtual int accessibleItemCount() const = 0;
    virtual QString accessibleItemName(int index) const = 0;
    virtual QString accessibleItemDescription(int index) const = 0;
    // In the widget's coordinates.
    virtual QRect accessibleItemRect(int index) const = 0;
    virtual bool accessibleItemSelected(int index) const = 0;
    // The item keyboard focus sits on, or -1.
    virtual int accessibleCurrentItem() const = 0;
    virtual void activateAccessibleItem(int index) = 0;
    // Opens the item's menu; false where items have none.
    virtual bool showAccessibleItemMenu(int) { return false; }
    // Whether the widget's child widgets stand for items already (rows made as they scroll in)
    // and stay out of the tree; otherwise they follow the items.
    virtual bool childWidgetsAreItems() const { return false; }
};

} // namespace ui
