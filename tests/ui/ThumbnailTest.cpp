#include "panel/Thumbnail.h"
#include "look/Ink.h"
#include "panel/ThumbnailCache.h"

#include <QPainter>
#include <QTest>
#include <atomic>
#include <gtest/gtest.h>
#include <map>
#include <mutex>

using ui::Thumbnail;
using ui::ThumbnailCache;

namespace {

// Decodes "red.png" and "blue.png" to plain squares, fails "broken.png" the first time only,
// and counts the calls per file.
class FakeDecoder {
public:
    std::optional<QImage> operator()(const QString& path, int size) {
        int call = 0;
        {
            std::lock_guard lock(mutex_);
            call = ++calls_[path];
        }
        QImage image(size, size, QImage::Format_RGB32);
        if (path.endsWith("red.png") || (path.endsWith("broken.png") && call > 1)) {
            image.fill(Qt::red);
            return image;
        }
        if (path.endsWith("blue.png")) {
            image.fill(Qt::blue);
            return image;
        }
        return std::nullopt;
    }
    int calls(const QString& path) {
        std::lock_guard lock(mutex_);
        return calls_[path];
    }

private:
    std::mutex mutex_;
    std::map<QString, int> calls_;
};

QColor centreOf(Thumbnail& thumbnail) {
    return thumbnail.grab().toImage().pixelColor(6, 18);
}

} // namespace

TEST(Thumbnail, brokenFileShowsThePlaceholderAndIsTriedAgainOnTheNextAppearance) {
    auto decoder = std::make_shared<FakeDecoder>();
    ThumbnailCache cache([decoder](const QString& p, int s) { return (*decoder)(p, s); });
    Thumbnail thumbnail(nullptr, 36, 96, &cache);
    EXPECT_EQ(thumbnail.size(), QSize(36, 36));
    thumbnail.setPath("/x/broken.png");
    thumbnail.show();

    EXPECT_EQ(centreOf(thumbnail), ui::Ink::sky());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !cache.isDecoding("/x/broken.png", 96); }, 2000));
    EXPECT_EQ(centreOf(thumbnail), ui::Ink::sky());
    EXPECT_EQ(decoder->calls("/x/broken.png"), 1); // repaints alone do not retry

    thumbnail.hide();
    thumbnail.show();
    centreOf(thumbnail);
    ASSERT_TRUE(QTest::qWaitFor([&] { return thumbnail.hasImage(); }, 2000));
    EXPECT_EQ(centreOf(thumbnail), QColor(Qt::red));
    EXPECT_EQ(decoder->calls("/x/broken.png"), 2);
}

TEST(Thumbnail, newPathDropsTheOldPictureAndDecodesOnlyOnAMiss) {
    auto decoder = std::make_shared<FakeDecoder>();
    ThumbnailCache cache([decoder](const QString& p, int s) { return (*decoder)(p, s); });
    Thumbnail thumbnail(nullptr, 36, 96, &cache);
    thumbnail.setPath("/x/red.png");
    thumbnail.show();
    centreOf(thumbnail);
    ASSERT_TRUE(QTest::qWaitFor([&] { return thumbnail.hasImage(); }, 2000));

    thumbnail.setPath("/x/blue.png");
    EXPECT_EQ(centreOf(thumbnail), ui::Ink::sky());
    ASSERT_TRUE(QTest::qWaitFor([&] { return thumbnail.hasImage(); }, 2000));
    EXPECT_EQ(centreOf(thumbnail), QColor(Qt::blue));

    thumbnail.setPath("/x/red.png");
    EXPECT_EQ(centreOf(thumbnail), QColor(Qt::red));
    EXPECT_EQ(decoder->calls("/x/red.png"), 1);
    EXPECT_EQ(decoder->calls("/x/blue.png"), 1);
}

TEST(Thumbnail, imageFillsTheRoundedFrameKeepingItsAspect) {
    // Green margins left and right of a red middle: filling shows only the middle.
    QImage wide(96, 48, QImage::Format_RGB32);
    wide.fill(Qt::green);
    QPainter(&wide).fillRect(24, 0, 48, 48, Qt::red);

    QImage tile(36, 36, QImage::Format_ARGB32_Premultiplied);
    tile.fill(Qt::transparent);
    {
        QPainter painter(&tile);
        Thumbnail::paint(painter, QRectF(0, 0, 36, 36), &wide);
    }
    EXPECT_EQ(tile.pixelColor(4, 18), QColor(Qt::red));
    EXPECT_EQ(tile.pixelColor(31, 18), QColor(Qt::red));
    EXPECT_EQ(tile.pixelColor(18, 4), QColor(Qt::red));
    EXPECT_EQ(tile.pixelColor(0, 0).alpha(), 0);       // rounded corner
    EXPECT_EQ(tile.pixelColor(18, 0), ui::Ink::ink()); // outline inside the frame
    EXPECT_EQ(tile.pixelColor(35, 18), ui::Ink::ink());
}
