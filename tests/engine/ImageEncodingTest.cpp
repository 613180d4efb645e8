#include "model/Base64.h"
#include "model/ImageEncoder.h"

#include <gtest/gtest.h>
#include <vips/vips.h>

using namespace engine;

TEST(Base64, knownVectors) {
    const std::pair<std::string, std::string> vectors[] = {
        {"", ""},
        {"f", "Zg=="},
        {"fo", "Zm8="},
        {"foo", "Zm9v"},
        {"foob", "Zm9vYg=="},
        {"fooba", "Zm9vYmE="},
        {"foobar", "Zm9vYmFy"},
        {std::string("\xFB\xFF\x00", 3), "+/8A"},
        {"\xFF", "/w=="},
    };
    for (const auto& [bytes, text] : vectors) {
        EXPECT_EQ(Base64::encode(bytes), text);
        EXPECT_EQ(Base64::decode(text), bytes) << text;
    }
}

TEST(Base64, rejectsMalformedText) {
    for (const char* bad : {"Zg=", "Z===", "=Zg=", "Zg=a", "Zh==", "Zm9=", "Zm9v!A==", "Zm 9v"}) {
        EXPECT_FALSE(Base64::decode(bad)) << bad;
    }
}

TEST(ImageEncoder, pngKeepsEveryPixel) {
    RgbImage image;
    image.width = 17;
    image.height = 9;
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            image.pixels.insert(image.pixels.end(),
                                {std::uint8_t(x * 15), std::uint8_t(y * 28), std::uint8_t(x ^ y)});
        }
    }
    auto png = ImageEncoder::png(image);
    ASSERT_TRUE(png);
    ASSERT_TRUE(png->starts_with("\x89PNG\r\n\x1A\n"));

    VipsImage* decoded = vips_image_new_from_buffer(png->data(), png->size(), "", nullptr);
    ASSERT_NE(decoded, nullptr);
    EXPECT_EQ(vips_image_get_width(decoded), 17);
    EXPECT_EQ(vips_image_get_height(decoded), 9);
    EXPECT_EQ(decoded->Bands, 3);
    std::size_t size = 0;
    auto* memory = static_cast<std::uint8_t*>(vips_image_write_to_memory(decoded, &size));
    g_object_unref(decoded);
    ASSERT_NE(memory, nullptr);
    EXPECT_EQ(std::vector<std::uint8_t>(memory, memory + size), image.pixels);
    g_free(memory);
}

TEST(ImageEncoder, refusesImagesWhosePixelsDoNotMatchTheirSize) {
    RgbImage image;
    EXPECT_FALSE(ImageEncoder::png(image));
    image.width = 4;
    image.height = 4;
    image.pixels.assign(4 * 4 * 3 - 1, 0);
    EXPECT_FALSE(ImageEncoder::png(image));
    image.pixels.assign(4 * 4 * 3 + 3, 0);
    EXPECT_FALSE(ImageEncoder::png(image));
}
