#include "panel/TextButton.h"

#include <QFontMetricsF>
#include <QPainter>

namespace ui {

TextButton::TextButton(const QString& text, const QFont& font, const QColor& color, QWidget* parent)
    : QAbstractButton(parent), color_(color) {
    setText(text);
    setFont(font);
    setFocusPolicy(Qt::NoFocus);
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QSize TextButton::sizeHint() const {
    const QFontMetricsF metrics(font());
    return QSizeF(std::ceil(metrics.horizontalAdvance(text())) + 2, std::ceil(metrics.height()))
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
}

} // namespace ui
