#include "reading/BmpDecoder.h"

#include <array>
#include <bit>
#include <cstdlib>

namespace engine {

namespace {

constexpr std::uint32_t biRgb = 0;
constexpr std::uint32_t biBitfields = 3;
constexpr std::uint32_t biAlphaBitfields = 6;

std::uint32_t u16(std::span<const std::uint8_t> b, std::size_t at) {
    return b[at] | (b[at + 1] << 8);
}
std::uint32_t u32(std::span<const std::uint8_t> b, std::size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) |
           (static_cast<std::uint32_t>(b[at + 3]) << 24);
}

// Extracts one channel described by a bit mask and scales it to 0..255.
struct Channel {
    std::uint32_t mask = 0;
    int shift = 0;
    std::uint32_t max = 0;

    explicit Channel(std::uint32_t m) : mask(m) {
        if (mask != 0) {
            shift = std::countr_zero(mask);
            max = mask >> shift;
        }
    }
    bool contiguous() const { return mask == 0 || ((max + 1) & max) == 0; }
    std::uint8_t value(std::uint32_t pixel) const {
        if (max == 0) {
            return 0;
        }
        return static_cast<std::uint8_t>((((pixel & mask) >> shift) * 255 + max / 2) / max);
    }
};

struct Header {
    std::uint32_t pixelOffset = 0;
    std::int64_t width = 0;
    std::int64_t height = 0;
    bool topDown = false;
    int bitCount = 0;
    std::uint32_t compression = 0;
    std::uint32_t paletteSize = 0;
    std::size_t paletteOffset = 0;
    std::array<std::uint32_t, 4> masks{}; // red, green, blue, alpha
};

std::optional<Header> readHeader(std::span<const std::uint8_t> b) {
    if (b.size() < 14 + 40 || !BmpDecoder::hasSignature(b)) {
        return std::nullopt;
    }
    Header h;
    h.pixelOffset = u32(b, 10);
    const std::uint32_t infoSize = u32(b, 14);
    if (infoSize != 40 && infoSize != 52 && infoSize != 56 && infoSize != 108 && infoSize != 124) {
        return std::nullopt;
    }
    if (b.size() < 14 + static_cast<std::size_t>(infoSize)) {
        return std::nullopt;
    }
    h.width = static_cast<std::int32_t>(u32(b, 18));
    const std::int32_t rawHeight = static_cast<std::int32_t>(u32(b, 22));
    h.topDown = rawHeight < 0;
    h.height = std::abs(static_cast<std::int64_t>(rawHeight));
    if (u16(b, 26) != 1) {
        return std::nullopt;
    }
    h.bitCount = static_cast<int>(u16(b, 28));
    h.compression = u32(b, 30);
    h.paletteSize = u32(b, 46);
    h.paletteOffset = 14 + infoSize;

    if (h.compression == biBitfields || h.compression == biAlphaBitfields) {
        // Masks follow a 40-byte header; later headers carry them inside.
        const std::size_t at = 14 + 40;
        const int count = h.compression == biAlphaBitfields ? 4 : 3;
        if (b.size() < at + 4 * count) {
            return std::nullopt;
        }
        for (int i = 0; i < count; ++i) {
            h.masks[i] = u32(b, at + 4 * i);
        }
        if (infoSize == 40) {
            h.paletteOffset += 4 * count;
        }
    } else if (h.bitCount == 16) {
        h.masks = {0x7C00, 0x03E0, 0x001F, 0};
    } else if (h.bitCount == 32) {
        h.masks = {0x00FF0000, 0x0000FF00, 0x000000FF, 0};
    }
    if (infoSize >= 56 && h.compression != biRgb) {
        h.masks[3] = u32(b, 14 + 52);
    }
    return h;
}

bool plausible(const Header& h) {
    if (h.width <= 0 || h.height <= 0 || h.width * h.height > BmpDecoder::maxPixels) {
        return false;
    }
    switch (h.bitCount) {
    case 1:
    case 4:
    case 8:
    case 24:
        return h.compression == biRgb;
    case 16:
    case 32:
        return h.compression == biRgb || h.compression == biBitfields ||
               h.compression == biAlphaBitfields;
    default:
        return false;
    }
}

std::uint8_t flattenOnWhite(std::uint8_t value, std::uint8_t alpha) {
    return static_cast<std::uint8_t>((value * alpha + 255 * (255 - alpha) + 127) / 255);
}

} // namespace

