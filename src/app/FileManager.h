#pragma once

#include <filesystem>

namespace app {

// Shows a file selected in the desktop's file manager.
class FileManager {
public:
    // org.freedesktop.FileManager1.ShowItems where a file manager offers it, else the folder
    // opened with xdg-open. False when neither could be asked.
    static bool reveal(const std::filesystem::path& file);
};

} // namespace app
