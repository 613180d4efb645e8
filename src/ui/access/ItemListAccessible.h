#pragma once

#include <QAccessibleWidget>
#include <QHash>

namespace ui {

class ItemList;

// A painted list as screen readers see it: a list whose children are its items.
class ItemListAccessible : public QAccessibleWidget {
public:
    ItemListAccessible(QWidget* widget, ItemList* list, QAccessible::Role role,
                       QAccessible::Role itemRole);
    ~ItemListAccessible() override;

    int childCount() const override;
    QAccessibleInterface* child(int index) const override;
    int indexOfChild(const QAccessibleInterface* child) const override;
    QAccessibleInterface* childAt(int x, int y) const override;
    QAccessibleInterface* focusChild() const override;

    ItemList* list() const { return list_; }
    QWidget* listWidget() const { return widget(); }
    QAccessible::Role itemRole() const { return itemRole_; }

private:
    int widgetCount() const;

    ItemList* list_;
    QAccessible::Role itemRole_;
    mutable QHash<int, QAccessible::Id> items_;
};

// One item of a painted list, known by its position.
class ItemAccessible : public QAccessibleInterface, public QAccessibleActionInterface {
public:
    ItemAccessible(const ItemListAccessible* owner, int index) : owner_(owner), index_(index) {}

    bool isValid() const override;
    QObject* object() const override { return nullptr; }
    QWindow* window() const override;
    QAccessibleInterface* parent() const override;
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessibleInterface* focusChild() const override { return nullptr; }
    QString text(QAccessible::Text t) const override;
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override;
    QAccessible::Role role() const override { return owner_->itemRole(); }
    QAccessible::State state() const override;
    void* interface_cast(QAccessible::InterfaceType type) override;

    QStringList actionNames() const override;
    void doAction(const QString& actionName) override;
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

    int index() const { return index_; }

private:
    ItemList* list() const { return owner_->list(); }

    const ItemListAccessible* owner_;
    int index_;
};

} // namespace ui
