#include "model/ModelDiscovery.h"

#include "model/ModelClient.h"
#include "model/ModelEndpoint.h"
#include "model/ModelHttp.h"

#include <algorithm>
#include <future>
#include <nlohmann/json.hpp>
#include <set>

namespace engine {

namespace {

using json = nlohmann::json;
using Images = ModelServer::Images;

std::optional<json> jsonObject(const ModelHttp::Outcome& outcome) {
    if (!outcome.reply || outcome.reply->status != 200) {
        return std::nullopt;
    }
    json value = json::parse(outcome.reply->body, nullptr, false);
    if (!value.is_object() || value.contains("error")) {
        return std::nullopt;
    }
    return value;
}

std::string stringAt(const json& value, const char* key) {
    if (!value.is_object()) {
        return {};
    }
    auto found = value.find(key);
    return found != value.end() && found->is_string() ? found->get<std::string>() : std::string();
}

const json* arrayAt(const json& value, const char* key) {
    auto found = value.find(key);
    return found != value.end() && found->is_array() ? &*found : nullptr;
}

std::string endpointText(const ModelEndpoint& endpoint) {
    const bool v6 = endpoint.host.find(':') != std::string::npos;
    return endpoint.scheme + "://" + (v6 ? "[" + endpoint.host + "]" : endpoint.host) + ":" +
           std::to_string(endpoint.port) + endpoint.basePath;
}

bool hasString(const json& list, const std::string& item) {
    return std::any_of(list.begin(), list.end(),
                       [&](const json& entry) { return entry.is_string() && entry == item; });
}

std::optional<ModelServer> ollamaServer(const ModelHttp& http, const json& tags) {
    const json* listed = arrayAt(tags, "models");
    if (listed == nullptr) {
        return std::nullopt;
    }
    std::set<std::string> loaded;
    if (auto running = jsonObject(http.get("/api/ps"))) {
        if (const json* models = arrayAt(*running, "models")) {
            for (const json& model : *models) {
                loaded.insert(stringAt(model, "name"));
            }
        }
    }
    ModelServer server;
    server.kind = ModelServer::Kind::ollama;
    for (const json& entry : *listed) {
        const std::string name = stringAt(entry, "name");
        if (name.empty()) {
            continue;
        }
        ModelServer::Model model{name, Images::unknown, loaded.count(name) > 0};
        auto shown = jsonObject(http.postJson("/api/show", json{{"model", name}}.dump()));
        if (const json* capabilities = shown ? arrayAt(*shown, "capabilities") : nullptr) {
            if (!hasString(*capabilities, "completion")) {
                continue; // embeddings only: it cannot answer
            }
            model.images = hasString(*capabilities, "vision") ? Images::yes : Images::no;
        }
        server.models.push_back(std::move(model));
    }
    return server;
}

std::vector<std::string> openAINames(const json& listing, std::string* owner = nullptr) {
    std::vector<std::string> names;
    if (const json* data = arrayAt(listing, "data")) {
        for (const json& entry : *data) {
            if (auto id = stringAt(entry, "id"); !id.empty()) {
                names.push_back(id);
                if (owner != nullptr && owner->empty()) {
                    *owner = stringAt(entry, "owned_by");
                }
            }
        }
    }
    return names;
}

std::optional<ModelServer> llamaServer(const ModelHttp& http, const json& props) {
    if (!props.contains("modalities") && !props.contains("default_generation_settings")) {
        return std::nullopt;
    }
    ModelServer server;
    server.kind = ModelServer::Kind::llamaServer;
    const auto health = http.get("/health");
    server.ready = !(health.reply && health.reply->status == 503);
    Images images = Images::unknown;
    if (auto modalities = props.find("modalities");
        modalities != props.end() && modalities->is_object()) {
        auto vision = modalities->find("vision");
        if (vision != modalities->end() && vision->is_boolean()) {
            images = vision->get<bool>() ? Images::yes : Images::no;
        }
    }
    if (auto listing = jsonObject(http.get("/v1/models"))) {
        for (auto& name : openAINames(*listing)) {
            server.models.push_back({name, images, server.ready});
        }
    }
    return server;
}

// LM Studio's own listing: /api/v1/models ("models", "key", "capabilities") in its newer
// releases, /api/v0/models ("data", "id", "type", "state") before.
std::optional<ModelServer> lmStudioServer(const ModelHttp& http) {
    ModelServer server;
    server.kind = ModelServer::Kind::lmStudio;
    if (auto listing = jsonObject(http.get("/api/v1/models"))) {
        if (const json* models = arrayAt(*listing, "models")) {
            for (const json& entry : *models) {
                const std::string name = stringAt(entry, "key");
                if (name.empty() || stringAt(entry, "type") == "embedding") {
                    continue;
                }
                ModelServer::Model model{name, Images::no, false};
                if (auto caps = entry.find("capabilities");
                    caps != entry.end() && caps->is_object()) {
                    model.images = caps->value("vision", false) ? Images::yes : Images::no;
                }
                const json* instances = arrayAt(entry, "loaded_instances");
                model.loaded = instances != nullptr && !instances->empty();
                server.models.push_back(std::move(model));
            }
            return server;
        }
    }
    if (auto listing = jsonObject(http.get("/api/v0/models"))) {
        if (const json* data = arrayAt(*listing, "data")) {
            for (const json& entry : *data) {
                const std::string name = stringAt(entry, "id");
                const std::string type = stringAt(entry, "type");
                if (name.empty() || type == "embeddings") {
                    continue;
                }
                server.models.push_back({name, type == "vlm" ? Images::yes : Images::no,
                                         stringAt(entry, "state") == "loaded"});
            }
            return server;
        }
    }
    return std::nullopt;
}

std::optional<ModelServer> openAIServer(const ModelHttp& http) {
    auto listing = jsonObject(http.get("/v1/models"));
    if (!listing || arrayAt(*listing, "data") == nullptr) {
        return std::nullopt;
    }
    std::string owner;
    ModelServer server;
    for (auto& name : openAINames(*listing, &owner)) {
        server.models.push_back({name, Images::unknown, true});
    }
    server.kind = owner == "vllm" ? ModelServer::Kind::vllm : ModelServer::Kind::openAI;
    return server;
}

std::string keyOf(const std::string& endpoint) {
    auto parsed = ModelEndpoint::parse(endpoint);
    if (!parsed) {
        return endpoint;
    }
    if (parsed->host == "localhost") {
        parsed->host = "127.0.0.1";
    }
    return endpointText(*parsed);
}

} // namespace

std::string ModelServer::kindName(Kind kind) {
    switch (kind) {
    case Kind::ollama:
        return "Ollama";
    case Kind::llamaServer:
        return "llama-server";
    case Kind::lmStudio:
        return "LM Studio";
    case Kind::vllm:
        return "vLLM";
    case Kind::openAI:
        break;
    }
    return "OpenAI-compatible server";
}

std::optional<std::string> ModelDiscovery::ollamaHostEndpoint(const Environment& environment) {
    auto host = environment.get("OLLAMA_HOST");
    if (!host) {
        return std::nullopt;
    }
    std::string text = *host;
    std::string scheme = "http";
    if (auto separator = text.find("://"); separator != std::string::npos) {
        scheme = text.substr(0, separator);
        text = text.substr(separator + 3);
    }
    const auto slash = text.find('/');
    std::string authority = text.substr(0, slash);
    const std::string path = slash == std::string::npos ? std::string() : text.substr(slash);
    std::string name = authority;
    std::string port = "11434";
    if (authority.starts_with('[')) {
        const auto close = authority.find(']');
        name = authority.substr(0, close == std::string::npos ? close : close + 1);
        if (close != std::string::npos && close + 1 < authority.size() &&
            authority[close + 1] == ':') {
            port = authority.substr(close + 2);
        }
    } else if (auto colon = authority.rfind(':'); colon != std::string::npos) {
        name = authority.substr(0, colon);
        port = authority.substr(colon + 1);
    }
    // Ollama listens on every address for these; this computer reaches it on loopback.
    if (name.empty() || name == "0.0.0.0") {
        name = "127.0.0.1";
    } else if (name == "[::]") {
        name = "[::1]";
    }
    auto endpoint = ModelEndpoint::parse(scheme + "://" + name + ":" + port + path);
    if (!endpoint || !endpoint->isLoopback()) {
        return std::nullopt;
    }
    return endpointText(*endpoint);
}

std::vector<int> ModelDiscovery::defaultPorts() {
    return {11434, 8080, 9931, 1234, 8000};
}

std::vector<std::string> ModelDiscovery::candidates(const ModelConfig& config,
                                                    const Environment& environment,
                                                    const std::vector<int>& localPorts) {
    std::vector<std::string> all;
    std::set<std::string> seen;
    auto add = [&](const std::string& endpoint) {
        if (seen.insert(keyOf(endpoint)).second) {
            all.push_back(endpoint);
        }
    };
    auto configured = ModelEndpoint::parse(config.endpoint);
    if (configured && (config.allowRemoteModel || configured->isLoopback())) {
        add(config.endpoint);
    }
    if (auto ollama = ollamaHostEndpoint(environment)) {
        add(*ollama);
    }
    for (int port : localPorts) {
        add("http://127.0.0.1:" + std::to_string(port));
    }
    return all;
}

std::vector<ModelServer> ModelDiscovery::discover(const ModelConfig& config,
                                                  const Environment& environment, Timeouts timeouts,
                                                  std::stop_token stop,
                                                  const std::vector<int>& localPorts) {
    std::vector<std::future<Probe>> probes;
    for (const auto& endpoint : candidates(config, environment, localPorts)) {
        probes.push_back(std::async(std::launch::async, [=] {
            return probe(endpoint, config.allowRemoteModel, timeouts, stop);
        }));
    }
    std::vector<ModelServer> servers;
    for (auto& pending : probes) {
        if (auto found = pending.get().server) {
            servers.push_back(std::move(*found));
        }
    }
    return servers;
}

ModelDiscovery::Probe ModelDiscovery::probe(const std::string& endpoint, bool allowRemote,
                                            Timeouts timeouts, std::stop_token stop) {
    Probe result{endpoint, std::nullopt, false};
    auto parsed = ModelEndpoint::parse(endpoint);
    if (!parsed || (!allowRemote && !parsed->isLoopback())) {
        return result;
    }
    ModelHttp http(*parsed, timeouts.connect, timeouts.reply, ModelClient::maxReplyBytes, stop);
    const auto tags = http.get("/api/tags");
    if (!tags.connected) {
        return result;
    }
    // llama-server also answers Ollama's listing, so its own /props is asked first.
    std::optional<ModelServer> server;
    if (auto props = jsonObject(http.get("/props"))) {
        server = llamaServer(http, *props);
    }
    if (!server) {
        if (auto listing = jsonObject(tags)) {
            server = ollamaServer(http, *listing);
        }
    }
    if (!server) {
        server = lmStudioServer(http);
    }
    if (!server) {
        server = openAIServer(http);
    }
    if (!server || http.finished()) {
        result.answeredGarbage = !server && !http.finished();
        return result;
    }
    server->endpoint = endpointText(*parsed);
    result.server = std::move(server);
    return result;
}

} // namespace engine
