#include "reading/BmpDecoder.h"
#include "ReadingTestImages.h"

#include <gtest/gtest.h>

using namespace engine;
using reading_test::bmpBytes;
using reading_test::BmpLayout;

namespace {

std::array<int, 3> rgb(const RgbImage& image, int x, int y) {
    const std::uint8_t* p = image.pixel(x, y);
    return {p[0], p[1], p[2]};
}

// Pixel (x, y) of the test pattern: a distinct colour per position.
std::uint32_t pattern(int x, int y) {
    return static_cast<std::uint32_t>((x * 40) << 16 | (y * 60) << 8 | 0x20);
}

} // namespace

TEST(BmpDecoder, directColourLayouts) {
    // Width 5 at 24 bits leaves row padding; top-down and bottom-up rows both end up on top.
    for (const bool topDown : {false, true}) {
        BmpLayout layout{
            .width = 5, .height = 3, .bitCount = 24, .topDown = topDown, .pixel = pattern};
        const auto image = BmpDecoder::decode(bmpBytes(layout));
        ASSERT_TRUE(image) << topDown;
        EXPECT_EQ(image->width, 5);
        EXPECT_EQ(image->height, 3);
        EXPECT_EQ(rgb(*image, 4, 0), (std::array<int, 3>{160, 0, 0x20}));
        EXPECT_EQ(rgb(*image, 1, 2), (std::array<int, 3>{40, 120, 0x20}));
    }

    // 32-bit BI_RGB: the fourth byte is padding, whatever it holds.
    BmpLayout plain{
        .width = 2, .height = 2, .bitCount = 32, .pixel = [](int x, int) -> std::uint32_t {
            return x == 0 ? 0x00102030 : 0x7F405060;
        }};
    auto image = BmpDecoder::decode(bmpBytes(plain));
    ASSERT_TRUE(image);
    EXPECT_EQ(rgb(*image, 0, 0), (std::array<int, 3>{0x10, 0x20, 0x30}));
    EXPECT_EQ(rgb(*image, 1, 1), (std::array<int, 3>{0x40, 0x50, 0x60}));

    // 16-bit 5-6-5 masks.
    BmpLayout rgb565{.width = 2,
                     .height = 1,
                     .bitCount = 16,
                     .compression = 3,
                     .masks = {0xF800, 0x07E0, 0x001F, 0},
                     .pixel = [](int x, int) -> std::uint32_t { return x == 0 ? 0xF800 : 0x07FF; }};
    image = BmpDecoder::decode(bmpBytes(rgb565));
    ASSERT_TRUE(image);
    EXPECT_EQ(rgb(*image, 0, 0), (std::array<int, 3>{255, 0, 0}));
    EXPECT_EQ(rgb(*image, 1, 0), (std::array<int, 3>{0, 255, 255}));
}

TEST(BmpDecoder, bitfieldAlphaIsFlattenedOnWhite) {
    BmpLayout layout{
        .width = 3,
        .height = 1,
        .bitCount = 32,
        .compression = 3,
        .masks = {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000},
        .pixel = [](int x, int) -> std::uint32_t {
            return x == 0 ? 0xFF000000 : x == 1 ? 0x00000000 : 0x80000000; // opaque, clear, half
        }};
    const auto image = BmpDecoder::decode(bmpBytes(layout));
    ASSERT_TRUE(image);
    EXPECT_EQ(rgb(*image, 0, 0), (std::array<int, 3>{0, 0, 0}));
    EXPECT_EQ(rgb(*image, 1, 0), (std::array<int, 3>{255, 255, 255}));
    EXPECT_NEAR(rgb(*image, 2, 0)[0], 127, 1);
}

