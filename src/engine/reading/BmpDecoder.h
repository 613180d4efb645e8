#pragma once

#include "reading/RgbImage.h"

#include <cstdint>
#include <optional>
#include <span>

namespace engine {

// A small decoder for the Windows bitmaps people actually meet: uncompressed 1/4/8-bit palettes,
// 16/24/32-bit pixels and BI_BITFIELDS masks. Anything else (RLE, JPEG/PNG inside BMP, odd
// headers, sizes that do not add up) gives no image. Alpha, when present, is flattened on white.
class BmpDecoder {
public:
    static bool hasSignature(std::span<const std::uint8_t> bytes);
    static std::optional<RgbImage> decode(std::span<const std::uint8_t> bytes);

    // Larger images are refused rather than allocated.
    static constexpr std::int64_t maxPixels = 64LL * 1024 * 1024;
};

} // namespace engine
