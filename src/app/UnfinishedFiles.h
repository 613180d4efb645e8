#pragma once

#include <QTimer>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>

namespace app {

// Files that could not be named while they may still have been being written. Each is tried
// again once it is closed after writing, or once it has changed since the failed try and then
// held still for one look; when its time is up, the failure stands. Main thread only.
class UnfinishedFiles {
public:
    using Path = std::filesystem::path;
    using Action = std::function<void(const Path& file)>;

    // What a look at a file sees; a file that changes shows a different one.
    struct Snapshot {
        std::uintmax_t size = 0;
        std::int64_t modifiedNs = 0;
        std::uintmax_t inode = 0;
        bool operator==(const Snapshot&) const = default;
        static std::optional<Snapshot> of(const Path& file);
    };

    UnfinishedFiles(std::chrono::milliseconds limit, std::chrono::milliseconds lookInterval,
                    Action retry, Action giveUp);

    // After a failed try of `file`, which looked like `tried` when the try began. The time
    // limit counts from its first failure. False when that time is up: the failure stands.
    bool wait(const Path& file, const std::optional<Snapshot>& tried);
    // The file was closed after being written.
    void written(const Path& file);
    void forget(const Path& file);
    bool contains(const Path& file) const { return entries_.contains(file); }

private:
    using Clock = std::chrono::steady_clock;
    struct Entry {
        std::optional<Snapshot> tried;
        std::optional<Snapshot> lastLook;
        Clock::time_point deadline;
        bool retrying = false;
    };

    void look();
    void updateTimer();

    std::chrono::milliseconds limit_;
    Action retry_;
    Action giveUp_;
    std::map<Path, Entry> entries_;
    QTimer timer_;
};

} // namespace app
