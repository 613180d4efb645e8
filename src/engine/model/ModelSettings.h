#pragma once

#include "model/ModelConfig.h"
#include "rules/Environment.h"

#include <filesystem>
#include <optional>
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

    // "true"/"false" in any case, or "1"/"0"; anything else is no answer.
    static std::optional<bool> parseBool(std::string_view text);
};

} // namespace engine
