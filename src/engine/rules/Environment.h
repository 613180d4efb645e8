#pragma once

#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace engine {

// Environment variables and the home folder, passed in so that folder lookups can be driven
// by a fake home in tests.
class Environment {
public:
    using Lookup = std::function<std::optional<std::string>(const std::string& name)>;

    explicit Environment(Lookup lookup);
    static Environment process();
    static Environment fromMap(std::map<std::string, std::string> variables);

    // An unset or empty variable is absent.
    std::optional<std::string> get(const std::string& name) const;
    // $HOME when it is an absolute path, else the password database entry.
    std::filesystem::path home() const;
    // $XDG_CONFIG_HOME when it is an absolute path, else ~/.config.
    std::filesystem::path configHome() const;
    // Expands a leading "~" or "~/" to the home folder.
    std::filesystem::path expandTilde(std::string_view path) const;

    // Where other programs' compiled message catalogs live
    // (<root>/<language>/LC_MESSAGES/<domain>.mo); /usr/share/locale unless set.
    const std::filesystem::path& localeRoot() const { return localeRoot_; }
    Environment& setLocaleRoot(std::filesystem::path root);

private:
    Lookup lookup_;
    std::filesystem::path localeRoot_ = "/usr/share/locale";
};

} // namespace engine
