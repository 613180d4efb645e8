#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace engine {

// A name the user chose by hand instead of the one the program suggested.
struct Correction {
    std::string suggested;
    std::string chosen;

    bool operator==(const Correction&) const = default;

    static constexpr std::size_t storedLimit = 30;

    // The stored form: a compact JSON array of {"suggested","chosen"} objects.
    static std::string encodeList(const std::vector<Correction>& corrections);
    // Anything that is not such an array gives an empty list.
    static std::vector<Correction> decodeList(std::string_view json);
    // Appends and keeps only the newest `storedLimit` entries.
    static void append(std::vector<Correction>& corrections, Correction correction);
};

} // namespace engine
