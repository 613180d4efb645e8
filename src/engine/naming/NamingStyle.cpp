#include "naming/NamingStyle.h"

#include "unicode/Unicode.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

namespace engine {

namespace {

using Case = NamingStyle::Case;

bool isSmallWord(std::string_view lowerWord) {
    static constexpr std::array<std::string_view, 19> smallWords = {
        "a",    "an", "and", "as", "at",  "but", "by", "for", "from", "in",
        "into", "of", "on",  "or", "the", "to",  "vs", "via", "with"};
    return std::find(smallWords.begin(), smallWords.end(), lowerWord) != smallWords.end();
}

std::vector<std::string> splitWords(std::string_view name) {
    std::vector<std::string> words;
    std::string word;
    for (const char c : name) {
        if (c == ' ' || c == '-' || c == '_') {
            if (!word.empty()) {
                words.push_back(std::move(word));
                word.clear();
            }
        } else {
            word += c;
        }
    }
    if (!word.empty()) {
        words.push_back(std::move(word));
    }
    return words;
}

// Acronyms (PDF) and words with inner capitals (iPhone) are written as their owners write them.
bool keepsItsCase(std::string_view word) {
    std::vector<std::string> letters;
    for (auto& c : Unicode::characters(word)) {
        if (Unicode::isLetter(c)) {
            letters.push_back(std::move(c));
        }
    }
    if (letters.size() < 2) {
        return false;
    }
    const std::string joined = Unicode::join(letters, "");
    if (Unicode::toUpper(joined) == joined) {
        return true;
    }
    return std::any_of(letters.begin() + 1, letters.end(),
                       [](const std::string& c) { return Unicode::isUppercase(c); });
}

std::string capitalizeFirst(std::string_view lowerWord) {
    const auto characters = Unicode::characters(lowerWord);
    if (characters.empty()) {
        return std::string(lowerWord);
    }
    std::string out = Unicode::toUpper(characters.front());
    for (std::size_t i = 1; i < characters.size(); ++i) {
        out += characters[i];
    }
    return out;
}

std::string titleCase(const std::vector<std::string>& words) {
    std::vector<std::string> out;
    const std::size_t n = words.size();
    for (std::size_t i = 0; i < n; ++i) {
        if (keepsItsCase(words[i])) {
            out.push_back(words[i]);
            continue;
        }
        const std::string lower = Unicode::toLower(words[i]);
        const bool inner = i > 0 && i + 1 < n;
        out.push_back(inner && isSmallWord(lower) ? lower : capitalizeFirst(lower));
    }
    return Unicode::join(out, " ");
}

std::string sentence(const std::vector<std::string>& words) {
    std::vector<std::string> out;
    for (std::size_t i = 0; i < words.size(); ++i) {
        if (keepsItsCase(words[i])) {
            out.push_back(words[i]);
            continue;
        }
        const std::string lower = Unicode::toLower(words[i]);
        out.push_back(i == 0 ? capitalizeFirst(lower) : lower);
    }
    return Unicode::join(out, " ");
}

std::string lowercaseDashes(const std::vector<std::string>& words) {
    std::vector<std::string> out;
    for (const auto& word : words) {
        out.push_back(Unicode::toLower(word));
    }
    return Unicode::join(out, "-");
}

// "yyyy-MM-dd" in the current time zone; re-reads TZ so a changed zone applies at once.
std::string formatDay(NamingStyle::Date date) {
    const std::time_t seconds = std::chrono::system_clock::to_time_t(date);
    tzset();
    std::tm local{};
    if (localtime_r(&seconds, &local) == nullptr) {
        return {};
    }
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d", local.tm_year + 1900, local.tm_mon + 1,
                  local.tm_mday);
    return buffer;
}

// Whole characters while they fit; a first character longer than the limit (a letter under
// a pile of marks) is cut between its scalars so the name never becomes empty.
std::string fitToBytes(std::string name, std::size_t limit) {
    if (name.size() <= limit) {
        return name;
    }
    std::string out;
    for (const auto& character : Unicode::characters(name)) {
        if (out.size() + character.size() > limit) {
            break;
        }
        out += character;
    }
    if (out.empty()) {
        for (const char32_t scalar : Unicode::scalars(name)) {
            const std::string encoded = Unicode::fromScalar(scalar);
            if (out.size() + encoded.size() > limit) {
                break;
            }
            out += encoded;
        }
    }
    // A cut may leave a word separator at the end.
    while (out.size() > 1 && (out.back() == ' ' || out.back() == '-')) {
        out.pop_back();
    }
    return out;
}

} // namespace

const std::array<NamingStyle, 4>& NamingStyle::allCases() {
    static constexpr std::array<NamingStyle, 4> cases = {
        NamingStyle(Case::titleCase), NamingStyle(Case::sentence),
        NamingStyle(Case::lowercaseDashes), NamingStyle(Case::dateFirst)};
    return cases;
}

std::optional<NamingStyle> NamingStyle::fromRawValue(std::string_view raw) {
    for (const NamingStyle style : allCases()) {
        if (style.rawValue() == raw) {
            return style;
        }
    }
    return std::nullopt;
}

NamingStyle::Date NamingStyle::exampleDate() {
    tzset();
    std::tm local{};
    local.tm_year = 2026 - 1900;
    local.tm_mon = 10;
    local.tm_mday = 11;
    local.tm_isdst = -1;
    return std::chrono::system_clock::from_time_t(std::mktime(&local));
}

std::string_view NamingStyle::rawValue() const {
    switch (value_) {
    case Case::titleCase:
        return "titleCase";
    case Case::sentence:
        return "sentence";
    case Case::lowercaseDashes:
        return "lowercaseDashes";
    case Case::dateFirst:
        return "dateFirst";
    }
    return "titleCase";
}

std::string NamingStyle::apply(std::string_view name, std::optional<Date> date) const {
    return fitToBytes(styled(name, date), maxBytes);
}

std::string NamingStyle::styled(std::string_view name, std::optional<Date> date) const {
    const auto words = splitWords(name);
    if (words.empty()) {
        return std::string(name);
    }
    switch (value_) {
    case Case::titleCase:
        return titleCase(words);
    case Case::sentence:
        return sentence(words);
    case Case::lowercaseDashes:
        return lowercaseDashes(words);
    case Case::dateFirst:
        return formatDay(date.value_or(std::chrono::system_clock::now())) + " " + titleCase(words);
    }
    return std::string(name);
}

} // namespace engine
