#include "panel/TextButton.h"

#include "look/FocusRing.h"

#include <QFontMetricsF>
#include <QPainter>

namespace ui {

TextButton::TextButton(const QString& text, const QFont& font, const QColor& color, QWidget* parent)
    : QAbstractButton(parent), color_(color) {
    setText(text);
    setFont(font);
    setFocusPolicy(Qt::TabFocus);
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    FocusRing::attach(this);
}

QSize TextButton::sizeHint() const {
    const QFontMetricsF metrics(font());
    // Room around the text for the focus mark.
    return QSizeF(std::ceil(metrics.horizontalAdvance(text())) + 2 + 2 * focusRoom,
                  std::ceil(metrics.height()) + 2 * focusRoom)
        .toSize();
}

void TextButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setFont(font());
    QColor color = color_;
    if (isDown()) {
        color = color.darker(140);
    }
    painter.setPen(color);
    painter.drawText(QRectF(rect()), Qt::AlignCenter, text());
    if (FocusRing::isShown(this)) {
        const qreal inset = focusRoom / 2.0;
        FocusRing::paint(painter, QRectF(rect()).adjusted(inset, inset, -inset, -inset), 6, 11, 0);
    }
}

} // namespace ui
