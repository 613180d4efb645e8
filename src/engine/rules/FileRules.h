#pragma once

#include "rules/Environment.h"

#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace engine {

// Which image files deserve a new name. Pure logic over names and one directory listing.
class FileRules {
public:
    static const std::set<std::string>& imageExtensions();

    // Matched case-insensitively against a stem, in order; each starts with "^".
    static const std::vector<std::string>& vaguePatterns();
    // Matched case-sensitively.
    static const std::string& shortCodePattern();
    // Default names of the Linux screenshot tools; vague (any case) and new screenshots.
    static const std::vector<std::string>& linuxScreenshotPatterns();

    // Names that are not valid UTF-8 are never new screenshots nor candidates.
    static bool isNewScreenshot(const std::filesystem::path& file);
    static bool isCandidate(const std::filesystem::path& file);
    static bool isVagueName(std::string_view stem);
    static bool looksLikeRandomID(std::string_view stem);

    // The images of `folder` that would be renamed (every image with `all`), sorted by name.
    // Hidden names, names that are not valid UTF-8 and entries that are not regular files
    // (symbolic links included) are left out; sorted by the NFC form, scalar by scalar.
    // Fails with the file system's error when the folder cannot be listed.
    struct Listing {
        std::vector<std::filesystem::path> files;
        std::error_code error;
        bool ok() const { return !error; }
    };
    static Listing listCandidates(const std::filesystem::path& folder, bool all);

    // The folder screenshots are saved in; `override` comes from the settings.
    static std::filesystem::path
    screenshotFolder(const std::optional<std::filesystem::path>& override = std::nullopt);
    static std::filesystem::path
    screenshotFolder(const std::optional<std::filesystem::path>& override,
                     const Environment& environment);

    // The stem (last component without its final extension) and the extension without its
    // dot, as text. A leading or trailing dot does not start an extension.
    static std::string stem(const std::filesystem::path& file);
    static std::string extension(const std::filesystem::path& file);
};

} // namespace engine
