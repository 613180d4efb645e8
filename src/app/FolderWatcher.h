#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>

class QSocketNotifier;

namespace app {

// Watches one folder and reports each entry that shows up in it once: hidden entries and
// subfolders included, no filtering. Every notification re-lists the whole folder and compares
// it with the names seen last time. Lives on the thread that calls start(), whose event loop
// delivers the reports.
class FolderWatcher {
public:
    using Callback = std::function<void(const std::filesystem::path& path)>;

    FolderWatcher(std::filesystem::path folder, Callback onNewFile);
    ~FolderWatcher();
    FolderWatcher(const FolderWatcher&) = delete;
    FolderWatcher& operator=(const FolderWatcher&) = delete;

    // Takes the present entries as already seen and begins watching; restarts a running
    // watcher. False when the folder cannot be watched (missing, not a folder, unreadable).
    bool start();
    // Harmless when not watching.
    void stop();

    const std::filesystem::path& folder() const { return folder_; }
    bool isWatching() const { return source_ != nullptr; }
    // The inotify handle; -1 when not watching.
    int descriptor() const { return descriptor_; }

private:
    // Every entry name; empty when the folder cannot be listed; nothing when the process is
    // short of handles or memory, which says nothing about the folder.
    std::optional<std::set<std::string>> currentNames() const;
    void readEvents();
    void scan();

    std::filesystem::path folder_;
    Callback onNewFile_;
    std::unique_ptr<QSocketNotifier> source_;
    std::set<std::string> known_;
    int descriptor_ = -1;
    // Lets a scan notice that a callback destroyed the watcher.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

} // namespace app
