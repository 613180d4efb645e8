#include "panel/NamingBadge.h"

#include "look/Fonts.h"
#include "look/Ink.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QTimer>

namespace ui {

namespace {

constexpr qreal spinnerSize = 12;
constexpr qreal spacing = 6;
constexpr qreal padX = 9;
constexpr qreal padY = 4;
constexpr int spinnerSteps = 12;

QFont badgeFont() {
    return Fonts::system(11, QFont::Bold);
}

} // namespace

NamingBadge::NamingBadge(QWidget* parent) : QWidget(parent), spin_(new QTimer(this)) {
    spin_->setInterval(80);
    connect(spin_, &QTimer::timeout, this, [this] {
        phase_ = (phase_ + 1) % spinnerSteps;
        update();
    });
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    hide();
}

void NamingBadge::setCount(int count) {
    if (count == count_) {
        return;
    }
    count_ = count;
    setVisible(count > 0);
    setAccessibleName(text());
    updateGeometry();
    update();
}

QString NamingBadge::text() const {
    return QStringLiteral("Naming ") + QString::number(count_);
}

QSize NamingBadge::sizeHint() const {
    const QFontMetricsF metrics(badgeFont());
    const qreal width = padX * 2 + spinnerSize + spacing + metrics.horizontalAdvance(text());
    const qreal height = padY * 2 + std::max(spinnerSize, metrics.height());
    return QSizeF(std::ceil(width), std::ceil(height)).toSize();
}

void NamingBadge::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    // The capsule's border lies inside it.
    const QRectF capsule = QRectF(rect()).adjusted(0.75, 0.75, -0.75, -0.75);
    const qreal radius = capsule.height() / 2;
    painter.setPen(QPen(Ink::ink(), 1.5));
    painter.setBrush(Ink::yellow());
    painter.drawRoundedRect(capsule, radius, radius);

    // An indeterminate spinner: twelve spokes fading behind the leading one.
    const QPointF centre(padX + spinnerSize / 2, height() / 2.0);
    painter.save();
    painter.translate(centre);
    for (int i = 0; i < spinnerSteps; ++i) {
        const int age = (phase_ - i + spinnerSteps) % spinnerSteps;
        QColor spoke = Ink::ink();
        spoke.setAlphaF(1.0 - 0.75 * age / (spinnerSteps - 1));
        painter.setPen(QPen(spoke, 1.5, Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(QPointF(0, -spinnerSize * 0.25), QPointF(0, -spinnerSize * 0.48));
        painter.rotate(360.0 / spinnerSteps);
    }
    painter.restore();

    painter.setFont(badgeFont());
    painter.setPen(Ink::ink());
    const qreal textLeft = padX + spinnerSize + spacing;
    painter.drawText(QRectF(textLeft, 0, width() - textLeft, height()),
                     Qt::AlignLeft | Qt::AlignVCenter, text());
}

void NamingBadge::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    spin_->start();
}

void NamingBadge::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    spin_->stop();
}

} // namespace ui
