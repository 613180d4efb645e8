#include "rules/ScreenshotLocation.h"

#include "unicode/Unicode.h"

#include "rules/IniFile.h"
#include "rules/MessageCatalog.h"
#include "rules/XdgDirs.h"

#include <algorithm>
#include <string>
#include <system_error>

namespace engine {

namespace {

struct Tool {
    std::filesystem::path file; // relative to the config folder
    IniFile::Dialect dialect;
    const char* section;
    const char* key;
    const char* desktop; // the XDG_CURRENT_DESKTOP entry this tool belongs to, or empty
};

const std::vector<Tool>& tools() {
    static const std::vector<Tool> list = {
        {"spectaclerc", IniFile::Dialect::plain, "ImageSave", "imageSaveLocation", "KDE"},
        {"flameshot/flameshot.ini", IniFile::Dialect::qsettings, "General", "savePath", ""},
        {"xfce4/xfce4-screenshooter", IniFile::Dialect::plain, "", "screenshot_dir", "XFCE"},
        {"ksnip/ksnip.conf", IniFile::Dialect::qsettings, "Application", "SaveDirectory", ""},
    };
    return list;
}

bool currentDesktopIs(const Environment& environment, std::string_view desktop) {
    const auto current = environment.get("XDG_CURRENT_DESKTOP");
    if (!current || desktop.empty()) {
        return false;
    }
    std::string_view rest = *current;
    while (!rest.empty()) {
        const auto colon = rest.find(':');
        if (rest.substr(0, colon) == desktop) {
            return true;
        }
        rest = colon == std::string_view::npos ? std::string_view() : rest.substr(colon + 1);
    }
    return false;
}

std::string percentDecoded(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && Unicode::hexDigitValue(text[i + 1]) >= 0 &&
            Unicode::hexDigitValue(text[i + 2]) >= 0) {
            out += static_cast<char>(Unicode::hexDigitValue(text[i + 1]) * 16 +
                                     Unicode::hexDigitValue(text[i + 2]));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::filesystem::path normalized(const std::filesystem::path& folder) {
    std::string text = folder.lexically_normal().string();
    while (text.size() > 1 && text.back() == '/') {
        text.pop_back();
    }
    return text;
}

bool isDirectory(const std::filesystem::path& folder) {
    std::error_code error;
    return folder.is_absolute() && std::filesystem::is_directory(folder, error);
}

// One plain folder name, or nothing.
std::optional<std::string> translatedScreenshotsName(const Environment& environment) {
    auto name = MessageCatalog::translate(environment, "gnome-shell", "Screenshots");
    if (!name || *name == "Screenshots" || *name == "." || *name == ".." ||
        name->find('/') != std::string::npos || !Unicode::isValidUtf8(*name)) {
        return std::nullopt;
    }
    return name;
}

} // namespace

std::optional<std::filesystem::path>
ScreenshotLocation::settingPath(std::string_view value, const Environment& environment) {
    std::string text;
    if (value.starts_with("file://")) {
        std::string_view rest = value.substr(7);
        if (rest.starts_with("localhost/")) {
            rest.remove_prefix(9);
        }
        if (!rest.starts_with("/")) {
            return std::nullopt; // a file on another host
        }
        text = percentDecoded(rest);
    } else if (value.find("://") != std::string_view::npos) {
        return std::nullopt;
    } else {
        text = std::string(value);
    }
    std::filesystem::path path;
    if (text.starts_with("$HOME/") || text == "$HOME") {
        path = environment.home() /
               std::filesystem::path(text.substr(std::min<std::size_t>(6, text.size())));
    } else {
        path = environment.expandTilde(text);
    }
    if (!path.is_absolute()) {
        return std::nullopt;
    }
    return normalized(path);
}

std::vector<std::filesystem::path> ScreenshotLocation::toolFolders(const Environment& environment) {
    std::vector<const Tool*> ordered;
    for (const Tool& tool : tools()) {
        ordered.push_back(&tool);
    }
    std::stable_partition(ordered.begin(), ordered.end(), [&](const Tool* tool) {
        return currentDesktopIs(environment, tool->desktop);
    });
    std::vector<std::filesystem::path> folders;
    const std::filesystem::path config = environment.configHome();
    for (const Tool* tool : ordered) {
        const auto ini = IniFile::load(config / tool->file, tool->dialect);
        if (!ini) {
            continue;
        }
        if (auto value = ini->value(tool->section, tool->key)) {
            if (auto folder = settingPath(*value, environment)) {
                folders.push_back(*folder);
            }
        }
    }
    return folders;
}

std::filesystem::path ScreenshotLocation::find(const std::optional<std::filesystem::path>& override,
                                               const Environment& environment) {
    std::vector<std::filesystem::path> candidates;
    if (override && !override->empty()) {
        candidates.push_back(environment.expandTilde(override->string()));
    }
    if (auto variable = environment.get("XDG_SCREENSHOTS_DIR")) {
        candidates.push_back(environment.expandTilde(*variable));
    }
    for (auto& folder : toolFolders(environment)) {
        candidates.push_back(std::move(folder));
    }
    if (auto pictures = XdgDirs::pictures(environment)) {
        // GNOME saves into a subfolder named in the user's language.
        if (auto translated = translatedScreenshotsName(environment)) {
            candidates.push_back(*pictures / *translated);
        }
        candidates.push_back(*pictures / "Screenshots");
        candidates.push_back(*pictures);
    }
    if (auto desktop = XdgDirs::desktop(environment)) {
        candidates.push_back(*desktop);
    }
    const std::filesystem::path home = environment.home();
    candidates.push_back(home / "Desktop");
    for (const auto& folder : candidates) {
        if (isDirectory(folder)) {
            return normalized(folder);
        }
    }
    return normalized(home);
}

} // namespace engine
