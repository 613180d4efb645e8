#include "access/Accessibility.h"

#include "access/ItemList.h"
#include "access/ItemListAccessible.h"

#include <QAbstractButton>
#include <QAccessibleWidget>
#include <QWidget>

namespace ui {

namespace {

// A choice among siblings that is drawn as a radio button but is a plain button underneath.
class RadioLikeAccessible : public QAccessibleWidget {
public:
    explicit RadioLikeAccessible(QWidget* widget)
        : QAccessibleWidget(widget, QAccessible::RadioButton) {}

    QString text(QAccessible::Text t) const override {
        const QString own = QAccessibleWidget::text(t);
        if (t == QAccessible::Name && own.isEmpty()) {
            return button()->text();
        }
        return own;
    }

    QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        state.checkable = true;
        state.checked = widget()->property("selected").toBool();
        return state;
    }

    QStringList actionNames() const override { return {pressAction()}; }

    void doAction(const QString& name) override {
        if (name == pressAction()) {
            button()->click();
        }
    }

private:
    QAbstractButton* button() const { return static_cast<QAbstractButton*>(widget()); }
};

// An on/off switch: a check box to screen readers, with its state.
class SwitchAccessible : public QAccessibleWidget {
public:
    explicit SwitchAccessible(QWidget* widget) : QAccessibleWidget(widget, QAccessible::CheckBox) {}

    QString text(QAccessible::Text t) const override {
        const QString own = QAccessibleWidget::text(t);
        if (t == QAccessible::Name && own.isEmpty()) {
            return button()->text();
        }
        return own;
    }

    QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        state.checkable = true;
        state.checked = button()->isChecked();
        return state;
    }

    QStringList actionNames() const override { return {toggleAction(), pressAction()}; }

    void doAction(const QString& name) override {
        if (name == toggleAction() || name == pressAction()) {
            button()->click();
        }
    }

private:
    QAbstractButton* button() const { return static_cast<QAbstractButton*>(widget()); }
};

// The status banner and toasts: read out when they appear or change.
class MessageAccessible : public QAccessibleWidget {
public:
    explicit MessageAccessible(QWidget* widget)
        : QAccessibleWidget(widget, QAccessible::AlertMessage) {}
};

QAccessibleInterface* factory(const QString& key, QObject* object) {
    auto* widget = qobject_cast<QWidget*>(object);
    // Answer for the object's own class only, not for each of its base classes again.
    if (widget == nullptr || key != QLatin1String(object->metaObject()->className())) {
        return nullptr;
    }
    const QVariant kind = widget->property("accessibleKind");
    if (auto* list = dynamic_cast<ItemList*>(object)) {
        const bool tabs = kind.toString() == QLatin1String("tabs");
        return new ItemListAccessible(widget, list,
                                      tabs ? QAccessible::PageTabList : QAccessible::List,
                                      tabs ? QAccessible::PageTab : QAccessible::ListItem);
    }
    if (kind.toString() == QLatin1String("radio")) {
        return new RadioLikeAccessible(widget);
    }
    if (kind.toString() == QLatin1String("switch")) {
        return new SwitchAccessible(widget);
    }
    if (kind.toString() == QLatin1String("message")) {
        return new MessageAccessible(widget);
    }
    return nullptr;
}

} // namespace

void Accessibility::install() {
    static const bool installed = [] {
        QAccessible::installFactory(factory);
        return true;
    }();
    (void)installed;
}

void Accessibility::itemFocused(QWidget* list, int index) {
    if (!QAccessible::isActive() || index < 0) {
        return;
    }
    QAccessibleEvent event(list, QAccessible::Focus);
    event.setChild(index);
    QAccessible::updateAccessibility(&event);
}

void Accessibility::announce(QWidget* widget, const QString& text) {
    widget->setAccessibleName(text);
    if (!QAccessible::isActive() || text.isEmpty()) {
        return;
    }
    QAccessibleEvent event(widget, QAccessible::Alert);
    QAccessible::updateAccessibility(&event);
}

} // namespace ui
