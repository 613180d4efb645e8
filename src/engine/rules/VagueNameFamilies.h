#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace engine {

// Vague names beyond the fixed pattern list: short counters from apps and cameras
// ("Picture3", "Capture (3)"), placeholders ("Untitled drawing", "clipboard"), short random ids
// ("dQw4w9WgXcQ"), and copies or edits of any vague name ("Copy of IMG_2041", "image (2) (3)").
class VagueNameFamilies {
public:
    // Matched case-insensitively against a whole stem.
    static const std::vector<std::string>& patterns();

    // 6 to 16 ASCII letters and digits, at least two digits, letters and digits interleaved
    // (three changes between them or more) and nothing like a word: five lower-case letters in
    // a row, or a capital and four.
    static bool looksLikeShortRandomID(std::string_view stem);

    // The names under the stem's copy and edit decorations, outermost first: "Copy of image
    // (2) - edited" gives "image (2) - edited", then "image (2)", then "image". Empty when
    // the stem carries none.
    static std::vector<std::string> undecorated(std::string_view stem);
};

} // namespace engine
