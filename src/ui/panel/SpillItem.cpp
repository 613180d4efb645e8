#include "panel/SpillItem.h"

#include "look/CrayonButton.h"

#include <QBoxLayout>
#include <QWidget>

namespace ui {

SpillItem::SpillItem(QWidget* widget, QMargins spill) : QWidgetItem(widget), spill_(spill) {}

QSize SpillItem::shrink(QSize size) const {
    return size.shrunkBy(spill_).expandedTo(QSize(0, 0));
}

QSize SpillItem::sizeHint() const {
    return isEmpty() ? QSize(0, 0) : shrink(QWidgetItem::sizeHint());
}

QSize SpillItem::minimumSize() const {
    return isEmpty() ? QSize(0, 0) : shrink(QWidgetItem::minimumSize());
}

QSize SpillItem::maximumSize() const {
    const QSize maximum = QWidgetItem::maximumSize();
    return {maximum.width() >= QWIDGETSIZE_MAX ? maximum.width()
                                               : maximum.width() - spill_.left() - spill_.right(),
            maximum.height() >= QWIDGETSIZE_MAX
                ? maximum.height()
                : maximum.height() - spill_.top() - spill_.bottom()};
}

void SpillItem::setGeometry(const QRect& rect) {
    if (isEmpty()) {
        return;
    }
    QSize size = sizeHint().boundedTo(rect.size());
    const QSizePolicy policy = widget()->sizePolicy();
    if (policy.horizontalPolicy() & QSizePolicy::ExpandFlag) {
        size.setWidth(rect.width());
    }
    QPoint topLeft = rect.topLeft();
    const Qt::Alignment align = alignment();
    if (align & Qt::AlignHCenter) {
        topLeft.rx() += (rect.width() - size.width()) / 2;
    } else if (align & Qt::AlignRight) {
        topLeft.rx() += rect.width() - size.width();
    }
    if (align & Qt::AlignBottom) {
        topLeft.ry() += rect.height() - size.height();
    } else if (!(align & Qt::AlignTop)) {
        topLeft.ry() += (rect.height() - size.height()) / 2;
    }
    widget()->setGeometry(QRect(topLeft, size).marginsAdded(spill_));
}

QRect SpillItem::geometry() const {
    return widget()->geometry().marginsRemoved(spill_);
}

void SpillItem::addButton(QBoxLayout* layout, QWidget* button, Qt::Alignment alignment) {
    auto* item = new SpillItem(button, CrayonButton::spillMargins());
    item->setAlignment(alignment);
    layout->addItem(item);
}

} // namespace ui
