#pragma once

#include "model/ModelEndpoint.h"

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>

namespace engine {

// One HTTP conversation with a model server: plain requests, no retries, no redirects, with a
// short connect timeout, a deadline for the whole reply and a cap on its size.
class ModelHttp {
public:
    struct Reply {
        int status = 0;
        std::string body;
    };

    struct Outcome {
        bool connected = false;     // false: nothing answered at the address
        std::optional<Reply> reply; // nothing: failed, cut off, too large or too slow
    };

    ModelHttp(ModelEndpoint endpoint, std::chrono::milliseconds connectTimeout,
              std::chrono::milliseconds deadline, std::size_t maxReplyBytes);

    Outcome get(const std::string& path) const;
    Outcome postJson(const std::string& path, const std::string& body) const;

private:
    Outcome send(const std::string& method, const std::string& path, const std::string& body) const;

    ModelEndpoint endpoint_;
    std::chrono::milliseconds connectTimeout_;
    std::chrono::milliseconds deadline_;
    std::size_t maxReplyBytes_;
};

} // namespace engine
