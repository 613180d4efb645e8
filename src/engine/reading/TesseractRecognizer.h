#pragma once

#include "reading/RgbImage.h"
#include "reading/TextLine.h"
#include "reading/TextObservation.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tesseract {
class TessBaseAPI;
}

namespace engine {

// Text lines found by Tesseract (LSTM, English). Layout analysis finds the lines of a page
// first, which is cheap; each line is then recognised on its own, so a caller that needs only
// some lines pays only for those. Each calling thread gets its own engine, initialised on first
// use and kept for the thread's lifetime, so an instance belongs to the thread that made it.
class TesseractRecognizer {
public:
    // Runs layout analysis on the image; no line is recognised yet.
    explicit TesseractRecognizer(const RgbImage& image);

    // One box per text line, normalised like every observation, without text; empty when the
    // engine is unavailable or the image holds no text.
    const std::vector<TextObservation>& lines() const { return lines_; }

    // lines()[index] read, its text trimmed, with its words; nothing when no text was found.
    std::optional<TextLine> recognizeLine(std::size_t index) const;

    // The grey image given to layout analysis: light text on dark areas is inverted so that
    // all text is dark on light, which spares the engine its slow second look at every line.
    static std::vector<std::uint8_t> darkTextOnLight(const RgbImage& image);

private:
    struct PixelBox {
        int left = 0;
        int top = 0;
        int right = 0;
        int bottom = 0;
    };

    // Whether the text in the box is lighter than the ring of pixels around it, and the
    // ring's median grey: the line's background.
    struct Polarity {
        bool invert = false;
        std::uint8_t background = 255;
    };
    Polarity polarityOf(int left, int top, int right, int bottom) const;
    void addWords(tesseract::TessBaseAPI& api, int canvasLeft, TextLine& line) const;

    int width_ = 0;
    int height_ = 0;
    std::vector<std::uint8_t> original_; // luma of the page as given
    std::vector<PixelBox> boxes_;
    std::vector<TextObservation> lines_;
};

} // namespace engine
