#pragma once

#include <QColor>
#include <QPixmap>
#include <QRectF>
#include <QString>

class QPainter;

namespace ui {

// Phosphor icons tinted in one colour. Names are the bundled file names: "gear" (bold variant),
// "info-fill" (fill variant).
class Icons {
public:
    // A null pixmap when the icon is not bundled.
    static QPixmap pixmap(const QString& name, const QColor& color, qreal sizePx, qreal dpr);
    static void paint(QPainter& painter, const QRectF& rect, const QString& name,
                      const QColor& color);
    static bool exists(const QString& name);
    static QString resourcePath(const QString& name);
};

} // namespace ui
