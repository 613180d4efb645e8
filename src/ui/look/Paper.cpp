#include "look/Paper.h"

#include "look/Ink.h"

#include <QCache>
#include <QHash>
#include <QPaintDevice>
#include <QPainter>
#include <QPixmap>
#include <QtMath>

#include <cmath>

namespace ui {

double Paper::Random::next() {
    state_ = state_ * 0x5851F42D4C957F2DULL + 0x14057B7EF767814FULL;
    return static_cast<double>(state_ >> 33) / 2147483647.0;
}

QImage Paper::drawGrain(qreal devicePixelRatio) {
    const int side = qCeil(grainSize * devicePixelRatio);
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(devicePixelRatio, devicePixelRatio);
    Random random;
    for (int i = 0; i < grainDots; ++i) {
        const double alpha = random.next() * 0.06 + 0.05;
        const double x = random.next() * grainSize;
        const double y = random.next() * grainSize;
        painter.fillRect(
            QRectF(x, y, 1, 1),
            QColor::fromRgbF(154 / 255.0F, 140 / 255.0F, 115 / 255.0F, static_cast<float>(alpha)));
    }
    painter.end();
    image.setDevicePixelRatio(devicePixelRatio);
    return image;
}

QImage Paper::grain() {
    static const QImage image = drawGrain(1);
    return image;
}

namespace {

// Tiles at device resolution: tiling a scaled pixmap takes Qt's slow path.
const QPixmap& grainTile(qreal dpr) {
    static QHash<qreal, QPixmap> tiles;
    auto tile = tiles.find(dpr);
    if (tile == tiles.end())
        tile = tiles.insert(dpr, QPixmap::fromImage(Paper::drawGrain(dpr)));
    return *tile;
}

// Whole backgrounds by size, grain phase and pixel ratio: a window repaints the same one, and
// copying one opaque pixmap costs a fraction of filling and blending the grain again.
QCache<QString, QPixmap>& backgrounds() {
    static QCache<QString, QPixmap> cache(16 * 1024);
    return cache;
}

void paintPaper(QPainter& painter, const QRectF& rect, QPointF phase, qreal dpr) {
    painter.fillRect(rect, Ink::paper());
    painter.drawTiledPixmap(rect, grainTile(dpr), phase);
}

} // namespace

void Paper::fill(QPainter& painter, const QRectF& rect) {
    if (rect.isEmpty())
        return;
    // Pixmaps live on the GUI thread, as does all painting onto widgets.
    const qreal dpr = painter.device() != nullptr ? painter.device()->devicePixelRatioF() : 1.0;
    // Anchor the tiles at the origin so neighbouring fills line up.
    const QPointF phase(std::fmod(rect.left(), grainSize), std::fmod(rect.top(), grainSize));
    const QSize pixels = (rect.size() * dpr).toSize();
    const QString key = QStringLiteral("%1x%2:%3,%4:%5")
                            .arg(rect.width())
                            .arg(rect.height())
                            .arg(phase.x())
                            .arg(phase.y())
                            .arg(dpr);
    if (const QPixmap* cached = backgrounds().object(key)) {
        painter.drawPixmap(rect.topLeft(), *cached);
        return;
    }
    QPixmap background(pixels);
    background.setDevicePixelRatio(dpr);
    {
        QPainter inner(&background);
        paintPaper(inner, QRectF(QPointF(), rect.size()), phase, dpr);
    }
    const int cost = std::max(1, pixels.width() * pixels.height() * 4 / 1024);
    painter.drawPixmap(rect.topLeft(), background);
    backgrounds().insert(key, new QPixmap(background), cost);
}

} // namespace ui
