#include "FolderWatcher.h"

#include "unicode/Unicode.h"

#include <QSocketNotifier>

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace app {

namespace {

// Entries come and go only through these; overflow (IN_Q_OVERFLOW) is always delivered.
constexpr std::uint32_t entryEvents = IN_CREATE | IN_MOVED_TO | IN_DELETE | IN_MOVED_FROM;
// The folder itself going away; IN_IGNORED and IN_UNMOUNT come unasked.
constexpr std::uint32_t selfEvents = IN_DELETE_SELF | IN_MOVE_SELF | IN_IGNORED | IN_UNMOUNT;
// Writing tells whether a file may still be incomplete.
constexpr std::uint32_t watchedEvents =
    entryEvents | IN_DELETE_SELF | IN_MOVE_SELF | IN_MODIFY | IN_CLOSE_WRITE | IN_ONLYDIR;
// What may bring a missing folder back under the nearest folder that exists: a new entry, a
// changed permission, or that folder going away too.
constexpr std::uint32_t ancestorEvents =
    IN_CREATE | IN_MOVED_TO | IN_ATTRIB | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;

bool isFolder(const std::filesystem::path& path) {
    std::error_code error;
    return std::filesystem::is_directory(path, error);
}

std::optional<std::pair<std::uintmax_t, std::uintmax_t>>
identity(const std::filesystem::path& path) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) {
        return std::nullopt;
    }
    return std::pair<std::uintmax_t, std::uintmax_t>(status.st_dev, status.st_ino);
}

// Ascending by the names' composed (NFC) form in scalar order; UTF-8 bytes sort that way.
std::string sortKey(const std::string& name) {
    return engine::Unicode::isValidUtf8(name) ? engine::Unicode::toNfc(name) : name;
}

} // namespace

FolderWatcher::FolderWatcher(std::filesystem::path folder, Callback onNewFile)
    : folder_(std::move(folder)), onNewFile_(std::move(onNewFile)) {}

FolderWatcher::~FolderWatcher() {
    stop();
}

bool FolderWatcher::start() {
    stop();
    int fd = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    int watch = ::inotify_add_watch(fd, folder_.c_str(), watchedEvents);
    // Watched first and listed after: an entry made in between is part of the baseline and its
    // event is ignored.
    known_ = currentNames().value_or(std::set<std::string>{});
    if (watch < 0) {
        ::close(fd);
        return false;
    }
    descriptor_ = fd;
    folderWatch_ = watch;
    folderIdentity_ = identity(folder_);
    source_ = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
    QObject::connect(source_.get(), &QSocketNotifier::activated, source_.get(),
                     [this] { readEvents(); });
    watchMounts();
    return true;
}

void FolderWatcher::watchMounts() {
    mountsDescriptor_ = ::open("/proc/self/mountinfo", O_RDONLY | O_CLOEXEC);
    if (mountsDescriptor_ < 0) {
        return;
    }
    // The kernel flags the file as exceptional after every mount or unmount.
    mountSource_ = std::make_unique<QSocketNotifier>(mountsDescriptor_, QSocketNotifier::Exception);
    QObject::connect(mountSource_.get(), &QSocketNotifier::activated, mountSource_.get(),
                     [this] { mountsChanged(); });
}

void FolderWatcher::mountsChanged() {
    if (folderWatch_ >= 0) {
        if (identity(folder_) != folderIdentity_) {
            loseFolder(); // another folder stands at the path now
        }
    } else if (isWatching()) {
        lookForFolder();
    }
}

void FolderWatcher::stop() {
    // Disabled before the handle closes, so the event loop never polls a closed handle.
    if (source_) {
        source_->setEnabled(false);
        source_.reset();
    }
    if (mountSource_) {
        mountSource_->setEnabled(false);
        mountSource_.reset();
    }
    if (mountsDescriptor_ >= 0) {
        ::close(mountsDescriptor_);
        mountsDescriptor_ = -1;
    }
    if (descriptor_ >= 0) {
        ::close(descriptor_);
        descriptor_ = -1;
    }
    folderWatch_ = -1;
    ancestorWatch_ = -1;
    writing_.clear();
}

std::optional<std::set<std::string>> FolderWatcher::currentNames() const {
    DIR* dir = ::opendir(folder_.c_str());
    if (dir == nullptr) {
        bool shortage = errno == EMFILE || errno == ENFILE || errno == ENOMEM;
        return shortage ? std::nullopt : std::optional(std::set<std::string>{});
    }
    std::set<std::string> names;
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(dir);
        if (entry == nullptr) {
            break;
        }
        std::string name = entry->d_name;
        if (name != "." && name != "..") {
            names.insert(std::move(name));
        }
    }
    bool complete = errno == 0;
    ::closedir(dir);
    return complete ? std::optional(std::move(names)) : std::nullopt;
}

