#include "tray/MenuBarIcon.h"

#include "look/AppLogo.h"
#include "look/Ink.h"

#include <QPainterPath>
#include <cmath>
#include <numbers>

namespace ui {

namespace {

// The drawings are made on an 18 × 18 grid and scaled to the target.
constexpr qreal kGrid = 18.0;

QTransform gridTransform(const QRectF& rect) {
    QTransform transform;
    transform.translate(rect.x(), rect.y());
    transform.scale(rect.width() / kGrid, rect.height() / kGrid);
    return transform;
}

QPainterPath scallopedBody(qreal c, qreal r) {
    QPainterPath body;
    body.moveTo(c, c - r);
    const qreal step = 2 * std::numbers::pi / 16;
    for (int i = 1; i <= 16; ++i) {
        const qreal theta = i * step - std::numbers::pi / 2;
        const qreal bulge = theta - std::numbers::pi / 16;
        const QPointF control(c + 1.16 * r * std::cos(bulge), c + 1.16 * r * std::sin(bulge));
        body.cubicTo(control, control, QPointF(c + r * std::cos(theta), c + r * std::sin(theta)));
    }
    body.closeSubpath();
    return body;
}

} // namespace

void MenuBarIcon::paint(QPainter& painter, const QRectF& rect, bool busy) {
    static const bool hasLogo = AppLogo::available();
    if (hasLogo) {
        paintLogo(painter, rect, busy, QString::fromLatin1(AppLogo::resource));
    } else {
        paintMascot(painter, rect, busy);
    }
}

void MenuBarIcon::paintLogo(QPainter& painter, const QRectF& rect, bool busy, const QString& logo) {
    AppLogo::paintFrom(painter, rect, logo);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    if (busy) {
        // The dot sits in the top-right corner of the 18-point grid.
        painter.setTransform(gridTransform(rect), true);
        const QRectF dot(11.5, 0.0, 6.5, 6.5);
        painter.setBrush(QColor::fromRgbF(1.0F, 0.82F, 0.25F));
        painter.setPen(QPen(QColor::fromRgbF(0.07F, 0.07F, 0.08F), 1.2));
        painter.drawEllipse(dot);
    }
    painter.restore();
}

void MenuBarIcon::paintMascot(QPainter& painter, const QRectF& rect, bool busy) {
    const qreal c = 9.0;
    const qreal r = busy ? 7.2 : 6.9;
    const qreal u = r / 98.0;
    const QPainterPath body = scallopedBody(c, r);
    QPainterPath smile;
    smile.moveTo(c - 15 * u, c + 25 * u);
    smile.cubicTo(c - 5 * u, c + 40 * u, c + 5 * u, c + 40 * u, c + 15 * u, c + 25 * u);
    QPainterPath eyes;
    eyes.addEllipse(QRectF(c - 52 * u, c - 39 * u, 40 * u, 52 * u));
    eyes.addEllipse(QRectF(c + 12 * u, c - 39 * u, 40 * u, 52 * u));

    // The face is drawn on its own layer so the busy seal can have holes punched in it without
    // touching what lies below on the caller's painter.
    const QTransform toRect = gridTransform(rect);
    const QRect target = toRect.mapRect(QRectF(0, 0, kGrid, kGrid)).toAlignedRect();
    const qreal ratio = painter.device() != nullptr ? painter.device()->devicePixelRatioF() : 1.0;
    QImage layer(target.size() * ratio, QImage::Format_ARGB32_Premultiplied);
    layer.setDevicePixelRatio(ratio);
    layer.fill(Qt::transparent);
    {
        QPainter face(&layer);
        face.setRenderHint(QPainter::Antialiasing);
        face.translate(-target.topLeft());
        face.setTransform(toRect, true);
        const QColor ink = Ink::ink();
        const QPen smilePen(ink, 1.3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
        if (busy) {
            face.fillPath(body, ink);
            face.setCompositionMode(QPainter::CompositionMode_DestinationOut);
            face.fillPath(eyes, Qt::black);
            face.strokePath(smile, smilePen);
        } else {
            face.strokePath(body, QPen(ink, 1.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            face.fillPath(eyes, ink);
            face.strokePath(smile, smilePen);
        }
    }
    painter.drawImage(QRectF(target), layer);
}

QImage MenuBarIcon::image(bool busy, int size, qreal devicePixelRatio) {
    QImage picture(QSize(size, size), QImage::Format_ARGB32_Premultiplied);
    picture.fill(Qt::transparent);
    picture.setDevicePixelRatio(devicePixelRatio);
    QPainter painter(&picture);
    paint(painter, QRectF(0, 0, size / devicePixelRatio, size / devicePixelRatio), busy);
    return picture;
}

QIcon MenuBarIcon::icon(bool busy) {
    auto build = [](bool state) {
        QIcon icon;
        for (const int size : {16, 22, 24, 32, 44, 48, 64, 96, 128}) {
            icon.addPixmap(QPixmap::fromImage(image(state, size)));
        }
        return icon;
    };
    static const QIcon idle = build(false);
    static const QIcon busyIcon = build(true);
    return busy ? busyIcon : idle;
}

QString MenuBarIcon::description(bool busy) {
    return busy ? QStringLiteral("Quillmark is naming screenshots") : QStringLiteral("Quillmark");
}

} // namespace ui
