#include "panel/RecentHeader.h"

#include "look/Chip.h"
#include "look/Fonts.h"
#include "look/Ink.h"

#include <QFontMetricsF>
#include <QPainter>

namespace ui {

namespace {

const QString& title() {
    static const QString text = Fonts::eyebrowText(QStringLiteral("Recently named"));
    return text;
}

Chip chipFor(const QString& text) {
    return Chip{text, Ink::mint(), std::nullopt};
}

} // namespace

RecentHeader::RecentHeader(QWidget* parent) : QWidget(parent) {
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

void RecentHeader::setCountText(const QString& text) {
    if (text == countText_) {
        return;
    }
    countText_ = text;
    updateGeometry();
    update();
}

QSize RecentHeader::sizeHint() const {
    const QFontMetricsF metrics(Fonts::eyebrow());
    const qreal chipHeight = countText_.isEmpty() ? 0 : chipFor(countText_).size().height();
    return QSizeF(metrics.horizontalAdvance(title()) + 80, std::max(metrics.height(), chipHeight))
        .toSize();
}

QSize RecentHeader::minimumSizeHint() const {
    return {0, sizeHint().height()};
}

void RecentHeader::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setFont(Fonts::eyebrow());
    painter.setPen(Ink::orangeDeep());
    painter.drawText(QRectF(rect()), Qt::AlignLeft | Qt::AlignVCenter, title());
    if (countText_.isEmpty()) {
        return;
    }
    const Chip chip = chipFor(countText_);
    const QSizeF size = chip.size();
    chip.paint(painter, QPointF(width() - size.width(), (height() - size.height()) / 2));
}

} // namespace ui
