#pragma once

#include <filesystem>
#include <string_view>

namespace engine {

// Replaces a file so that a crash at any moment leaves either the old or the new contents.
class AtomicFile {
public:
    // Writes a temporary file next to `target`, flushes it to disk, renames it over `target`
    // and flushes the folder. False (with `target` untouched) on any failure. A symbolic link
    // at `target` stays: the file it leads to is replaced.
    static bool replace(const std::filesystem::path& target, std::string_view contents);
};

} // namespace engine
