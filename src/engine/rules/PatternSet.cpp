#include "rules/PatternSet.h"

#include <string_view>

namespace engine {

namespace {

// Anchored at the start of the text: a leading "^" and no alternation outside groups, so that
// "^a|b" counts as unanchored.
bool isAnchored(std::string_view pattern) {
    if (!pattern.starts_with("^")) {
        return false;
    }
    int depth = 0;
    int classDepth = 0;
    for (std::size_t i = 1; i < pattern.size(); ++i) {
        const char c = pattern[i];
        if (c == '\\') {
            if (pattern.substr(i, 2) == "\\Q") {
                return false; // quoted text is not worth parsing here
            }
            ++i;
        } else if (c == '[') {
            ++classDepth;
        } else if (c == ']' && classDepth > 0) {
            --classDepth;
        } else if (classDepth == 0 && c == '(') {
            ++depth;
        } else if (classDepth == 0 && c == ')') {
            --depth;
        } else if (classDepth == 0 && depth == 0 && c == '|') {
            return false;
        }
    }
    return true;
}

} // namespace

PatternSet::PatternSet(const std::vector<std::string>& patterns, IcuRegex::Case caseMode) {
    const uint32_t flags = caseMode == IcuRegex::Case::insensitive ? UREGEX_CASE_INSENSITIVE : 0;
    std::vector<bool> anchored;
    for (const auto& source : patterns) {
        UErrorCode status = U_ZERO_ERROR;
        UParseError parseError{};
        const auto text = icu::UnicodeString::fromUTF8(source);
        std::unique_ptr<icu::RegexPattern> pattern(
            icu::RegexPattern::compile(text, flags, parseError, status));
        if (U_FAILURE(status)) {
            valid_ = false;
            continue;
        }
        all_.push_back(patterns_.size());
        anchored.push_back(isAnchored(source));
        patterns_.push_back(std::move(pattern));
    }
    // A one-character text tells whether a text starting with that character can match: when
    // matching at the start fails without wanting more input, no longer text can match either.
    // (find() would report wanting more input for every text shorter than the pattern's
    // shortest match.)
    for (std::size_t i = 0; i < patterns_.size(); ++i) {
        UErrorCode status = U_ZERO_ERROR;
        std::unique_ptr<icu::RegexMatcher> matcher(patterns_[i]->matcher(status));
        for (UChar c = 0; c < 128; ++c) {
            bool possible = !anchored[i] || U_FAILURE(status);
            if (!possible) {
                const icu::UnicodeString one(c);
                matcher->reset(one);
                UErrorCode findStatus = U_ZERO_ERROR;
                possible =
                    matcher->lookingAt(findStatus) || matcher->hitEnd() || U_FAILURE(findStatus);
            }
            if (possible) {
                byFirstCharacter_[c].push_back(i);
            }
        }
    }
}

PatternSet::~PatternSet() = default;

std::unique_ptr<PatternSet::Matchers> PatternSet::takeMatchers() const {
    {
        std::lock_guard lock(poolMutex_);
        if (!pool_.empty()) {
            auto matchers = std::move(pool_.back());
            pool_.pop_back();
            return matchers;
        }
    }
    auto matchers = std::make_unique<Matchers>();
    for (const auto& pattern : patterns_) {
        UErrorCode status = U_ZERO_ERROR;
        std::unique_ptr<icu::RegexMatcher> matcher(pattern->matcher(status));
        matchers->push_back(U_SUCCESS(status) ? std::move(matcher) : nullptr);
    }
    return matchers;
}

void PatternSet::giveBack(std::unique_ptr<Matchers> matchers) const {
    std::lock_guard lock(poolMutex_);
    pool_.push_back(std::move(matchers));
}

bool PatternSet::searchAny(const icu::UnicodeString& text) const {
    const std::vector<std::size_t>* candidates = &all_;
    if (text.length() > 0 && text.charAt(0) < 128) {
        candidates = &byFirstCharacter_[text.charAt(0)];
    }
    if (candidates->empty()) {
        return false;
    }
    auto matchers = takeMatchers();
    bool found = false;
    for (std::size_t i : *candidates) {
        icu::RegexMatcher* matcher = (*matchers)[i].get();
        if (matcher == nullptr) {
            continue;
        }
        UErrorCode status = U_ZERO_ERROR;
        matcher->reset(text);
        found = matcher->find(status) && U_SUCCESS(status);
        if (found) {
            break;
        }
    }
    giveBack(std::move(matchers));
    return found;
}

} // namespace engine
