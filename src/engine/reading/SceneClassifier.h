#pragma once

#include "reading/RgbImage.h"
#include "reading/TextObservation.h"

#include <string>
#include <vector>

namespace engine {

struct SceneObservation {
    std::string identifier; // lower case, words joined by "_"
    float confidence = 0;   // 0..1
};

// Says what kind of picture an image is. The recognised text is passed along so that a
// classifier does not have to find it again.
class SceneClassifier {
public:
    virtual ~SceneClassifier() = default;
    virtual std::vector<SceneObservation>
    classify(const RgbImage& image, const std::vector<TextObservation>& text) const = 0;
};

} // namespace engine
