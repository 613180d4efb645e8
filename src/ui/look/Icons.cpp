#include "look/Icons.h"

#include <QCache>
#include <QFile>
#include <QPaintDevice>
#include <QPainter>
#include <QSvgRenderer>

#include <cmath>

namespace ui {

namespace {

QCache<QString, QPixmap>& iconCache() {
    static QCache<QString, QPixmap> cache(4 * 1024);
    return cache;
}

} // namespace

QString Icons::resourcePath(const QString& name) {
    return QStringLiteral(":/quillmark/icons/") + name + QStringLiteral(".svg");
}

bool Icons::exists(const QString& name) {
    return !name.isEmpty() && QFile::exists(resourcePath(name));
}

QPixmap Icons::pixmap(const QString& name, const QColor& color, qreal sizePx, qreal dpr) {
    if (!exists(name) || !(sizePx > 0) || !(dpr > 0))
        return {};
    const QString key = QStringLiteral("%1:%2:%3:%4")
                            .arg(name, QString::number(color.rgba64(), 16))
                            .arg(sizePx, 0, 'g', 17)
                            .arg(dpr, 0, 'g', 17);
    if (const QPixmap* cached = iconCache().object(key))
        return *cached;

    const int side = static_cast<int>(std::ceil(sizePx * dpr));
    QPixmap pixmap(side, side);
    pixmap.fill(Qt::transparent);
    {
        QSvgRenderer renderer(resourcePath(name));
        QPainter painter(&pixmap);
        renderer.render(&painter, QRectF(0, 0, side, side));
        // Tint: keep the icon's coverage, replace its colour.
        painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
        painter.fillRect(QRect(0, 0, side, side), color);
    }
    pixmap.setDevicePixelRatio(dpr);
    iconCache().insert(key, new QPixmap(pixmap), std::max(1, side * side * 4 / 1024));
    return pixmap;
}

void Icons::paint(QPainter& painter, const QRectF& rect, const QString& name, const QColor& color) {
    const qreal dpr = painter.device() != nullptr ? painter.device()->devicePixelRatioF() : 1.0;
    const qreal side = std::min(rect.width(), rect.height());
    const QPixmap icon = pixmap(name, color, side, dpr);
    if (icon.isNull())
        return;
    const QRectF target(rect.center() - QPointF(side / 2, side / 2), QSizeF(side, side));
    painter.drawPixmap(target, icon, QRectF(icon.rect()));
}

} // namespace ui
