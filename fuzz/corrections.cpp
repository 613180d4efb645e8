// The stored corrections: decoding arbitrary text, and encoding arbitrary names.

#include "Check.h"

#include "naming/Correction.h"

#include <cstdint>
#include <string>
#include <vector>

using engine::Correction;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text = fuzz::asText(data, size);
    const auto decoded = Correction::decodeList(text);
    fuzz::check(Correction::decodeList(Correction::encodeList(decoded)) == decoded,
                "a decoded list survives encoding", text);

    // Names of any bytes (split at NUL) must never make the stored list unreadable.
    std::vector<Correction> corrections;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t end = std::min(text.find('\0', start), text.size());
        const std::string piece(text.substr(start, end - start));
        corrections.push_back({piece, piece + piece});
        start = end + 1;
    }
    const std::string stored = Correction::encodeList(corrections);
    fuzz::check(Correction::decodeList(stored).size() == corrections.size(),
                "every correction reads back", stored);
    return 0;
}
