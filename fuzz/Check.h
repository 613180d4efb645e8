#pragma once

#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace fuzz {

// A broken invariant is a crash to libFuzzer, with the reason and the offending text shown.
inline void check(bool holds, const char* invariant, std::string_view text = {}) {
    if (holds) {
        return;
    }
    std::fprintf(stderr, "invariant broken: %s\n  text (%zu bytes): \"", invariant, text.size());
    for (const unsigned char c : text) {
        if (c >= 0x20 && c < 0x7F && c != '"' && c != '\\') {
            std::fputc(c, stderr);
        } else {
            std::fprintf(stderr, "\\x%02x", c);
        }
    }
    std::fprintf(stderr, "\"\n");
    std::abort();
}

inline std::string_view asText(const unsigned char* data, std::size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

} // namespace fuzz
