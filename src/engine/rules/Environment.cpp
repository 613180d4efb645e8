#include "rules/Environment.h"

#include <cstdlib>
#include <pwd.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace engine {

namespace {

std::optional<std::string> passwordHome() {
    long size = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<std::size_t>(size) : 16384);
    passwd entry{};
    passwd* result = nullptr;
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &result) != 0 ||
        result == nullptr || result->pw_dir == nullptr) {
        return std::nullopt;
    }
    return std::string(result->pw_dir);
}

} // namespace

Environment::Environment(Lookup lookup) : lookup_(std::move(lookup)) {}

Environment Environment::process() {
    return Environment([](const std::string& name) -> std::optional<std::string> {
        const char* value = std::getenv(name.c_str());
        if (value == nullptr) {
            return std::nullopt;
        }
        return std::string(value);
    });
}

Environment Environment::fromMap(std::map<std::string, std::string> variables) {
    return Environment(
        [variables = std::move(variables)](const std::string& name) -> std::optional<std::string> {
            auto it = variables.find(name);
            if (it == variables.end()) {
                return std::nullopt;
            }
            return it->second;
        });
}

std::optional<std::string> Environment::get(const std::string& name) const {
    auto value = lookup_ ? lookup_(name) : std::nullopt;
    if (!value || value->empty()) {
        return std::nullopt;
    }
    return value;
}

std::filesystem::path Environment::home() const {
    if (auto home = get("HOME"); home && std::filesystem::path(*home).is_absolute()) {
        return *home;
    }
    if (auto home = passwordHome()) {
        return *home;
    }
    return "/";
}

std::filesystem::path Environment::configHome() const {
    if (auto config = get("XDG_CONFIG_HOME");
        config && std::filesystem::path(*config).is_absolute()) {
        return *config;
    }
    return home() / ".config";
}

Environment& Environment::setLocaleRoot(std::filesystem::path root) {
    localeRoot_ = std::move(root);
    return *this;
}

std::filesystem::path Environment::expandTilde(std::string_view path) const {
    if (path == "~") {
        return home();
    }
    if (path.starts_with("~/")) {
        return home() / std::filesystem::path(path.substr(2));
    }
    return std::filesystem::path(path);
}

} // namespace engine
