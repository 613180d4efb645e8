#include "panel/RowIconButton.h"

#include "look/Icons.h"
#include "look/Ink.h"
#include "look/PointerCursor.h"

#include <QPainter>

namespace ui {

namespace {

// Icons at the size of caption text.
constexpr qreal glyphSize = 12;

} // namespace

RowIconButton::RowIconButton(const QString& iconName, const QString& label, QWidget* parent)
    : QAbstractButton(parent), iconName_(iconName) {
    setFixedSize(side, side);
    setToolTip(label);
    setAccessibleName(label);
    setFocusPolicy(Qt::NoFocus);
    PointerCursor::attach(this);
}

void RowIconButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (isDown()) {
        painter.setOpacity(0.5);
    }
    const QRectF icon(QPointF((side - glyphSize) / 2, (side - glyphSize) / 2),
                      QSizeF(glyphSize, glyphSize));
    Icons::paint(painter, icon, iconName_, Ink::ink2());
}

} // namespace ui
