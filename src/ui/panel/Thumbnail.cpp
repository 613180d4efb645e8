#include "panel/Thumbnail.h"

#include "look/Icons.h"
#include "look/Ink.h"
#include "panel/ThumbnailCache.h"

#include <QPainter>
#include <QPainterPath>
#include <cmath>

namespace ui {

namespace {

constexpr qreal cornerRadius = 8;
constexpr qreal outlineWidth = 1.5;
// The placeholder symbol at the size of body text.
constexpr qreal placeholderSize = 15;

// The centre of `image` with the aspect ratio of `frame`.
QRectF aspectFillSource(const QSizeF& image, const QSizeF& frame) {
    const qreal scale = std::max(frame.width() / image.width(), frame.height() / image.height());
    const QSizeF shown(frame.width() / scale, frame.height() / scale);
    return {QPointF((image.width() - shown.width()) / 2, (image.height() - shown.height()) / 2),
            shown};
}

void paintImage(QPainter& painter, const QRectF& frame, const QImage& image) {
    const QRectF source = aspectFillSource(image.size(), frame.size());
    const qreal dpr = painter.device() != nullptr ? painter.device()->devicePixelRatioF() : 1.0;
    const QSize pixels(std::max(1, qRound(frame.width() * dpr)),
                       std::max(1, qRound(frame.height() * dpr)));
    // Scale once with area averaging; drawing a 96 px image into 36 px would alias.
    const QImage scaled = image.copy(source.toAlignedRect())
                              .scaled(pixels, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    painter.drawImage(frame, scaled);
}

} // namespace

Thumbnail::Thumbnail(QWidget* parent, qreal side, int pixelSize, ThumbnailCache* cache)
    : QWidget(parent), cache_(cache != nullptr ? *cache : ThumbnailCache::shared()), side_(side),
      pixelSize_(pixelSize) {
    setFixedSize(sizeHint());
    setAttribute(Qt::WA_TransparentForMouseEvents);
    connect(&cache_, &ThumbnailCache::loaded, this, &Thumbnail::onLoaded);
    connect(&cache_, &ThumbnailCache::failed, this, &Thumbnail::onFailed);
}

Thumbnail::~Thumbnail() {
    withdraw();
}

void Thumbnail::withdraw() {
    if (waiting_) {
        waiting_ = false;
        cache_.withdraw(path_, pixelSize_);
    }
}

void Thumbnail::onFailed(const QString& path, int pixelSize) {
    if (pixelSize == pixelSize_ && path == path_) {
        waiting_ = false;
    }
}

void Thumbnail::hideEvent(QHideEvent* event) {
    withdraw();
    QWidget::hideEvent(event);
}

QSize Thumbnail::sizeHint() const {
    const int side = static_cast<int>(std::ceil(side_));
    return {side, side};
}

void Thumbnail::setPath(const QString& path) {
    if (path == path_) {
        return;
    }
    withdraw();
    path_ = path;
    image_.reset();
    requested_ = false;
    face_ = QPixmap();
    update();
}

void Thumbnail::showEvent(QShowEvent* event) {
    // A new appearance: a file that failed before gets another chance.
    requested_ = false;
    QWidget::showEvent(event);
}

void Thumbnail::onLoaded(const QString& path, int pixelSize) {
    if (image_ || pixelSize != pixelSize_ || path != path_) {
        return;
    }
    waiting_ = false;
    lookUp();
    if (image_) {
        update();
    }
}

void Thumbnail::lookUp() {
    image_ = cache_.cached(path_, pixelSize_);
    if (image_) {
        face_ = QPixmap();
    }
}

void Thumbnail::paintEvent(QPaintEvent*) {
    if (!image_ && !path_.isEmpty()) {
        lookUp();
        if (!image_ && !requested_) {
            requested_ = true;
            waiting_ = true;
            cache_.request(path_, pixelSize_);
        }
    }
    QPainter painter(this);
    const qreal dpr = painter.device()->devicePixelRatioF();
    painter.drawPixmap(QPointF(0, 0), face(dpr));
}

const QPixmap& Thumbnail::face(qreal dpr) {
    if (!face_.isNull() && qFuzzyCompare(face_.devicePixelRatioF(), dpr)) {
        return face_;
    }
    const int pixels = static_cast<int>(std::ceil(side_ * dpr));
    face_ = QPixmap(pixels, pixels);
    face_.setDevicePixelRatio(dpr);
    face_.fill(Qt::transparent);
    QPainter painter(&face_);
    paint(painter, QRectF(0, 0, side_, side_), image_ ? &*image_ : nullptr);
    return face_;
}

void Thumbnail::paint(QPainter& painter, const QRectF& frame, const QImage* image) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    QPainterPath tile;
    tile.addRoundedRect(frame, cornerRadius, cornerRadius);
    painter.fillPath(tile, Ink::sky());

    painter.save();
    painter.setClipPath(tile, Qt::IntersectClip);
    if (image != nullptr && !image->isNull()) {
        paintImage(painter, frame, *image);
    } else {
        const QRectF symbol(frame.center() - QPointF(placeholderSize / 2, placeholderSize / 2),
                            QSizeF(placeholderSize, placeholderSize));
        Icons::paint(painter, symbol, QStringLiteral("image"), Ink::ink3());
    }
    painter.restore();

    // Stroked inside the border, so the outline never leaves the frame.
    const qreal inset = outlineWidth / 2;
    QPainterPath border;
    border.addRoundedRect(frame.adjusted(inset, inset, -inset, -inset), cornerRadius - inset,
                          cornerRadius - inset);
    painter.setPen(QPen(Ink::ink(), outlineWidth));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(border);
    painter.restore();
}

} // namespace ui
