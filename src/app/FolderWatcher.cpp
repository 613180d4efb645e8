#include "FolderWatcher.h"

#include "unicode/Unicode.h"

#include <QSocketNotifier>

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <sys/inotify.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace app {

namespace {

// Entries come and go only through these; overflow (IN_Q_OVERFLOW) is always delivered.
constexpr std::uint32_t watchedEvents = IN_CREATE | IN_MOVED_TO | IN_DELETE | IN_MOVED_FROM |
                                        IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;

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
    known_ = currentNames().value_or(std::set<std::string>{});

    int fd = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    if (::inotify_add_watch(fd, folder_.c_str(), watchedEvents) < 0) {
        ::close(fd);
        return false;
    }
    descriptor_ = fd;
    source_ = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
    QObject::connect(source_.get(), &QSocketNotifier::activated, source_.get(),
                     [this] { readEvents(); });
    return true;
}

void FolderWatcher::stop() {
    // Disabled before the handle closes, so the event loop never polls a closed handle.
    if (source_) {
        source_->setEnabled(false);
        source_.reset();
    }
    if (descriptor_ >= 0) {
        ::close(descriptor_);
        descriptor_ = -1;
    }
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
    bool notified = false;
    for (;;) {
        ssize_t length = ::read(descriptor_, buffer, sizeof buffer);
        if (length < 0 && errno == EINTR) {
            continue;
        }
        if (length <= 0) {
            break; // drained (EAGAIN)
        }
        notified = true;
        for (ssize_t offset = 0; offset < length;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + offset);
            // A name that left and came back before this scan still counts as new.
            if ((event->mask & (IN_DELETE | IN_MOVED_FROM)) != 0 && event->len > 0) {
                known_.erase(event->name);
            }
            offset += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
        }
    }
    if (notified) {
        scan();
    }
}

void FolderWatcher::scan() {
    // Forgetting the old names after a failed listing would report every file as new.
    std::optional<std::set<std::string>> now = currentNames();
    if (!now) {
        return;
    }
    std::vector<std::pair<std::string, std::string>> added; // sort key, name
    for (const std::string& name : *now) {
        if (!known_.contains(name)) {
            added.emplace_back(sortKey(name), name);
        }
    }
    known_ = std::move(*now);
    std::sort(added.begin(), added.end());

    Callback callback = onNewFile_; // the watcher may be gone after any call
    std::weak_ptr<bool> alive = alive_;
    for (const auto& entry : added) {
        callback(folder_ / entry.second);
        if (alive.expired()) {
            return;
        }
    }
}

} // namespace app
