#pragma once

#include "AppServices.h"
#include "UnfinishedFiles.h"
#include "files/RenameRecord.h"
#include "files/Renamer.h"
#include "naming/Correction.h"
#include "naming/Namer.h"
#include "naming/NamingStyle.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <QThreadPool>
#include <chrono>
#include <deque>
#include <filesystem>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

class QTemporaryDir;

namespace engine {
class HistoryStore;
}

namespace app {

class AppSettings;
class FolderWatcher;
class LoginItem;
class ModelChooser;
class ModelPull;
class TextIndexKeeper;

// The one application model: settings, history, learned corrections, folder watchers, the
// naming queue and the status line. Confined to the main thread; only the namer's work runs
// elsewhere.
class AppModel : public QObject {
    Q_OBJECT

public:
    using Path = std::filesystem::path;

    explicit AppModel(AppServices services, QObject* parent = nullptr);
    ~AppModel() override;

    // Published state.
    bool autoName() const { return autoName_; }
    engine::NamingStyle style() const { return style_; }
    bool launchAtLogin() const { return launchAtLogin_; }
    bool watchDownloads() const { return watchDownloads_; }
    const QStringList& extraFolders() const { return extraFolders_; }
    bool notify() const { return notify_; }
    const std::vector<engine::RenameRecord>& history() const { return history_; }
    int queued() const { return queued_; }
    const engine::Namer::Engine& engine() const { return engine_; }
    const std::optional<QString>& message() const { return message_; }
    const std::optional<std::string>& lastUndoneID() const { return lastUndoneID_; }

    const Path& screenshotFolder() const { return screenshotFolder_; }
    const std::vector<engine::Correction>& corrections() const { return corrections_; }
    bool isWorking() const { return isWorking_; }
    const std::set<std::string>& producedPaths() const { return producedPaths_; }
    // The full text of the records' images; it follows the history by itself.
    const TextIndexKeeper& textIndex() const { return *textIndex_; }
    // Folders watched besides the screenshot folder, duplicates and the screenshot folder
    // itself left out.
    std::vector<Path> watchedExtraFolders() const;
    std::vector<engine::RenameRecord> activeRecords() const;
    // The record with `id` as it stands now, if the history still holds it.
    std::optional<engine::RenameRecord> record(const std::string& id) const;

    void setAutoName(bool value);
    void setStyle(engine::NamingStyle value);
    void setLaunchAtLogin(bool value);
    void setWatchDownloads(bool value);
    void setNotify(bool value);
    // Views may clear the status line; any value change clears `lastUndoneID`.
    void setMessage(std::optional<QString> value);

    void addWatchedFolder();
    void removeWatchedFolder(const QString& folder);
    void pruneMissing();
    // Asks the namer for its engine off the main thread; `engine` follows when it answers.
    void refreshEngine();

    // The local model servers found, and the model being fetched; both outlive the panel.
    ModelChooser& modelChooser() { return *modelChooser_; }
    ModelPull& modelPull() { return *modelPull_; }
    engine::ModelConfig modelConfig() const;
    // Stores the model keys and names from now on with them. A warning when the environment
    // overrides them anyway.
    std::optional<QString> useModel(const QString& endpoint, const QString& name);

    // Naming pipeline.
    void enqueue(const std::vector<Path>& files);
    void screenshotAppeared(const Path& file);
    void extraFileAppeared(const Path& file);

