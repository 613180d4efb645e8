#pragma once

#include <QDBusConnection>
#include <QString>
#include <filesystem>
#include <functional>

namespace app {

// Shows a file selected in the desktop's file manager.
class FileManager {
public:
    // Hears, once asked, whether anything could show the file.
    using Done = std::function<void(bool shown)>;
    using FolderOpener = std::function<bool(const QString& folder)>;

    // org.freedesktop.FileManager1.ShowItems where a file manager offers it, else the folder
    // opened with xdg-open. Never waits for the file manager: `done` follows its answer.
    static void reveal(const std::filesystem::path& file, Done done);
    static void reveal(const std::filesystem::path& file, Done done, QDBusConnection bus,
                       FolderOpener openFolder);
};

} // namespace app
