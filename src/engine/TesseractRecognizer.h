#pragma once

#include "RgbImage.h"
#include "TextObservation.h"

#include <cstdint>
#include <vector>

namespace engine {

// Text lines found by Tesseract (LSTM, English). Each calling thread gets its own engine,
// initialised on first use and kept for the thread's lifetime.
class TesseractRecognizer {
public:
    // One observation per text line; empty when the engine is unavailable.
    static std::vector<TextObservation> recognize(const RgbImage& image);

    // The grey image given to the engine: light text on dark areas is inverted so that all
    // text is dark on light, which spares the engine its slow second look at every line.
    static std::vector<std::uint8_t> darkTextOnLight(const RgbImage& image);
};

} // namespace engine
