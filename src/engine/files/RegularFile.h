#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace engine {

// Reads settings and history only from ordinary files: a FIFO or a device put in their place
// would block the program's start or never end.
class RegularFile {
public:
    // The whole contents, following symbolic links; nothing when the file is missing,
    // unreadable or not a regular file. Never waits for a writer.
    static std::optional<std::string> read(const std::filesystem::path& file);
    // True when nothing is at `file` or it leads to a regular file.
    static bool isAbsentOrRegular(const std::filesystem::path& file);
};

} // namespace engine
