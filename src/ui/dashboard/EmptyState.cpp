#include "dashboard/EmptyState.h"

#include "dashboard/DashboardText.h"
#include "look/CrayonBox.h"
#include "look/Fonts.h"
#include "look/Icons.h"
#include "look/Ink.h"

#include <QFontMetricsF>
#include <QPainter>

namespace ui {

namespace {

constexpr qreal padding = 30;
constexpr qreal spacing = 10;
constexpr qreal bodyWidth = 320;
constexpr qreal symbolSize = 30;

QFont bodyFont() {
    return Fonts::system(12.5);
}

} // namespace

EmptyState::EmptyState(QWidget* parent) : QWidget(parent) {}

void EmptyState::setState(const QString& query, const app::DashScope& scope) {
    query_ = query;
    scope_ = scope;
    update();
}

QString EmptyState::headline() const {
    return DashboardText::emptyHeadline(query_, scope_);
}

QString EmptyState::body() const {
    return DashboardText::emptyBody(query_);
}

void EmptyState::paintBox(QPainter& painter, const QRectF& area, const QString& query,
                          const app::DashScope& scope) {
    const QString headline = DashboardText::emptyHeadline(query, scope);
    const QString body = DashboardText::emptyBody(query);
    const QFont hand = Fonts::hand(28);
    const qreal headlineHeight = QFontMetricsF(hand).height();
    const qreal width = std::min(bodyWidth, area.width() - 2 * padding - 4);
    const QRectF bodyBounds =
        QFontMetricsF(bodyFont())
            .boundingRect(QRectF(0, 0, width, 1000), Qt::TextWordWrap | Qt::AlignHCenter, body);
    const qreal height =
        padding + symbolSize + spacing + headlineHeight + spacing + bodyBounds.height() + padding;
    const QRectF box(area.left() + 2, area.top() + 10, area.width() - 4, height);

    QColor sky = Ink::sky();
    sky.setAlphaF(0.7F);
    CrayonBox{Qt::white, sky, Ink::ink(), 2.2, 20, false, true, 91}.paint(painter, box);

    qreal y = box.top() + padding;
    Icons::paint(painter, QRectF(box.center().x() - symbolSize / 2, y, symbolSize, symbolSize),
                 query.isEmpty() ? QStringLiteral("scan") : QStringLiteral("magnifying-glass"),
                 Ink::ink());
    y += symbolSize + spacing;
    painter.setPen(Ink::ink());
    painter.setFont(hand);
    painter.drawText(QRectF(box.left(), y, box.width(), headlineHeight), Qt::AlignCenter,
                     QFontMetricsF(hand).elidedText(headline, Qt::ElideMiddle, box.width() - 20));
    y += headlineHeight + spacing;
    painter.setPen(Ink::ink3());
    painter.setFont(bodyFont());
    painter.drawText(QRectF(box.center().x() - width / 2, y, width, bodyBounds.height()),
                     Qt::TextWordWrap | Qt::AlignHCenter | Qt::AlignTop, body);
}

void EmptyState::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    paintBox(painter, rect(), query_, scope_);
}

} // namespace ui
