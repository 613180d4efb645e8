#pragma once

#include "naming/Namer.h"

#include <chrono>
#include <filesystem>
#include <string>

namespace engine {

// One rename the program made, as kept in the history. Only `undone` and `currentName`
// change after creation.
struct RenameRecord {
    std::string id; // upper-case hyphenated UUID, 36 characters
    std::string folderPath;
    std::string originalName;
    std::string currentName;
    std::string suggestedName; // styled stem, without extension or collision number
    Namer::Source source = Namer::Source::heuristic;
    std::chrono::system_clock::time_point date;
    bool undone = false;

    // The file as it is now named: the original name while undone.
    std::filesystem::path presentPath() const;

    bool operator==(const RenameRecord&) const = default;

    // A fresh random (version 4) UUID in upper case.
    static std::string makeId();
};

} // namespace engine
