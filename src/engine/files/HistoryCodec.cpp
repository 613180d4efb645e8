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

// Undo and name again act on folderPath joined with these names: each must stay one file
// inside one absolute folder.
bool holdsOneFileEach(const std::string& folderPath, const std::string& originalName,
                      const std::string& currentName) {
    return folderPath.starts_with('/') && folderPath.find('\0') == std::string::npos &&
           Renamer::isPlainFileName(originalName) && Renamer::isPlainFileName(currentName);
}

// The fields of one record object as they are read; a field given a value of the wrong type
// is absent, and the last of several values with one key counts.
struct RecordFields {
    std::optional<std::string> id, folderPath, originalName, currentName, suggestedName, source,
        date;
    std::optional<bool> undone;

    std::optional<std::string>* text(std::string_view key) {
        if (key == "id")
            return &id;
        if (key == "folderPath")
            return &folderPath;
        if (key == "originalName")
            return &originalName;
        if (key == "currentName")
            return &currentName;
        if (key == "suggestedName")
            return &suggestedName;
        if (key == "source")
            return &source;
        if (key == "date")
            return &date;
        return nullptr;
    }

    // Any value other than text (or a boolean for "undone") makes the key's field invalid.
    void wrongType(std::string_view key) {
        if (auto* field = text(key)) {
            field->reset();
        } else if (key == "undone") {
            undone.reset();
        }
    }
};

std::optional<RenameRecord> decodeRecord(RecordFields& fields) {
    if (!fields.id || !fields.folderPath || !fields.originalName || !fields.currentName ||
        !fields.suggestedName || !fields.source || !fields.date || !fields.undone) {
        return std::nullopt;
    }
    auto uuid = normalizedId(*fields.id);
    auto source = sourceFromName(*fields.source);
    auto date = parseDate(*fields.date);
    if (!uuid || !source || !date ||
        !holdsOneFileEach(*fields.folderPath, *fields.originalName, *fields.currentName)) {
        return std::nullopt;
    }
    return RenameRecord{std::move(*uuid),
                        std::move(*fields.folderPath),
                        std::move(*fields.originalName),
                        std::move(*fields.currentName),
                        std::move(*fields.suggestedName),
                        *source,
                        *date,
                        *fields.undone};
}

// Builds records straight from the parser's events: a document tree of a big history would
// hold several times the file's size until the load ends.
class RecordReader {
public:
    using json = nlohmann::json;

    std::vector<RenameRecord> records;

    bool null() { return scalar(); }
    bool boolean(bool value) {
        if (depth_ == 2) {
            if (key_ == "undone") {
                fields_.undone = value;
            } else {
                fields_.wrongType(key_);
            }
            return true;
        }
        return depth_ > 2;
    }
    bool number_integer(json::number_integer_t) { return scalar(); }
    bool number_unsigned(json::number_unsigned_t) { return scalar(); }
    bool number_float(json::number_float_t, const json::string_t&) { return scalar(); }
    bool string(json::string_t& value) {
        if (depth_ == 2) {
            if (auto* field = fields_.text(key_)) {
                *field = std::move(value);
            } else {
                fields_.wrongType(key_);
            }
            return true;
        }
        return depth_ > 2;
    }
    bool binary(json::binary_t&) { return scalar(); }
    bool start_object(std::size_t) {
        if (depth_ == 0) {
            return false; // the top level is an array
        }
        if (depth_ == 1) {
            fields_ = {};
        } else if (depth_ == 2) {
            fields_.wrongType(key_);
        }
        ++depth_;
        return true;
    }
    bool key(json::string_t& key) {
        if (depth_ == 2) {
            key_ = std::move(key);
        }
        return true;
    }
    bool end_object() {
        --depth_;
        if (depth_ == 1) {
            auto record = decodeRecord(fields_);
            if (!record) {
                return false;
            }
            records.push_back(std::move(*record));
        }
        return true;
    }
    bool start_array(std::size_t) {
        if (depth_ == 1) {
            return false; // every element is a record object
        }
        if (depth_ == 2) {
            fields_.wrongType(key_);
        }
        ++depth_;
        return true;
    }
    bool end_array() {
        --depth_;
        return true;
    }
    bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) {
        return false;
    }

private:
    // A number or null: only allowed inside a record, where it is the wrong type for any key
    // it is given to.
    bool scalar() {
        if (depth_ == 2) {
            fields_.wrongType(key_);
            return true;
        }
        return depth_ > 2;
    }

    int depth_ = 0;
    std::string key_;
    RecordFields fields_;
};

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

std::optional<std::string> encodeRecord(const RenameRecord& record) {
    auto date = formatDate(record.date);
    auto id = normalizedId(record.id);
    if (!date || !id) {
        return std::nullopt;
    }
    const nlohmann::ordered_json object = {{"id", *id},
                                           {"folderPath", record.folderPath},
                                           {"originalName", record.originalName},
                                           {"currentName", record.currentName},
                                           {"suggestedName", record.suggestedName},
                                           {"source", sourceName(record.source)},
                                           {"date", *date},
                                           {"undone", record.undone}};
    std::string text;
    try {
        text = object.dump(2);
    } catch (const nlohmann::json::exception&) {
        return std::nullopt; // a name that is not valid UTF-8
    }
    // Indented one level deeper, as an element of the array. Strings hold no raw line breaks.
    std::string indented;
    indented.reserve(text.size() + 64);
    for (const char c : text) {
        indented += c;
        if (c == '\n') {
            indented += "  ";
        }
    }
    return indented;
}

std::string join(std::span<const std::string> objects) {
    if (objects.empty()) {
        return "[]\n";
    }
    std::size_t size = 8;
    for (const auto& object : objects) {
        size += object.size() + 4;
    }
    std::string text;
    text.reserve(size);
    text += "[\n";
    for (std::size_t i = 0; i < objects.size(); ++i) {
        text += i == 0 ? "  " : ",\n  ";
        text += objects[i];
    }
    text += "\n]\n";
    return text;
}

std::optional<std::string> encode(std::span<const RenameRecord> records) {
    std::vector<std::string> objects;
    objects.reserve(records.size());
    for (const RenameRecord& record : records) {
        auto object = encodeRecord(record);
        if (!object) {
            return std::nullopt;
        }
        objects.push_back(std::move(*object));
    }
    return join(objects);
}

std::optional<std::vector<RenameRecord>> decode(std::string_view json) {
    RecordReader reader;
    if (!nlohmann::json::sax_parse(json, &reader)) {
        return std::nullopt;
    }
    reader.records.shrink_to_fit();
    return std::move(reader.records);
}

} // namespace engine::HistoryCodec
