#include "model/ModelSettings.h"

#include "rules/IniFile.h"

#include <algorithm>
#include <cctype>

namespace engine {

namespace {

std::string trimmed(std::string_view text) {
    auto space = [](unsigned char c) { return std::isspace(c) != 0; };
    while (!text.empty() && space(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && space(text.back())) {
        text.remove_suffix(1);
    }
    return std::string(text);
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

} // namespace

std::filesystem::path ModelSettings::settingsFile(const Environment& environment) {
    return environment.configHome() / "Quillmark" / "Quillmark.conf";
}

ModelConfig ModelSettings::load(const Environment& environment) {
    return load(settingsFile(environment), environment);
}

ModelConfig ModelSettings::load(const std::filesystem::path& file, const Environment& environment) {
    return resolve(read(file), environment);
}

ModelSettings::Stored ModelSettings::read(const std::filesystem::path& file) {
    Stored stored;
    if (const auto ini = IniFile::load(file, IniFile::Dialect::qsettings)) {
        stored.endpoint = ini->value("General", "modelEndpoint");
        stored.name = ini->value("General", "modelName");
        stored.allowRemote = ini->value("General", "allowRemoteModel");
    }
    return stored;
}

ModelConfig ModelSettings::resolve(const Stored& stored, const Environment& environment) {
    ModelConfig config;
    if (stored.endpoint) {
        if (auto text = trimmed(*stored.endpoint); !text.empty()) {
            config.endpoint = text;
        }
    }
    if (stored.name) {
        config.modelName = trimmed(*stored.name);
    }
    if (stored.allowRemote) {
        config.allowRemoteModel = parseBool(*stored.allowRemote).value_or(false);
    }
    if (auto endpoint = environment.get("QUILLMARK_MODEL_URL")) {
        if (auto text = trimmed(*endpoint); !text.empty()) {
            config.endpoint = text;
        }
    }
    if (auto name = environment.get("QUILLMARK_MODEL")) {
        config.modelName = trimmed(*name);
    }
    return config;
}

std::optional<bool> ModelSettings::parseBool(std::string_view text) {
    const std::string value = trimmed(text);
    if (equalsIgnoringCase(value, "true") || value == "1") {
        return true;
    }
    if (equalsIgnoringCase(value, "false") || value == "0") {
        return false;
    }
    return std::nullopt;
}

} // namespace engine
