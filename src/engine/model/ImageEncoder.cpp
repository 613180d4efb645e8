#include "model/ImageEncoder.h"

#include "reading/VipsRuntime.h"

#include <vips/vips.h>

namespace engine {

std::optional<std::string> ImageEncoder::png(const RgbImage& image) {
    if (image.empty() ||
        image.pixels.size() != static_cast<std::size_t>(image.width) * image.height * 3) {
        return std::nullopt;
    }
    if (!VipsRuntime::ensureStarted()) {
        return std::nullopt;
    }
    // Wraps the caller's pixels without copying; they outlive the image.
    VipsImage* wrapped = vips_image_new_from_memory(
        image.pixels.data(), image.pixels.size(), image.width, image.height, 3, VIPS_FORMAT_UCHAR);
    if (wrapped == nullptr) {
        vips_error_clear();
        return std::nullopt;
    }
    void* buffer = nullptr;
    std::size_t length = 0;
    int failed = vips_pngsave_buffer(wrapped, &buffer, &length, nullptr);
    g_object_unref(wrapped);
    if (failed != 0 || buffer == nullptr) {
        vips_error_clear();
        g_free(buffer);
        return std::nullopt;
    }
    std::string bytes(static_cast<const char*>(buffer), length);
    g_free(buffer);
    return bytes;
}

} // namespace engine
