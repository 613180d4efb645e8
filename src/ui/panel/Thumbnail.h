#pragma once

#include <QImage>
#include <QPixmap>
#include <QString>
#include <QWidget>
#include <optional>

class QPainter;

namespace ui {

class ThumbnailCache;

// A small square picture of one file: the decoded thumbnail filling the frame, or a "photo"
// placeholder until there is one. Asks the cache when it first paints after being shown, so
// rows scrolled out of sight decode nothing, and a file that could not be decoded is tried
// again the next time it appears.
class Thumbnail : public QWidget {
    Q_OBJECT

public:
    static constexpr qreal defaultSide = 36;
    static constexpr int defaultPixelSize = 96;

    // `side` is the frame in device-independent pixels, `pixelSize` the decoded size asked
    // for; null `cache`: the shared one.
    explicit Thumbnail(QWidget* parent = nullptr, qreal side = defaultSide,
                       int pixelSize = defaultPixelSize, ThumbnailCache* cache = nullptr);
    ~Thumbnail() override;

    void setPath(const QString& path);
    const QString& path() const { return path_; }
    bool hasImage() const { return image_.has_value(); }
    QSize sizeHint() const override;

    // The whole tile over `frame`: sky background, image (aspect fill) or placeholder, rounded
    // corners and an ink outline. `image` may be null.
    static void paint(QPainter& painter, const QRectF& frame, const QImage* image);

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void onLoaded(const QString& path, int pixelSize);
    void onFailed(const QString& path, int pixelSize);
    // Out of sight before its decode began: no decode for it.
    void withdraw();
    void lookUp();
    const QPixmap& face(qreal dpr);

    ThumbnailCache& cache_;
    qreal side_;
    int pixelSize_;
    QString path_;
    std::optional<QImage> image_;
    bool requested_ = false;
    bool waiting_ = false; // asked the cache and not answered yet
    // The finished tile at one device pixel ratio, so a repaint is one pixmap copy.
    QPixmap face_;
};

} // namespace ui
