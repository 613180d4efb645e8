#pragma once

#include <cstdint>
#include <vector>

namespace engine {

// A decoded image: 8-bit sRGB, three bytes per pixel, rows top to bottom, no padding.
struct RgbImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels;

    bool empty() const { return width <= 0 || height <= 0; }
    const std::uint8_t* pixel(int x, int y) const {
        return pixels.data() + (static_cast<std::size_t>(y) * width + x) * 3;
    }
};

} // namespace engine
