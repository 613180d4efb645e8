#pragma once

#include <cstdint>
#include <map>
#include <string>

// The bytes of a compiled message catalog (.mo) holding `messages`, original to translation,
// in little- or big-endian order.
inline std::string compiledCatalog(const std::map<std::string, std::string>& messages,
                                   bool bigEndian = false) {
    std::string out;
    auto word = [&](std::uint32_t value) {
        for (int i = 0; i < 4; ++i) {
            const int shift = bigEndian ? 24 - 8 * i : 8 * i;
            out += static_cast<char>((value >> shift) & 0xff);
        }
    };
    const auto count = static_cast<std::uint32_t>(messages.size());
    const std::uint32_t originals = 28;
    const std::uint32_t translations = originals + 8 * count;
    std::uint32_t offset = translations + 8 * count;
    std::string strings;
    std::string tables[2];
    auto place = [&](std::string& table, const std::string& text) {
        std::string entry;
        std::swap(out, entry);
        word(static_cast<std::uint32_t>(text.size()));
        word(offset + static_cast<std::uint32_t>(strings.size()));
        std::swap(out, entry);
        table += entry;
        strings += text;
        strings += '\0';
    };
    for (const auto& [original, translation] : messages) { // std::map: sorted as catalogs are
        place(tables[0], original);
    }
    for (const auto& message : messages) {
        place(tables[1], message.second);
    }
    word(0x950412de);
    word(0); // revision
    word(count);
    word(originals);
    word(translations);
    word(0); // no hash table
    word(0);
    return out + tables[0] + tables[1] + strings;
}
