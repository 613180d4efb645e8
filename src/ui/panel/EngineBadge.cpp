#include "panel/EngineBadge.h"

#include "look/Fonts.h"
#include "look/Ink.h"

#include <QFontMetricsF>
#include <QPainter>

namespace ui {

namespace {

using Kind = engine::Namer::Engine::Kind;

constexpr qreal dotSize = 7;
constexpr qreal spacing = 4;

QFont labelFont() {
    return Fonts::system(11, QFont::Medium);
}

} // namespace

EngineBadge::EngineBadge(const engine::Namer::Engine& engine, QWidget* parent) : QWidget(parent) {
    setEngine(engine);
}

void EngineBadge::setEngine(const engine::Namer::Engine& engine) {
    engine_ = engine;
    setToolTip(toolTipText(engine));
    setAccessibleName(label(engine));
    updateGeometry();
    update();
}

QString EngineBadge::label(const engine::Namer::Engine& engine) {
    switch (engine.kind) {
    case Kind::visionModel:
        return QStringLiteral("Local model");
    case Kind::textModel:
        return QStringLiteral("Local model (text)");
    case Kind::textOnly:
        break;
    }
    return QStringLiteral("Text in image");
}

QColor EngineBadge::dotColor(const engine::Namer::Engine& engine) {
    return engine.kind == Kind::textOnly ? Ink::orange() : QColor(47, 179, 68);
}

QString EngineBadge::toolTipText(const engine::Namer::Engine& engine) {
    if (engine.kind == Kind::textOnly) {
        return QString::fromStdString(engine.reason);
    }
    return QStringLiteral("Names are made on this computer. Nothing is uploaded.");
}

QSize EngineBadge::sizeHint() const {
    const QFontMetricsF metrics(labelFont());
    const qreal width = dotSize + spacing + metrics.horizontalAdvance(label(engine_));
    return QSizeF(width + 1, std::max(dotSize, metrics.height())).toSize();
}

void EngineBadge::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal midY = height() / 2.0;
    // The border lies inside the circle.
    const QRectF dot(0.5, midY - dotSize / 2 + 0.5, dotSize - 1, dotSize - 1);
    painter.setPen(QPen(Ink::ink(), 1));
    painter.setBrush(dotColor(engine_));
    painter.drawEllipse(dot);

    painter.setFont(labelFont());
    painter.setPen(Ink::ink3());
    const QRectF text(dotSize + spacing, 0, width() - dotSize - spacing, height());
    painter.drawText(text, Qt::AlignLeft | Qt::AlignVCenter, label(engine_));
}

} // namespace ui
