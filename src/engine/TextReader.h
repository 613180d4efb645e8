#pragma once

#include "RgbImage.h"

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace engine {

// Turns one image file into what the namer needs: a downsized copy, the text lines in reading
// order and a few scene hints. Never fails: an unreadable file gives the empty reading.
class TextReader {
public:
    struct Reading {
        std::optional<RgbImage> image;
        std::vector<std::string> lines;
        std::vector<std::string> hints;

        bool isEmpty() const { return !image && lines.empty() && hints.empty(); }
    };

    static Reading read(const std::filesystem::path& file, int maxPixelSize);
    static std::optional<RgbImage> loadImage(const std::filesystem::path& file, int maxPixelSize);
};

} // namespace engine
