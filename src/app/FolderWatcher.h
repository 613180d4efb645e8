#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

class QSocketNotifier;

namespace app {

// Watches one folder and reports each entry that shows up in it once: hidden entries and
// subfolders included, no filtering. The listing is kept up to date from the kernel's own entry
// events, so a change costs the same in a folder of fifty files or fifty thousand; the folder is
// listed again only when events were lost or the folder was replaced (recreated, or a file
// system mounted over it). Lives on the thread that calls start(), whose event loop delivers
// the reports.
class FolderWatcher {
public:
    using Callback = std::function<void(const std::filesystem::path& path)>;
    using Signal = std::function<void()>;

    FolderWatcher(std::filesystem::path folder, Callback onNewFile);
    ~FolderWatcher();
    FolderWatcher(const FolderWatcher&) = delete;
    FolderWatcher& operator=(const FolderWatcher&) = delete;

    // Takes the present entries as already seen and begins watching; restarts a running
    // watcher. False when the folder cannot be watched (missing, not a folder, unreadable).
    bool start();
    // Harmless when not watching.
    void stop();

    // Called with the path of an entry that was closed after being written.
    void setOnWritten(Callback onWritten) { onWritten_ = std::move(onWritten); }
    // The folder went away (deleted, moved, unmounted); the watcher waits for it to come back.
    void setOnFolderLost(Signal onLost) { onFolderLost_ = std::move(onLost); }
    // It is there again and watched, its entries taken as the new baseline.
    void setOnFolderBack(Signal onBack) { onFolderBack_ = std::move(onBack); }

    const std::filesystem::path& folder() const { return folder_; }
    bool isWatching() const { return source_ != nullptr; }
    bool isWaitingForFolder() const { return isWatching() && folderWatch_ < 0; }
    // Written since it appeared or was last closed after writing, as far as the events tell.
    bool isBeingWritten(const std::string& name) const { return writing_.contains(name); }
    // The inotify handle; -1 when not watching.
    int descriptor() const { return descriptor_; }

private:
    // Every entry name; empty when the folder cannot be listed; nothing when the process is
    // short of handles or memory, which says nothing about the folder.
    std::optional<std::set<std::string>> currentNames() const;
    void readEvents();
    void noteEntryEvent(std::uint32_t mask, const char* name, std::vector<std::string>& added,
                        std::vector<std::string>& written);
    void reportWritten(const std::vector<std::string>& written);
    // Lists the folder afresh and reports what the kept listing did not hold, with `added`,
    // the names the events of this round brought that are still there.
    void scan(std::vector<std::string> added = {});
    void report(std::vector<std::string> names);
    // Mounts come and go without an event on the folder: the mount table says so instead.
    void watchMounts();
    void mountsChanged();
    // Gone: wait for it under the nearest folder that exists, and watch it again once it is
    // back.
    void loseFolder();
    void lookForFolder();
    void watchNearestAncestor();
    void folderBack(int watch);

    std::filesystem::path folder_;
    Callback onNewFile_;
    Callback onWritten_;
    Signal onFolderLost_;
    Signal onFolderBack_;
    std::unique_ptr<QSocketNotifier> source_;
    std::unique_ptr<QSocketNotifier> mountSource_;
    int mountsDescriptor_ = -1;
    std::set<std::string> known_;
    int descriptor_ = -1;
    int folderWatch_ = -1;
    int ancestorWatch_ = -1;
    // Device and inode of the watched folder.
    std::optional<std::pair<std::uintmax_t, std::uintmax_t>> folderIdentity_;
    std::set<std::string> writing_;
    // Lets a scan notice that a callback destroyed the watcher.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

} // namespace app
