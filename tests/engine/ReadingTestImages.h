#pragma once

#include <cstdint>
#include <filesystem>
#include <random>
#include <string>
#include <vector>
#include <vips/vips.h>

// Images made inside the tests, so that their content is known.
namespace reading_test {

// Blends a text mask from vips_text into an RGB buffer in the given grey level, with the mask's
// top-left corner at (x, y); takes the mask over and returns its height.
inline int inkMask(VipsImage* mask, std::vector<std::uint8_t>& pixels, int width, int height, int x,
                   int y, std::uint8_t ink) {
    VipsImage* memory = vips_image_copy_memory(mask);
    g_object_unref(mask);
    if (memory == nullptr) {
        return 0;
    }
    const int w = vips_image_get_width(memory);
    const int h = vips_image_get_height(memory);
    const auto* alpha = static_cast<const std::uint8_t*>(vips_image_get_data(memory));
    for (int j = 0; j < h; ++j) {
        for (int i = 0; i < w; ++i) {
            const int px = x + i, py = y + j;
            if (px < 0 || py < 0 || px >= width || py >= height) {
                continue;
            }
            const unsigned a = alpha[static_cast<std::size_t>(j) * w + i];
            std::uint8_t* p = &pixels[(static_cast<std::size_t>(py) * width + px) * 3];
            for (int c = 0; c < 3; ++c) {
                p[c] = static_cast<std::uint8_t>((p[c] * (255 - a) + ink * a) / 255);
            }
        }
    }
    g_object_unref(memory);
    return h;
}

// An sRGB canvas that text can be drawn on and that can be saved in any format libvips writes.
class Canvas {
public:
    Canvas(int width, int height, std::uint8_t grey) : Canvas(width, height, grey, grey, grey) {}
    Canvas(int width, int height, std::uint8_t r, std::uint8_t g, std::uint8_t b)
        : width_(width), height_(height), pixels_(static_cast<std::size_t>(width) * height * 3) {
        fill(0, 0, width, height, r, g, b);
    }

    int width() const { return width_; }
    int height() const { return height_; }
    std::vector<std::uint8_t>& pixels() { return pixels_; }

    void fill(int x, int y, int w, int h, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
        for (int j = std::max(0, y); j < std::min(height_, y + h); ++j) {
            for (int i = std::max(0, x); i < std::min(width_, x + w); ++i) {
                std::uint8_t* p = &pixels_[(static_cast<std::size_t>(j) * width_ + i) * 3];
                p[0] = r;
                p[1] = g;
                p[2] = b;
            }
        }
    }

    // Draws text with its top-left corner at (x, y) in the given grey level; returns its height.
    int text(const std::string& text, int x, int y, int pixelSize, std::uint8_t ink,
             bool bold = false) {
        return draw(text, x, y, pixelSize, 0, ink, bold);
    }

    // As text(), wrapped into lines at most `wrapWidth` pixels wide.
    int wrappedText(const std::string& text, int x, int y, int pixelSize, int wrapWidth,
                    std::uint8_t ink) {
        return draw(text, x, y, pixelSize, wrapWidth, ink, false);
    }

    void noise(unsigned seed) {
        std::mt19937 random(seed);
        for (auto& v : pixels_) {
            v = static_cast<std::uint8_t>(random());
        }
    }

    // The caller owns the result.
    VipsImage* toVips() const {
        VipsImage* wrapped = vips_image_new_from_memory_copy(pixels_.data(), pixels_.size(), width_,
                                                             height_, 3, VIPS_FORMAT_UCHAR);
        wrapped->Type = VIPS_INTERPRETATION_sRGB;
        return wrapped;
    }

