#include "look/FocusRing.h"

#include "look/Ink.h"
#include "look/WobblyRect.h"

#include <QApplication>
#include <QFocusEvent>
#include <QPainter>
#include <QPointer>
#include <QWidget>

namespace ui {

namespace {

const char* const kShownProperty = "quillmarkFocusShown";

// Remembers whether the last input was a key or a pointer, and watches attached widgets.
class FocusWatcher : public QObject {
public:
    static FocusWatcher& shared() {
        static auto* watcher = [] {
            auto* created = new FocusWatcher;
            qApp->installEventFilter(created);
            return created;
        }();
        return *watcher;
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
        case QEvent::KeyPress:
            keyboard_ = true;
            break;
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
        case QEvent::TouchBegin:
            keyboard_ = false;
            break;
        case QEvent::FocusIn:
            if (auto* widget = qobject_cast<QWidget*>(watched); widget && isAttached(widget)) {
                setShown(widget, shownFor(static_cast<QFocusEvent*>(event)->reason()));
            }
            break;
        case QEvent::FocusOut:
            if (auto* widget = qobject_cast<QWidget*>(watched); widget && isAttached(widget)) {
                repaint(widget);
            }
            break;
        default:
            break;
        }
        return false;
    }

    bool shownFor(Qt::FocusReason reason) const {
        switch (reason) {
        case Qt::TabFocusReason:
        case Qt::BacktabFocusReason:
        case Qt::ShortcutFocusReason:
            return true;
        case Qt::MouseFocusReason:
            return false;
        default:
            // A window or menu coming back, or focus set by the program: as the last input was.
            return keyboard_;
        }
    }

    static bool isAttached(const QWidget* widget) {
        return widget->property(kShownProperty).isValid();
    }

    static void setShown(QWidget* widget, bool shown) {
        widget->setProperty(kShownProperty, shown);
        repaint(widget);
    }

    static void repaint(QWidget* widget) {
        widget->update();
        if (QWidget* parent = widget->parentWidget()) {
            parent->update();
        }
    }

private:
    bool keyboard_ = false;
};

} // namespace

void FocusRing::attach(QWidget* widget) {
    FocusWatcher::shared();
    if (!FocusWatcher::isAttached(widget)) {
        widget->setProperty(kShownProperty, false);
    }
}

bool FocusRing::isShown(const QWidget* widget) {
    return widget != nullptr && widget->hasFocus() && widget->property(kShownProperty).toBool();
}

void FocusRing::showFor(QWidget* widget) {
    if (!widget->property(kShownProperty).toBool()) {
        FocusWatcher::setShown(widget, true);
    }
}

void FocusRing::paint(QPainter& painter, const QRectF& rect, qreal radius, double seed, qreal gap) {
    const QRectF ring = rect.adjusted(-gap, -gap, gap, gap);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setOpacity(1);
    painter.setBrush(Qt::NoBrush);
    QPen pen(Ink::orange(), lineWidth);
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    painter.setPen(pen);
    painter.drawPath(WobblyRect::path(
        ring, std::min(radius + gap, std::min(ring.width(), ring.height()) / 2), 0.9, seed + 17));
    painter.restore();
}

} // namespace ui
