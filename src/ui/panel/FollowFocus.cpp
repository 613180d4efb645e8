#include "panel/FollowFocus.h"

#include <QApplication>
#include <QFocusEvent>
#include <QScrollArea>

namespace ui {

namespace {

const char* const followsFocus = "quillmarkFollowsFocus";

// Watches the keyboard's focus changes only: a click shows what it hit already, and scrolling
// then would move the control away from under the pointer.
class Follower : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::FocusIn && watched->isWidgetType()) {
            const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
            if (reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason ||
                reason == Qt::ShortcutFocusReason) {
                show(static_cast<QWidget*>(watched));
            }
        }
        return false;
    }

private:
    static void show(QWidget* focused) {
        // Innermost first: scrolling an inner view moves the control within the outer one.
        for (QWidget* p = focused->parentWidget(); p != nullptr; p = p->parentWidget()) {
            auto* area = qobject_cast<QScrollArea*>(p);
            if (area != nullptr && area->property(followsFocus).toBool() &&
                area->widget() != nullptr && area->widget()->isAncestorOf(focused)) {
                area->ensureWidgetVisible(focused);
            }
        }
    }
};

} // namespace

void FollowFocus::apply(QScrollArea* area) {
    area->setProperty(followsFocus, true);
    // One watcher for all views, so nested ones scroll in the right order.
    if (!qApp->property(followsFocus).toBool()) {
        qApp->setProperty(followsFocus, true);
        qApp->installEventFilter(new Follower(qApp));
    }
}

} // namespace ui
