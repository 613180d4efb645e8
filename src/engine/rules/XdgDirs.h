#pragma once

#include "rules/Environment.h"

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace engine {

// The XDG user folders of user-dirs.dirs in the user's config folder
// (XDG_PICTURES_DIR="$HOME/Pictures" and the like).
class XdgDirs {
public:
    // Entries of the form "$HOME/...", "${HOME}/..." or "/..." in optional double quotes,
    // with shell backslash escapes; other values are ignored. An entry that points at the home
    // folder itself switches that user folder off.
    static XdgDirs parse(std::string_view text, const std::filesystem::path& home);
    static XdgDirs load(const Environment& environment);

    // `name` as in the file, e.g. "XDG_PICTURES_DIR"; an empty path when it is switched off.
    std::optional<std::filesystem::path> folder(const std::string& name) const;

    // The folder from the file, else the usual default under the home folder ("Pictures",
    // "Desktop"); nothing when the file switches it off.
    static std::optional<std::filesystem::path> pictures(const Environment& environment);
    static std::optional<std::filesystem::path> desktop(const Environment& environment);

private:
    std::map<std::string, std::filesystem::path> folders_;
};

} // namespace engine
