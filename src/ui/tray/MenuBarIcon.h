#pragma once

#include <QIcon>
#include <QImage>
#include <QPainter>
#include <QRectF>
#include <QString>

namespace ui {

// The tray picture in two states: idle, and busy while files wait to be named. Prefers the
// bundled logo; without it draws the scalloped seal mascot.
class MenuBarIcon {
public:
    // Draws the picture scaled into `rect`, with the logo when the process has one (decided
    // once per process).
    static void paint(QPainter& painter, const QRectF& rect, bool busy);
    // Pixmap-built, in the sizes tray hosts ask for; made once per state and process.
    static QIcon icon(bool busy);
    static QString description(bool busy);

    // The two drawings, for callers that choose themselves.
    static void paintLogo(QPainter& painter, const QRectF& rect, bool busy, const QString& logo);
    static void paintMascot(QPainter& painter, const QRectF& rect, bool busy);
    // The picture at `size` × `size` device pixels, transparent around it.
    static QImage image(bool busy, int size, qreal devicePixelRatio = 1.0);
};

} // namespace ui
