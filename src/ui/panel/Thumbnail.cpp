#include "panel/Thumbnail.h"

#include "look/Ink.h"
#include "panel/RecordPresentation.h"
#include "panel/ThumbnailCache.h"

#include <QPainter>
#include <cmath>

namespace ui {

Thumbnail::Thumbnail(QWidget* parent, qreal side, int pixelSize, ThumbnailCache* cache)
    : QWidget(parent), cache_(cache != nullptr ? *cache : ThumbnailCache::shared()), side_(side),
      pixelSize_(pixelSize) {
    setFixedSize(sizeHint());
    setAttribute(Qt::WA_TransparentForMouseEvents);
    connect(&cache_, &ThumbnailCache::loaded, this, &Thumbnail::onLoaded);
}

QSize Thumbnail::sizeHint() const {
    const int side = static_cast<int>(std::ceil(side_));
    return {side, side};
}

void Thumbnail::setPath(const QString& path) {
    if (path == path_) {
        return;
    }
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
    // The placeholder symbol at the size of body text.
    const RecordPresentation::TileLook look{8, 1.5, Ink::ink3(), QSizeF(15, 15)};
    RecordPresentation::paintTile(painter, frame, image != nullptr ? *image : QImage(), look);
}

} // namespace ui
