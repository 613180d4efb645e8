#include "settings/StyleOption.h"

#include "access/Accessibility.h"
#include "look/FocusRing.h"
#include "look/Fonts.h"
#include "look/Ink.h"
#include "look/PointerCursor.h"

#include <QAccessible>
#include <QFontMetricsF>
#include <QPainter>

namespace ui {

namespace {

constexpr qreal markerSize = 17;
constexpr qreal dotSize = 6;
constexpr qreal spacing = 9;
constexpr qreal padX = 8;
constexpr qreal padY = 5;

} // namespace

StyleOption::StyleOption(const QString& text, QWidget* parent) : QAbstractButton(parent) {
    // Before anything that may make Qt describe the button for screen readers.
    setProperty("accessibleKind", QStringLiteral("radio"));
    Accessibility::install();
    setText(text);
    setAccessibleName(text);
    setFocusPolicy(Qt::TabFocus);
    setToolTip(text);
    setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Fixed);
    PointerCursor::attach(this);
    FocusRing::attach(this);
}

void StyleOption::setSelected(bool selected) {
    if (selected == selected_) {
        return;
    }
    selected_ = selected;
    updateGeometry();
    update();
    QAccessible::State changed;
    changed.checked = true;
    QAccessibleStateChangeEvent event(this, changed);
    QAccessible::updateAccessibility(&event);
}

QFont StyleOption::textFont() const {
    QFont font = Fonts::mono(12);
    font.setBold(selected_);
    return font;
}

QSize StyleOption::sizeHint() const {
    // Sized for the bold text, so choosing a row does not move its neighbours' edges.
    QFont bold = Fonts::mono(12);
    bold.setBold(true);
    const QFontMetricsF metrics(bold);
    const qreal width = padX * 2 + markerSize + spacing + metrics.horizontalAdvance(text());
    const qreal height = padY * 2 + std::max(markerSize, metrics.height());
    return QSizeF(std::ceil(width), std::ceil(height)).toSize();
}

QSize StyleOption::minimumSizeHint() const {
    return {static_cast<int>(padX * 2 + markerSize + spacing) + 40, sizeHint().height()};
}

void StyleOption::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    if (selected_) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(Ink::peach());
        painter.drawRoundedRect(QRectF(rect()), 8, 8);
    }
    const QRectF marker(padX, (height() - markerSize) / 2, markerSize, markerSize);
    painter.setPen(QPen(Ink::ink(), 2));
    painter.setBrush(selected_ ? Ink::orange() : QColor(Qt::white));
    painter.drawEllipse(marker);
    if (selected_) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(Qt::white);
        painter.drawEllipse(QRectF(marker.center().x() - dotSize / 2,
                                   marker.center().y() - dotSize / 2, dotSize, dotSize));
    }
    const QFont font = textFont();
    painter.setFont(font);
    painter.setPen(Ink::ink());
    const qreal left = padX + markerSize + spacing;
    const qreal available = width() - left - padX;
    if (shownWidth_ != width() || shownBold_ != selected_) {
        shown_ = QFontMetricsF(font).elidedText(text(), Qt::ElideRight, available);
        shownWidth_ = width();
        shownBold_ = selected_;
    }
    painter.drawText(QRectF(left, 0, available, height()), Qt::AlignLeft | Qt::AlignVCenter,
                     shown_);
    if (FocusRing::isShown(this)) {
        // Inside the option: its neighbours sit close above and below.
        FocusRing::paint(painter, QRectF(rect()).adjusted(2, 2, -2, -2), 6, 31, 0);
    }
}

} // namespace ui
