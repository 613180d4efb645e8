#pragma once

#include <unicode/locid.h>

#include <optional>
#include <string>

namespace engine {

// Finds a query in read text the way the dashboard finds it in names: lower-cased under one
// locale, then a plain substring search.
class TextMatch {
public:
    // `locale` is an ICU locale name; empty means the process default.
    TextMatch(const std::string& query, const std::string& locale);

    bool isEmpty() const { return folded_.isEmpty(); }
    // The first of the '\n'-separated lines of `text` that holds the query, shortened at the
    // front to at most `lead` characters before the match when `lead` is not negative.
    std::optional<std::string> firstLine(const std::string& text, int lead = -1) const;

private:
    icu::Locale locale_;
    icu::UnicodeString folded_;
    // The folded query when it is all ASCII: an ASCII line that does not hold it under ASCII
    // lower-casing cannot hold it under any locale's, which saves converting most lines.
    std::string asciiFolded_;
};

} // namespace engine
