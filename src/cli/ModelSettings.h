#pragma once

#include "model/ModelConfig.h"
#include "rules/Environment.h"

#include <filesystem>

namespace cli {

// The model settings of the command-line modes: the three model keys of the settings file,
// then the environment overrides QUILLMARK_MODEL_URL and QUILLMARK_MODEL. Nothing else is read
// and nothing is written.
class ModelSettings {
public:
    static std::filesystem::path settingsFile(const engine::Environment& environment);
    static engine::ModelConfig load(const engine::Environment& environment);
};

} // namespace cli
