// The BMP decoder on arbitrary bytes.

#include "Check.h"

#include "reading/BmpDecoder.h"

#include <cstdint>
#include <span>

using engine::BmpDecoder;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> bytes(data, size);
    const auto image = BmpDecoder::decode(bytes);
    if (!image) {
        return 0;
    }
    fuzz::check(BmpDecoder::hasSignature(bytes), "only bitmaps decode");
    fuzz::check(image->width > 0 && image->height > 0, "a decoded image has pixels");
    fuzz::check(static_cast<std::int64_t>(image->width) * image->height <= BmpDecoder::maxPixels,
                "no image beyond the pixel limit");
    fuzz::check(image->pixels.size() == static_cast<std::size_t>(image->width) * image->height * 3,
                "three bytes per pixel");
    return 0;
}
