#include "files/HistoryStore.h"

#include "files/AtomicFile.h"
#include "files/HistoryCodec.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <pwd.h>
#include <span>
#include <sstream>
#include <string>
#include <system_error>
#include <unistd.h>

namespace engine {

namespace {

std::filesystem::path homeFolder() {
    if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') {
        return home;
    }
    if (const passwd* entry = ::getpwuid(::getuid()); entry != nullptr && entry->pw_dir) {
        return entry->pw_dir;
    }
    return {}; // unresolvable: falls back to the working folder
}

std::filesystem::path defaultDataHome() {
    // Relative values are invalid by the XDG rules and are ignored.
    if (const char* dataHome = std::getenv("XDG_DATA_HOME");
        dataHome != nullptr && std::filesystem::path(dataHome).is_absolute()) {
        return dataHome;
    }
    return homeFolder() / ".local" / "share";
}

std::optional<std::string> readWholeFile(const std::filesystem::path& file) {
    std::ifstream stream(file, std::ios::binary);
    if (!stream) {
        return std::nullopt;
    }
    std::ostringstream contents;
    contents << stream.rdbuf();
    if (stream.bad()) {
        return std::nullopt;
    }
    return std::move(contents).str();
}

std::string utcStamp() {
    std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    std::tm utc{};
    ::gmtime_r(&now, &utc);
    char text[32] = {};
    std::strftime(text, sizeof text, "%Y%m%dT%H%M%SZ", &utc);
    return text;
}

bool isPresent(const std::filesystem::path& path) {
    std::error_code error;
    return std::filesystem::exists(std::filesystem::symlink_status(path, error));
}

} // namespace

HistoryStore::HistoryStore(std::string_view appName,
                           std::optional<std::filesystem::path> dataHome) {
    std::filesystem::path folder = dataHome.value_or(defaultDataHome()) / appName;
    std::error_code ignored;
    std::filesystem::create_directories(folder, ignored);
    fileURL_ = folder / "history.json";
}

std::vector<RenameRecord> HistoryStore::load() {
    loadFailed_ = false;
    auto contents = readWholeFile(fileURL_);
    auto records = contents ? HistoryCodec::decode(*contents) : std::nullopt;
    if (!records) {
        loadFailed_ = isPresent(fileURL_);
        return {};
    }
    return std::move(*records);
}

std::vector<std::string> HistoryStore::save(const std::vector<RenameRecord>& records) {
    std::vector<RenameRecord> kept;
    std::vector<std::string> leftOut;
    for (std::size_t i = 0; i < std::min(records.size(), limit); ++i) {
        if (HistoryCodec::encode(std::span(&records[i], 1))) {
            kept.push_back(records[i]);
        } else {
            leftOut.push_back(records[i].id);
        }
    }
    auto json = HistoryCodec::encode(kept);
    if (!json) {
        return leftOut;
    }
    if (loadFailed_) {
        // Without its backup the failed file stays, rather than being lost.
        if (!keepFailedFile()) {
            return leftOut;
        }
        loadFailed_ = false;
    }
    AtomicFile::replace(fileURL_, *json);
    return leftOut;
}

// Keeps the file that failed to load under a new name; true when nothing is left to keep.
bool HistoryStore::keepFailedFile() const {
    std::string base = fileURL_.string() + ".corrupt-" + utcStamp();
    for (int attempt = 1; attempt <= 100; ++attempt) {
        std::string backup = attempt == 1 ? base : base + "-" + std::to_string(attempt);
        if (isPresent(backup)) {
            continue;
        }
        // A second name keeps history.json in place until the new one replaces it.
        if (::link(fileURL_.c_str(), backup.c_str()) == 0) {
            return true;
        }
        if (errno == ENOENT) {
            return true;
        }
        if (errno == EEXIST) {
            continue;
        }
        return ::rename(fileURL_.c_str(), backup.c_str()) == 0 || errno == ENOENT;
    }
    return false;
}

} // namespace engine
