#include "index/TextMatch.h"

#include <unicode/unistr.h>

#include <algorithm>
#include <string_view>

namespace engine {

namespace {

icu::UnicodeString utf16(std::string_view text) {
    return icu::UnicodeString::fromUTF8(
        icu::StringPiece(text.data(), static_cast<int32_t>(text.size())));
}

bool isAscii(std::string_view text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

char asciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool holdsAsciiFolded(std::string_view line, std::string_view folded) {
    return std::search(line.begin(), line.end(), folded.begin(), folded.end(),
                       [](char a, char b) { return asciiLower(a) == b; }) != line.end();
}

} // namespace

TextMatch::TextMatch(const std::string& query, const std::string& locale)
    : locale_(locale.empty() ? icu::Locale::getDefault() : icu::Locale(locale.c_str())),
      folded_(utf16(query)) {
    folded_.toLower(locale_);
    std::string folded;
    folded_.toUTF8String(folded);
    if (isAscii(folded)) {
        asciiFolded_ = std::move(folded);
    }
}

std::optional<std::string> TextMatch::firstLine(const std::string& text, int lead) const {
    if (folded_.isEmpty()) {
        return std::nullopt;
    }
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            end = text.size();
        }
        const std::string_view bytes = std::string_view(text).substr(start, end - start);
        if (!asciiFolded_.empty() && isAscii(bytes) && !holdsAsciiFolded(bytes, asciiFolded_)) {
            start = end + 1;
            continue;
        }
        const icu::UnicodeString line = utf16(bytes);
        icu::UnicodeString lowered = line;
        lowered.toLower(locale_);
        // Lower-casing keeps the length for nearly every script; where it does not, the line
        // is shown from its start.
        if (const int32_t at = lowered.indexOf(folded_); at >= 0) {
            int32_t from = 0;
            if (lead >= 0 && lowered.length() == line.length() && line.countChar32(0, at) > lead) {
                from = line.moveIndex32(at, -lead);
            }
            std::string shown = from > 0 ? "\u2026" : "";
            line.tempSubString(from).toUTF8String(shown);
            return shown;
        }
        start = end + 1;
    }
    return std::nullopt;
}

} // namespace engine
