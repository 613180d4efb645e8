#pragma once

#include "model/ModelEndpoint.h"

#include <chrono>
#include <cstddef>
#include <optional>
#include <stop_token>
#include <string>

namespace engine {

// One HTTP conversation with a model server: plain requests, no retries, no redirects, with a
// short connect timeout and a cap on the reply's size. All requests made through one object
// share one deadline, counted from its construction, that covers connecting, the headers and
// the body alike; a stop request abandons whatever is in flight and refuses later requests.
class ModelHttp {
public:
    using Clock = std::chrono::steady_clock;

    struct Reply {
        int status = 0;
        std::string body;
    };

    struct Outcome {
        bool connected = false;     // false: nothing answered at the address, or never tried
        std::optional<Reply> reply; // nothing: failed, cut off, too large, too slow or stopped
    };

    ModelHttp(ModelEndpoint endpoint, std::chrono::milliseconds connectTimeout,
              std::chrono::milliseconds deadline, std::size_t maxReplyBytes,
              std::stop_token stop = {});

    Outcome get(const std::string& path) const;
    Outcome postJson(const std::string& path, const std::string& body) const;

    // The deadline has passed or a stop was requested: no further request will be sent.
    bool finished() const;

private:
    Outcome send(const std::string& method, const std::string& path, const std::string& body) const;

    ModelEndpoint endpoint_;
    std::chrono::milliseconds connectTimeout_;
    Clock::time_point deadline_;
    std::size_t maxReplyBytes_;
    std::stop_token stop_;
};

} // namespace engine
