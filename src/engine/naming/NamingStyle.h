#pragma once

#include <array>
#include <chrono>
#include <optional>
#include <string>
#include <string_view>

namespace engine {

// How a suggested name is written. Persisted by its raw value.
class NamingStyle {
public:
    enum class Case { titleCase, sentence, lowercaseDashes, dateFirst };
    using Date = std::chrono::system_clock::time_point;

    constexpr NamingStyle(Case value = Case::titleCase) : value_(value) {}

    static const std::array<NamingStyle, 4>& allCases();
    static std::optional<NamingStyle> fromRawValue(std::string_view raw);
    // 11 November 2026, midnight in the local time zone.
    static Date exampleDate();

    Case value() const { return value_; }
    std::string_view rawValue() const;
    // `date` matters only to dateFirst; absent means now. Longer results are cut to maxBytes.
    std::string apply(std::string_view name, std::optional<Date> date = std::nullopt) const;

    // Leaves room within the 255-byte file-name limit for an extension and a collision number.
    static constexpr std::size_t maxBytes = 200;

    bool operator==(const NamingStyle&) const = default;

private:
    std::string styled(std::string_view name, std::optional<Date> date) const;

    Case value_;
};

} // namespace engine
