#include "ModelSettings.h"

#include "rules/IniFile.h"

namespace cli {

std::filesystem::path ModelSettings::settingsFile(const engine::Environment& environment) {
    return environment.configHome() / "Quillmark" / "Quillmark.conf";
}

engine::ModelConfig ModelSettings::load(const engine::Environment& environment) {
    engine::ModelConfig config;
    if (const auto file =
            engine::IniFile::load(settingsFile(environment), engine::IniFile::Dialect::qsettings)) {
        if (auto endpoint = file->value("General", "modelEndpoint");
            endpoint && !endpoint->empty()) {
            config.endpoint = *endpoint;
        }
        if (auto name = file->value("General", "modelName")) {
            config.modelName = *name;
        }
        if (auto allow = file->value("General", "allowRemoteModel")) {
            config.allowRemoteModel = *allow == "true";
        }
    }
    if (auto endpoint = environment.get("QUILLMARK_MODEL_URL")) {
        config.endpoint = *endpoint;
    }
    if (auto name = environment.get("QUILLMARK_MODEL")) {
        config.modelName = *name;
    }
    return config;
}

} // namespace cli
