#pragma once

#include <optional>
#include <string>

namespace engine {

// One recognised piece of text. The box is normalised to the image: 0..1 on both axes, origin
// at the bottom-left corner, y growing upwards.
struct TextObservation {
    double x = 0;
    double y = 0;
    double width = 0;
    double height = 0;
    std::optional<std::string> text; // the best candidate, if the recogniser had one

    double midY() const { return y + height / 2; }
};

} // namespace engine
