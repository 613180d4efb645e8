#include "panel/ThumbnailCache.h"

#include "reading/TextReader.h"

#include <QCoreApplication>
#include <QFile>
#include <QPointer>
#include <QThread>
#include <algorithm>
#include <cstring>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace ui {

namespace {

// Thumbnails are a nicety: they should never compete with the GUI or the namer for a core.
// Qt's thread priorities do nothing under Linux's default scheduler, a per-thread nice value
// does.
constexpr int workerNice = 10;

void lowerThisThreadPriority() {
    thread_local bool lowered = false;
    if (lowered) {
        return;
    }
    lowered = true;
    const auto tid = static_cast<id_t>(syscall(SYS_gettid));
    errno = 0;
    const int current = getpriority(PRIO_PROCESS, tid);
    if (errno == 0 && current < workerNice) {
        setpriority(PRIO_PROCESS, tid, workerNice);
    }
}

// Three bytes a pixel, as decoded: the 400 dashboard-sized entries are the program's largest
// use of memory.
QImage toQImage(const engine::RgbImage& rgb) {
    QImage image(rgb.width, rgb.height, QImage::Format_RGB888);
    const auto rowBytes = static_cast<std::size_t>(rgb.width) * 3;
    for (int y = 0; y < rgb.height; ++y) {
        std::memcpy(image.scanLine(y), rgb.pixel(0, y), rowBytes);
    }
    return image;
}

// Every entry costs at least an even share of the budget, so the count limit holds too.
int costOf(const QImage& image, int capacity) {
    const auto kib = static_cast<int>(image.sizeInBytes() / 1024);
    return std::max(kib, ThumbnailCache::byteBudgetKiB / std::max(capacity, 1));
}

} // namespace

ThumbnailCache::ThumbnailCache(Decoder decoder, int capacity, QObject* parent)
    : QObject(parent), decoder_(std::move(decoder)), capacity_(capacity), images_(byteBudgetKiB) {
    pool_.setMaxThreadCount(2);
    pool_.setThreadPriority(QThread::LowPriority);
    pool_.setExpiryTimeout(5000);
}

ThumbnailCache::~ThumbnailCache() {
    {
        std::lock_guard lock(mutex_);
        queued_.clear();
    }
    pool_.waitForDone();
}

ThumbnailCache& ThumbnailCache::shared() {
    static QPointer<ThumbnailCache> instance;
    if (instance.isNull()) {
        instance = new ThumbnailCache(decodeFile, defaultCapacity, QCoreApplication::instance());
    }
    return *instance;
}

QString ThumbnailCache::key(const QString& path, int pixelSize) {
    return path + QLatin1Char('#') + QString::number(pixelSize);
}

std::optional<QImage> ThumbnailCache::decodeFile(const QString& path, int pixelSize) {
    const auto rgb = engine::TextReader::loadImage(
        std::filesystem::path(QFile::encodeName(path).toStdString()), pixelSize);
    if (!rgb || rgb->empty()) {
        return std::nullopt;
    }
    return toQImage(*rgb);
}

std::optional<QImage> ThumbnailCache::cached(const QString& path, int pixelSize) const {
    if (const QImage* image = images_.object(key(path, pixelSize))) {
        return *image;
    }
    return std::nullopt;
}

bool ThumbnailCache::isDecoding(const QString& path, int pixelSize) const {
    return decoding_.contains(key(path, pixelSize));
}

void ThumbnailCache::request(const QString& path, int pixelSize) {
    const QString k = key(path, pixelSize);
    if (images_.contains(k)) {
        QMetaObject::invokeMethod(
            this, [this, path, pixelSize] { emit loaded(path, pixelSize); }, Qt::QueuedConnection);
        return;
    }
    ++wanted_[k];
    if (decoding_.contains(k)) {
        return;
    }
    decoding_.insert(k);
    std::lock_guard lock(mutex_);
    queued_.push_front({path, pixelSize});
    // Two workers: a panel full of rows fills quickly without taking both cores from the GUI.
    if (workers_ < 2) {
        ++workers_;
        pool_.start([this] { work(); });
    }
}

void ThumbnailCache::withdraw(const QString& path, int pixelSize) {
    const QString k = key(path, pixelSize);
    auto it = wanted_.find(k);
    if (it == wanted_.end() || --it.value() > 0) {
        return;
    }
    wanted_.erase(it);
    std::lock_guard lock(mutex_);
    const auto job = std::find_if(queued_.begin(), queued_.end(), [&](const Job& queued) {
        return queued.pixelSize == pixelSize && queued.path == path;
    });
    if (job != queued_.end()) {
        queued_.erase(job);
        decoding_.remove(k); // a later request starts afresh
    }
}

void ThumbnailCache::work() {
    lowerThisThreadPriority();
    for (;;) {
        Job job;
        {
            std::lock_guard lock(mutex_);
            if (queued_.empty()) {
                --workers_;
                return;
            }
            job = std::move(queued_.front());
            queued_.pop_front();
        }
        std::optional<QImage> image = decoder_(job.path, job.pixelSize);
        QMetaObject::invokeMethod(
            this,
            [this, path = job.path, pixelSize = job.pixelSize, image = std::move(image)]() mutable {
                finish(path, pixelSize, std::move(image));
            },
            Qt::QueuedConnection);
    }
}

void ThumbnailCache::waitForDecodes() {
    pool_.waitForDone();
}

void ThumbnailCache::finish(const QString& path, int pixelSize, std::optional<QImage> image) {
    const QString k = key(path, pixelSize);
    decoding_.remove(k);
    wanted_.remove(k);
    if (!image || image->isNull()) {
        emit failed(path, pixelSize);
        return;
    }
    const int cost = costOf(*image, capacity_);
    images_.insert(k, new QImage(std::move(*image)), cost);
    emit loaded(path, pixelSize);
}

} // namespace ui
