#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace engine {

// Standard base64 (RFC 4648 alphabet, with padding), as model servers expect for images.
class Base64 {
public:
    static std::string encode(std::string_view bytes);
    // Nothing for text that is not canonical padded base64.
    static std::optional<std::string> decode(std::string_view text);
};

} // namespace engine
