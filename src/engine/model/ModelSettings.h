#pragma once

#include "model/ModelConfig.h"
#include "rules/Environment.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace engine {

// The one reader of the model settings, shared by the tray program, --watch and the
// command-line modes: the three model keys of the settings file, then the overrides
// QUILLMARK_MODEL_URL and QUILLMARK_MODEL. Values are trimmed; nothing is written.
class ModelSettings {
public:
    static std::filesystem::path settingsFile(const Environment& environment);
    static ModelConfig load(const Environment& environment);
    static ModelConfig load(const std::filesystem::path& file, const Environment& environment);

    // The three keys as the file holds them, untrimmed; absent when the file has no such key.
    struct Stored {
        std::optional<std::string> endpoint;
        std::optional<std::string> name;
        std::optional<std::string> allowRemote;
    };
    static Stored read(const std::filesystem::path& file);
    // The stored values, trimmed and parsed, then the environment's overrides.
    static ModelConfig resolve(const Stored& stored, const Environment& environment);

    // "true"/"false" in any case, or "1"/"0"; anything else is no answer.
    static std::optional<bool> parseBool(std::string_view text);
};

} // namespace engine
