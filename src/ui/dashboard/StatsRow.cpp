#include "dashboard/StatsRow.h"

#include "look/CrayonBox.h"
#include "look/Fonts.h"
#include "look/Ink.h"

#include <QFontMetricsF>
#include <QPainter>

namespace ui {

namespace {

constexpr qreal rowSpacing = 14;
constexpr qreal padX = 14;
constexpr qreal padY = 10;
constexpr qreal shadowRoom = 3;

QFont valueFont() {
    return Fonts::hand(34);
}
QFont labelFont(qreal size = 11.5) {
    return Fonts::system(size, QFont::DemiBold);
}

qreal boxHeight() {
    return padY + QFontMetricsF(valueFont()).height() + QFontMetricsF(labelFont()).height() + padY;
}

} // namespace

StatsRow::StatsRow(QWidget* parent) : QWidget(parent) {
    setFixedHeight(static_cast<int>(std::ceil(boxHeight() + 6)));
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void StatsRow::setStatistics(std::vector<app::DashboardModel::Statistic> statistics) {
    statistics_ = std::move(statistics);
    update();
}

std::vector<QRectF> StatsRow::boxes() const {
    const qreal cell = (width() - 2 - rowSpacing * 3) / 4;
    std::vector<QRectF> result;
    for (int i = 0; i < 4; ++i) {
        result.emplace_back(2 + i * (cell + rowSpacing), 1, cell - shadowRoom, boxHeight());
    }
    return result;
}

void StatsRow::paintStat(QPainter& painter, const QRectF& box,
                         const app::DashboardModel::Statistic& statistic, const QColor& color,
                         double seed) {
    CrayonBox{Qt::white, color, Ink::ink(), 2.2, 14, true, false, seed}.paint(painter, box);
    const QRectF inner = box.adjusted(padX, padY, -padX, -padY);
    const qreal valueHeight = QFontMetricsF(valueFont()).height();
    painter.setPen(Ink::ink());
    painter.setFont(valueFont());
    painter.drawText(QRectF(inner.left(), inner.top(), inner.width(), valueHeight),
                     Qt::AlignLeft | Qt::AlignVCenter, QString::fromStdString(statistic.value));
    painter.setPen(Ink::ink2());
    const QString label = QString::fromStdString(statistic.label);
    const QFont font = fittingLabelFont(label, inner.width());
    painter.setFont(font);
    const QFontMetricsF metrics(font);
    painter.drawText(
        QRectF(inner.left(), inner.top() + valueHeight, inner.width(), metrics.height()),
        Qt::AlignLeft | Qt::AlignVCenter, metrics.elidedText(label, Qt::ElideRight, inner.width()));
}

QFont StatsRow::fittingLabelFont(const QString& label, qreal width) {
    // Narrow windows shrink the label a little before any of it is cut.
    for (qreal size = 11.5; size > 9; size -= 0.5) {
        const QFont font = labelFont(size);
        if (QFontMetricsF(font).horizontalAdvance(label) <= width) {
            return font;
        }
    }
    return labelFont(9);
}

void StatsRow::paintEvent(QPaintEvent*) {
    if (statistics_.size() != 4) {
        return;
    }
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor colors[] = {Ink::sky(), Ink::mint(), Ink::lilac(), Ink::peach()};
    const auto rects = boxes();
    for (std::size_t i = 0; i < 4; ++i) {
        paintStat(painter, rects[i], statistics_[i], colors[i], 71.0 + static_cast<double>(i));
    }
}

} // namespace ui
