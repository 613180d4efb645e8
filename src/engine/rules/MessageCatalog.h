#pragma once

#include "rules/Environment.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace engine {

// Translations of other programs' texts, read straight from their compiled message catalogs
// (GNU .mo files), so that no process-wide locale has to be set.
class MessageCatalog {
public:
    // The translation of `original` in the catalog file; nothing when the file is missing,
    // damaged, or has no (or an empty) translation.
    static std::optional<std::string> lookUp(const std::filesystem::path& file,
                                             std::string_view original);

    // The catalog folder names to try for messages, most wanted first: the entries of
    // LANGUAGE (unless the locale is "C"), else the locale of LC_ALL, LC_MESSAGES or LANG,
    // each followed by its less specific forms (de_DE.UTF-8 gives de_DE.UTF-8, de_DE.utf8,
    // de_DE, de.UTF-8, de.utf8, de).
    static std::vector<std::string> languages(const Environment& environment);

    // The first translation found for `original` in `domain` under the environment's locale
    // folder, in the order of `languages`.
    static std::optional<std::string> translate(const Environment& environment,
                                                std::string_view domain, std::string_view original);
};

} // namespace engine
