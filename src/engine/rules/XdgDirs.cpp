#include "rules/XdgDirs.h"

#include <fstream>
#include <sstream>

namespace engine {

namespace {

std::string_view trim(std::string_view text) {
    const auto isSpace = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
    while (!text.empty() && isSpace(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && isSpace(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

// Removes the surrounding double quotes and shell backslash escapes.
std::string unquote(std::string_view value) {
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
        value = value.substr(1, value.size() - 2);
    }
    std::string out;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] == '\\' && i + 1 < value.size()) {
            ++i;
        }
        out += value[i];
    }
    return out;
}

std::string withoutTrailingSlashes(std::string path) {
    while (path.size() > 1 && path.back() == '/') {
        path.pop_back();
    }
    return path;
}

// The folder a raw value names, or nothing for a value of another form; an empty path for
// a switched-off entry.
std::optional<std::filesystem::path> resolve(std::string_view raw,
                                             const std::filesystem::path& home) {
    // The $ of $HOME is unescaped; an escaped \$HOME is a literal folder name.
    const bool homeRelative = raw.starts_with("\"$HOME") || raw.starts_with("$HOME") ||
                              raw.starts_with("\"${HOME}") || raw.starts_with("${HOME}");
    std::string value = unquote(raw);
    std::string rest;
    if (homeRelative) {
        const std::size_t prefix = value.starts_with("${HOME}") ? 7 : 5;
        rest = value.substr(prefix);
        if (!rest.empty() && rest.front() != '/') {
            return std::nullopt; // "$HOMEWORK" is not under the home folder
        }
        rest = withoutTrailingSlashes(home.string() + rest);
    } else if (value.starts_with("/")) {
        rest = withoutTrailingSlashes(value);
    } else {
        return std::nullopt;
    }
    std::filesystem::path folder = std::filesystem::path(rest).lexically_normal();
    if (folder == std::filesystem::path(withoutTrailingSlashes(home.string())).lexically_normal()) {
        return std::filesystem::path();
    }
    return folder;
}

std::optional<std::filesystem::path> withDefault(const Environment& environment,
                                                 const std::string& name, const char* defaultName) {
    const XdgDirs dirs = XdgDirs::load(environment);
    if (auto folder = dirs.folder(name)) {
        return folder->empty() ? std::nullopt : folder;
    }
    return environment.home() / defaultName;
}

} // namespace

XdgDirs XdgDirs::parse(std::string_view text, const std::filesystem::path& home) {
    XdgDirs dirs;
    while (!text.empty()) {
        const auto end = text.find('\n');
        const std::string_view line = trim(text.substr(0, end));
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (line.empty() || line.front() == '#') {
            continue;
        }
        const auto equals = line.find('=');
        if (equals == std::string_view::npos) {
            continue;
        }
        const std::string name(trim(line.substr(0, equals)));
        if (auto folder = resolve(trim(line.substr(equals + 1)), home)) {
            dirs.folders_[name] = *folder;
        }
    }
    return dirs;
}

XdgDirs XdgDirs::load(const Environment& environment) {
    std::ifstream in(environment.configHome() / "user-dirs.dirs", std::ios::binary);
    if (!in) {
        return {};
    }
    std::ostringstream text;
    text << in.rdbuf();
    return parse(text.str(), environment.home());
}

std::optional<std::filesystem::path> XdgDirs::folder(const std::string& name) const {
    auto it = folders_.find(name);
    if (it == folders_.end()) {
        return std::nullopt;
    }
    return it->second;
}

std::optional<std::filesystem::path> XdgDirs::pictures(const Environment& environment) {
    return withDefault(environment, "XDG_PICTURES_DIR", "Pictures");
}

std::optional<std::filesystem::path> XdgDirs::desktop(const Environment& environment) {
    return withDefault(environment, "XDG_DESKTOP_DIR", "Desktop");
}

} // namespace engine