void FolderWatcher::readEvents() {
    alignas(inotify_event) char buffer[16 * 1024];
    bool folderGone = false;
    bool ancestorChanged = false;
    bool overflowed = false;
    std::vector<std::string> added;
    std::vector<std::string> written;
    for (;;) {
        ssize_t length = ::read(descriptor_, buffer, sizeof buffer);
        if (length < 0 && errno == EINTR) {
            continue;
        }
        if (length <= 0) {
            break; // drained (EAGAIN)
        }
        for (ssize_t offset = 0; offset < length;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + offset);
            offset += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            if ((event->mask & IN_Q_OVERFLOW) != 0) {
                overflowed = true;
                ancestorChanged = true;
                continue;
            }
            if (event->wd == ancestorWatch_) {
                ancestorChanged = true;
                continue;
            }
            if (event->wd != folderWatch_ || folderWatch_ < 0) {
                continue; // a watch already given up
            }
            if ((event->mask & selfEvents) != 0) {
                folderGone = true;
                continue;
            }
            if (event->len > 0) {
                noteEntryEvent(event->mask, event->name, added, written);
            }
        }
    }
    // Lost events may have said that the folder went away, or was replaced.
    if (overflowed && folderWatch_ >= 0 && identity(folder_) != folderIdentity_) {
        folderGone = true;
    }
    std::weak_ptr<bool> alive = alive_;
    if (folderGone) {
        loseFolder();
    } else if (isWaitingForFolder() && ancestorChanged) {
        lookForFolder();
    } else if (overflowed) {
        scan(std::move(added)); // the events cannot be trusted to be complete
    } else if (!added.empty()) {
        report(std::move(added));
    }
    if (!alive.expired() && !folderGone) {
        reportWritten(written);
    }
}

void FolderWatcher::noteEntryEvent(std::uint32_t mask, const char* name,
                                   std::vector<std::string>& added,
                                   std::vector<std::string>& written) {
    if ((mask & (IN_DELETE | IN_MOVED_FROM)) != 0) {
        // A name that left and came back counts as new; one that came and went in the same
        // batch of events is not reported at all.
        if (known_.erase(name) > 0) {
            std::erase(added, std::string(name));
        }
        writing_.erase(name);
    }
    if ((mask & (IN_CREATE | IN_MOVED_TO)) != 0 && known_.insert(name).second) {
        added.emplace_back(name);
    }
    if ((mask & (IN_CREATE | IN_MODIFY)) != 0 && (mask & IN_ISDIR) == 0) {
        writing_.insert(name);
    }
    if ((mask & IN_CLOSE_WRITE) != 0) {
        writing_.erase(name);
        written.emplace_back(name);
    }
}

void FolderWatcher::reportWritten(const std::vector<std::string>& written) {
    if (!onWritten_) {
        return;
    }
    Callback callback = onWritten_;
    std::weak_ptr<bool> alive = alive_;
    for (const std::string& name : written) {
        callback(folder_ / name);
        if (alive.expired()) {
            return;
        }
    }
}

void FolderWatcher::loseFolder() {
    if (folderWatch_ >= 0) {
        ::inotify_rm_watch(descriptor_, folderWatch_); // a moved folder is still watched
        folderWatch_ = -1;
    }
    known_.clear();
    writing_.clear();
    Signal lost = onFolderLost_;
    std::weak_ptr<bool> alive = alive_;
    if (lost) {
        lost();
    }
    if (!alive.expired()) {
        lookForFolder();
    }
}

void FolderWatcher::lookForFolder() {
    // The ancestor is watched before the folder is tried again, so a folder made in between
    // still wakes the watcher.
    for (int attempt = 0; attempt < 2; ++attempt) {
        int watch = ::inotify_add_watch(descriptor_, folder_.c_str(), watchedEvents);
        if (watch >= 0) {
            folderBack(watch);
            return;
        }
        if (attempt == 0) {
            watchNearestAncestor();
        }
    }
}

void FolderWatcher::watchNearestAncestor() {
    if (ancestorWatch_ >= 0) {
        ::inotify_rm_watch(descriptor_, ancestorWatch_);
        ancestorWatch_ = -1;
    }
    std::filesystem::path ancestor = folder_.lexically_normal().parent_path();
    for (;;) {
        if (isFolder(ancestor)) {
            ancestorWatch_ = ::inotify_add_watch(descriptor_, ancestor.c_str(), ancestorEvents);
            if (ancestorWatch_ >= 0) {
                return;
            }
        }
        if (ancestor == ancestor.parent_path()) {
            return;
        }
        ancestor = ancestor.parent_path();
    }
}

void FolderWatcher::folderBack(int watch) {
    if (ancestorWatch_ >= 0 && ancestorWatch_ != watch) {
        ::inotify_rm_watch(descriptor_, ancestorWatch_);
    }
    ancestorWatch_ = -1;
    folderWatch_ = watch;
    folderIdentity_ = identity(folder_);
    // Watched first and listed after: nothing made in between is missed or reported.
    known_ = currentNames().value_or(std::set<std::string>{});
    if (Signal back = onFolderBack_) {
        back();
    }
}

void FolderWatcher::scan(std::vector<std::string> added) {
    // Forgetting the old names after a failed listing would report every file as new.
    std::optional<std::set<std::string>> now = currentNames();
    if (!now) {
        report(std::move(added));
        return;
    }
    std::erase_if(added, [&](const std::string& name) { return !now->contains(name); });
    for (const std::string& name : *now) {
        if (!known_.contains(name)) {
            added.push_back(name);
        }
    }
    known_ = std::move(*now);
    report(std::move(added));
}

void FolderWatcher::report(std::vector<std::string> names) {
    std::vector<std::pair<std::string, std::string>> sorted; // sort key, name
    sorted.reserve(names.size());
    for (std::string& name : names) {
        sorted.emplace_back(sortKey(name), std::move(name));
    }
    std::sort(sorted.begin(), sorted.end());

    Callback callback = onNewFile_; // the watcher may be gone after any call
    std::weak_ptr<bool> alive = alive_;
    for (const auto& entry : sorted) {
        callback(folder_ / entry.second);
        if (alive.expired()) {
            return;
        }
    }
}

} // namespace app
