// The model settings of AppModel: the servers found, the model in use and fetching one.
#include "AppModel.h"

#include "AppSettings.h"
#include "ModelChooser.h"
#include "ModelPull.h"

#include "rules/Environment.h"

namespace app {

void AppModel::startModelChooser() {
    ModelChooser::Places places;
    if (services_.modelServerPorts) {
        places.localPorts = *services_.modelServerPorts;
    }
    modelChooser_ = std::make_unique<ModelChooser>(
        [this] { return modelConfig(); },
        [this](const QString& endpoint, const QString& name) { return useModel(endpoint, name); },
        places);
    modelPull_ = std::make_unique<ModelPull>();
    connect(modelPull_.get(), &ModelPull::pulled, this,
            [this](const QString& endpoint, const QString& name) {
                modelChooser_->setProblem(useModel(endpoint, name));
                modelChooser_->look();
            });
    if (services_.discoverModelServers) {
        modelChooser_->look();
    }
}

engine::ModelConfig AppModel::modelConfig() const {
    return settings_->modelConfig();
}

std::optional<QString> AppModel::useModel(const QString& endpoint, const QString& name) {
    settings_->setModelEndpoint(endpoint);
    settings_->setModelName(name);
    services_.namer->reconfigure(modelConfig());
    batchStatus_.reset(); // a drain under way asks the new model's state before its next file
    refreshEngine();
    startWarmUp();
    emit modelChosen();
    const auto environment = engine::Environment::process();
    if (environment.get("QUILLMARK_MODEL_URL") || environment.get("QUILLMARK_MODEL")) {
        return QStringLiteral("QUILLMARK_MODEL_URL or QUILLMARK_MODEL is set, so it still decides "
                              "which model names files.");
    }
    return std::nullopt;
}

} // namespace app
