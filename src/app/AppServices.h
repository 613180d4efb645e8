#pragma once

#include "NamingService.h"

#include <QString>
#include <QStringList>
#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace app {

// What a folder chooser is asked to show.
struct FolderRequest {
    QString buttonTitle;
    QString message;
    std::optional<std::filesystem::path> startFolder;
};

// Everything the model reaches outside itself, so tests can drive and observe it.
struct AppServices {
    // Files. Empty: the desktop's defaults (XDG config and data homes).
    QString settingsFile;
    std::optional<std::filesystem::path> dataFolder;
    std::optional<std::filesystem::path> homeFolder;
    std::optional<std::filesystem::path> autostartFolder;
    QString executablePath;

    // Null: the real engine with the model settings.
    std::shared_ptr<NamingService> namer;
    // Look for local model servers at start, for the settings to offer.
    bool discoverModelServers = false;
    // Where to look besides the configured endpoint and OLLAMA_HOST; none: the usual ports.
    std::optional<std::vector<int>> modelServerPorts;
    // How long a file must have held still before it is read, so it is completely written.
    std::chrono::milliseconds pause{600};
    // A file that could not be named while it was still being written is tried again once
    // finished, for at most `unfinishedLimit`; meanwhile its size is looked at this often.
    std::chrono::milliseconds unfinishedLimit{30000};
    std::chrono::milliseconds unfinishedLookInterval{1000};
    // How long a watched folder may be gone before the user is told it cannot be watched.
    std::chrono::milliseconds folderGoneGrace{5000};
    std::function<std::chrono::system_clock::time_point()> now;
    // Every text line of an image, for the text index. Null: the real reading.
    std::function<std::vector<std::string>(const std::filesystem::path& file)> readText;

    // Looks at the user's settings and history and changes nothing: no watching, no history
    // or settings writes, no login item, no model warm-up (snapshots and benches).
    bool readOnly = false;

    // Running as the desktop application (not a command-line mode) with a session bus.
    bool runningAsApplication = false;
    // The first start from an installed location switches open-at-login on. Only the
    // windowed application does: the login item starts it, not the headless mode.
    bool applyLoginDefault = false;
    bool startUpdater = false;
    std::function<void(const QStringList& names)> postNamedNotification;
    std::function<void()> requestNotificationPermission;

    std::function<std::optional<std::filesystem::path>(const FolderRequest&)> chooseFolder;
    std::function<void()> bringToFront;
    std::function<bool()> altHeld;
    // True when a text field was being edited and took the undo itself.
    std::function<bool()> passUndoToTextEditor;
    // Shows the file in its folder; `done` hears, perhaps later, whether anything could.
    std::function<void(const std::filesystem::path& file, std::function<void(bool shown)> done)>
        reveal;

    // The real services of the running application; callers fill what only views know.
    static AppServices forApplication();
    // The same for `--watch`, which runs under its own service manager and leaves the login
    // item alone.
    static AppServices forWatchMode();
};

} // namespace app
