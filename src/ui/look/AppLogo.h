#pragma once

#include <QPixmap>
#include <QRectF>
#include <QString>

class QPainter;

namespace ui {

// The mascot logo from the resources; the application's icon stands in when it is missing.
class AppLogo {
public:
    static void paint(QPainter& painter, const QRectF& rect);
    static QPixmap pixmap(qreal size, qreal dpr);
    static bool available();

    // The same, reading the logo from `path` (a resource or a file).
    static void paintFrom(QPainter& painter, const QRectF& rect, const QString& path);
    static bool availableAt(const QString& path);

    static constexpr const char* resource = ":/quillmark/logo/quillmark-icon.svg";
};

} // namespace ui
