#pragma once

#include <QColor>
#include <QPen>
#include <QPixmap>
#include <QRectF>
#include <QString>

#include <optional>

class QPainter;

namespace ui {

// The decoration behind cards, buttons and badges: shadow, fill, hatching and a crayon outline
// on one wobbly rounded rectangle. Painted from a cached layer.
struct CrayonBox {
    QColor fill;
    std::optional<QColor> scribble;
    QColor line;
    qreal lineWidth = 2;
    qreal radius = 12;
    bool shadow = false;
    bool dashed = false;
    double seed = 1;

    // Paints the box over `content`; the outline and shadow may spill up to `spill` beyond it.
    void paint(QPainter& painter, const QRectF& content) const;
    // Paints without the cache (what the cached layer holds, without the padding).
    void paintDirect(QPainter& painter, const QRectF& content) const;
    // The layer for a content size at a device pixel ratio, padded by `spill` on every side.
    QPixmap layer(const QSizeF& size, qreal devicePixelRatio) const;
    QString cacheKey(const QSizeF& size, qreal devicePixelRatio) const;
    QPen outlinePen() const;

    static constexpr qreal spill = 8;

    static constexpr qreal wobble = 1.1;

private:
    void draw(QPainter& painter, const QRectF& content, bool ownLayer) const;
};

} // namespace ui
