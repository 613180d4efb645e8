#pragma once

#include "unicode/IcuRegex.h"

#include <array>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include <unicode/regex.h>
#include <unicode/unistr.h>

namespace engine {

// Answers "does any of these ICU patterns occur in the text?" much faster than searching
// them one by one: patterns anchored with "^" that cannot match a text starting with a given
// ASCII character are skipped for such texts, and matchers are reused between calls.
// Thread-safe; results equal searching every pattern.
class PatternSet {
public:
    PatternSet(const std::vector<std::string>& patterns, IcuRegex::Case caseMode);
    ~PatternSet();
    PatternSet(const PatternSet&) = delete;
    PatternSet& operator=(const PatternSet&) = delete;

    // False when a pattern does not compile; such a pattern never matches.
    bool isValid() const { return valid_; }
    bool searchAny(const icu::UnicodeString& text) const;

private:
    // One matcher per pattern; a matcher serves one search at a time.
    using Matchers = std::vector<std::unique_ptr<icu::RegexMatcher>>;
    std::unique_ptr<Matchers> takeMatchers() const;
    void giveBack(std::unique_ptr<Matchers> matchers) const;

    bool valid_ = true;
    std::vector<std::unique_ptr<icu::RegexPattern>> patterns_;
    std::vector<std::size_t> all_;
    // For a text whose first code unit is ASCII: the patterns that may match it.
    std::array<std::vector<std::size_t>, 128> byFirstCharacter_;
    mutable std::mutex poolMutex_;
    mutable std::vector<std::unique_ptr<Matchers>> pool_;
};

} // namespace engine
