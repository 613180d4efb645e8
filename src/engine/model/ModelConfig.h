#pragma once

#include <string>

namespace engine {

// Where the local model server is and which model to use. Filled by the caller.
struct ModelConfig {
    static constexpr const char* defaultEndpoint = "http://127.0.0.1:11434";

    std::string endpoint = defaultEndpoint;
    // Empty: the first installed model that accepts images, else the first model.
    std::string modelName;
    // Endpoints that are not loopback addresses are refused unless this is set.
    bool allowRemoteModel = false;
};

} // namespace engine
