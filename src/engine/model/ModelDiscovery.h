#pragma once

#include "model/ModelConfig.h"
#include "rules/Environment.h"

#include <chrono>
#include <optional>
#include <stop_token>
#include <string>
#include <vector>

namespace engine {

// A model server that answered, with what it offers now.
struct ModelServer {
    enum class Kind { ollama, llamaServer, lmStudio, vllm, openAI };
    enum class Images { yes, no, unknown };

    struct Model {
        std::string name;
        Images images = Images::unknown;
        bool loaded = false; // in memory now, so the first answer is quick

        bool operator==(const Model&) const = default;
    };

    Kind kind = Kind::openAI;
    std::string endpoint; // "http://127.0.0.1:11434"
    bool ready = true;    // false while the server is still loading its model
    std::vector<Model> models;

    bool operator==(const ModelServer&) const = default;

    static std::string kindName(Kind kind); // "Ollama", "llama-server", ...
};

// Finds the model servers on this computer: the configured endpoint, OLLAMA_HOST when it names
// this computer, and the usual ports of Ollama, llama-server, LM Studio and vLLM on 127.0.0.1.
// All are asked at once, each with short timeouts; a port where nothing listens costs only the
// connect timeout. Addresses elsewhere are asked only when remote models are allowed.
struct DiscoveryTimeouts {
    std::chrono::milliseconds connect{300};
    std::chrono::milliseconds reply{3'000}; // all requests to one server together
};

class ModelDiscovery {
public:
    using Timeouts = DiscoveryTimeouts;

    // What was asked of one address and what came of it.
    struct Probe {
        std::string endpoint;
        std::optional<ModelServer> server;
        // Something answered, but not as a model server would.
        bool answeredGarbage = false;
    };

    // 11434 (Ollama), 8080 and 9931 (llama-server), 1234 (LM Studio), 8000 (vLLM).
    static std::vector<int> defaultPorts();

    static std::vector<std::string> candidates(const ModelConfig& config,
                                               const Environment& environment,
                                               const std::vector<int>& localPorts);

    // Servers in the order of `candidates`, those that did not answer left out.
    static std::vector<ModelServer> discover(const ModelConfig& config,
                                             const Environment& environment, Timeouts timeouts = {},
                                             std::stop_token stop = {},
                                             const std::vector<int>& localPorts = defaultPorts());

    // One address; refused without a request when it is not on this computer and remote
    // models are not allowed.
    static Probe probe(const std::string& endpoint, bool allowRemote, Timeouts timeouts = {},
                       std::stop_token stop = {});

    // OLLAMA_HOST as Ollama reads it ("host", "host:port", "http://host:port", 0.0.0.0 for
    // every address), as an endpoint; nothing when it is unset or unreadable.
    static std::optional<std::string> ollamaHostEndpoint(const Environment& environment);
};

} // namespace engine
