#include "UnfinishedFiles.h"

#include <sys/stat.h>
#include <utility>
#include <vector>

namespace app {

std::optional<UnfinishedFiles::Snapshot> UnfinishedFiles::Snapshot::of(const Path& file) {
    struct stat status {};
    if (::stat(file.c_str(), &status) != 0) {
        return std::nullopt;
    }
    Snapshot snapshot;
    snapshot.size = static_cast<std::uintmax_t>(status.st_size);
    snapshot.modifiedNs =
        static_cast<std::int64_t>(status.st_mtim.tv_sec) * 1'000'000'000 + status.st_mtim.tv_nsec;
    snapshot.inode = static_cast<std::uintmax_t>(status.st_ino);
    return snapshot;
}

UnfinishedFiles::UnfinishedFiles(std::chrono::milliseconds limit,
                                 std::chrono::milliseconds lookInterval, Action retry,
                                 Action giveUp)
    : limit_(limit), retry_(std::move(retry)), giveUp_(std::move(giveUp)) {
    timer_.setInterval(lookInterval);
    QObject::connect(&timer_, &QTimer::timeout, [this] { look(); });
}

bool UnfinishedFiles::wait(const Path& file, const std::optional<Snapshot>& tried) {
    const auto now = Clock::now();
    auto [it, inserted] = entries_.try_emplace(file);
    Entry& entry = it->second;
    if (inserted) {
        entry.deadline = now + limit_;
    } else if (now >= entry.deadline) {
        entries_.erase(it);
        updateTimer();
        return false;
    }
    entry.tried = tried;
    entry.lastLook = Snapshot::of(file);
    entry.retrying = false;
    updateTimer();
    return true;
}

void UnfinishedFiles::written(const Path& file) {
    auto it = entries_.find(file);
    if (it == entries_.end() || it->second.retrying) {
        return;
    }
    it->second.retrying = true;
    updateTimer();
    retry_(file);
}

void UnfinishedFiles::forget(const Path& file) {
    entries_.erase(file);
    updateTimer();
}

void UnfinishedFiles::look() {
    const auto now = Clock::now();
    std::vector<Path> retries;
    std::vector<Path> givenUp;
    for (auto it = entries_.begin(); it != entries_.end();) {
        Entry& entry = it->second;
        if (entry.retrying) {
            ++it;
            continue;
        }
        const auto snapshot = Snapshot::of(it->first);
        if (!snapshot) {
            it = entries_.erase(it); // gone: nothing left to name
            continue;
        }
        if (now >= entry.deadline) {
            givenUp.push_back(it->first);
            it = entries_.erase(it);
            continue;
        }
        // Changed since the try, and still since the last look: finished, or at least worth
        // another try.
        if (snapshot != entry.tried && snapshot == entry.lastLook) {
            entry.retrying = true;
            retries.push_back(it->first);
        }
        entry.lastLook = snapshot;
        ++it;
    }
    updateTimer();
    for (const auto& file : givenUp) {
        giveUp_(file);
    }
    for (const auto& file : retries) {
        retry_(file);
    }
}

void UnfinishedFiles::updateTimer() {
    bool waiting = false;
    for (const auto& entry : entries_) {
        waiting = waiting || !entry.second.retrying;
    }
    if (waiting && !timer_.isActive()) {
        timer_.start();
    } else if (!waiting) {
        timer_.stop();
    }
}

} // namespace app
