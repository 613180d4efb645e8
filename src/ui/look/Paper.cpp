#include "look/Paper.h"

#include "look/Ink.h"

#include <QPainter>
#include <QPixmap>

#include <cmath>

namespace ui {

double Paper::Random::next() {
    state_ = state_ * 0x5851F42D4C957F2DULL + 0x14057B7EF767814FULL;
    return static_cast<double>(state_ >> 33) / 2147483647.0;
}

QImage Paper::drawGrain() {
    QImage image(grainSize, grainSize, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    Random random;
    for (int i = 0; i < grainDots; ++i) {
        const double alpha = random.next() * 0.06 + 0.05;
        const double x = random.next() * grainSize;
        const double y = random.next() * grainSize;
        painter.fillRect(
            QRectF(x, y, 1, 1),
            QColor::fromRgbF(154 / 255.0F, 140 / 255.0F, 115 / 255.0F, static_cast<float>(alpha)));
    }
    return image;
}

QImage Paper::grain() {
    static const QImage image = drawGrain();
    return image;
}

void Paper::fill(QPainter& painter, const QRectF& rect) {
    // Pixmaps live on the GUI thread, as does all painting onto widgets.
    static const QPixmap tile = QPixmap::fromImage(grain());
    painter.fillRect(rect, Ink::paper());
    // Anchor the tiles at the origin so neighbouring fills line up.
    const QPointF offset(std::fmod(rect.left(), grainSize), std::fmod(rect.top(), grainSize));
    painter.drawTiledPixmap(rect, tile, offset);
}

} // namespace ui
