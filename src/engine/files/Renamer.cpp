#include "files/Renamer.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace engine {

namespace fs = std::filesystem;

namespace {

std::error_code lastError() {
    return {errno, std::system_category()};
}

// A dangling symbolic link still holds its name, so it counts as existing.
bool nameIsHeld(const fs::path& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

// Dot and dot-dot components resolved, no trailing slash.
std::string standardized(const fs::path& path) {
    std::string text = path.lexically_normal().string();
    while (text.size() > 1 && text.back() == '/') {
        text.pop_back();
    }
    return text;
}

bool samePath(const fs::path& a, const fs::path& b) {
    return standardized(a) == standardized(b);
}

std::string fileName(std::string_view base, std::string_view ext) {
    std::string name(base);
    if (!ext.empty()) {
        name += '.';
        name += ext;
    }
    return name;
}

// Text after the last dot of the last component; empty when there is no dot.
std::string extensionOf(const std::string& lastComponent) {
    const auto dot = lastComponent.rfind('.');
    return dot == std::string::npos ? std::string() : lastComponent.substr(dot + 1);
}

RenameError missing(const fs::path& file) {
    return {RenameError::Kind::missing, file.filename().string(), {}};
}

RenameError fileSystemError(std::error_code error) {
    return {RenameError::Kind::fileSystem, {}, error};
}

bool exclusiveRenameUnsupported(int error) {
    return error == EINVAL || error == ENOSYS || error == EOPNOTSUPP;
}

// Only a file named inside a folder may move: "shots/" or "shots/.." name the folder itself.
bool isFileInFolder(const fs::path& file) {
    return Renamer::isPlainFileName(file.filename().string());
}

RenameError invalidName() {
    return fileSystemError(std::make_error_code(std::errc::invalid_argument));
}

} // namespace

bool Renamer::isPlainFileName(std::string_view name) {
    return !name.empty() && name != "." && name != ".." &&
           name.find('/') == std::string_view::npos && name.find('\0') == std::string_view::npos;
}

std::string RenameError::description() const {
    switch (kind) {
    case Kind::missing:
        return name + " is no longer in that folder.";
    case Kind::nameTaken:
        return name + " already exists, so the old name can't be restored.";
    case Kind::fileSystem:
        return error.message();
    }
    return error.message();
}

fs::path Renamer::uniqueURL(const fs::path& folder, std::string_view base, std::string_view ext,
                            const std::optional<fs::path>& ignoring) {
    fs::path candidate = folder / fileName(base, ext);
    for (unsigned long n = 2; nameIsHeld(candidate); ++n) {
        if (ignoring && samePath(candidate, *ignoring)) {
            break;
        }
        candidate = folder / fileName(std::string(base) + " " + std::to_string(n), ext);
    }
    return candidate;
}

// The target is spelled with the source's own folder text, so ".." after a link resolves the
// same way for both and the file never changes folder.
RenameResult Renamer::rename(const fs::path& file, std::string_view name) {
    if (!isFileInFolder(file)) {
        return invalidName();
    }
    if (!nameIsHeld(file)) {
        return missing(file);
    }
    const std::string ext = extensionOf(file.filename().string());
    if (!isPlainFileName(name) || !isPlainFileName(fileName(name, ext))) {
        return invalidName();
    }
    const fs::path target = uniqueURL(file.parent_path(), name, ext, file);
    if (samePath(target, file)) {
        return file;
    }
    if (const auto error = moveNoReplace(file, target)) {
        return fileSystemError(error);
    }
    return target;
}

RenameResult Renamer::restore(const fs::path& file, std::string_view name) {
    if (!isFileInFolder(file)) {
        return invalidName();
    }
    if (!nameIsHeld(file)) {
        return missing(file);
    }
    if (!isPlainFileName(name)) {
        return invalidName();
    }
    const fs::path target = file.parent_path() / std::string(name);
    if (nameIsHeld(target)) {
        return RenameError{RenameError::Kind::nameTaken, std::string(name), {}};
    }
    if (const auto error = moveNoReplace(file, target)) {
        return fileSystemError(error);
    }
    return target;
}

std::error_code Renamer::moveNoReplace(const fs::path& from, const fs::path& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) {
        return {};
    }
    if (!exclusiveRenameUnsupported(errno)) {
        return lastError();
    }
    return moveByLink(from, to);
}

std::error_code Renamer::moveByLink(const fs::path& from, const fs::path& to) {
    // link never replaces an existing name, which is the whole point.
    if (::link(from.c_str(), to.c_str()) != 0) {
        return lastError();
    }
    if (::unlink(from.c_str()) != 0) {
        const std::error_code error = lastError();
        // Leave the file under its old name only, as if nothing had happened.
        ::unlink(to.c_str());
        return error;
    }
    return {};
}

} // namespace engine
