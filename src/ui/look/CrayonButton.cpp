#include "look/CrayonButton.h"

#include "look/FocusRing.h"
#include "look/Fonts.h"
#include "look/Icons.h"
#include "look/Ink.h"
#include "look/PointerCursor.h"

#include <QEnterEvent>
#include <QFontMetricsF>
#include <QPainter>
#include <QVariantAnimation>

#include <cmath>

namespace ui {

namespace {

constexpr qreal iconGap = 6;

} // namespace

CrayonButton::CrayonButton(const QString& text, Kind kind, bool small, QWidget* parent)
    : QAbstractButton(parent), kind_(kind), small_(small),
      liftAnimation_(new QVariantAnimation(this)) {
    setText(text);
    setAttribute(Qt::WA_Hover);
    setFocusPolicy(Qt::TabFocus);
    setFont(labelFont());
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    liftAnimation_->setDuration(150);
    liftAnimation_->setEasingCurve(QEasingCurve::OutCubic);
    connect(liftAnimation_, &QVariantAnimation::valueChanged, this, [this](const QVariant& v) {
        lift_ = v.toReal();
        update();
    });
    PointerCursor::attach(this);
    FocusRing::attach(this);
}

void CrayonButton::setKind(Kind kind) {
    kind_ = kind;
    update();
}

void CrayonButton::setIconName(const QString& phosphorName) {
    iconName_ = phosphorName;
    updateGeometry();
    update();
}

QMargins CrayonButton::spillMargins() {
    // Room for the outline's wobble, the shadow at (3, 4) and the hover lift and tilt.
    return {5, 5, 6, 7};
}

QColor CrayonButton::background() const {
    switch (kind_) {
    case Kind::orange:
        return Ink::orange();
    case Kind::dark:
        return Ink::ink();
    case Kind::yellow:
        return Ink::yellow();
    case Kind::plain:
        break;
    }
    return Qt::white;
}

QColor CrayonButton::labelColor() const {
    return kind_ == Kind::orange || kind_ == Kind::dark ? QColor(Qt::white) : Ink::ink();
}

CrayonBox CrayonButton::box() const {
    const bool plain = kind_ == Kind::plain;
    CrayonBox box;
    box.fill = background();
    box.line = plain ? Ink::ink() : Ink::mix(background(), Ink::ink(), 0.25);
    box.lineWidth = plain ? 2 : 1.6;
    box.radius = 40;
    box.shadow = plain;
    box.dashed = false;
    box.seed = small_ ? 3 : 5;
    return box;
}

QFont CrayonButton::labelFont() const {
    return Fonts::rounded(small_ ? 12 : 13.5, QFont::Bold);
}

qreal CrayonButton::opacity() const {
    return isEnabled() ? 1.0 : 0.45;
}

QRectF CrayonButton::contentRect() const {
    return QRectF(rect()).marginsRemoved(QMarginsF(spillMargins()));
}

QTransform CrayonButton::contentTransform() const {
    const QPointF centre = contentRect().center();
    QTransform transform;
    transform.translate(centre.x() - 1 * lift_, centre.y() - 1.5 * lift_);
    transform.rotate(-0.8 * lift_);
    if (isDown())
        transform.scale(0.97, 0.97);
    transform.translate(-centre.x(), -centre.y());
    return transform;
}

void CrayonButton::paintContent(QPainter& painter, const QRectF& content) const {
    box().paint(painter, content);

    const QFont font = labelFont();
    const QFontMetricsF metrics(font);
    const qreal iconSize = std::round(metrics.height() * 0.85);
    const bool hasIcon = Icons::exists(iconName_);
    const qreal textWidth = metrics.horizontalAdvance(text());
    const qreal total = textWidth + (hasIcon ? iconSize + (text().isEmpty() ? 0 : iconGap) : 0);
    qreal x = content.center().x() - total / 2;

    painter.save();
    if (hasIcon) {
        Icons::paint(painter, QRectF(x, content.center().y() - iconSize / 2, iconSize, iconSize),
                     iconName_, labelColor());
        x += iconSize + iconGap;
    }
    painter.setFont(font);
    painter.setPen(labelColor());
    painter.drawText(QRectF(x, content.top(), content.right() - x, content.height()),
                     Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, text());
    painter.restore();
}

void CrayonButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.setOpacity(opacity());
    painter.setTransform(contentTransform());
    paintContent(painter, contentRect());
    if (FocusRing::isShown(this)) {
        const QRectF content = contentRect();
        FocusRing::paint(painter, content, std::min<qreal>(box().radius, content.height() / 2),
                         box().seed, 2.5);
    }
}

QSize CrayonButton::sizeHint() const {
    const QFontMetricsF metrics(labelFont());
    const qreal padding = small_ ? 12 : 16;
    const qreal minHeight = small_ ? 28 : 34;
    qreal width = metrics.horizontalAdvance(text()) + 2 * padding;
    if (Icons::exists(iconName_))
        width += std::round(metrics.height() * 0.85) + (text().isEmpty() ? 0 : iconGap);
    const qreal height = std::max(minHeight, metrics.height());
    const QMargins m = spillMargins();
    return {static_cast<int>(std::ceil(width)) + m.left() + m.right(),
            static_cast<int>(std::ceil(height)) + m.top() + m.bottom()};
}

QSize CrayonButton::minimumSizeHint() const {
    return sizeHint();
}

bool CrayonButton::hitButton(const QPoint& pos) const {
    // The outline and shadow around the content are decoration, not part of the button.
    return contentRect().contains(pos);
}

void CrayonButton::setHovering(bool hovering) {
    hovering_ = hovering;
    animateLift();
}

void CrayonButton::animateLift() {
    const qreal target = hovering_ && isEnabled() ? 1.0 : 0.0;
    liftAnimation_->stop();
    if (!isEnabled() || !isVisible()) {
        // A disabled or hidden button rests at once.
        lift_ = target;
        update();
        return;
    }
    if (qFuzzyCompare(1 + lift_, 1 + target))
        return;
    liftAnimation_->setStartValue(lift_);
    liftAnimation_->setEndValue(target);
    liftAnimation_->start();
}

void CrayonButton::enterEvent(QEnterEvent* event) {
    setHovering(true);
    QAbstractButton::enterEvent(event);
}

void CrayonButton::leaveEvent(QEvent* event) {
    setHovering(false);
    QAbstractButton::leaveEvent(event);
}

void CrayonButton::hideEvent(QHideEvent* event) {
    setHovering(false);
    QAbstractButton::hideEvent(event);
}

void CrayonButton::changeEvent(QEvent* event) {
    if (event->type() == QEvent::EnabledChange)
        animateLift();
    QAbstractButton::changeEvent(event);
}

} // namespace ui
