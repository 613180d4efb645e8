#pragma once

#include "files/RenameRecord.h"

#include <chrono>
#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// The history file's JSON form: an array of record objects, newest first.
namespace engine::HistoryCodec {

// Pretty-printed JSON; nothing when a text field is not valid UTF-8.
std::optional<std::string> encode(std::span<const RenameRecord> records);
// One record's object as it stands in the array that `join` makes; nothing when a text field
// is not valid UTF-8.
std::optional<std::string> encodeRecord(const RenameRecord& record);
// The array of objects made by `encodeRecord`, in order: what `encode` writes.
std::string join(std::span<const std::string> objects);
// The records in file order; nothing when the text or any single record is invalid. Builds the
// records while reading, without a document tree of the whole file.
std::optional<std::vector<RenameRecord>> decode(std::string_view json);

// "2026-01-05T10:11:12Z": UTC, whole seconds (fractions are dropped).
std::optional<std::string> formatDate(std::chrono::system_clock::time_point date);
// Accepts exactly the form formatDate writes.
std::optional<std::chrono::system_clock::time_point> parseDate(std::string_view text);

} // namespace engine::HistoryCodec
