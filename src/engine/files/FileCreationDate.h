#pragma once

#include <chrono>
#include <filesystem>
#include <optional>

namespace engine {

// When a file was made: its birth time where the file system records one, else its last
// modification. Nothing when the file cannot be read.
class FileCreationDate {
public:
    static std::optional<std::chrono::system_clock::time_point>
    of(const std::filesystem::path& file);
};

} // namespace engine
