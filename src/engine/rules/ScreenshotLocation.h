#pragma once

#include "rules/Environment.h"

#include <filesystem>
#include <optional>
#include <string_view>
#include <vector>

namespace engine {

// Where the desktop's screenshot tool saves its pictures. First existing folder wins: the
// caller's override, $XDG_SCREENSHOTS_DIR, the screenshot tools' own settings (the one of the
// current desktop first), the screenshot subfolder of Pictures under its name in the user's
// language, Pictures/Screenshots, Pictures, the XDG Desktop folder, ~/Desktop, and finally the
// home folder.
class ScreenshotLocation {
public:
    static std::filesystem::path find(const std::optional<std::filesystem::path>& override,
                                      const Environment& environment);

    // The save folders configured in the screenshot tools, in order of preference; only those
    // that name an absolute path (existing or not).
    static std::vector<std::filesystem::path> toolFolders(const Environment& environment);

    // A setting's value as a path: "file://" URLs decoded, a leading "~" or "$HOME" expanded.
    // Nothing for other URLs and relative paths.
    static std::optional<std::filesystem::path> settingPath(std::string_view value,
                                                            const Environment& environment);
};

} // namespace engine
