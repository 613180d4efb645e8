#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace engine {

// A key=value file with [sections], as written by desktop tools and by QSettings.
class IniFile {
public:
    // plain: values are the trimmed text after "=", taken literally; "#" and ";" start comment
    // lines; key flags such as "key[$e]" are dropped.
    // qsettings: values are unquoted and unescaped the way QSettings writes them ("\"", "\\",
    // "\n", "\x263a", "@@"); ";" outside quotes starts a comment; keys before the first
    // section belong to "General".
    enum class Dialect { plain, qsettings };

    // An unreadable file gives nothing.
    static std::optional<IniFile> load(const std::filesystem::path& file, Dialect dialect);
    static IniFile parse(std::string_view text, Dialect dialect);

    // Keys before the first section header are in section "" (plain) or "General" (qsettings).
    std::optional<std::string> value(std::string_view section, std::string_view key) const;

private:
    std::map<std::pair<std::string, std::string>, std::string, std::less<>> values_;
};

} // namespace engine
