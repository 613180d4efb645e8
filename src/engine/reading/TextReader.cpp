#include "reading/TextReader.h"

#include "reading/BmpDecoder.h"
#include "reading/ImageStatisticsClassifier.h"
#include "reading/ParallelLineReader.h"
#include "reading/TesseractRecognizer.h"
#include "reading/VipsRuntime.h"
#include "unicode/Unicode.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <memory>
#include <numeric>
#include <vips/vips.h>

namespace engine {

namespace {

constexpr double sameLineTolerance = 0.01;
constexpr float hintThreshold = 0.35f;
constexpr std::size_t maxHints = 5;
// A BMP is read whole into memory; larger files are not screenshots anyone needs named.
constexpr std::uintmax_t maxBmpFileBytes = 512ULL * 1024 * 1024;

struct VipsImageDeleter {
    void operator()(VipsImage* image) const { g_object_unref(image); }
};
using VipsImagePtr = std::unique_ptr<VipsImage, VipsImageDeleter>;

// Each step consumes its input; a null result means failure.
VipsImagePtr toRgb8(VipsImagePtr in) {
    VipsImage* out = nullptr;
    if (vips_colourspace(in.get(), &out, VIPS_INTERPRETATION_sRGB, nullptr) != 0) {
        return nullptr;
    }
    VipsImagePtr image(out);
    if (vips_image_hasalpha(image.get())) {
        VipsArrayDouble* white = vips_array_double_newv(1, 255.0);
        const int failed = vips_flatten(image.get(), &out, "background", white, nullptr);
        vips_area_unref(VIPS_AREA(white));
        if (failed != 0) {
            return nullptr;
        }
        image.reset(out);
    }
    if (image->Bands > 3) {
        if (vips_extract_band(image.get(), &out, 0, "n", 3, nullptr) != 0) {
            return nullptr;
        }
        image.reset(out);
    }
    if (image->BandFmt != VIPS_FORMAT_UCHAR) {
        if (vips_cast(image.get(), &out, VIPS_FORMAT_UCHAR, nullptr) != 0) {
            return nullptr;
        }
        image.reset(out);
    }
    return image->Bands == 3 ? std::move(image) : nullptr;
}

std::optional<RgbImage> toRgbImage(VipsImagePtr in) {
    VipsImagePtr rgb = toRgb8(std::move(in));
    if (!rgb) {
        return std::nullopt;
    }
    std::size_t size = 0;
    void* data = vips_image_write_to_memory(rgb.get(), &size);
    if (data == nullptr) {
        return std::nullopt;
    }
    RgbImage image;
    image.width = vips_image_get_width(rgb.get());
    image.height = vips_image_get_height(rgb.get());
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    if (size == static_cast<std::size_t>(image.width) * image.height * 3) {
        image.pixels.assign(bytes, bytes + size);
    }
    g_free(data);
    if (image.pixels.empty()) {
        return std::nullopt;
    }
    return image;
}

std::optional<std::vector<std::uint8_t>> readBmpFile(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    char signature[2] = {};
    if (!in.read(signature, 2) || signature[0] != 'B' || signature[1] != 'M') {
        return std::nullopt;
    }
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(file, error);
    if (error || size > maxBmpFileBytes) {
        return std::vector<std::uint8_t>{}; // a BMP, but not one we decode
    }
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
    in.seekg(0);
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    return bytes;
}

// libvips only knows BMP through its untrusted loader, so BMP is decoded here and only
// downsized by libvips.
std::optional<RgbImage> loadBmp(const std::vector<std::uint8_t>& bytes, int maxPixelSize) {
    std::optional<RgbImage> decoded = BmpDecoder::decode(bytes);
    if (!decoded) {
        return std::nullopt;
    }
    if (std::max(decoded->width, decoded->height) <= maxPixelSize) {
        return decoded;
    }
    VipsImagePtr wrapped(vips_image_new_from_memory(decoded->pixels.data(), decoded->pixels.size(),
                                                    decoded->width, decoded->height, 3,
                                                    VIPS_FORMAT_UCHAR));
    if (!wrapped) {
        return std::nullopt;
    }
    wrapped->Type = VIPS_INTERPRETATION_sRGB;
    VipsImage* out = nullptr;
    if (vips_thumbnail_image(wrapped.get(), &out, maxPixelSize, "height", maxPixelSize, "size",
                             VIPS_SIZE_DOWN, nullptr) != 0) {
        return std::nullopt;
    }
    return toRgbImage(VipsImagePtr(out));
}

// Some loaders allocate the whole canvas the header asks for (a GIF's first frame may grow it
// far beyond its screen), so a few bytes could cost gigabytes; the header alone decides first.
bool fitsPixelLimit(VipsSource* source) {
    VipsImage* header =
        vips_image_new_from_source(source, "", "access", VIPS_ACCESS_SEQUENTIAL, nullptr);
    if (header == nullptr) {
        return false;
    }
    const std::int64_t pixels =
        static_cast<std::int64_t>(vips_image_get_width(header)) * vips_image_get_height(header);
    g_object_unref(header);
    return pixels <= TextReader::maxPixels;
}

// Opened as a source so that libvips picks the loader from the content and never reads
// options out of brackets in the file name.
std::optional<RgbImage> loadWithVips(const std::filesystem::path& file, int maxPixelSize) {
    VipsSource* source = vips_source_new_from_file(file.c_str());
    if (source == nullptr) {
        return std::nullopt;
    }
    if (!fitsPixelLimit(source)) {
        g_object_unref(source);
        return std::nullopt;
    }
    VipsImage* out = nullptr;
    // Upright, never enlarged; a truncated file is refused rather than shown half grey (the
    // loader only sees fail_on through the option string when reading from a source).
    const int failed =
        vips_thumbnail_source(source, &out, maxPixelSize, "height", maxPixelSize, "size",
                              VIPS_SIZE_DOWN, "option_string", "fail_on=truncated", nullptr);
    g_object_unref(source);
    if (failed != 0) {
        return std::nullopt;
    }
    return toRgbImage(VipsImagePtr(out));
}

} // namespace

std::optional<RgbImage> TextReader::loadImage(const std::filesystem::path& file, int maxPixelSize) {
    if (maxPixelSize < 1 || !VipsRuntime::ensureStarted()) {
        return std::nullopt;
    }
    std::error_code error;
    if (!std::filesystem::is_regular_file(file, error)) {
        return std::nullopt;
    }
    std::optional<RgbImage> image;
    if (const auto bmp = readBmpFile(file)) {
        image = loadBmp(*bmp, maxPixelSize);
    } else {
        image = loadWithVips(file, maxPixelSize);
    }
    vips_error_clear();
    vips_thread_shutdown(); // frees this thread's libvips buffers; callers may be short-lived
    return image;
}

namespace {

// Top to bottom, then left to right for boxes whose mid-points are within the tolerance; a
// stable sort, so equal boxes keep the recogniser's order.
template <typename T, typename BoxOf> void sortInReadingOrder(std::vector<T>& items, BoxOf boxOf) {
    std::stable_sort(items.begin(), items.end(), [&](const T& a, const T& b) {
        const TextObservation& oa = boxOf(a);
        const TextObservation& ob = boxOf(b);
        const double ya = oa.midY();
        const double yb = ob.midY();
        if (std::abs(ya - yb) > sameLineTolerance) {
            return ya > yb;
        }
        return oa.x < ob.x;
    });
}

// Lines are recognised in reading order, so the first lines of a capped reading are those of
// the whole reading and stopping early only leaves the rest unread.
std::vector<TextLine> recognizeInReadingOrder(const TesseractRecognizer& page,
                                              std::optional<std::size_t> maxLines) {
    std::vector<std::size_t> order(page.lines().size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    sortInReadingOrder(order,
                       [&](std::size_t i) -> const TextObservation& { return page.lines()[i]; });
    return ParallelLineReader::read(page, order, maxLines);
}

TextReader::Reading readFile(const std::filesystem::path& file, int maxPixelSize,
                             std::optional<std::size_t> maxLines,
                             const SceneClassifier& classifier) {
    TextReader::Reading reading;
    reading.image = TextReader::loadImage(file, maxPixelSize);
    if (!reading.image) {
        return reading;
    }
    const TesseractRecognizer page(*reading.image);
    // The classifier sees every line box, read or not, so hints do not depend on the cap.
    reading.hints = TextReader::hintsFrom(classifier.classify(*reading.image, page.lines()));
    reading.lineDetails = recognizeInReadingOrder(page, maxLines);
    reading.lines.reserve(reading.lineDetails.size());
    for (const TextLine& line : reading.lineDetails) {
        reading.lines.push_back(line.text);
    }
    return reading;
}

const SceneClassifier& builtInClassifier() {
    static const ImageStatisticsClassifier classifier;
    return classifier;
}

} // namespace

std::optional<std::string> TextReader::trimmedLine(const std::optional<std::string>& text) {
    if (!text) {
        return std::nullopt;
    }
    std::string line = Unicode::trimWhitespace(*text);
    return line.empty() ? std::nullopt : std::optional(std::move(line));
}

std::vector<std::string>
TextReader::linesInReadingOrder(std::vector<TextObservation> observations) {
    sortInReadingOrder(observations,
                       [](const TextObservation& o) -> const TextObservation& { return o; });
    std::vector<std::string> lines;
    for (const TextObservation& o : observations) {
        if (auto line = trimmedLine(o.text)) {
            lines.push_back(std::move(*line));
        }
    }
    return lines;
}

std::vector<std::string> TextReader::hintsFrom(const std::vector<SceneObservation>& observations) {
    std::vector<std::string> hints;
    for (const SceneObservation& o : observations) {
        if (hints.size() == maxHints) {
            break;
        }
        if (o.confidence > hintThreshold) {
            std::string hint = o.identifier;
            std::replace(hint.begin(), hint.end(), '_', ' ');
            hints.push_back(std::move(hint));
        }
    }
    return hints;
}

TextReader::Reading TextReader::read(const std::filesystem::path& file, int maxPixelSize,
                                     const SceneClassifier& classifier) {
    return readFile(file, maxPixelSize, std::nullopt, classifier);
}

TextReader::Reading TextReader::read(const std::filesystem::path& file, int maxPixelSize) {
    return readFile(file, maxPixelSize, std::nullopt, builtInClassifier());
}

TextReader::Reading TextReader::read(const std::filesystem::path& file, int maxPixelSize,
                                     std::size_t maxLines) {
    return readFile(file, maxPixelSize, maxLines, builtInClassifier());
}

} // namespace engine