    // User operations.
    void handleDrop(const std::vector<Path>& paths);
    void chooseFolderToTidy();
    void tidyUp(const Path& folder);
    void undo(const engine::RenameRecord& record);
    void undoLast();
    void undoAllVisible();
    void nameAgain(const engine::RenameRecord& record);
    void nameAgain(const std::string& id);
    void correct(const engine::RenameRecord& record, const QString& typed);
    void reveal(const engine::RenameRecord& record);
    // Tells the user that nothing on this computer could open `file`.
    void couldNotOpen(const Path& file);
    void clearHistory();

signals:
    void autoNameChanged();
    void styleChanged();
    void launchAtLoginChanged();
    void watchDownloadsChanged();
    void extraFoldersChanged();
    void notifyChanged();
    void historyChanged();
    void queuedChanged();
    void engineChanged();
    // The model keys were stored anew.
    void modelChosen();
    void messageChanged();
    void lastUndoneIDChanged();
    // A file was renamed by the pipeline; the record is already at the front of the history.
    void fileNamed(const engine::RenameRecord& record);
    // A drain finished and the queue is empty.
    void idle();

private:
    void start();
    void startModelChooser();
    void startWarmUp();
    void startTextIndex();
    // Quitting: requests waiting for the model are abandoned and late results ignored.
    void abandonNaming();
    void applyLoginDefault();
    void updateWatcher();
    void hookWatcher(FolderWatcher& watcher);
    void folderLost(const Path& folder);
    FolderWatcher* watcherOf(const Path& folder) const;
    bool isBeingWritten(const Path& file) const;
    bool waitForRestOfFile(const Path& file,
                           const std::optional<UnfinishedFiles::Snapshot>& before);
    void saveExtraFolders();
    void applyLaunchAtLogin();
    void setQueued(int value);
    void setLastUndoneID(std::optional<std::string> value);
    void saveHistory();
    std::optional<std::size_t> indexOf(const std::string& id) const;
    std::set<std::string> undonePresentPaths() const;
    bool swallowProduced(const Path& file);
    void announce(const Path& predicted);
    engine::RenameResult renameAnnounced(const Path& file, const std::string& stem);
    void forgetMovedRecord(std::size_t index, const std::string& fileName);
    void rememberCorrection(const std::string& suggested, const std::string& chosen);
    Path homeFolder() const;
    // Anything at all, a dangling link included, holds a name.
    static bool anythingAt(const Path& path);
    LoginItem& loginItem() { return *loginItem_; }

    // One file between its reading and its rename.
    struct Turn {
        Path file;
        std::optional<UnfinishedFiles::Snapshot> before; // as it was when its reading began
        NamingService::Prepared prepared;
    };
    using SteadyTime = std::chrono::steady_clock::time_point;

    void drain();
    // Moves the drain on as far as it can: the model's state for the batch, the next reading,
    // the next naming, the end of the batch.
    void pump();
    void askModelStatus();
    void settleThenRead(const Path& file, std::optional<UnfinishedFiles::Snapshot> seen,
                        SteadyTime seenAt, SteadyTime giveUpAt);
    void startReading(const Path& file);
    void startNaming(Turn turn);
    void namingDone(const Turn& turn, const std::optional<engine::Namer::Result>& result);
    void updateQueued();
    void finishNaming(const Path& file, const std::optional<engine::Namer::Result>& result);
    void finishDrain();

    AppServices services_;
    std::unique_ptr<AppSettings> settings_;
    std::unique_ptr<engine::HistoryStore> store_;
    std::unique_ptr<LoginItem> loginItem_;
    // Reading: one long-lived thread, since the OCR engine is made once per thread.
    QThreadPool namingPool_;
    // The model: one request at a time, the status checks included.
    QThreadPool modelPool_;
    std::optional<NamingService::ModelStatus> batchStatus_;
    bool askingStatus_ = false;
    std::optional<Path> reading_;   // settling or being read
    std::optional<Turn> readAhead_; // read, waiting for the model
    bool naming_ = false;
    // The warm-up and engine checks, which may wait on the model server for long and must
    // never hold up a naming.
    QThreadPool backgroundPool_;
    int engineCheck_ = 0; // the latest check; older answers are dropped
    bool quitting_ = false;

    bool autoName_ = true;
    engine::NamingStyle style_;
    bool launchAtLogin_ = false;
    bool watchDownloads_ = false;
    QStringList extraFolders_;
    bool notify_ = true;
    std::vector<engine::RenameRecord> history_;
    int queued_ = 0;
    engine::Namer::Engine engine_;
    std::optional<QString> message_;
    std::optional<std::string> lastUndoneID_;

    Path screenshotFolder_;
    std::unique_ptr<FolderWatcher> watcher_;
    std::vector<std::unique_ptr<FolderWatcher>> extraWatchers_;
    std::vector<engine::Correction> corrections_;
    std::deque<Path> queue_;
    bool isWorking_ = false;
    QStringList batchNames_;
    std::set<std::string> producedPaths_;
    // Records left out of the history file that the user was already told about.
    std::set<std::string> unsavedReported_;
    std::unique_ptr<UnfinishedFiles> unfinished_;
    std::unique_ptr<ModelChooser> modelChooser_;
    std::unique_ptr<ModelPull> modelPull_;
    std::unique_ptr<QTemporaryDir> textIndexCopy_; // read-only runs index a copy, gone last
    std::unique_ptr<TextIndexKeeper> textIndex_;
};

} // namespace app
