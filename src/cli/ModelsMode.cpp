#include "ModelsMode.h"

#include "model/ModelClient.h"
#include "model/ModelEndpoint.h"

namespace cli {

namespace {

using engine::ModelServer;

const char* imagesWord(ModelServer::Images images) {
    switch (images) {
    case ModelServer::Images::yes:
        return "images";
    case ModelServer::Images::no:
        return "text";
    case ModelServer::Images::unknown:
        break;
    }
    return "unknown";
}

} // namespace

int ModelsMode::run(const engine::ModelConfig& config, const engine::Environment& environment,
                    std::ostream& out, engine::ModelDiscovery::Timeouts timeouts,
                    const std::vector<int>& localPorts) {
    const auto servers =
        engine::ModelDiscovery::discover(config, environment, timeouts, {}, localPorts);
    if (servers.empty()) {
        out << "No local model server answered. Start Ollama or llama-server for better names.\n";
        return 0;
    }
    const auto status = engine::ModelClient(config).status();
    const bool ready = status.kind == engine::ModelClient::Status::Kind::ready;
    for (const ModelServer& server : servers) {
        const std::string head = ModelServer::kindName(server.kind) + "\t" + server.endpoint + "\t";
        if (server.models.empty()) {
            out << head << "(no models)" << (server.ready ? "" : "\tloading") << '\n';
            continue;
        }
        for (const auto& model : server.models) {
            out << head << model.name << '\t' << imagesWord(model.images);
            if (ready && model.name == status.model &&
                engine::ModelEndpoint::sameServer(server.endpoint, config.endpoint)) {
                out << "\tin use";
            }
            if (!server.ready) {
                out << "\tloading";
            }
            out << '\n';
        }
    }
    return 0;
}

} // namespace cli
