#include "look/CrayonToggle.h"

#include "access/Accessibility.h"
#include "look/FocusRing.h"
#include "look/Ink.h"

#include <QFontMetricsF>
#include <QHBoxLayout>
#include <QPainter>
#include <QVariantAnimation>

#include <cmath>
#include <numbers>

namespace ui {

namespace {

constexpr qreal labelGap = 10;
constexpr int springMs = 400;

// Step response of a damped spring (response 0.25 s, damping fraction 0.75) over the
// animation's 0.4 s: a quick move with a slight overshoot, settled at the end.
qreal spring(qreal progress) {
    if (progress >= 1)
        return 1;
    const double zeta = 0.75;
    const double omega = 2 * std::numbers::pi / 0.25;
    const double damped = omega * std::sqrt(1 - zeta * zeta);
    const double t = progress * springMs / 1000.0;
    return 1 - std::exp(-zeta * omega * t) *
                   (std::cos(damped * t) + zeta * omega / damped * std::sin(damped * t));
}

} // namespace

CrayonToggle::CrayonToggle(const QString& text, QWidget* parent)
    : QAbstractButton(parent), knobAnimation_(new QVariantAnimation(this)) {
    // Before anything that may make Qt describe the button for screen readers.
    setProperty("accessibleKind", QStringLiteral("switch"));
    Accessibility::install();
    setText(text);
    setCheckable(true);
    setFocusPolicy(Qt::TabFocus);
    knobAnimation_->setDuration(springMs);
    QEasingCurve curve;
    curve.setCustomType(spring);
    knobAnimation_->setEasingCurve(curve);
    connect(knobAnimation_, &QVariantAnimation::valueChanged, this, [this](const QVariant& v) {
        knob_ = v.toReal();
        update();
    });
    connect(this, &QAbstractButton::toggled, this, &CrayonToggle::animateKnob);
    FocusRing::attach(this);
}

void CrayonToggle::setLabelWidget(QWidget* label) {
    delete layout();
    delete label_;
    label_ = label;
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, static_cast<int>(std::ceil(labelGap + switchWidth + focusRoom)),
                            0);
    row->addWidget(label_, 1);
    updateGeometry();
    update();
}

void CrayonToggle::animateKnob(bool on) {
    const qreal target = on ? 1 : 0;
    knobAnimation_->stop();
    if (!isVisible()) {
        knob_ = target;
        update();
        return;
    }
    knobAnimation_->setStartValue(knob_);
    knobAnimation_->setEndValue(target);
    knobAnimation_->start();
}

QRectF CrayonToggle::switchRect() const {
    const QRectF area(rect());
    return {area.right() - switchWidth - focusRoom, area.center().y() - switchHeight / 2,
            switchWidth, switchHeight};
}

QRectF CrayonToggle::knobRect() const {
    const QRectF track = switchRect();
    const qreal side = switchHeight - 2 * knobInset;
    const qreal travel = switchWidth - 2 * knobInset - side;
    return {track.left() + knobInset + travel * knob_, track.top() + knobInset, side, side};
}

void CrayonToggle::paintSwitch(QPainter& painter, const QRectF& rect, qreal position) {
    const qreal on = std::clamp(position, 0.0, 1.0);
    const qreal side = rect.height() - 2 * knobInset;
    const qreal travel = rect.width() - 2 * knobInset - side;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Ink::ink(), 2));
    painter.setBrush(Ink::mix(QColor(237, 232, 220), Ink::orange(), on));
    painter.drawRoundedRect(rect, rect.height() / 2, rect.height() / 2);
    painter.setBrush(Qt::white);
    painter.drawEllipse(
        QRectF(rect.left() + knobInset + travel * position, rect.top() + knobInset, side, side));
    painter.restore();
}

void CrayonToggle::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF track = switchRect();
    if (label_ == nullptr) {
        painter.setPen(palette().color(QPalette::WindowText));
        painter.setFont(font());
        painter.drawText(QRectF(0, 0, track.left() - labelGap, height()),
                         Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, text());
    }
    if (!isEnabled())
        painter.setOpacity(0.45);
    paintSwitch(painter, track, knob_);
    if (FocusRing::isShown(this)) {
        FocusRing::paint(painter, track, switchHeight / 2, 23, 1.8);
    }
}

QSize CrayonToggle::sizeHint() const {
    if (label_ != nullptr) {
        const QSize label = label_->sizeHint();
        return {
            label.width() + static_cast<int>(std::ceil(labelGap + switchWidth + focusRoom)),
            std::max(label.height(), static_cast<int>(std::ceil(switchHeight + 2 * focusRoom)))};
    }
    const QFontMetricsF metrics(font());
    const qreal width = metrics.horizontalAdvance(text()) + labelGap + switchWidth + 2 * focusRoom;
    const qreal height = std::max(switchHeight + 2 * focusRoom, metrics.height());
    return {static_cast<int>(std::ceil(width)), static_cast<int>(std::ceil(height))};
}

QSize CrayonToggle::minimumSizeHint() const {
    return sizeHint();
}

bool CrayonToggle::hitButton(const QPoint& pos) const {
    return rect().contains(pos);
}

} // namespace ui
