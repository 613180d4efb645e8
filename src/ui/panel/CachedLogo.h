#pragma once

#include <QRectF>

class QPainter;

namespace ui {

// The logo drawn from a pixmap kept per size and device pixel ratio: rendering the vector
// logo on every paint costs more than the rest of the header together.
struct CachedLogo {
    static void paint(QPainter& painter, const QRectF& rect);
};

} // namespace ui
