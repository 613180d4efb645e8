#pragma once

#include <memory>
#include <string_view>

#include <unicode/regex.h>
#include <unicode/unistr.h>

namespace engine {

// A compiled ICU regular expression used for unanchored searches ("does it occur anywhere").
// Compile once and share: searching is thread-safe, each call makes its own matcher.
class IcuRegex {
public:
    enum class Case { sensitive, insensitive };

    IcuRegex(std::string_view pattern, Case caseMode);
    ~IcuRegex();
    IcuRegex(IcuRegex&&) noexcept;
    IcuRegex& operator=(IcuRegex&&) noexcept;

    bool isValid() const { return pattern_ != nullptr; }
    bool search(std::string_view utf8Text) const;
    // For many patterns over one text: convert the text once.
    bool searchUnicode(const icu::UnicodeString& text) const;

private:
    std::unique_ptr<icu::RegexPattern> pattern_;
};

} // namespace engine
