#include "unicode/IcuRegex.h"

#include <unicode/regex.h>

namespace engine {

IcuRegex::IcuRegex(std::string_view pattern, Case caseMode) {
    UErrorCode status = U_ZERO_ERROR;
    UParseError parseError{};
    const uint32_t flags = caseMode == Case::insensitive ? UREGEX_CASE_INSENSITIVE : 0;
    auto text = icu::UnicodeString::fromUTF8(icu::StringPiece(pattern.data(), pattern.size()));
    pattern_.reset(icu::RegexPattern::compile(text, flags, parseError, status));
    if (U_FAILURE(status)) {
        pattern_.reset();
    }
}

IcuRegex::~IcuRegex() = default;
IcuRegex::IcuRegex(IcuRegex&&) noexcept = default;
IcuRegex& IcuRegex::operator=(IcuRegex&&) noexcept = default;

bool IcuRegex::search(std::string_view utf8Text) const {
    return searchUnicode(
        icu::UnicodeString::fromUTF8(icu::StringPiece(utf8Text.data(), utf8Text.size())));
}

bool IcuRegex::searchUnicode(const icu::UnicodeString& text) const {
    if (!pattern_) {
        return false;
    }
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::RegexMatcher> matcher(pattern_->matcher(text, status));
    if (U_FAILURE(status)) {
        return false;
    }
    const bool found = matcher->find(status);
    return U_SUCCESS(status) && found;
}

} // namespace engine
