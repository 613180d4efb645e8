#pragma once

#include <string>
#include <vector>

namespace engine {

// One recognised line with where it stands and how it was read. Boxes are normalised like
// every observation: 0..1, origin at the bottom-left corner, y growing upwards.
struct TextLine {
    struct Word {
        double x = 0;
        double width = 0;
        double height = 0;
        float confidence = 0; // the recogniser's, 0..100
    };

    std::string text; // trimmed, never empty
    double x = 0;
    double y = 0;
    double width = 0;
    double height = 0;
    // The median height of the line's words: descenders, accents and joined words inflate the
    // line box, not this.
    double textSize = 0;
    std::vector<Word> words;

    double meanConfidence() const {
        if (words.empty()) {
            return 0;
        }
        double sum = 0;
        for (const Word& w : words) {
            sum += w.confidence;
        }
        return sum / static_cast<double>(words.size());
    }
};

} // namespace engine