TEST(BmpDecoder, palettes) {
    BmpLayout eight{.width = 3,
                    .height = 2,
                    .bitCount = 8,
                    .palette = {0x000000, 0xFF8000, 0x0000FF},
                    .pixel = [](int x, int y) -> std::uint32_t {
                        return static_cast<std::uint32_t>((x + y) % 3);
                    }};
    auto image = BmpDecoder::decode(bmpBytes(eight));
    ASSERT_TRUE(image);
    EXPECT_EQ(rgb(*image, 1, 0), (std::array<int, 3>{255, 128, 0}));
    EXPECT_EQ(rgb(*image, 1, 1), (std::array<int, 3>{0, 0, 255}));

    BmpLayout one{.width = 10,
                  .height = 1,
                  .bitCount = 1,
                  .palette = {0xFFFFFF, 0x000000},
                  .pixel = [](int x, int) -> std::uint32_t { return x == 9 ? 1 : 0; }};
    image = BmpDecoder::decode(bmpBytes(one));
    ASSERT_TRUE(image);
    EXPECT_EQ(rgb(*image, 8, 0), (std::array<int, 3>{255, 255, 255}));
    EXPECT_EQ(rgb(*image, 9, 0), (std::array<int, 3>{0, 0, 0}));

    BmpLayout four{.width = 3,
                   .height = 1,
                   .bitCount = 4,
                   .palette = {0, 0, 0x00FF00},
                   .pixel = [](int x, int) -> std::uint32_t { return x == 2 ? 2 : 0; }};
    image = BmpDecoder::decode(bmpBytes(four));
    ASSERT_TRUE(image);
    EXPECT_EQ(rgb(*image, 2, 0), (std::array<int, 3>{0, 255, 0}));

    // An index past the end of a short palette.
    BmpLayout outside = eight;
    outside.palette.resize(2);
    EXPECT_FALSE(BmpDecoder::decode(bmpBytes(outside)));
}

TEST(BmpDecoder, refusesWhatItDoesNotUnderstand) {
    BmpLayout layout{.width = 8, .height = 8, .bitCount = 24, .pixel = pattern};
    const auto good = bmpBytes(layout);
    ASSERT_TRUE(BmpDecoder::decode(good));

    auto bytes = good;
    bytes.resize(bytes.size() - 5);
    EXPECT_FALSE(BmpDecoder::decode(bytes)) << "truncated pixel rows";
    EXPECT_FALSE(BmpDecoder::decode(std::span(good).first(20))) << "truncated header";

    bytes = good;
    bytes[30] = 1; // RLE8
    EXPECT_FALSE(BmpDecoder::decode(bytes));
    bytes = good;
    bytes[18] = bytes[19] = bytes[20] = bytes[21] = 0; // zero width
    EXPECT_FALSE(BmpDecoder::decode(bytes));
    bytes = good;
    bytes[18] = bytes[19] = bytes[20] =
        0xFF; // 16 million wide: far more pixels than the file holds
    bytes[21] = 0x00;
    EXPECT_FALSE(BmpDecoder::decode(bytes));
    bytes = good;
    bytes[28] = 7; // 7 bits per pixel
    EXPECT_FALSE(BmpDecoder::decode(bytes));
    EXPECT_FALSE(BmpDecoder::decode({}));
}

TEST(BmpDecoder, survivesCorruptedHeadersAndData) {
    BmpLayout layout{.width = 7,
                     .height = 5,
                     .bitCount = 8,
                     .palette = {0x000000, 0xFFFFFF, 0x808080},
                     .pixel = [](int x, int y) -> std::uint32_t {
                         return static_cast<std::uint32_t>((x * y) % 3);
                     }};
    const auto good = bmpBytes(layout);
    std::mt19937 random(5);
    for (int round = 0; round < 3000; ++round) {
        auto bytes = good;
        const int flips = 1 + static_cast<int>(random() % 4);
        for (int i = 0; i < flips; ++i) {
            // Mostly the header, where a wrong number does the most harm.
            const std::size_t at = random() % 2 ? random() % 70 : random() % bytes.size();
            bytes[at] = static_cast<std::uint8_t>(random());
        }
        bytes.resize(bytes.size() - random() % 8);
        const auto image = BmpDecoder::decode(bytes);
        if (image) {
            EXPECT_EQ(image->pixels.size(),
                      static_cast<std::size_t>(image->width) * image->height * 3);
        }
    }
}
