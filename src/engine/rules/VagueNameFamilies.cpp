#include "rules/VagueNameFamilies.h"

#include "unicode/Unicode.h"

#include <memory>
#include <optional>
#include <unicode/regex.h>

namespace engine {

namespace {

constexpr std::size_t maxPeeled = 4;

// Each matches a whole decorated stem; group 1 is what was decorated.
const std::vector<std::unique_ptr<icu::RegexPattern>>& decorations() {
    static const auto compiled = [] {
        const std::vector<std::string> sources = {
            R"(^copy (?:\(\d+\) )?of (.+)$)",
            R"(^(.+?)(?: - copy(?: \(\d+\))?| \(copy(?: \d+)?\)|[-_ ]copy(?:[-_ ]?\d+)?)$)",
            R"(^(.+?)(?: - |[-_ ]| ?\()edit(?:ed)?\)?$)",
            R"(^(.+?) ?\(\d{1,3}\)$)",
            R"(^(.+?)[-_ ]\d{1,2}$)",
        };
        std::vector<std::unique_ptr<icu::RegexPattern>> patterns;
        for (const std::string& source : sources) {
            UErrorCode status = U_ZERO_ERROR;
            UParseError parseError;
            std::unique_ptr<icu::RegexPattern> pattern(icu::RegexPattern::compile(
                icu::UnicodeString::fromUTF8(source), UREGEX_CASE_INSENSITIVE, parseError, status));
            if (U_SUCCESS(status)) {
                patterns.push_back(std::move(pattern));
            }
        }
        return patterns;
    }();
    return compiled;
}

// One decoration taken off, or nothing when none fits.
std::optional<std::string> peelOnce(const icu::UnicodeString& text) {
    for (const auto& pattern : decorations()) {
        UErrorCode status = U_ZERO_ERROR;
        std::unique_ptr<icu::RegexMatcher> matcher(pattern->matcher(text, status));
        if (U_FAILURE(status) || !matcher->matches(status) || U_FAILURE(status)) {
            continue;
        }
        std::string base;
        matcher->group(1, status).toUTF8String(base);
        base = Unicode::trimWhitespace(base);
        if (U_SUCCESS(status) && !base.empty()) {
            return base;
        }
    }
    return std::nullopt;
}

bool isAsciiDigit(char c) {
    return c >= '0' && c <= '9';
}
bool isAsciiLower(char c) {
    return c >= 'a' && c <= 'z';
}
bool isAsciiLetter(char c) {
    return isAsciiLower(c) || (c >= 'A' && c <= 'Z');
}

} // namespace

const std::vector<std::string>& VagueNameFamilies::patterns() {
    static const std::vector<std::string> list = {
        // Counters: "pic12", "Picture3", "Slide4", "Capture (3)", "images (2)", "file (2)".
        R"(^(?:pics?|pictures?|images?|imgs?|photos?|slides?|captures?|files?|scans?|snaps?|screens?|screenshots?|snapshots?|shots?|frames?|untitled|unnamed|downloads?|attachments?|media|thumbs?|thumbnails?|clipboard|temp|tmp|new|bild|foto|imagen|immagine|drawing|sketch|diagram|page)[-_ ]?(?:\d{1,3}|\(\d{1,3}\))$)",
        // Placeholders of drawing and office apps: "Untitled drawing", "Untitled Diagram".
        R"(^(?:untitled|unnamed|new|blank)[-_ ](?:drawing|diagram|document|design|image|picture|project|presentation|sketch|artwork|canvas|page|spreadsheet|graphic|file|board|whiteboard|bitmap image|jam|frame|photo|screenshot|painting)s?$)",
        R"(^(?:unknown|clipboard|placeholder|noname|no[-_ ]name|temp|tmp|attachment|blob|pasted|clipboard[-_ ]image|unknown[-_ ]image|downloaded[-_ ]image)$)",
    };
    return list;
}

bool VagueNameFamilies::looksLikeShortRandomID(std::string_view stem) {
    if (stem.size() < 6 || stem.size() > 16) {
        return false;
    }
    std::size_t digits = 0;
    std::size_t changes = 0;
    std::size_t lowerRun = 0;
    for (std::size_t i = 0; i < stem.size(); ++i) {
        const char c = stem[i];
        if (!isAsciiDigit(c) && !isAsciiLetter(c)) {
            return false;
        }
        digits += isAsciiDigit(c);
        const bool capital = isAsciiLetter(c) && !isAsciiLower(c);
        if (isAsciiLower(c)) {
            ++lowerRun;
        } else {
            // A capital counts towards the run after it: "Logo" is a word, "gvswc" too.
            lowerRun = capital ? 1 : 0;
        }
        if (lowerRun >= 5) {
            return false;
        }
        changes += i > 0 && isAsciiDigit(c) != isAsciiDigit(stem[i - 1]);
    }
    return digits >= 2 && digits < stem.size() && changes >= 3;
}

std::vector<std::string> VagueNameFamilies::undecorated(std::string_view stem) {
    std::vector<std::string> bases;
    std::string current(stem);
    while (bases.size() < maxPeeled) {
        auto base = peelOnce(icu::UnicodeString::fromUTF8(current));
        if (!base || *base == current) {
            break;
        }
        bases.push_back(*base);
        current = std::move(*base);
    }
    return bases;
}

} // namespace engine