    bool save(const std::filesystem::path& path) const {
        VipsImage* image = toVips();
        const int failed = vips_image_write_to_file(image, path.c_str(), nullptr);
        g_object_unref(image);
        return failed == 0;
    }

private:
    int draw(const std::string& text, int x, int y, int pixelSize, int wrapWidth, std::uint8_t ink,
             bool bold) {
        VipsImage* mask = nullptr;
        const std::string font =
            std::string(bold ? "DejaVu Sans Bold " : "DejaVu Sans ") + std::to_string(pixelSize);
        const int failed = wrapWidth > 0 ? vips_text(&mask, text.c_str(), "font", font.c_str(),
                                                     "dpi", 72, "width", wrapWidth, nullptr)
                                         : vips_text(&mask, text.c_str(), "font", font.c_str(),
                                                     "dpi", 72, nullptr);
        if (failed != 0) {
            return 0;
        }
        return inkMask(mask, pixels_, width_, height_, x, y, ink);
    }

    int width_;
    int height_;
    std::vector<std::uint8_t> pixels_;
};

// A Windows bitmap file written by hand (libvips cannot write one without ImageMagick).
struct BmpLayout {
    int width = 4;
    int height = 3;
    int bitCount = 24; // 1, 4, 8, 16, 24 or 32
    bool topDown = false;
    std::uint32_t compression = 0;      // 0 BI_RGB, 3 BI_BITFIELDS
    std::vector<std::uint32_t> masks;   // with BI_BITFIELDS: red, green, blue, alpha
    std::vector<std::uint32_t> palette; // 0x00RRGGBB
    // Colour of pixel (x, y), y counted from the top: a palette index or a packed pixel value.
    std::uint32_t (*pixel)(int x, int y) = nullptr;
};

inline std::vector<std::uint8_t> bmpBytes(const BmpLayout& s) {
    const bool v5 = !s.masks.empty();
    const std::uint32_t infoSize = v5 ? 124 : 40;
    const std::uint32_t paletteBytes = static_cast<std::uint32_t>(s.palette.size() * 4);
    const std::uint32_t offset = 14 + infoSize + paletteBytes;
    const std::uint32_t rowBytes = ((s.width * s.bitCount + 31) / 32) * 4;
    std::vector<std::uint8_t> b(offset + rowBytes * s.height, 0);
    const auto put16 = [&](std::size_t at, std::uint32_t v) {
        b[at] = v & 0xFF;
        b[at + 1] = (v >> 8) & 0xFF;
    };
    const auto put32 = [&](std::size_t at, std::uint32_t v) {
        put16(at, v & 0xFFFF);
        put16(at + 2, v >> 16);
    };
    b[0] = 'B';
    b[1] = 'M';
    put32(2, static_cast<std::uint32_t>(b.size()));
    put32(10, offset);
    put32(14, infoSize);
    put32(18, static_cast<std::uint32_t>(s.width));
    put32(22, static_cast<std::uint32_t>(s.topDown ? -s.height : s.height));
    put16(26, 1);
    put16(28, static_cast<std::uint32_t>(s.bitCount));
    put32(30, s.compression);
    put32(46, static_cast<std::uint32_t>(s.palette.size()));
    for (std::size_t i = 0; i < s.masks.size(); ++i) {
        put32(54 + 4 * i, s.masks[i]);
    }
    for (std::size_t i = 0; i < s.palette.size(); ++i) {
        put32(14 + infoSize + 4 * i, s.palette[i]);
    }
    for (int y = 0; y < s.height; ++y) {
        const int fileRow = s.topDown ? y : s.height - 1 - y;
        const std::size_t row = offset + static_cast<std::size_t>(fileRow) * rowBytes;
        for (int x = 0; x < s.width; ++x) {
            const std::uint32_t v = s.pixel(x, y);
            if (s.bitCount < 8) {
                const int bit = x * s.bitCount;
                b[row + bit / 8] |= static_cast<std::uint8_t>(v << (8 - s.bitCount - bit % 8));
            } else {
                for (int k = 0; k < s.bitCount / 8; ++k) {
                    b[row + x * (s.bitCount / 8) + k] = (v >> (8 * k)) & 0xFF;
                }
            }
        }
    }
    return b;
}

} // namespace reading_test
