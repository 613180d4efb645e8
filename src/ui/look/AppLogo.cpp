#include "look/AppLogo.h"

#include <QApplication>
#include <QFile>
#include <QIcon>
#include <QPaintDevice>
#include <QPainter>
#include <QSvgRenderer>

#include <cmath>

namespace ui {

bool AppLogo::availableAt(const QString& path) {
    return QFile::exists(path);
}

bool AppLogo::available() {
    return availableAt(QString::fromLatin1(resource));
}

void AppLogo::paintFrom(QPainter& painter, const QRectF& rect, const QString& path) {
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.setRenderHint(QPainter::Antialiasing);
    if (availableAt(path)) {
        if (path.endsWith(QStringLiteral(".svg"), Qt::CaseInsensitive)) {
            QSvgRenderer renderer(path);
            renderer.render(&painter, rect);
        } else {
            painter.drawImage(rect, QImage(path));
        }
    } else {
        // Without the logo the application's own icon stands in.
        const qreal dpr = painter.device() != nullptr ? painter.device()->devicePixelRatioF() : 1.0;
        const int side = static_cast<int>(std::ceil(std::max(rect.width(), rect.height()) * dpr));
        const QPixmap icon = QApplication::windowIcon().pixmap(QSize(side, side));
        if (!icon.isNull())
            painter.drawPixmap(rect, icon, QRectF(icon.rect()));
    }
    painter.restore();
}

void AppLogo::paint(QPainter& painter, const QRectF& rect) {
    paintFrom(painter, rect, QString::fromLatin1(resource));
}

QPixmap AppLogo::pixmap(qreal size, qreal dpr) {
    const int side = static_cast<int>(std::ceil(size * dpr));
    QPixmap pixmap(side, side);
    pixmap.fill(Qt::transparent);
    {
        QPainter painter(&pixmap);
        paint(painter, QRectF(0, 0, side, side));
    }
    pixmap.setDevicePixelRatio(dpr);
    return pixmap;
}

} // namespace ui
