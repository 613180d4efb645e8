#include "naming/Correction.h"

#include <nlohmann/json.hpp>

namespace engine {

std::string Correction::encodeList(const std::vector<Correction>& corrections) {
    // Ordered, so each object reads "suggested" then "chosen".
    nlohmann::ordered_json list = nlohmann::ordered_json::array();
    for (const auto& correction : corrections) {
        nlohmann::ordered_json object;
        object["suggested"] = correction.suggested;
        object["chosen"] = correction.chosen;
        list.push_back(std::move(object));
    }
    // Replacing invalid UTF-8 keeps encoding total, so a stored list is never lost to one bad name.
    return list.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

std::vector<Correction> Correction::decodeList(std::string_view json) {
    const auto parsed = nlohmann::json::parse(json, nullptr, false);
    if (parsed.is_discarded() || !parsed.is_array()) {
        return {};
    }
    std::vector<Correction> corrections;
    corrections.reserve(parsed.size());
    for (const auto& element : parsed) {
        if (!element.is_object()) {
            return {};
        }
        const auto suggested = element.find("suggested");
        const auto chosen = element.find("chosen");
        if (suggested == element.end() || chosen == element.end() || !suggested->is_string() ||
            !chosen->is_string()) {
            return {};
        }
        corrections.push_back({suggested->get<std::string>(), chosen->get<std::string>()});
    }
    return corrections;
}

void Correction::append(std::vector<Correction>& corrections, Correction correction) {
    corrections.push_back(std::move(correction));
    if (corrections.size() > storedLimit) {
        corrections.erase(corrections.begin(),
                          corrections.end() - static_cast<std::ptrdiff_t>(storedLimit));
    }
}

} // namespace engine
