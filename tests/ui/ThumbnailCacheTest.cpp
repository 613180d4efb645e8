#include "panel/ThumbnailCache.h"

#include <QColor>
#include <QSemaphore>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <atomic>
#include <gtest/gtest.h>
#include <mutex>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

using ui::ThumbnailCache;

namespace {

QImage square(int side, QColor colour = Qt::red) {
    QImage image(side, side, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

// Waits for the cache to report the outcome of every decode it has started.
bool settle(ThumbnailCache& cache, const QString& path, int size) {
    return QTest::qWaitFor([&] { return !cache.isDecoding(path, size); }, 5000);
}

} // namespace

TEST(ThumbnailCache, keyHoldsThePixelSizeSoSizesDoNotCollide) {
    EXPECT_EQ(ThumbnailCache::key("/a/b.png", 96), "/a/b.png#96");

    ThumbnailCache cache([](const QString&, int size) { return square(size); });
    QSignalSpy loaded(&cache, &ThumbnailCache::loaded);
    cache.request("/a/b.png", 96);
    cache.request("/a/b.png", 520);
    ASSERT_TRUE(QTest::qWaitFor([&] { return loaded.count() == 2; }, 5000));

    ASSERT_TRUE(cache.cached("/a/b.png", 96));
    ASSERT_TRUE(cache.cached("/a/b.png", 520));
    EXPECT_EQ(cache.cached("/a/b.png", 96)->width(), 96);
    EXPECT_EQ(cache.cached("/a/b.png", 520)->width(), 520);
    EXPECT_FALSE(cache.cached("/a/b.png", 48));
    EXPECT_FALSE(cache.cached("/a/b.png#96", 96));

    // Asking again for a cached image decodes nothing but still answers.
    cache.request("/a/b.png", 96);
    ASSERT_TRUE(loaded.wait(2000));
    EXPECT_EQ(loaded.last().at(1).toInt(), 96);
    EXPECT_EQ(cache.count(), 2);
}

TEST(ThumbnailCache, failureIsNotStoredAndTheNextRequestDecodesAgain) {
    std::atomic<int> calls = 0;
    ThumbnailCache cache([&](const QString&, int size) -> std::optional<QImage> {
        if (calls++ == 0) {
            return std::nullopt;
        }
        return square(size);
    });
    QSignalSpy loaded(&cache, &ThumbnailCache::loaded);
    QSignalSpy failed(&cache, &ThumbnailCache::failed);

    cache.request("/x/broken.png", 96);
    ASSERT_TRUE(failed.wait(5000));
    EXPECT_FALSE(cache.cached("/x/broken.png", 96));
    EXPECT_EQ(cache.count(), 0);

    cache.request("/x/broken.png", 96);
    ASSERT_TRUE(loaded.wait(5000));
    EXPECT_EQ(calls, 2);
    EXPECT_TRUE(cache.cached("/x/broken.png", 96));
    EXPECT_EQ(failed.count(), 1);
}

TEST(ThumbnailCache, decodesOffTheGuiThreadAtLowPriorityAndDeliversOnIt) {
    std::mutex mutex;
    QThread* decodingThread = nullptr;
    int decodingNice = 0;
    ThumbnailCache cache([&](const QString&, int size) {
        std::lock_guard lock(mutex);
        decodingThread = QThread::currentThread();
        decodingNice = getpriority(PRIO_PROCESS, static_cast<id_t>(syscall(SYS_gettid)));
        return square(size);
    });
    QThread* deliveredOn = nullptr;
    QObject::connect(
        &cache, &ThumbnailCache::loaded, &cache, [&] { deliveredOn = QThread::currentThread(); },
        Qt::DirectConnection);

    cache.request("/a/c.png", 96);
    ASSERT_TRUE(QTest::qWaitFor([&] { return deliveredOn != nullptr; }, 5000));

    std::lock_guard lock(mutex);
    ASSERT_NE(decodingThread, nullptr);
    EXPECT_NE(decodingThread, QThread::currentThread());
    EXPECT_GT(decodingNice, getpriority(PRIO_PROCESS, 0));
    EXPECT_EQ(deliveredOn, QThread::currentThread());
}

TEST(ThumbnailCache, oneDecodePerKeyWhileItIsInFlight) {
    QSemaphore release;
    std::atomic<int> calls = 0;
    ThumbnailCache cache([&](const QString&, int size) {
        ++calls;
        release.acquire();
        return square(size);
    });
    QSignalSpy loaded(&cache, &ThumbnailCache::loaded);

    cache.request("/a/d.png", 96);
    cache.request("/a/d.png", 96);
    cache.request("/a/d.png", 96);
    cache.request("/a/d.png", 520); // another size is another image
    ASSERT_TRUE(QTest::qWaitFor([&] { return calls == 2; }, 5000));
    EXPECT_TRUE(cache.isDecoding("/a/d.png", 96));
    release.release(2);

    ASSERT_TRUE(QTest::qWaitFor([&] { return loaded.count() == 2; }, 5000));
    EXPECT_EQ(calls, 2);
    EXPECT_FALSE(cache.isDecoding("/a/d.png", 96));
}

TEST(ThumbnailCache, keepsAtMostFourHundredImagesAndDropsTheLeastRecentlyUsed) {
    ThumbnailCache cache([](const QString&, int) { return square(2); });
    EXPECT_EQ(cache.capacity(), 400);
    QSignalSpy loaded(&cache, &ThumbnailCache::loaded);
    for (int i = 0; i < 400; ++i) {
        cache.request(QString("/f/%1.png").arg(i), 96);
    }
    ASSERT_TRUE(QTest::qWaitFor([&] { return loaded.count() == 400; }, 10000));
    EXPECT_EQ(cache.count(), 400);

    // Two workers finish in any order: use every image once so the order of use is known.
    for (int i = 0; i < 400; ++i) {
        ASSERT_TRUE(cache.cached(QString("/f/%1.png").arg(i), 96));
    }
    ASSERT_TRUE(cache.cached("/f/0.png", 96)); // used again: no longer the oldest
    cache.request("/f/new.png", 96);
    ASSERT_TRUE(settle(cache, "/f/new.png", 96));
    EXPECT_EQ(cache.count(), 400);
    EXPECT_TRUE(cache.cached("/f/new.png", 96));
    EXPECT_TRUE(cache.cached("/f/0.png", 96));
    EXPECT_FALSE(cache.cached("/f/1.png", 96));
}

TEST(ThumbnailCache, largeImagesStayWithinTheMemoryBudget) {
    // 1000 × 1000 at three bytes a pixel is about 2.9 MB: far fewer than 400 fit the budget.
    ThumbnailCache cache([](const QString&, int) {
        QImage image(1000, 1000, QImage::Format_RGB888);
        image.fill(Qt::blue);
        return std::optional<QImage>(image);
    });
    QSignalSpy loaded(&cache, &ThumbnailCache::loaded);
    const int requests = 80;
    for (int i = 0; i < requests; ++i) {
        cache.request(QString("/big/%1.png").arg(i), 520);
    }
    ASSERT_TRUE(QTest::qWaitFor([&] { return loaded.count() == requests; }, 20000));
    const qint64 held = static_cast<qint64>(cache.count()) * 1000 * 1000 * 3;
    EXPECT_LE(held, qint64(ThumbnailCache::byteBudgetKiB) * 1024);
    EXPECT_GT(cache.count(), 10);
    // The image that arrived last is kept.
    EXPECT_TRUE(cache.cached(loaded.last().at(0).toString(), 520).has_value());
}

TEST(ThumbnailCache, realDecoderDownsizesFilesAndRefusesWhatItCannotRead) {
    QTemporaryDir folder;
    const QString wide = folder.filePath("wide shot.png");
    QImage picture(300, 150, QImage::Format_RGB32);
    picture.fill(QColor(20, 120, 220));
    ASSERT_TRUE(picture.save(wide));

    const auto thumbnail = ThumbnailCache::decodeFile(wide, 96);
    ASSERT_TRUE(thumbnail);
    EXPECT_EQ(thumbnail->size(), QSize(96, 48));
    const QColor centre = thumbnail->pixelColor(48, 24);
    EXPECT_NEAR(centre.red(), 20, 2);
    EXPECT_NEAR(centre.green(), 120, 2);
    EXPECT_NEAR(centre.blue(), 220, 2);

    const QString broken = folder.filePath("broken.png");
    QFile file(broken);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("\x89PNG\r\n\x1a\n not really");
    file.close();
    EXPECT_FALSE(ThumbnailCache::decodeFile(broken, 96));
    EXPECT_FALSE(ThumbnailCache::decodeFile(folder.filePath("gone.png"), 96));
}

TEST(ThumbnailCache, latestRequestsDecodeFirstAndWithdrawnOnesNotAtAll) {
    // Both workers held on their first files, so the rest wait in the queue.
    QSemaphore gate;
    std::mutex mutex;
    std::vector<QString> decoded;
    ThumbnailCache cache([&](const QString& path, int size) -> std::optional<QImage> {
        {
            std::lock_guard lock(mutex);
            decoded.push_back(path);
        }
        gate.acquire();
        return square(size);
    });
    auto decodedSoFar = [&] {
        std::lock_guard lock(mutex);
        return decoded;
    };
    cache.request("/busy/1.png", 96);
    cache.request("/busy/2.png", 96);
    ASSERT_TRUE(QTest::qWaitFor([&] { return decodedSoFar().size() == 2; }, 5000));

    for (const char* path :
         {"/scrolled/a.png", "/scrolled/b.png", "/shown/c.png", "/shown/d.png"}) {
        cache.request(path, 96);
    }
    // Two asked for one; one of them still wants it.
    cache.request("/scrolled/a.png", 96);
    cache.withdraw("/scrolled/a.png", 96);
    cache.withdraw("/scrolled/b.png", 96);
    EXPECT_FALSE(cache.isDecoding("/scrolled/b.png", 96));
    EXPECT_TRUE(cache.isDecoding("/scrolled/a.png", 96));
    cache.withdraw("/busy/1.png", 96); // begun already: it finishes and is kept

    gate.release(100);
    cache.waitForDecodes();
    const std::vector<QString> expected{"/shown/d.png", "/shown/c.png", "/scrolled/a.png"};
    const auto order = decodedSoFar();
    ASSERT_EQ(order.size(), 5u);
    EXPECT_EQ(std::vector<QString>(order.begin() + 2, order.end()), expected);
    ASSERT_TRUE(settle(cache, "/scrolled/a.png", 96));
    EXPECT_TRUE(cache.cached("/busy/1.png", 96));
    EXPECT_FALSE(cache.cached("/scrolled/b.png", 96));

    // Withdrawn before its decode, asked again later: decoded then.
    cache.request("/scrolled/b.png", 96);
    ASSERT_TRUE(settle(cache, "/scrolled/b.png", 96));
    EXPECT_TRUE(cache.cached("/scrolled/b.png", 96));
}
