#pragma once

#include <QCache>
#include <QHash>
#include <QImage>
#include <QObject>
#include <QSet>
#include <QString>
#include <QThreadPool>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>

namespace ui {

// Decoded thumbnails shared by every view, keyed by file and pixel size ("path#size"), so the
// same file at two sizes never collides. Lookups and results live on the GUI thread; decoding
// runs on low-priority worker threads. A file that cannot be decoded is not remembered, so the
// next request tries again.
class ThumbnailCache : public QObject {
    Q_OBJECT

public:
    // Decodes one file to an image whose longer side is at most `pixelSize`, or nothing. Runs on
    // a worker thread.
    using Decoder = std::function<std::optional<QImage>(const QString& path, int pixelSize)>;

    static constexpr int defaultCapacity = 400;
    // At most this much decoded image data (KiB), whatever the count: 400 dashboard-sized
    // thumbnails alone would take over 250 MB.
    static constexpr int byteBudgetKiB = 100 * 1024;

    explicit ThumbnailCache(Decoder decoder = decodeFile, int capacity = defaultCapacity,
                            QObject* parent = nullptr);
    ~ThumbnailCache() override;

    // The process-wide cache, made on first use (on the GUI thread) and owned by the application.
    static ThumbnailCache& shared();

    static QString key(const QString& path, int pixelSize);
    // The engine's decoder: downsized, orientation corrected, alpha flattened.
    static std::optional<QImage> decodeFile(const QString& path, int pixelSize);

    std::optional<QImage> cached(const QString& path, int pixelSize) const;
    // Asks for a decode unless the image is cached or already asked for; the outcome arrives
    // as loaded() or failed() on the GUI thread. A cached image is announced by loaded() too.
    // The latest requests are decoded first: they are what is on the screen now.
    void request(const QString& path, int pixelSize);
    // The caller no longer shows the image: a decode that has not begun is dropped once no one
    // who asked for it still wants it. One call for each request that has not been answered.
    void withdraw(const QString& path, int pixelSize);
    bool isDecoding(const QString& path, int pixelSize) const;
    // Nothing asked for is still to be answered.
    bool isIdle() const { return decoding_.isEmpty(); }
    int count() const { return images_.count(); }
    int capacity() const { return capacity_; }

    // Blocks until every decode started so far has finished on its worker (its result is still
    // delivered through the event loop).
    void waitForDecodes();

signals:
    void loaded(const QString& path, int pixelSize);
    void failed(const QString& path, int pixelSize);

private:
    struct Job {
        QString path;
        int pixelSize = 0;
    };
    void work();
    void finish(const QString& path, int pixelSize, std::optional<QImage> image);

    Decoder decoder_;
    int capacity_;
    mutable QCache<QString, QImage> images_;
    QSet<QString> decoding_;     // asked for and not answered yet, begun or not
    QHash<QString, int> wanted_; // how many askers still want each of those
    // Not begun yet, latest first; shared with the workers.
    std::mutex mutex_;
    std::deque<Job> queued_;
    int workers_ = 0;
    QThreadPool pool_;
};

} // namespace ui
