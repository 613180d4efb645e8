#include "panel/CachedLogo.h"

#include "look/AppLogo.h"

#include <QPaintDevice>
#include <QPainter>
#include <QPixmapCache>

namespace ui {

void CachedLogo::paint(QPainter& painter, const QRectF& rect) {
    const qreal dpr = painter.device() != nullptr ? painter.device()->devicePixelRatioF() : 1.0;
    const QString key =
        QStringLiteral("quillmark-logo-%1x%2@%3").arg(rect.width()).arg(rect.height()).arg(dpr);
    QPixmap pixmap;
    if (!QPixmapCache::find(key, &pixmap)) {
        pixmap = AppLogo::pixmap(std::max(rect.width(), rect.height()), dpr);
        QPixmapCache::insert(key, pixmap);
    }
    painter.drawPixmap(rect, pixmap, QRectF(pixmap.rect()));
}

} // namespace ui
