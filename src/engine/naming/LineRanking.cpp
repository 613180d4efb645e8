#include "naming/LineRanking.h"

#include "unicode/Unicode.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <set>
#include <string>

namespace engine {

namespace {

// Entries of menus, toolbars, site navigation and dialog buttons.
const std::set<std::string>& chromeWords() {
    static const std::set<std::string> words = {
        "file",       "edit",          "view",      "go",       "help",      "tools",
        "window",     "insert",        "format",    "search",   "terminal",  "tabs",
        "tab",        "bookmarks",     "history",   "options",  "settings",  "preferences",
        "project",    "build",         "run",       "debug",    "selection", "image",
        "layer",      "layers",        "data",      "sheet",    "table",     "navigate",
        "code",       "refactor",      "select",    "filters",  "colors",    "colours",
        "document",   "text",          "mail",      "message",  "favorites", "favourites",
        "actions",    "places",        "session",   "profiles", "ok",        "cancel",
        "apply",      "close",         "yes",       "no",       "save",      "open",
        "back",       "forward",       "reload",    "refresh",  "home",      "new",
        "delete",     "copy",          "paste",     "cut",      "undo",      "redo",
        "print",      "find",          "replace",   "next",     "previous",  "prev",
        "up",         "down",          "share",     "more",     "menu",      "login",
        "log",        "sign",          "in",        "out",      "register",  "download",
        "downloads",  "upload",        "submit",    "reset",    "continue",  "skip",
        "done",       "finish",        "quit",      "exit",     "retry",     "ignore",
        "abort",      "browse",        "about",     "contact",  "support",   "blog",
        "docs",       "documentation", "license",   "licence",  "purchase",  "pricing",
        "features",   "news",          "community", "index",    "modules",   "contents",
        "game",       "account",       "frame",     "object",   "chart",     "tables",
        "queries",    "forms",         "reports",   "macros",   "add",       "remove",
        "properties", "zoom",          "toolbar",   "toolbars", "sidebar",   "panel",
        "panels",     "accessories",   "theme",
    };
    return words;
}

std::vector<std::string> lowerWords(std::string_view line) {
    std::vector<std::string> words;
    std::string word;
    for (const char c : std::string(line) + " ") {
        const auto u = static_cast<unsigned char>(c);
        if (std::isalnum(u) || u >= 0x80) {
            word += static_cast<char>(std::tolower(u));
        } else if (!word.empty()) {
            words.push_back(word);
            word.clear();
        }
    }
    return words;
}

bool isVowel(char c) {
    switch (std::tolower(static_cast<unsigned char>(c))) {
    case 'a':
    case 'e':
    case 'i':
    case 'o':
    case 'u':
    case 'y':
        return true;
    default:
        return false;
    }
}

// A Latin-letter token that no language writes: letters mixed into digits, no vowel in four
// letters or more, long runs of consonants or vowels, capitals scattered inside.
bool isNonWord(std::string_view token) {
    std::size_t letters = 0;
    std::size_t digits = 0;
    std::size_t vowels = 0;
    std::size_t consonantRun = 0;
    std::size_t vowelRun = 0;
    std::size_t longestConsonants = 0;
    std::size_t longestVowels = 0;
    std::size_t innerCapitals = 0;
    for (std::size_t i = 0; i < token.size(); ++i) {
        const auto c = static_cast<unsigned char>(token[i]);
        if (c >= 0x80) {
            return false; // other scripts and accents are not judged here
        }
        if (std::isdigit(c)) {
            ++digits;
            consonantRun = vowelRun = 0;
            continue;
        }
        if (!std::isalpha(c)) {
            consonantRun = vowelRun = 0;
            continue;
        }
        ++letters;
        if (isVowel(token[i])) {
            ++vowels;
            ++vowelRun;
            consonantRun = 0;
        } else {
            ++consonantRun;
            vowelRun = 0;
        }
        longestConsonants = std::max(longestConsonants, consonantRun);
        longestVowels = std::max(longestVowels, vowelRun);
        if (std::isupper(c) && i > 0 && std::islower(static_cast<unsigned char>(token[i - 1]))) {
            ++innerCapitals;
        }
    }
    if (letters < 2) {
        return false;
    }
    const bool allCapitals = std::none_of(token.begin(), token.end(), [](char c) {
        return std::islower(static_cast<unsigned char>(c));
    });
    if (digits > 0 && letters > 0 && letters + digits >= 4 && !allCapitals) {
        return true;
    }
    if (letters >= 4 && vowels == 0 && !allCapitals) {
        return true;
    }
    return longestConsonants >= 6 || longestVowels >= 5 || innerCapitals >= 2;
}

} // namespace

bool LineRanking::isSetLikeATitle(std::string_view line) {
    const std::vector<std::string> tokens = Unicode::splitDroppingEmpty(line, ' ');
    if (tokens.size() < 2 || tokens.size() > 7) {
        return false;
    }
    const char last = line.back();
    if (last == '.' || last == ',' || last == ';' || last == ':') {
        return false;
    }
    std::size_t letters = 0;
    std::size_t lowers = 0;
    std::size_t longWords = 0;
    std::size_t capitalised = 0;
    for (const std::string& token : tokens) {
        std::size_t tokenLetters = 0;
        for (const char c : token) {
            const auto u = static_cast<unsigned char>(c);
            tokenLetters += std::isalpha(u) != 0;
            lowers += std::islower(u) != 0;
        }
        letters += tokenLetters;
        if (tokenLetters >= 4) {
            ++longWords;
            const auto first = std::find_if(token.begin(), token.end(), [](char c) {
                return std::isalpha(static_cast<unsigned char>(c)) != 0;
            });
            capitalised += std::isupper(static_cast<unsigned char>(*first)) != 0;
        }
    }
    if (letters >= 4 && lowers == 0) {
        return true;
    }
    return longWords > 0 && capitalised == longWords;
}

bool LineRanking::endsMidSentence(std::string_view line) {
    static const std::set<std::string> openEnds = {
        "a",  "an",   "the",  "and",  "or", "but", "to", "of", "by",   "for",  "in",   "on",
        "at", "with", "from", "that", "is", "are", "be", "as", "into", "than", "which"};
    const std::vector<std::string> words = lowerWords(line);
    const char last = line.empty() ? ' ' : line.back();
    return !words.empty() && std::isalpha(static_cast<unsigned char>(last)) &&
           openEnds.contains(words.back());
}

bool LineRanking::isMenuOrButtonRow(std::string_view line) {
    const std::vector<std::string> words = lowerWords(line);
    if (words.size() < 2) {
        return false;
    }
    const auto chrome = std::count_if(
        words.begin(), words.end(), [](const std::string& w) { return chromeWords().contains(w); });
    // Two buttons ("Cancel OK") must both be chrome; longer rows mostly.
    const double share = words.size() == 2 ? 1.0 : 0.6;
    return static_cast<double>(chrome) >= share * static_cast<double>(words.size());
}

bool LineRanking::isAddressOrPath(std::string_view line) {
    for (const std::string& token : Unicode::splitDroppingEmpty(line, ' ')) {
        const std::string lower = Unicode::toLower(token);
        if (lower.starts_with("www.") || lower.starts_with("~/") || lower.starts_with("file:")) {
            return true;
        }
        const auto slash = lower.find('/');
        if (slash == std::string::npos) {
            continue;
        }
        // "docs.python.org/3/library", "/usr/share/doc": a path, not "Q3/Q4".
        const bool dotted = lower.find('.') != std::string::npos;
        const bool rooted = slash == 0 && lower.size() > 1;
        const auto slashes = std::count(lower.begin(), lower.end(), '/');
        if (dotted || rooted || slashes >= 2) {
            return true;
        }
    }
    return false;
}

bool LineRanking::isMostlyNonWords(std::string_view line) {
    std::size_t judged = 0;
    std::size_t nonWords = 0;
    for (const std::string& token : Unicode::splitDroppingEmpty(line, ' ')) {
        const auto letters = std::count_if(token.begin(), token.end(), [](char c) {
            return std::isalpha(static_cast<unsigned char>(c)) ||
                   static_cast<unsigned char>(c) >= 0x80;
        });
        if (letters == 0) {
            continue;
        }
        ++judged;
        nonWords += isNonWord(token);
    }
    return judged > 0 && nonWords * 2 > judged;
}

bool LineRanking::isSpreadOut(const TextLine& details, double aspect) {
    if (details.words.size() < 2 || details.textSize <= 0) {
        return false;
    }
    std::vector<TextLine::Word> words = details.words;
    std::sort(words.begin(), words.end(), [](const auto& a, const auto& b) { return a.x < b.x; });
    std::vector<double> gaps;
    for (std::size_t i = 1; i < words.size(); ++i) {
        const double gap = (words[i].x - (words[i - 1].x + words[i - 1].width)) * aspect;
        gaps.push_back(gap / details.textSize);
    }
    std::sort(gaps.begin(), gaps.end());
    const double median = gaps[gaps.size() / 2];
    // A sentence sets words a fraction of their height apart; menus and tabs much further.
    return words.size() == 2 ? median > 3.0 : median > 1.8;
}

double LineRanking::bodySize(const std::vector<TextLine>& lines) {
    // The size most words are set in: a heading and its one paragraph are two lines, and the
    // paragraph is the body.
    std::vector<double> sizes;
    for (const TextLine& line : lines) {
        if (line.textSize > 0) {
            sizes.insert(sizes.end(), std::max<std::size_t>(1, line.words.size()), line.textSize);
        }
    }
    if (sizes.empty()) {
        return 0;
    }
    std::sort(sizes.begin(), sizes.end());
    return sizes[sizes.size() / 2];
}

LineRanking::Role LineRanking::roleOf(std::string_view line, const TextLine& details,
                                      double bodySize, double aspect, bool topmost) {
    if (isAddressOrPath(line) || isMenuOrButtonRow(line) || isSpreadOut(details, aspect)) {
        return Role::chrome;
    }
    if ((!details.words.empty() && details.meanConfidence() < minimumConfidence) ||
        isMostlyNonWords(line)) {
        return Role::unread;
    }
    const bool sized = bodySize > 0 && details.textSize > 0;
    if (sized && details.textSize >= headingRatio * bodySize) {
        return Role::heading;
    }
    const bool nearTop = details.y + details.height > 0.9;
    const bool titled = line.find(" - ") != std::string_view::npos ||
                        line.find(" \u2014 ") != std::string_view::npos ||
                        line.find(" \u2013 ") != std::string_view::npos;
    if ((topmost && nearTop && titled) || line.ends_with("?")) {
        return Role::title;
    }
    if ((details.y < 0.06 && (!sized || details.textSize <= bodySize)) || endsMidSentence(line)) {
        return Role::footnote;
    }
    return isSetLikeATitle(line) ? Role::caption : Role::body;
}

} // namespace engine
