#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace engine {

// The address of a model server, taken apart from a URL such as "http://127.0.0.1:11434".
// Only what a base URL needs is accepted: a scheme, a host, an optional port and path.
class ModelEndpoint {
public:
    std::string scheme; // "http" or "https"
    std::string host;   // as written, IPv6 without brackets
    int port = 0;
    std::string basePath; // empty or "/prefix", never ending in "/"

    // Nothing for anything that is not a plain base URL (user info, query, bad port, ...).
    // A missing scheme means http; a trailing "/v1" is dropped since the client adds it.
    static std::optional<ModelEndpoint> parse(std::string_view url);

    // True for "localhost", 127.0.0.0/8, ::1 and IPv4-mapped 127.0.0.0/8, written literally.
    // Names are never resolved, so nothing can redirect the check to another machine.
    bool isLoopback() const;

    // Both URLs name the same server, "localhost" taken for 127.0.0.1.
    static bool sameServer(std::string_view a, std::string_view b);
};

} // namespace engine
