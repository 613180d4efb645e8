// Names a folder of real screenshots the way the program does without a model and scores the
// names against a manifest: hits per kind, names that are mostly not words, photos named, and
// every miss beside the name a person would give.
//
//   quillmark-naming-bench FOLDER [--words FILE]
//
// FOLDER holds manifest.json, a list of {file, kind, expect_any, ideal}; files are looked up
// beside it or in its screens/ folder. The word list defaults to /usr/share/dict/words.
#include "naming/LineRanking.h"
#include "naming/Namer.h"
#include "reading/TextReader.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

struct Entry {
    std::string file;
    std::string kind;
    std::vector<std::string> expectAny;
    std::string ideal;
};

std::string lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// ASCII letter runs; enough for judging names read from English screens.
std::vector<std::string> wordsOf(const std::string& text) {
    std::vector<std::string> words;
    std::string word;
    for (const char c : text + " ") {
        if (std::isalpha(static_cast<unsigned char>(c))) {
            word += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        } else if (!word.empty()) {
            words.push_back(word);
            word.clear();
        }
    }
    return words;
}

bool hits(const std::string& name, const std::vector<std::string>& expectAny) {
    const std::string lowered = lower(name);
    const std::vector<std::string> words = wordsOf(name);
    for (const std::string& keyword : expectAny) {
        if (keyword.size() > 3 && lowered.find(keyword) != std::string::npos) {
            return true;
        }
        // Split like the name so "git-rebase" matches the words of "git rebase".
        const std::vector<std::string> parts = wordsOf(keyword);
        for (std::size_t i = 0; !parts.empty() && i + parts.size() <= words.size(); ++i) {
            if (std::equal(parts.begin(), parts.end(), words.begin() + static_cast<long>(i))) {
                return true;
            }
        }
    }
    return false;
}

std::set<std::string> loadWords(const fs::path& file) {
    std::set<std::string> words;
    std::ifstream in(file);
    for (std::string line; std::getline(in, line);) {
        if (line.find('\'') == std::string::npos) {
            words.insert(lower(line));
        }
    }
    return words;
}

bool isWord(const std::string& word, const std::set<std::string>& dictionary) {
    if (dictionary.contains(word)) {
        return true;
    }
    // Plurals and verb forms the list leaves out.
    for (const std::string suffix : {"s", "es", "ed", "ing"}) {
        if (word.size() > suffix.size() + 2 && word.ends_with(suffix) &&
            dictionary.contains(word.substr(0, word.size() - suffix.size()))) {
            return true;
        }
    }
    return false;
}

// More than half of the name's words of two letters or more are not in the list.
bool mostlyNonWords(const std::string& name, const std::set<std::string>& dictionary) {
    std::size_t words = 0;
    std::size_t known = 0;
    for (const std::string& w : wordsOf(name)) {
        if (w.size() < 2) {
            continue;
        }
        ++words;
        known += isWord(w, dictionary);
    }
    return words > 0 && known * 2 < words;
}

std::optional<std::vector<Entry>> loadManifest(const fs::path& file) {
    std::ifstream in(file);
    const nlohmann::json json = nlohmann::json::parse(in, nullptr, false);
    if (!json.is_array()) {
        return std::nullopt;
    }
    std::vector<Entry> entries;
    for (const auto& item : json) {
        Entry e;
        e.file = item.value("file", "");
        e.kind = item.value("kind", "");
        e.ideal = item.value("ideal", "");
        for (const auto& k : item.value("expect_any", nlohmann::json::array())) {
            e.expectAny.push_back(lower(k.get<std::string>()));
        }
        entries.push_back(std::move(e));
    }
    return entries;
}

fs::path locate(const fs::path& folder, const std::string& file) {
    for (const fs::path& candidate : {folder / file, folder / "screens" / file}) {
        if (fs::exists(candidate)) {
            return candidate;
        }
    }
    return folder / file;
}

