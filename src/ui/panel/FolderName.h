#pragma once

#include <QString>
#include <filesystem>

namespace ui {

// The last component of a folder path as the user knows it: "Screenshots" for
// "/home/a/Screenshots/", "/" for the root.
struct FolderName {
    static QString of(const std::filesystem::path& folder);
    static QString of(const QString& folder);
};

} // namespace ui
