#pragma once

#include "reading/RgbImage.h"
#include "reading/SceneClassifier.h"
#include "reading/TextLine.h"
#include "reading/TextObservation.h"

#include <cstddef>
#include <cstdint>
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
        std::vector<std::string> lines; // every line read, in reading order
        std::vector<std::string> hints;
        // Where each of `lines` stands and how it was read, in the same order; empty when the
        // lines did not come from the recogniser.
        std::vector<TextLine> lineDetails;

        bool isEmpty() const { return !image && lines.empty() && hints.empty(); }
    };

    static Reading read(const std::filesystem::path& file, int maxPixelSize);
    // As read(), but stops recognising once the first `maxLines` lines in reading order are
    // known: they are exactly the first lines of the uncapped reading. Hints are unaffected.
    static Reading read(const std::filesystem::path& file, int maxPixelSize, std::size_t maxLines);
    static std::optional<RgbImage> loadImage(const std::filesystem::path& file, int maxPixelSize);
    // Images larger than a 16384 by 8192 canvas are refused before they are decoded.
    static constexpr std::int64_t maxPixels = 16384LL * 8192;

    // As read(), with another scene classifier than the built-in one.
    static Reading read(const std::filesystem::path& file, int maxPixelSize,
                        const SceneClassifier& classifier);

    // A recognised string trimmed of white space and line breaks; nothing when that leaves
    // it empty.
    static std::optional<std::string> trimmedLine(const std::optional<std::string>& text);

    // Top to bottom, then left to right for boxes whose mid-points are within 0.01; trimmed,
    // empty strings and observations without text dropped.
    static std::vector<std::string> linesInReadingOrder(std::vector<TextObservation> observations);

    // Confidence strictly above 0.35, the first five in the classifier's order, "_" to space.
    static std::vector<std::string> hintsFrom(const std::vector<SceneObservation>& observations);
};

} // namespace engine
