#include "look/CrayonBox.h"

#include "look/Ink.h"
#include "look/Scribble.h"
#include "look/WobblyRect.h"

#include <QCache>
#include <QImage>
#include <QPaintDevice>
#include <QPainter>

#include <cmath>
#include <cstring>

namespace ui {

namespace {

// Layers by key; the cost is in KiB so a full panel at device pixel ratio 2 fits easily.
QCache<QString, QPixmap>& layerCache() {
    static QCache<QString, QPixmap> cache(32 * 1024);
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
    draw(painter, content, false);
}

void CrayonBox::draw(QPainter& painter, const QRectF& content, bool ownLayer) const {
    const QPainterPath outline = WobblyRect::path(content, radius, wobble, seed);
    // In a layer of its own over an opaque fill, the hatching can be kept inside the outline by
    // compositing (source-atop) and the shadow slid underneath last (destination-over): the same
    // picture as a clip path, which Qt makes five times slower.
    const bool composite = ownLayer && fill.alpha() == 255;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    if (shadow && !composite)
        painter.fillPath(outline.translated(3, 4), Ink::ink());
    painter.fillPath(outline, fill);
    if (scribble) {
        painter.save();
        if (composite)
            painter.setCompositionMode(QPainter::CompositionMode_SourceAtop);
        else
            painter.setClipPath(outline, Qt::IntersectClip);
        // The strokes never overlap, so fading each one equals fading them as a group, and a
        // translucent colour is far cheaper in Qt than painter opacity.
        QColor faded = *scribble;
        faded.setAlphaF(faded.alphaF() * 0.9F);
        // The outline keeps the strokes' ends out of sight (under the line at most).
        Scribble::paint(painter, content, faded, 7, Scribble::Caps::hidden);
        painter.restore();
    }
    if (lineWidth > 0) {
        painter.setPen(outlinePen());
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(outline);
    }
    if (shadow && composite) {
        painter.setCompositionMode(QPainter::CompositionMode_DestinationOver);
        painter.fillPath(outline.translated(3, 4), Ink::ink());
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
    QImage image(pixels, QImage::Format_ARGB32_Premultiplied);
    // memset rather than fill(): Qt hands fills of this size to its thread pool, whose
    // hand-offs cost more than the clearing itself.
    std::memset(image.bits(), 0, static_cast<std::size_t>(image.sizeInBytes()));
    image.setDevicePixelRatio(devicePixelRatio);
    {
        QPainter painter(&image);
        draw(painter, QRectF(QPointF(spill, spill), size), true);
    }
    const QPixmap pixmap = QPixmap::fromImage(std::move(image));
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
