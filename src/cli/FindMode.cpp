#include "FindMode.h"

#include "index/TextIndex.h"

#include <cstdlib>

#include <unicode/uchar.h>
#include <unicode/unistr.h>

namespace cli {

namespace {

constexpr const char* pathColour = "\033[35m";
constexpr const char* matchColour = "\033[1;31m";
constexpr const char* plain = "\033[0m";

std::string joined(const std::vector<std::string>& words) {
    std::string query;
    for (const auto& word : words) {
        if (!query.empty()) {
            query += ' ';
        }
        query += word;
    }
    const auto begin = query.find_first_not_of(" \t");
    if (begin == std::string::npos) {
        return {};
    }
    return query.substr(begin, query.find_last_not_of(" \t") - begin + 1);
}

// The line with its first case-insensitive match of `query` coloured.
std::string marked(const std::string& line, const std::string& query) {
    const icu::UnicodeString text = icu::UnicodeString::fromUTF8(line);
    const icu::UnicodeString needle = icu::UnicodeString::fromUTF8(query);
    for (int32_t start = 0; start + needle.length() <= text.length(); ++start) {
        if (text.caseCompare(start, needle.length(), needle, U_FOLD_CASE_DEFAULT) == 0) {
            std::string result;
            text.tempSubString(0, start).toUTF8String(result);
            result += matchColour;
            text.tempSubString(start, needle.length()).toUTF8String(result);
            result += plain;
            text.tempSubString(start + needle.length()).toUTF8String(result);
            return result;
        }
    }
    return line;
}

} // namespace

std::filesystem::path FindMode::indexFile() {
    // Found as the history store finds its folder, without making it: looking makes no files.
    std::filesystem::path dataHome;
    if (const char* value = std::getenv("XDG_DATA_HOME");
        value != nullptr && std::filesystem::path(value).is_absolute()) {
        dataHome = value;
    } else if (const char* home = std::getenv("HOME"); home != nullptr) {
        dataHome = std::filesystem::path(home) / ".local" / "share";
    }
    return dataHome / "Quillmark" / engine::TextIndex::fileName;
}

int FindMode::run(const std::vector<std::string>& words, const std::filesystem::path& indexFile,
                  std::ostream& out, std::ostream& err, bool colour) {
    const std::string query = joined(words);
    if (query.empty()) {
        err << "quillmark: --find needs the words to look for\n";
        return 2;
    }
    engine::TextIndex index(indexFile);
    const auto opened = index.open(false);
    if (opened == engine::TextIndex::Opened::missing ||
        opened == engine::TextIndex::Opened::unavailable) {
        err << "quillmark: there is no text index yet. It is made while Quillmark runs and "
               "names screenshots.\n";
        return 1;
    }
    for (const auto& hit : index.search(query)) {
        if (colour) {
            out << pathColour << hit.path << plain << '\t' << marked(hit.line, query) << '\n';
        } else {
            out << hit.path << '\t' << hit.line << '\n';
        }
    }
    return 0;
}

} // namespace cli
