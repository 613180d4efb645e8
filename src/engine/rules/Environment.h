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

private:
    Lookup lookup_;
};

} // namespace engine