bool BmpDecoder::hasSignature(std::span<const std::uint8_t> bytes) {
    return bytes.size() >= 2 && bytes[0] == 'B' && bytes[1] == 'M';
}

std::optional<RgbImage> BmpDecoder::decode(std::span<const std::uint8_t> b) {
    const auto header = readHeader(b);
    if (!header || !plausible(*header)) {
        return std::nullopt;
    }
    const Header& h = *header;
    const std::size_t rowBytes = ((static_cast<std::size_t>(h.width) * h.bitCount + 31) / 32) * 4;
    if (h.pixelOffset > b.size() ||
        (b.size() - h.pixelOffset) / rowBytes < static_cast<std::size_t>(h.height)) {
        return std::nullopt; // truncated
    }

    std::vector<std::array<std::uint8_t, 3>> palette;
    if (h.bitCount <= 8) {
        const std::uint32_t maxEntries = 1u << h.bitCount;
        const std::uint32_t entries = h.paletteSize == 0 ? maxEntries : h.paletteSize;
        if (entries > maxEntries || h.paletteOffset + 4 * entries > h.pixelOffset) {
            return std::nullopt;
        }
        for (std::uint32_t i = 0; i < entries; ++i) {
            const std::size_t at = h.paletteOffset + 4 * i;
            palette.push_back({b[at + 2], b[at + 1], b[at]});
        }
    }

    const std::array<Channel, 4> channels{Channel(h.masks[0]), Channel(h.masks[1]),
                                          Channel(h.masks[2]), Channel(h.masks[3])};
    for (const Channel& c : channels) {
        if (!c.contiguous()) {
            return std::nullopt;
        }
    }

    RgbImage image;
    image.width = static_cast<int>(h.width);
    image.height = static_cast<int>(h.height);
    image.pixels.resize(static_cast<std::size_t>(h.width) * h.height * 3);
    bool anyAlpha = false;
    std::vector<std::uint8_t> alpha;
    if (channels[3].mask != 0) {
        alpha.resize(static_cast<std::size_t>(h.width) * h.height);
    }

    for (std::int64_t y = 0; y < h.height; ++y) {
        const std::int64_t sourceRow = h.topDown ? y : h.height - 1 - y;
        const std::uint8_t* row = b.data() + h.pixelOffset + sourceRow * rowBytes;
        std::uint8_t* out = image.pixels.data() + static_cast<std::size_t>(y) * h.width * 3;
        for (std::int64_t x = 0; x < h.width; ++x, out += 3) {
            if (h.bitCount <= 8) {
                const std::size_t bit = static_cast<std::size_t>(x) * h.bitCount;
                const int index =
                    (row[bit / 8] >> (8 - h.bitCount - bit % 8)) & ((1 << h.bitCount) - 1);
                if (static_cast<std::size_t>(index) >= palette.size()) {
                    return std::nullopt;
                }
                out[0] = palette[index][0];
                out[1] = palette[index][1];
                out[2] = palette[index][2];
            } else if (h.bitCount == 24) {
                out[0] = row[x * 3 + 2];
                out[1] = row[x * 3 + 1];
                out[2] = row[x * 3];
            } else {
                const std::uint32_t pixel =
                    h.bitCount == 16 ? u16({row, rowBytes}, x * 2) : u32({row, rowBytes}, x * 4);
                out[0] = channels[0].value(pixel);
                out[1] = channels[1].value(pixel);
                out[2] = channels[2].value(pixel);
                if (!alpha.empty()) {
                    const std::uint8_t a = channels[3].value(pixel);
                    alpha[static_cast<std::size_t>(y) * h.width + x] = a;
                    anyAlpha = anyAlpha || a != 0;
                }
            }
        }
    }

    // A bitmap whose alpha is zero everywhere did not mean to be invisible: many writers leave
    // the fourth byte unset.
    if (anyAlpha) {
        for (std::size_t i = 0; i < alpha.size(); ++i) {
            for (int c = 0; c < 3; ++c) {
                image.pixels[i * 3 + c] = flattenOnWhite(image.pixels[i * 3 + c], alpha[i]);
            }
        }
    }
    return image;
}

} // namespace engine
