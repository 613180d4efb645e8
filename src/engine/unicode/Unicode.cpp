#include "unicode/Unicode.h"

#include <memory>
#include <unicode/brkiter.h>
#include <unicode/normalizer2.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>
#include <unicode/utf8.h>

namespace engine::Unicode {

namespace {

icu::UnicodeString toIcu(std::string_view text) {
    return icu::UnicodeString::fromUTF8(icu::StringPiece(text.data(), text.size()));
}

std::string toUtf8(const icu::UnicodeString& text) {
    std::string out;
    text.toUTF8String(out);
    return out;
}

// Character break iterators are expensive to create; keep one per thread.
icu::BreakIterator* characterIterator() {
    thread_local std::unique_ptr<icu::BreakIterator> iterator = [] {
        UErrorCode status = U_ZERO_ERROR;
        std::unique_ptr<icu::BreakIterator> it(
            icu::BreakIterator::createCharacterInstance(icu::Locale::getRoot(), status));
        return U_SUCCESS(status) ? std::move(it) : nullptr;
    }();
    return iterator.get();
}

} // namespace

bool isValidUtf8(std::string_view text) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
    const int32_t length = static_cast<int32_t>(text.size());
    int32_t i = 0;
    while (i < length) {
        UChar32 c;
        U8_NEXT(bytes, i, length, c);
        if (c < 0) {
            return false;
        }
    }
    return true;
}

std::u32string scalars(std::string_view text) {
    std::u32string out;
    out.reserve(text.size());
    const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
    const int32_t length = static_cast<int32_t>(text.size());
    int32_t i = 0;
    while (i < length) {
        UChar32 c;
        U8_NEXT(bytes, i, length, c);
        out.push_back(c < 0 ? U'\uFFFD' : static_cast<char32_t>(c));
    }
    return out;
}

std::string fromScalar(char32_t scalar) {
    char buffer[4];
    int32_t length = 0;
    UBool error = false;
    U8_APPEND(reinterpret_cast<uint8_t*>(buffer), length, 4, static_cast<UChar32>(scalar), error);
    if (error) {
        return "\xEF\xBF\xBD";
    }
    return std::string(buffer, static_cast<std::size_t>(length));
}

std::string fromScalars(std::u32string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char32_t c : text) {
        out += fromScalar(c);
    }
    return out;
}

std::vector<std::string> characters(std::string_view text) {
    std::vector<std::string> out;
    if (text.empty()) {
        return out;
    }
    const icu::UnicodeString u = toIcu(text);
    icu::BreakIterator* it = characterIterator();
    if (it == nullptr) {
        for (char32_t c : scalars(text)) {
            out.push_back(fromScalar(c));
        }
        return out;
    }
    it->setText(u);
    int32_t start = it->first();
    for (int32_t end = it->next(); end != icu::BreakIterator::DONE; start = end, end = it->next()) {
        out.push_back(toUtf8(icu::UnicodeString(u, start, end - start)));
    }
    return out;
}

std::size_t characterCount(std::string_view text) {
    if (text.empty()) {
        return 0;
    }
    const icu::UnicodeString u = toIcu(text);
    icu::BreakIterator* it = characterIterator();
    if (it == nullptr) {
        return scalars(text).size();
    }
    it->setText(u);
    std::size_t count = 0;
    it->first();
    while (it->next() != icu::BreakIterator::DONE) {
        ++count;
    }
    return count;
}

std::string prefixCharacters(std::string_view text, std::size_t count) {
    std::string out;
    std::size_t taken = 0;
    for (const auto& c : characters(text)) {
        if (taken++ == count) {
            break;
        }
        out += c;
    }
    return out;
}

std::string toNfc(std::string_view text) {
    UErrorCode status = U_ZERO_ERROR;
    const icu::Normalizer2* nfc = icu::Normalizer2::getNFCInstance(status);
    if (U_FAILURE(status)) {
        return std::string(text);
    }
    icu::UnicodeString normalized = nfc->normalize(toIcu(text), status);
    return U_SUCCESS(status) ? toUtf8(normalized) : std::string(text);
}

std::string toLower(std::string_view text) {
    icu::UnicodeString u = toIcu(text);
    u.toLower(icu::Locale::getRoot());
    return toUtf8(u);
}

std::string toUpper(std::string_view text) {
    icu::UnicodeString u = toIcu(text);
    u.toUpper(icu::Locale::getRoot());
    return toUtf8(u);
}

bool isLetter(char32_t c) {
    return u_isalpha(static_cast<UChar32>(c));
}

bool isNumber(char32_t c) {
    const auto mask = U_GET_GC_MASK(static_cast<UChar32>(c));
    return (mask & U_GC_N_MASK) != 0;
}

bool isWhitespace(char32_t c) {
    return u_hasBinaryProperty(static_cast<UChar32>(c), UCHAR_WHITE_SPACE);
}

bool isNewline(char32_t c) {
    return c == U'\n' || c == U'\v' || c == U'\f' || c == U'\r' || c == U'\u0085' ||
           c == U'\u2028' || c == U'\u2029';
}

bool isControlOrFormat(char32_t c) {
    const auto mask = U_GET_GC_MASK(static_cast<UChar32>(c));
    return (mask & (U_GC_CC_MASK | U_GC_CF_MASK)) != 0;
}

namespace {
char32_t firstScalar(std::string_view character) {
    const auto s = scalars(character);
    return s.empty() ? 0 : s.front();
}
} // namespace

bool isLetter(std::string_view character) {
    return !character.empty() && isLetter(firstScalar(character));
}

bool isNumber(std::string_view character) {
    return !character.empty() && isNumber(firstScalar(character));
}

namespace {
// A character has a case when it is its own mapping into that case and the other mapping
// changes it; single scalars also count by their Unicode property.
bool hasCase(std::string_view character, UProperty property, std::string (*same)(std::string_view),
             std::string (*other)(std::string_view)) {
    if (character.empty()) {
        return false;
    }
    const auto s = scalars(character);
    if (s.size() == 1 && u_hasBinaryProperty(static_cast<UChar32>(s[0]), property)) {
        return true;
    }
    return same(character) == character && other(character) != character;
}
} // namespace

bool isUppercase(std::string_view character) {
    return hasCase(character, UCHAR_UPPERCASE, toUpper, toLower);
}

bool isLowercase(std::string_view character) {
    return hasCase(character, UCHAR_LOWERCASE, toLower, toUpper);
}

int hexDigitValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

std::string trimWhitespace(std::string_view text) {
    const auto s = scalars(text);
    std::size_t begin = 0;
    std::size_t end = s.size();
    while (begin < end && (isWhitespace(s[begin]) || isNewline(s[begin]))) {
        ++begin;
    }
    while (end > begin && (isWhitespace(s[end - 1]) || isNewline(s[end - 1]))) {
        --end;
    }
    return fromScalars(std::u32string_view(s).substr(begin, end - begin));
}

std::vector<std::string> splitDroppingEmpty(std::string_view text, char separator) {
    std::vector<std::string> out;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find(separator, start);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        if (end > start) {
            out.emplace_back(text.substr(start, end - start));
        }
        start = end + 1;
    }
    return out;
}

std::string join(const std::vector<std::string>& pieces, std::string_view separator) {
    std::string out;
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        if (i > 0) {
            out += separator;
        }
        out += pieces[i];
    }
    return out;
}

} // namespace engine::Unicode
