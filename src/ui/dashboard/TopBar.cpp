#include "dashboard/TopBar.h"

#include "dashboard/SearchBox.h"
#include "look/Fonts.h"
#include "look/Ink.h"

#include <QFontMetricsF>
#include <QHBoxLayout>
#include <QPainter>

namespace ui {

namespace {

QFont titleFont() {
    return Fonts::hand(36);
}
QFont subtitleFont() {
    return Fonts::system(12.5);
}

} // namespace

TopBar::TopBar(QWidget* parent) : QWidget(parent), search_(new SearchBox(this)) {
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(16);
    row->addStretch(1);
    row->addWidget(search_, 0, Qt::AlignVCenter);
    const qreal textHeight =
        QFontMetricsF(titleFont()).height() + QFontMetricsF(subtitleFont()).height();
    setFixedHeight(std::max(static_cast<int>(std::ceil(textHeight)), search_->height()));
}

void TopBar::setTexts(const QString& title, const QString& subtitle) {
    if (title == title_ && subtitle == subtitle_) {
        return;
    }
    title_ = title;
    subtitle_ = subtitle;
    update();
}

void TopBar::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const qreal available = search_->geometry().left() - 12;
    const QFontMetricsF titleMetrics(titleFont());
    const QFontMetricsF subtitleMetrics(subtitleFont());
    const qreal top = (height() - titleMetrics.height() - subtitleMetrics.height()) / 2;
    painter.setPen(Ink::ink());
    painter.setFont(titleFont());
    painter.drawText(QPointF(0, top + titleMetrics.ascent()),
                     titleMetrics.elidedText(title_, Qt::ElideRight, available));
    painter.setPen(Ink::ink3());
    painter.setFont(subtitleFont());
    painter.drawText(QPointF(0, top + titleMetrics.height() + subtitleMetrics.ascent()),
                     subtitleMetrics.elidedText(subtitle_, Qt::ElideRight, available));
}

} // namespace ui
