#include "files/HistoryCodec.h"

#include "files/Renamer.h"

#include <nlohmann/json.hpp>

#include <array>
#include <cstdio>
#include <utility>

namespace engine::HistoryCodec {

namespace {

using Clock = std::chrono::system_clock;

constexpr std::array<std::pair<Namer::Source, std::string_view>, 3> sourceNames{{
    {Namer::Source::vision, "vision"},
    {Namer::Source::text, "text"},
    {Namer::Source::heuristic, "heuristic"},
}};

std::string_view sourceName(Namer::Source source) {
    for (const auto& [value, name] : sourceNames) {
        if (value == source) {
            return name;
        }
    }
    return {};
}

std::optional<Namer::Source> sourceFromName(std::string_view name) {
    for (const auto& [value, text] : sourceNames) {
        if (text == name) {
            return value;
        }
    }
    return std::nullopt;
}

bool isHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// Hyphenated 36-character form in either case; returned in upper case.
std::optional<std::string> normalizedId(std::string_view text) {
    if (text.size() != 36) {
        return std::nullopt;
    }
    std::string id(text);
    for (std::size_t i = 0; i < id.size(); ++i) {
        bool hyphen = i == 8 || i == 13 || i == 18 || i == 23;
        if (hyphen ? id[i] != '-' : !isHexDigit(id[i])) {
            return std::nullopt;
        }
        if (id[i] >= 'a' && id[i] <= 'f') {
            id[i] = static_cast<char>(id[i] - 'a' + 'A');
        }
    }
    return id;
}

std::optional<int> digits(std::string_view text, std::size_t from, std::size_t count) {
    int value = 0;
    for (std::size_t i = from; i < from + count; ++i) {
        if (text[i] < '0' || text[i] > '9') {
            return std::nullopt;
        }
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

const nlohmann::json* member(const nlohmann::json& object, const char* key) {
    auto found = object.find(key);
    return found == object.end() ? nullptr : &*found;
}

std::optional<std::string> stringMember(const nlohmann::json& object, const char* key) {
    const nlohmann::json* value = member(object, key);
    if (value == nullptr || !value->is_string()) {
        return std::nullopt;
    }
    return value->get<std::string>();
}

// Undo and name again act on folderPath joined with these names: each must stay one file
// inside one absolute folder.
bool holdsOneFileEach(const std::string& folderPath, const std::string& originalName,
                      const std::string& currentName) {
    return folderPath.starts_with('/') && folderPath.find('\0') == std::string::npos &&
           Renamer::isPlainFileName(originalName) && Renamer::isPlainFileName(currentName);
}

std::optional<RenameRecord> decodeRecord(const nlohmann::json& object) {
    if (!object.is_object()) {
        return std::nullopt;
    }
    auto id = stringMember(object, "id");
    auto folderPath = stringMember(object, "folderPath");
    auto originalName = stringMember(object, "originalName");
    auto currentName = stringMember(object, "currentName");
    auto suggestedName = stringMember(object, "suggestedName");
    auto sourceText = stringMember(object, "source");
    auto dateText = stringMember(object, "date");
    const nlohmann::json* undone = member(object, "undone");
    if (!id || !folderPath || !originalName || !currentName || !suggestedName || !sourceText ||
        !dateText || undone == nullptr || !undone->is_boolean()) {
        return std::nullopt;
    }
    auto uuid = normalizedId(*id);
    auto source = sourceFromName(*sourceText);
    auto date = parseDate(*dateText);
    if (!uuid || !source || !date || !holdsOneFileEach(*folderPath, *originalName, *currentName)) {
        return std::nullopt;
    }
    return RenameRecord{std::move(*uuid),
                        std::move(*folderPath),
                        std::move(*originalName),
                        std::move(*currentName),
                        std::move(*suggestedName),
                        *source,
                        *date,
                        undone->get<bool>()};
}

} // namespace

std::optional<std::string> formatDate(Clock::time_point date) {
    auto seconds = std::chrono::floor<std::chrono::seconds>(date);
    auto days = std::chrono::floor<std::chrono::days>(seconds);
    std::chrono::year_month_day ymd{days};
    std::chrono::hh_mm_ss time{seconds - days};
    int year = static_cast<int>(ymd.year());
    // Other years would not read back in the four-digit form.
    if (year < 0 || year > 9999) {
        return std::nullopt;
    }
    std::array<char, 32> text{};
    std::snprintf(text.data(), text.size(), "%04d-%02u-%02uT%02d:%02d:%02dZ", year,
                  static_cast<unsigned>(ymd.month()), static_cast<unsigned>(ymd.day()),
                  static_cast<int>(time.hours().count()), static_cast<int>(time.minutes().count()),
                  static_cast<int>(time.seconds().count()));
    return std::string(text.data());
}

std::optional<Clock::time_point> parseDate(std::string_view text) {
    if (text.size() != 20 || text[4] != '-' || text[7] != '-' || text[10] != 'T' ||
        text[13] != ':' || text[16] != ':' || text[19] != 'Z') {
        return std::nullopt;
    }
    auto year = digits(text, 0, 4);
    auto month = digits(text, 5, 2);
    auto day = digits(text, 8, 2);
    auto hour = digits(text, 11, 2);
    auto minute = digits(text, 14, 2);
    auto second = digits(text, 17, 2);
    if (!year || !month || !day || !hour || !minute || !second || *hour > 23 || *minute > 59 ||
        *second > 59) {
        return std::nullopt;
    }
    std::chrono::year_month_day ymd{std::chrono::year(*year),
                                    std::chrono::month(static_cast<unsigned>(*month)),
                                    std::chrono::day(static_cast<unsigned>(*day))};
    if (!ymd.ok()) {
        return std::nullopt;
    }
    const std::chrono::sys_seconds seconds =
        std::chrono::sys_days(ymd) + std::chrono::hours(*hour) + std::chrono::minutes(*minute) +
        std::chrono::seconds(*second);
    // The clock spans only a few centuries; converting a date beyond them would overflow.
    if (seconds < std::chrono::ceil<std::chrono::seconds>(Clock::time_point::min()) ||
        seconds > std::chrono::floor<std::chrono::seconds>(Clock::time_point::max())) {
        return std::nullopt;
    }
    return Clock::time_point(seconds);
}

std::optional<std::string> encode(std::span<const RenameRecord> records) {
    nlohmann::ordered_json array = nlohmann::ordered_json::array();
    for (const RenameRecord& record : records) {
        auto date = formatDate(record.date);
        auto id = normalizedId(record.id);
        if (!date || !id) {
            return std::nullopt;
        }
        array.push_back({{"id", *id},
                         {"folderPath", record.folderPath},
                         {"originalName", record.originalName},
                         {"currentName", record.currentName},
                         {"suggestedName", record.suggestedName},
                         {"source", sourceName(record.source)},
                         {"date", *date},
                         {"undone", record.undone}});
    }
    try {
        return array.dump(2) + "\n";
    } catch (const nlohmann::json::exception&) {
        return std::nullopt; // a name that is not valid UTF-8
    }
}

std::optional<std::vector<RenameRecord>> decode(std::string_view json) {
    nlohmann::json document;
    try {
        document = nlohmann::json::parse(json);
    } catch (const nlohmann::json::exception&) {
        return std::nullopt;
    }
    if (!document.is_array()) {
        return std::nullopt;
    }
    std::vector<RenameRecord> records;
    records.reserve(document.size());
    for (const nlohmann::json& object : document) {
        auto record = decodeRecord(object);
        if (!record) {
            return std::nullopt;
        }
        records.push_back(std::move(*record));
    }
    return records;
}

} // namespace engine::HistoryCodec
