#include "files/HistoryStore.h"

#include "files/AtomicFile.h"
#include "files/HistoryCodec.h"
#include "files/RegularFile.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <malloc.h>
#include <pwd.h>
#include <span>
#include <string>
#include <sys/file.h>
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

// An exclusive lock on a file beside the history, held while it lives, so that two programs
// never read and replace the history at once. Without it (a folder that cannot hold the file)
// the save goes ahead unlocked.
class HistoryLock {
public:
    explicit HistoryLock(const std::filesystem::path& path)
        : fd_(::open(path.c_str(), O_RDWR | O_CREAT | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC, 0600)) {
        // A program stopped while holding the lock must not stop this one for good.
        for (int attempt = 0; fd_ >= 0 && attempt < 1000; ++attempt) {
            if (::flock(fd_, LOCK_EX | LOCK_NB) == 0 || (errno != EWOULDBLOCK && errno != EINTR)) {
                return;
            }
            ::usleep(5000);
        }
    }
    ~HistoryLock() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    HistoryLock(const HistoryLock&) = delete;
    HistoryLock& operator=(const HistoryLock&) = delete;

private:
    int fd_;
};

// Reading and merging a big file leaves much freed heap behind; it is given back rather than
// kept at its peak.
constexpr std::size_t trimAfterBytes = 1 << 20;

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

HistoryStore::HistoryStore(std::string_view appName, std::optional<std::filesystem::path> dataHome,
                           Access access)
    : access_(access) {
    std::filesystem::path folder = dataHome.value_or(defaultDataHome()) / appName;
    if (access_ == Access::readWrite) {
        std::error_code ignored;
        std::filesystem::create_directories(folder, ignored);
    }
    fileURL_ = folder / "history.json";
}

std::vector<RenameRecord> HistoryStore::load() {
    loadFailed_ = false;
    std::optional<std::vector<RenameRecord>> records;
    bool big = false;
    {
        auto contents = RegularFile::read(fileURL_);
        big = contents && contents->size() >= trimAfterBytes;
        records = contents ? HistoryCodec::decode(*contents) : std::nullopt;
    }
    if (big) {
        ::malloc_trim(0);
    }
    if (!records) {
        loadFailed_ = isPresent(fileURL_);
        merge_.remember({});
        return {};
    }
    merge_.remember(*records);
    return std::move(*records);
}

HistoryStore::Saved HistoryStore::save(const std::vector<RenameRecord>& records) {
    if (access_ == Access::readOnly) {
        return {};
    }
    bool big = false;
    Saved saved = write(records, big);
    if (big) {
        ::malloc_trim(0);
    }
    return saved;
}

HistoryStore::Saved HistoryStore::write(const std::vector<RenameRecord>& records, bool& big) {
    Saved saved;
    HistoryLock lock(fileURL_.string() + ".lock");
    HistoryMerge::Result merged;
    big = records.size() > 20 * limit;
    if (auto contents = RegularFile::read(fileURL_)) {
        big = big || contents->size() >= trimAfterBytes;
        if (auto onDisk = HistoryCodec::decode(*contents)) {
            merged = merge_.merge(records, *onDisk);
            // Another program replaced the file that failed to load.
            loadFailed_ = false;
        }
    }
    const std::vector<RenameRecord>& list = merged.changed ? merged.records : records;

    std::vector<std::string> objects;
    std::vector<RenameRecord> written;
    for (std::size_t i = 0; i < std::min(list.size(), limit); ++i) {
        if (auto object = HistoryCodec::encodeRecord(list[i])) {
            objects.push_back(std::move(*object));
            written.push_back(list[i]);
        } else {
            saved.leftOut.push_back(list[i].id);
        }
    }
    if (merged.changed) {
        saved.merged = std::move(merged.records);
    }
    if (loadFailed_) {
        // Without its backup the failed file stays, rather than being lost.
        if (!keepFailedFile()) {
            return saved;
        }
        loadFailed_ = false;
    }
    if (AtomicFile::replace(fileURL_, HistoryCodec::join(objects))) {
        merge_.remember(written);
    }
    return saved;
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
