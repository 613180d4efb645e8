#include "look/CrayonBox.h"

#include "look/Ink.h"
#include "look/Scribble.h"
#include "look/WobblyRect.h"

#include <QCache>
#include <QPaintDevice>
#include <QPainter>

#include <cmath>

namespace ui {

namespace {

// Layers by key; the cost is in KiB so a full panel at device pixel ratio 2 fits easily.
QCache<QString, QPixmap>& layerCache() {
    static QCache<QString, QPixmap> cache(48 * 1024);
    return cache;
}

QString colorKey(const QColor& color) {
    return QString::number(color.rgba64(), 16);
}

QString numberKey(double value) {
    return QString::number(value, 'g', 17);
}

} // namespace

QPen CrayonBox::outlinePen() const {
    QPen pen(line, lineWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    pen.setMiterLimit(10);
    // Qt measures dashes in pen widths.
    if (dashed && lineWidth > 0)
        pen.setDashPattern({7 / lineWidth, 5 / lineWidth});
    return pen;
}

void CrayonBox::paintDirect(QPainter& painter, const QRectF& content) const {
    const QPainterPath outline = WobblyRect::path(content, radius, wobble, seed);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    if (shadow)
        painter.fillPath(outline.translated(3, 4), Ink::ink());
    painter.fillPath(outline, fill);
    if (scribble) {
        painter.save();
        painter.setClipPath(outline, Qt::IntersectClip);
        painter.setOpacity(painter.opacity() * 0.9);
        Scribble::paint(painter, content, *scribble, 7);
        painter.restore();
    }
    if (lineWidth > 0) {
        painter.setPen(outlinePen());
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(outline);
    }
    painter.restore();
}

QString CrayonBox::cacheKey(const QSizeF& size, qreal devicePixelRatio) const {
    const QStringList parts = {
        numberKey(size.width()),
        numberKey(size.height()),
        colorKey(fill),
        scribble ? colorKey(*scribble) : QStringLiteral("-"),
        colorKey(line),
        numberKey(lineWidth),
        numberKey(radius),
        shadow ? QStringLiteral("s") : QStringLiteral("-"),
        dashed ? QStringLiteral("d") : QStringLiteral("-"),
        numberKey(seed),
        numberKey(devicePixelRatio),
    };
    return QStringLiteral("crayonbox:") + parts.join(QLatin1Char(':'));
}

QPixmap CrayonBox::layer(const QSizeF& size, qreal devicePixelRatio) const {
    const QString key = cacheKey(size, devicePixelRatio);
    QCache<QString, QPixmap>& cache = layerCache();
    if (const QPixmap* cached = cache.object(key))
        return *cached;

    const QSizeF padded = size + QSizeF(2 * spill, 2 * spill);
    const QSize pixels(static_cast<int>(std::ceil(padded.width() * devicePixelRatio)),
                       static_cast<int>(std::ceil(padded.height() * devicePixelRatio)));
    QPixmap pixmap(pixels);
    pixmap.setDevicePixelRatio(devicePixelRatio);
    pixmap.fill(Qt::transparent);
    {
        QPainter painter(&pixmap);
        paintDirect(painter, QRectF(QPointF(spill, spill), size));
    }
    const qsizetype bytes = qsizetype(pixels.width()) * pixels.height() * 4;
    cache.insert(key, new QPixmap(pixmap), static_cast<int>(std::max<qsizetype>(1, bytes / 1024)));
    return pixmap;
}

void CrayonBox::paint(QPainter& painter, const QRectF& content) const {
    // A zero-height box still has an outline; only inside-out rectangles draw nothing.
    if (!(content.width() >= 0 && content.height() >= 0))
        return;
    const qreal dpr = painter.device() != nullptr ? painter.device()->devicePixelRatioF() : 1.0;
    const QPixmap pixmap = layer(content.size(), dpr);
    painter.drawPixmap(content.topLeft() - QPointF(spill, spill), pixmap);
}

} // namespace ui
