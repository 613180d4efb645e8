// The pure text steps of Namer: instructions, context, cleaning and the heuristic.

#include "naming/LineRanking.h"
#include "naming/Namer.h"
#include "unicode/IcuRegex.h"
#include "unicode/Unicode.h"

#include <algorithm>
#include <array>

namespace engine {

namespace {

constexpr std::size_t correctionsShown = 8;
constexpr std::size_t cleanedWordLimit = 8;
constexpr std::size_t cleanedCharacterLimit = 70;
constexpr std::size_t cleanedCharacterMinimum = 2;
constexpr std::size_t heuristicWordLimit = 6;

bool isForbiddenInFileName(char32_t c) {
    switch (c) {
    case U'/':
    case U':':
    case U'\\':
    case U'?':
    case U'%':
    case U'*':
    case U'|':
    case U'"':
    case U'<':
    case U'>':
    case U'\0':
        return true;
    default:
        return Unicode::isNewline(c) || Unicode::isControlOrFormat(c);
    }
}

bool isQuoteEdge(std::string_view character) {
    static constexpr std::array<std::string_view, 11> edges = {
        "\"", "'", "\u201C", "\u201D", "\u2018", "\u2019", "`", "*", "#", "_", " "};
    return std::find(edges.begin(), edges.end(), character) != edges.end();
}

bool isPunctuationEdge(std::string_view character) {
    static constexpr std::array<std::string_view, 8> edges = {".", ",", ";", ":",
                                                              "!", "?", "-", " "};
    return std::find(edges.begin(), edges.end(), character) != edges.end();
}

// Drops whole characters from both ends while `isEdge` holds for them.
template <typename Predicate> std::string trimCharacters(std::string_view text, Predicate isEdge) {
    const auto characters = Unicode::characters(text);
    std::size_t begin = 0;
    std::size_t end = characters.size();
    while (begin < end && isEdge(characters[begin])) {
        ++begin;
    }
    while (end > begin && isEdge(characters[end - 1])) {
        --end;
    }
    std::string out;
    for (std::size_t i = begin; i < end; ++i) {
        out += characters[i];
    }
    return out;
}

// Spaces and tabs, not line breaks.
std::string trimHorizontalSpace(std::string_view text) {
    const auto s = Unicode::scalars(text);
    const auto isSpace = [](char32_t c) {
        return Unicode::isWhitespace(c) && !Unicode::isNewline(c);
    };
    std::size_t begin = 0;
    std::size_t end = s.size();
    while (begin < end && isSpace(s[begin])) {
        ++begin;
    }
    while (end > begin && isSpace(s[end - 1])) {
        --end;
    }
    return Unicode::fromScalars(std::u32string_view(s).substr(begin, end - begin));
}

std::string firstLine(std::string_view text) {
    const auto s = Unicode::scalars(text);
    const auto start = std::find_if_not(s.begin(), s.end(), Unicode::isNewline);
    if (start == s.end()) {
        return std::string(text);
    }
    const auto stop = std::find_if(start, s.end(), Unicode::isNewline);
    return Unicode::fromScalars(std::u32string(start, stop));
}

std::string dropCharacters(std::string_view text, std::size_t count) {
    const auto characters = Unicode::characters(text);
    std::string out;
    for (std::size_t i = count; i < characters.size(); ++i) {
        out += characters[i];
    }
    return out;
}

std::string stripLabels(std::string text) {
    static constexpr std::array<std::string_view, 6> labels = {
        "Name:", "Title:", "Screenshot of", "Screenshot:", "Image of", "A screenshot of"};
    for (const auto label : labels) {
        if (Unicode::toLower(text).starts_with(Unicode::toLower(label))) {
            text = trimHorizontalSpace(dropCharacters(text, Unicode::characterCount(label)));
        }
    }
    return text;
}

std::string firstWords(std::string_view text, std::size_t count) {
    auto words = Unicode::splitDroppingEmpty(text, ' ');
    if (words.size() > count) {
        words.resize(count);
    }
    return Unicode::join(words, " ");
}

std::size_t letterCount(std::string_view text) {
    const auto characters = Unicode::characters(text);
    return static_cast<std::size_t>(std::count_if(
        characters.begin(), characters.end(), [](const auto& c) { return Unicode::isLetter(c); }));
}

bool startsWithTimeOfDay(std::string_view line) {
    static const IcuRegex timeOfDay("^\\d{1,2}:\\d{2}", IcuRegex::Case::sensitive);
    return timeOfDay.search(line);
}

// The line's candidate and score, or nothing when the line does not look like a name.
std::optional<std::pair<std::string, long>> scoreLine(std::string_view line) {
    // Looked at before sanitising, which turns ":" and "/" into spaces.
    if (line.find("://") != std::string_view::npos || startsWithTimeOfDay(line)) {
        return std::nullopt;
    }
    std::string candidate = Namer::sanitizeForFileName(line);
    const std::size_t letters = letterCount(candidate);
    const std::size_t words = Unicode::splitDroppingEmpty(candidate, ' ').size();
    const std::size_t length = Unicode::characterCount(candidate);
    if (letters <= 3 || words == 0 || words > 10 || length > 60) {
        return std::nullopt;
    }
    if (static_cast<double>(letters) / static_cast<double>(std::max<std::size_t>(length, 1)) <=
        0.6) {
        return std::nullopt;
    }
    long score = static_cast<long>(letters);
    if (words > 1) {
        score += 10;
    }
    if (words >= 7) {
        score -= 8;
    }
    return std::make_pair(std::move(candidate), score);
}

// Styles split words at spaces, dashes and underscores and drop them, so a dot behind them
// would start the file name: a hidden file, or one named only with dots.
bool hidesOnceStyled(std::string_view name) {
    const auto first = name.find_first_not_of(" -_");
    return first != std::string_view::npos && name[first] == '.';
}

} // namespace

std::string_view Namer::rawValue(Source source) {
    switch (source) {
    case Source::vision:
        return "vision";
    case Source::text:
        return "text";
    case Source::heuristic:
        return "heuristic";
    }
    return "heuristic";
}

std::optional<Namer::Source> Namer::sourceFromRawValue(std::string_view raw) {
    for (const Source source : {Source::vision, Source::text, Source::heuristic}) {
        if (rawValue(source) == raw) {
            return source;
        }
    }
    return std::nullopt;
}

const std::string& Namer::instructionsText() {
    static const std::string text =
        "You give screenshot files short, specific names, like a careful person would.\n"
        "Reply with the name only: 2 to 6 words that say what the screenshot is about, for "
        "example \"Dentist Appointment Reminder\", \"Flight to Lisbon Booking\" or \"GitHub Pull "
        "Request Review\".\n"
        "Prefer the most specific detail: the app, the person, the place, the product or the "
        "topic.\n"
        "Never include dates, times, file extensions, quotes, emoji or the words \"screenshot\" "
        "or \"image\".\n"
        "If the screenshot shows private details such as passwords or card numbers, describe the "
        "kind of screen instead of the details.";
    return text;
}

std::string Namer::makeInstructions(const std::vector<Correction>& corrections) {
    std::string text = instructionsText();
    if (corrections.empty()) {
        return text;
    }
    text += "\n\nThe user corrected earlier names like this. Match their style:\n";
    const std::size_t first =
        corrections.size() > correctionsShown ? corrections.size() - correctionsShown : 0;
    for (std::size_t i = first; i < corrections.size(); ++i) {
        text += "- Instead of \"" + corrections[i].suggested + "\" they chose \"" +
                corrections[i].chosen + "\"\n";
    }
    return text;
}

std::string Namer::makeContext(const TextReader::Reading& reading) {
    std::vector<std::string> sections;
    if (!reading.lines.empty()) {
        std::vector<std::string> lines(
            reading.lines.begin(),
            reading.lines.begin() +
                static_cast<std::ptrdiff_t>(std::min(reading.lines.size(), contextLineLimit)));
        sections.push_back(
            "Text visible in the screenshot:\n" +
            Unicode::prefixCharacters(Unicode::join(lines, "\n"), contextCharacterLimit));
    }
    if (!reading.hints.empty()) {
        sections.push_back("Scene hints: " + Unicode::join(reading.hints, ", "));
    }
    return Unicode::join(sections, "\n\n");
}

std::string Namer::sanitizeForFileName(std::string_view text) {
    std::u32string cut = Unicode::scalars(text);
    std::replace_if(cut.begin(), cut.end(), isForbiddenInFileName, U' ');
    return Unicode::join(Unicode::splitDroppingEmpty(Unicode::fromScalars(cut), ' '), " ");
}

std::optional<std::string> Namer::clean(std::string_view answer) {
    std::string text = Unicode::trimWhitespace(firstLine(answer));
    text = trimCharacters(text, isQuoteEdge);
    text = stripLabels(std::move(text));
    text = sanitizeForFileName(text);
    text = trimCharacters(text, isPunctuationEdge);
    text = firstWords(text, cleanedWordLimit);
    if (Unicode::characterCount(text) > cleanedCharacterLimit) {
        text = Unicode::trimWhitespace(Unicode::prefixCharacters(text, cleanedCharacterLimit));
    }
    if (Unicode::characterCount(text) < cleanedCharacterMinimum || hidesOnceStyled(text)) {
        return std::nullopt;
    }
    return text;
}

std::optional<std::string> Namer::heuristicName(const std::vector<std::string>& lines) {
    std::optional<std::pair<std::string, long>> best;
    const std::size_t count = std::min(lines.size(), heuristicLineLimit);
    for (std::size_t i = 0; i < count; ++i) {
        auto scored = scoreLine(lines[i]);
        // Strictly greater: on equal scores the earlier line stays.
        if (scored && (!best || scored->second > best->second)) {
            best = std::move(scored);
        }
    }
    if (!best) {
        return std::nullopt;
    }
    return clean(firstWords(best->first, heuristicWordLimit));
}

namespace {

// Nothing to rank by: one size and one confidence for every line.
bool uniform(const std::vector<TextLine>& details) {
    return std::all_of(details.begin(), details.end(), [&](const TextLine& line) {
        return line.textSize == details.front().textSize &&
               line.meanConfidence() == details.front().meanConfidence();
    });
}

int rank(LineRanking::Role role) {
    switch (role) {
    case LineRanking::Role::heading:
        return 4;
    case LineRanking::Role::title:
        return 3;
    case LineRanking::Role::caption:
        return 2;
    case LineRanking::Role::body:
        return 1;
    default:
        return 0;
    }
}

} // namespace

std::optional<std::string> Namer::heuristicName(const std::vector<std::string>& lines,
                                                const std::vector<TextLine>& details,
                                                double aspect) {
    const std::size_t count = std::min(lines.size(), heuristicLineLimit);
    if (details.size() < count || count == 0 || aspect <= 0 ||
        uniform(std::vector<TextLine>(details.begin(),
                                      details.begin() + static_cast<std::ptrdiff_t>(count)))) {
        return heuristicName(lines);
    }
    const std::vector<TextLine> shown(details.begin(),
                                      details.begin() + static_cast<std::ptrdiff_t>(count));
    const double body = LineRanking::bodySize(shown);
    struct Pick {
        std::string candidate;
        int rank = 0;
        double score = 0;
    };
    std::optional<Pick> best;
    for (std::size_t i = 0; i < count; ++i) {
        auto scored = scoreLine(lines[i]);
        if (!scored) {
            continue;
        }
        const LineRanking::Role role =
            LineRanking::roleOf(lines[i], shown[i], body, aspect, i == 0);
        if (role == LineRanking::Role::chrome || role == LineRanking::Role::unread) {
            continue;
        }
        Pick pick{std::move(scored->first), rank(role), static_cast<double>(scored->second)};
        if (role == LineRanking::Role::heading) {
            const double ratio = shown[i].textSize / body;
            pick.score *= ratio * ratio; // the larger heading of two
        }
        // Strictly better: on equal ranks and scores the earlier line stays.
        if (!best || pick.rank > best->rank ||
            (pick.rank == best->rank && pick.score > best->score)) {
            best = std::move(pick);
        }
    }
    if (!best) {
        return std::nullopt;
    }
    return clean(firstWords(best->candidate, heuristicWordLimit));
}

std::optional<std::string> Namer::heuristicNameFor(const TextReader::Reading& reading) {
    const double aspect = reading.image && reading.image->height > 0
                              ? static_cast<double>(reading.image->width) / reading.image->height
                              : 0;
    return heuristicName(reading.lines, reading.lineDetails, aspect);
}

} // namespace engine
