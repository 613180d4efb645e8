#pragma once

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

    static bool isNewScreenshot(const std::filesystem::path& file);
    static bool isCandidate(const std::filesystem::path& file);
    static bool isVagueName(std::string_view stem);
    static bool looksLikeRandomID(std::string_view stem);

    // The images of `folder` that would be renamed (every image with `all`), sorted by name.
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

    // The stem (last component without its final extension) and the extension, as text.
    static std::string stem(const std::filesystem::path& file);
    static std::string extension(const std::filesystem::path& file);
};

} // namespace engine
