#pragma once

#include "reading/RgbImage.h"

#include <optional>
#include <string>

namespace engine {

// Encodes decoded images for sending to a model server.
class ImageEncoder {
public:
    // The PNG file bytes, or nothing when the image is empty, its pixel buffer does not match
    // its size, or libvips fails.
    static std::optional<std::string> png(const RgbImage& image);
};

} // namespace engine
