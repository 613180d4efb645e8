#include "panel/DropPrompt.h"

#include "look/Fonts.h"
#include "look/Icons.h"
#include "look/Ink.h"

#include <QFontMetricsF>
#include <QPainter>

namespace ui {

namespace {

constexpr qreal iconSize = 24;
constexpr qreal spacing = 10;

QFont promptFont() {
    return Fonts::hand(21);
}

} // namespace

DropPrompt::DropPrompt(QWidget* parent) : QWidget(parent) {
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void DropPrompt::setTargeted(bool targeted) {
    if (targeted == targeted_) {
        return;
    }
    targeted_ = targeted;
    update();
}

QString DropPrompt::text() const {
    return targeted_ ? QStringLiteral("Let go to name them")
                     : QStringLiteral("Drop images or folders here");
}

QSize DropPrompt::sizeHint() const {
    const QFontMetricsF metrics(promptFont());
    const qreal width =
        std::max(metrics.horizontalAdvance(QStringLiteral("Let go to name them")),
                 metrics.horizontalAdvance(QStringLiteral("Drop images or folders here")));
    return QSizeF(width + 2, iconSize + spacing + metrics.height()).toSize();
}

QSize DropPrompt::minimumSizeHint() const {
    return {0, sizeHint().height()};
}

void DropPrompt::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const QRectF icon((width() - iconSize) / 2, 0, iconSize, iconSize);
    Icons::paint(painter, icon,
                 targeted_ ? QStringLiteral("arrow-circle-down-fill") : QStringLiteral("images"),
                 targeted_ ? Ink::orange() : Ink::ink());
    painter.setFont(promptFont());
    painter.setPen(Ink::ink());
    const QRectF line(0, iconSize + spacing, width(), height() - iconSize - spacing);
    painter.drawText(line, Qt::AlignHCenter | Qt::AlignTop, text());
}

} // namespace ui
