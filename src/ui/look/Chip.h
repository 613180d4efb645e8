#pragma once

#include <QColor>
#include <QPointF>
#include <QSizeF>
#include <QString>

#include <optional>

class QPainter;

namespace ui {

// A small capsule label, optionally with a coloured dot before the text.
struct Chip {
    QString text;
    QColor color;
    std::optional<QColor> dot;

    QSizeF size() const;
    void paint(QPainter& painter, QPointF topLeft) const;

    static constexpr qreal dotSize = 6;
    static constexpr qreal spacing = 5;
    static constexpr qreal paddingX = 8;
    static constexpr qreal paddingY = 3;
    static constexpr qreal borderWidth = 1.5;
};

} // namespace ui
