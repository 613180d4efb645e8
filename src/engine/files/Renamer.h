#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <variant>

namespace engine {

// Why a rename or restore did not happen.
struct RenameError {
    enum class Kind { missing, nameTaken, fileSystem };
    Kind kind = Kind::fileSystem;
    std::string name;      // missing: the file's name; nameTaken: the name asked for
    std::error_code error; // fileSystem only

    // The user-facing message.
    std::string description() const;
};

// A path on success, a RenameError otherwise.
class RenameResult {
public:
    RenameResult(std::filesystem::path path) : value_(std::move(path)) {}
    RenameResult(RenameError error) : value_(std::move(error)) {}

    bool ok() const { return std::holds_alternative<std::filesystem::path>(value_); }
    explicit operator bool() const { return ok(); }
    const std::filesystem::path& path() const { return std::get<std::filesystem::path>(value_); }
    const RenameError& error() const { return std::get<RenameError>(value_); }

private:
    std::variant<std::filesystem::path, RenameError> value_;
};

// Renames files inside their own folder without ever replacing another file.
class Renamer {
public:
    // The first free path for `base` in `folder`: "base.ext", "base 2.ext", "base 3.ext", ...
    // A name held by `ignoring` itself counts as free.
    static std::filesystem::path uniqueURL(const std::filesystem::path& folder,
                                           std::string_view base, std::string_view ext,
                                           const std::optional<std::filesystem::path>& ignoring);
    // Gives `file` the stem `name` (keeping its extension), numbering on collision.
    static RenameResult rename(const std::filesystem::path& file, std::string_view name);
    // Gives `file` exactly the full name `name`, or fails if it is taken.
    static RenameResult restore(const std::filesystem::path& file, std::string_view name);

    // One component inside a folder: not empty, ".", "..", and without "/" or NUL.
    static bool isPlainFileName(std::string_view name);

    // The no-overwrite move underneath both: fails with file_exists rather than replace `to`.
    static std::error_code moveNoReplace(const std::filesystem::path& from,
                                         const std::filesystem::path& to);
    // The same move made of link + unlink, for file systems that refuse the exclusive rename.
    static std::error_code moveByLink(const std::filesystem::path& from,
                                      const std::filesystem::path& to);
};

} // namespace engine