// Each line with its size against the body text, its confidence and its role.
void dumpLines(const engine::TextReader::Reading& reading) {
    using engine::LineRanking;
    const double body = LineRanking::bodySize(reading.lineDetails);
    const double aspect = static_cast<double>(reading.image->width) / reading.image->height;
    static constexpr const char* roles[] = {"chrome",  "unread", "footnote", "body",
                                            "caption", "title",  "heading"};
    for (std::size_t i = 0; i < reading.lineDetails.size(); ++i) {
        const engine::TextLine& line = reading.lineDetails[i];
        const auto role = LineRanking::roleOf(line.text, line, body, aspect, i == 0);
        std::printf("    %4.2f %3.0f %-8s y%.2f %s\n", body > 0 ? line.textSize / body : 0,
                    line.meanConfidence(), roles[static_cast<int>(role)], line.y + line.height,
                    line.text.c_str());
        if (std::getenv("QUILLMARK_BENCH_WORDS") != nullptr) {
            for (const auto& w : line.words) {
                std::printf("        x%.4f w%.4f h%.4f c%.0f\n", w.x, w.width, w.height,
                            w.confidence);
            }
        }
    }
}

// What the program names a file with no model: the same reading and heuristic.
std::optional<std::string> heuristicName(const fs::path& file) {
    const engine::TextReader::Reading reading = engine::TextReader::read(
        file, engine::Namer::maxPixelSize, engine::Namer::heuristicLineLimit);
    if (std::getenv("QUILLMARK_BENCH_LINES") != nullptr) {
        dumpLines(reading);
    }
    return engine::Namer::heuristicNameFor(reading);
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s FOLDER [--words FILE]\n", argv[0]);
        return 2;
    }
    const fs::path folder = argv[1];
    fs::path wordFile = "/usr/share/dict/words";
    for (int i = 2; i + 1 < argc; ++i) {
        if (std::string(argv[i]) == "--words") {
            wordFile = argv[i + 1];
        }
    }
    const auto entries = loadManifest(folder / "manifest.json");
    if (!entries) {
        std::fprintf(stderr, "no manifest.json list in %s\n", folder.c_str());
        return 1;
    }
    std::set<std::string> dictionary = loadWords(wordFile);
    // The words people used for these screens count too: the list lacks "pathlib", "asyncio".
    for (const Entry& e : *entries) {
        for (const std::string& text : e.expectAny) {
            for (const std::string& w : wordsOf(text)) {
                dictionary.insert(w);
            }
        }
        for (const std::string& w : wordsOf(e.ideal)) {
            dictionary.insert(w);
        }
    }
    if (dictionary.size() < 1000) {
        std::fprintf(stderr, "no words in %s; non-word counts are skipped\n", wordFile.c_str());
    }

    struct Tally {
        int total = 0;
        int hit = 0;
    };
    std::map<std::string, Tally> perKind;
    int photosNamed = 0;
    int nonWordNames = 0;
    std::vector<std::string> misses;
    for (const Entry& e : *entries) {
        const std::optional<std::string> name = heuristicName(locate(folder, e.file));
        const std::string shown = name ? *name : "(none)";
        std::printf("%-8s %-44.44s %s\n", e.kind.c_str(), e.file.c_str(), shown.c_str());
        if (e.kind == "photo") {
            photosNamed += name.has_value();
            if (name) {
                misses.push_back("photo named: " + e.file + ": \"" + *name + "\"");
            }
            continue;
        }
        Tally& tally = perKind[e.kind];
        ++tally.total;
        if (name && !dictionary.empty() && mostlyNonWords(*name, dictionary)) {
            ++nonWordNames;
            misses.push_back("non-words: " + e.file + ": \"" + *name + "\"");
        }
        if (name && hits(*name, e.expectAny)) {
            ++tally.hit;
        } else {
            misses.push_back("miss: " + e.file + ": \"" + shown + "\", ideal \"" + e.ideal + "\"");
        }
    }

    std::printf("\n%-10s %5s %5s\n", "kind", "hits", "of");
    Tally all;
    for (const auto& [kind, tally] : perKind) {
        std::printf("%-10s %5d %5d\n", kind.c_str(), tally.hit, tally.total);
        all.hit += tally.hit;
        all.total += tally.total;
    }
    std::printf("%-10s %5d %5d\n", "text", all.hit, all.total);
    std::printf("mostly non-word names: %d\nphotos named: %d\n\n", nonWordNames, photosNamed);
    for (const std::string& line : misses) {
        std::printf("%s\n", line.c_str());
    }
    return 0;
}
