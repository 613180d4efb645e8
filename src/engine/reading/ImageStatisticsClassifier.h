#pragma once

#include "reading/SceneClassifier.h"

namespace engine {

// A deterministic classifier over simple image statistics. Labels: "document",
// "user_interface", "photo", "chart", "dark", most confident first.
class ImageStatisticsClassifier : public SceneClassifier {
public:
    struct Statistics {
        double brightness = 0;     // mean luma, 0..1
        double darkShare = 0;      // pixels with luma below 0.25
        double whiteShare = 0;     // near-white, unsaturated pixels
        double saturation = 0;     // mean (max - min) of the channels, 0..1
        double dominantShare = 0;  // pixels in the 8 most common quantised colours
        double colourVariety = 0;  // entropy of the quantised colours over its maximum, 0..1
        double panelShare = 0;     // large flat areas besides the background: bars, panels, buttons
        double edgeDensity = 0;    // pixels with a strong step to the right or below
        double textCoverage = 0;   // area of the recognised text boxes, capped at 1
        double saturatedShare = 0; // pixels with strong colour
    };

    static Statistics measure(const RgbImage& image, const std::vector<TextObservation>& text);
    static std::vector<SceneObservation> classify(const Statistics& s);

    std::vector<SceneObservation> classify(const RgbImage& image,
                                           const std::vector<TextObservation>& text) const override;
};

} // namespace engine
