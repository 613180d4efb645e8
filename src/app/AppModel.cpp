#include "AppModel.h"

#include "AppSettings.h"
#include "FolderWatcher.h"
#include "LoginItem.h"
#include "ModelChooser.h"
#include "ModelPull.h"
#include "TextIndexKeeper.h"
#include "files/HistoryStore.h"
#include "naming/Namer.h"
#include "reading/TextReader.h"
#include "rules/FileRules.h"

#include <QCoreApplication>
#include <QPointer>
#include <QTemporaryDir>
#include <QThreadPool>
#include <QTimer>
#include <QtConcurrent/QtConcurrentRun>

namespace app {

namespace {

std::string standardized(const std::filesystem::path& path) {
    std::string text = path.lexically_normal().string();
    while (text.size() > 1 && text.back() == '/') {
        text.pop_back();
    }
    return text;
}

QString lastComponent(const std::filesystem::path& path) {
    return QString::fromStdString(std::filesystem::path(standardized(path)).filename().string());
}

QString cannotWatch(const std::filesystem::path& folder) {
    return QStringLiteral("Couldn't watch ") + lastComponent(folder) +
           QStringLiteral(". Check that the folder exists and that you may read it.");
}

} // namespace

AppModel::AppModel(AppServices services, QObject* parent)
    : QObject(parent), services_(std::move(services)) {
    if (!services_.now) {
        services_.now = [] { return std::chrono::system_clock::now(); };
    }
    unfinished_ = std::make_unique<UnfinishedFiles>(
        services_.unfinishedLimit, services_.unfinishedLookInterval,
        [this](const Path& file) { enqueue({file}); },
        [this](const Path& file) { finishNaming(file, std::nullopt); });
    start();
}

AppModel::~AppModel() {
    abandonNaming();
    textIndex_.reset();
    // The pools wait for their threads, which the cancellation has released.
    namingPool_.clear();
    modelPool_.clear();
    backgroundPool_.clear();
}

void AppModel::abandonNaming() {
    quitting_ = true;
    if (services_.namer) {
        services_.namer->cancel();
    }
}

void AppModel::start() {
    const bool readOnly = services_.readOnly;
    settings_ = std::make_unique<AppSettings>(
        services_.settingsFile.isEmpty() ? AppSettings::defaultFilePath() : services_.settingsFile,
        readOnly ? AppSettings::Access::readOnly : AppSettings::Access::readWrite);
    store_ =
        std::make_unique<engine::HistoryStore>("Quillmark", services_.dataFolder,
                                               readOnly ? engine::HistoryStore::Access::readOnly
                                                        : engine::HistoryStore::Access::readWrite);
    loginItem_ = std::make_unique<LoginItem>(
        services_.autostartFolder ? QString::fromStdString(services_.autostartFolder->string())
                                  : LoginItem::defaultAutostartFolder(),
        services_.executablePath.isEmpty() ? LoginItem::runningExecutablePath()
                                           : services_.executablePath);
    namingPool_.setMaxThreadCount(1);
    namingPool_.setExpiryTimeout(-1);
    modelPool_.setMaxThreadCount(1);
    backgroundPool_.setMaxThreadCount(2);
    if (auto* application = QCoreApplication::instance()) {
        connect(application, &QCoreApplication::aboutToQuit, this, &AppModel::abandonNaming);
    }

    autoName_ = settings_->autoName();
    const auto rawStyle = settings_->namingStyleRaw();
    style_ = engine::NamingStyle::fromRawValue(rawStyle ? rawStyle->toStdString() : std::string())
                 .value_or(engine::NamingStyle::Case::titleCase);
    launchAtLogin_ = loginItem().isEnabled();
    applyLoginDefault();

    notify_ = settings_->notify();
    watchDownloads_ = settings_->watchDownloads();
    extraFolders_ = settings_->extraFolders();
    corrections_ = engine::Correction::decodeList(settings_->correctionsJson().toStdString());

    const auto override = settings_->screenshotFolder();
    screenshotFolder_ = engine::FileRules::screenshotFolder(
        override ? std::optional<std::filesystem::path>(override->toStdString()) : std::nullopt);
    history_ = store_->load();
    if (!services_.namer) {
        services_.namer = std::make_shared<EngineNamingService>(settings_->modelConfig());
    }
    // `engine_` keeps its text-only placeholder until the check answers.
    refreshEngine();
    startModelChooser();
    pruneMissing();
    startTextIndex();
    if (readOnly) {
        return;
    }
    updateWatcher();
    if (notify_ && services_.runningAsApplication && services_.requestNotificationPermission) {
        services_.requestNotificationPermission();
    }
    startWarmUp();
}

void AppModel::startTextIndex() {
    auto read = services_.readText;
    if (!read) {
        read = [](const Path& file) {
            return engine::TextReader::read(file, engine::Namer::maxPixelSize).lines;
        };
    }
    auto file = store_->fileURL().parent_path() / engine::TextIndex::fileName;
    if (services_.readOnly) {
        // Snapshots and benches search what the user's index holds, in a copy they may write.
        textIndexCopy_ = std::make_unique<QTemporaryDir>();
        const Path copy = Path(textIndexCopy_->path().toStdString()) / file.filename();
        for (const char* suffix : {"", "-wal"}) {
            std::error_code error;
            std::filesystem::copy_file(file.string() + suffix, copy.string() + suffix, error);
        }
        file = copy;
    }
    textIndex_ = std::make_unique<TextIndexKeeper>(
        file, std::move(read), [this](const QString& message) { setMessage(message); });
    connect(this, &AppModel::historyChanged, textIndex_.get(),
            [this] { textIndex_->follow(history_); });
    textIndex_->follow(history_);
}

void AppModel::startWarmUp() {
    auto namer = services_.namer;
    backgroundPool_.start([namer] {
        QThread::currentThread()->setPriority(QThread::LowPriority);
        namer->warmUp();
        QThread::currentThread()->setPriority(QThread::NormalPriority);
    });
}

void AppModel::refreshEngine() {
    const int check = ++engineCheck_;
    QPointer<AppModel> self(this);
    auto namer = services_.namer;
    backgroundPool_.start([self, namer, check] {
        const auto found = namer->engine();
        QMetaObject::invokeMethod(
            self,
            [self, found, check] {
                if (!self || check != self->engineCheck_ || self->engine_ == found) {
                    return;
                }
                self->engine_ = found;
                emit self->engineChanged();
            },
            Qt::QueuedConnection);
    });
}

AppModel::Path AppModel::homeFolder() const {
    if (services_.homeFolder) {
        return *services_.homeFolder;
    }
    const char* home = std::getenv("HOME");
    return home != nullptr ? Path(home) : Path("/");
}

bool AppModel::anythingAt(const Path& path) {
    std::error_code error;
    return std::filesystem::exists(std::filesystem::symlink_status(path, error));
}

// ---- settings and watching

void AppModel::applyLoginDefault() {
    if (!services_.applyLoginDefault || settings_->loginDefaultApplied() ||
        !LoginItem::isInstalledLocation(loginItem().executablePath())) {
        return;
    }
    settings_->setLoginDefaultApplied(true);
    if (!loginItem().isEnabled()) {
        loginItem().registerItem(); // a failure here stays silent
        launchAtLogin_ = loginItem().isEnabled();
    }
}

void AppModel::setAutoName(bool value) {
    autoName_ = value;
    settings_->setAutoName(value);
    emit autoNameChanged();
    updateWatcher();
}

void AppModel::setStyle(engine::NamingStyle value) {
    style_ = value;
    settings_->setNamingStyleRaw(
        QString::fromUtf8(value.rawValue().data(), static_cast<int>(value.rawValue().size())));
    emit styleChanged();
}

void AppModel::setLaunchAtLogin(bool value) {
    launchAtLogin_ = value;
    emit launchAtLoginChanged();
    applyLaunchAtLogin();
}

void AppModel::setWatchDownloads(bool value) {
    watchDownloads_ = value;
    settings_->setWatchDownloads(value);
    emit watchDownloadsChanged();
    updateWatcher();
}

void AppModel::setNotify(bool value) {
    notify_ = value;
    settings_->setNotify(value);
    emit notifyChanged();
    if (value && services_.runningAsApplication && services_.requestNotificationPermission) {
        services_.requestNotificationPermission();
    }
}

void AppModel::setMessage(std::optional<QString> value) {
    if (value == message_) {
        return;
    }
    message_ = std::move(value);
    setLastUndoneID(std::nullopt);
    emit messageChanged();
}

void AppModel::setLastUndoneID(std::optional<std::string> value) {
    if (value == lastUndoneID_) {
        return;
    }
    lastUndoneID_ = std::move(value);
    emit lastUndoneIDChanged();
}

void AppModel::setQueued(int value) {
    if (value == queued_) {
        return;
    }
    queued_ = value;
    emit queuedChanged();
}

std::vector<AppModel::Path> AppModel::watchedExtraFolders() const {
    std::vector<Path> folders;
    if (watchDownloads_) {
        folders.push_back(homeFolder() / "Downloads");
    }
    for (const auto& folder : extraFolders_) {
        folders.emplace_back(folder.toStdString());
    }
    std::set<std::string> seen{standardized(screenshotFolder_)};
    std::vector<Path> kept;
    for (const auto& folder : folders) {
        if (seen.insert(standardized(folder)).second) {
            kept.push_back(folder);
        }
    }
    return kept;
}

void AppModel::updateWatcher() {
    if (services_.readOnly) {
        return;
    }
    QPointer<AppModel> self(this);
    if (autoName_) {
        auto watcher = std::make_unique<FolderWatcher>(screenshotFolder_, [self](const Path& file) {
            QMetaObject::invokeMethod(
                self,
                [self, file] {
                    if (self)
                        self->screenshotAppeared(file);
                },
                Qt::QueuedConnection);
        });
        hookWatcher(*watcher);
        if (!watcher->start()) {
            setMessage(cannotWatch(screenshotFolder_));
        }
        watcher_ = std::move(watcher);
    } else {
        watcher_.reset();
    }
    extraWatchers_.clear();
    if (!autoName_) {
        return;
    }
    for (const auto& folder : watchedExtraFolders()) {
        auto watcher = std::make_unique<FolderWatcher>(folder, [self](const Path& file) {
            QMetaObject::invokeMethod(
                self,
                [self, file] {
                    if (self)
                        self->extraFileAppeared(file);
                },
                Qt::QueuedConnection);
        });
        hookWatcher(*watcher);
        if (watcher->start()) {
            extraWatchers_.push_back(std::move(watcher));
        } else {
            setMessage(cannotWatch(folder));
        }
    }
}

void AppModel::hookWatcher(FolderWatcher& watcher) {
    QPointer<AppModel> self(this);
    watcher.setOnWritten([self](const Path& file) {
        QMetaObject::invokeMethod(
            self,
            [self, file] {
                if (self)
                    self->unfinished_->written(file);
            },
            Qt::QueuedConnection);
    });
    watcher.setOnFolderLost([self, folder = watcher.folder()] {
        QMetaObject::invokeMethod(
            self,
            [self, folder] {
                if (self)
                    self->folderLost(folder);
            },
            Qt::QueuedConnection);
    });
}

void AppModel::folderLost(const Path& folder) {
    // Screenshot tools make their folder again; only a folder that stays away is worth a word.
    QTimer::singleShot(services_.folderGoneGrace, this, [this, folder] {
        if (const auto* watcher = watcherOf(folder); watcher && watcher->isWaitingForFolder()) {
            setMessage(cannotWatch(folder));
        }
    });
}

FolderWatcher* AppModel::watcherOf(const Path& folder) const {
    const std::string wanted = standardized(folder);
    if (watcher_ && standardized(watcher_->folder()) == wanted) {
        return watcher_.get();
    }
    for (const auto& watcher : extraWatchers_) {
        if (standardized(watcher->folder()) == wanted) {
            return watcher.get();
        }
    }
    return nullptr;
}

bool AppModel::isBeingWritten(const Path& file) const {
    const auto* watcher = watcherOf(file.parent_path());
    return watcher != nullptr && watcher->isBeingWritten(file.filename().string());
}

void AppModel::addWatchedFolder() {
    if (services_.bringToFront) {
        services_.bringToFront();
    }
    if (!services_.chooseFolder) {
        return;
    }
    const auto chosen = services_.chooseFolder(
        {QStringLiteral("Watch Folder"),
         QStringLiteral("New images with vague names in this folder will get real names. Good "
                        "names are left alone."),
         std::nullopt});
    if (!chosen) {
        return;
    }
    for (const auto& folder : extraFolders_) {
        if (standardized(folder.toStdString()) == standardized(*chosen)) {
            return;
        }
    }
    extraFolders_.append(QString::fromStdString(chosen->string()));
    emit extraFoldersChanged();
    saveExtraFolders();
}

void AppModel::removeWatchedFolder(const QString& folder) {
    const std::string target = standardized(folder.toStdString());
    const auto before = extraFolders_.size();
    extraFolders_.removeIf(
        [&](const QString& f) { return standardized(f.toStdString()) == target; });
    if (extraFolders_.size() != before) {
        emit extraFoldersChanged();
    }
    saveExtraFolders();
}

void AppModel::saveExtraFolders() {
    settings_->setExtraFolders(extraFolders_);
    updateWatcher();
}

void AppModel::applyLaunchAtLogin() {
    if (services_.readOnly) {
        return;
    }
    const bool enabled = loginItem().isEnabled();
    if (launchAtLogin_ == enabled) {
        return;
    }
    const auto error = launchAtLogin_ ? loginItem().registerItem() : loginItem().unregisterItem();
    if (error) {
        setMessage(QStringLiteral("Couldn't change Open at Login: ") + *error);
    }
}

// ---- history

std::vector<engine::RenameRecord> AppModel::activeRecords() const {
    std::vector<engine::RenameRecord> active;
    for (const auto& record : history_) {
        if (!record.undone) {
            active.push_back(record);
        }
    }
    return active;
}

void AppModel::pruneMissing() {
    const auto before = history_.size();
    std::erase_if(history_, [](const engine::RenameRecord& record) {
        return !anythingAt(record.presentPath());
    });
    if (history_.size() != before) {
        emit historyChanged();
        saveHistory();
    }
}

void AppModel::clearHistory() {
    history_.clear();
    emit historyChanged();
    saveHistory();
}

// A record the file cannot hold stays in the list for this run; the user hears of it once.
void AppModel::saveHistory() {
    auto saved = store_->save(history_);
    // Another program renamed, undid or removed something in the same file meanwhile.
    if (saved.merged) {
        history_ = std::move(*saved.merged);
        emit historyChanged();
    }
    std::vector<std::string> fresh;
    for (auto& id : saved.leftOut) {
        if (unsavedReported_.insert(id).second) {
            fresh.push_back(std::move(id));
        }
    }
    if (fresh.size() == 1) {
        const auto index = indexOf(fresh.front());
        const auto stem =
            index ? engine::FileRules::stem(Path(history_[*index].currentName)) : std::string();
        setMessage(QStringLiteral("\u201C") + QString::fromStdString(stem) +
                   QStringLiteral("\u201D can\u2019t be saved in the history: its folder or file "
                                  "name isn\u2019t valid UTF-8."));
    } else if (fresh.size() > 1) {
        setMessage(QString::number(fresh.size()) +
                   QStringLiteral(" renames can\u2019t be saved in the history: their folder or "
                                  "file names aren\u2019t valid UTF-8."));
    }
}

std::optional<std::size_t> AppModel::indexOf(const std::string& id) const {
    for (std::size_t i = 0; i < history_.size(); ++i) {
        if (history_[i].id == id) {
            return i;
        }
    }
    return std::nullopt;
}

std::set<std::string> AppModel::undonePresentPaths() const {
    std::set<std::string> paths;
    for (const auto& record : history_) {
        if (record.undone) {
            paths.insert((Path(record.folderPath) / record.originalName).string());
        }
    }
    return paths;
}

void AppModel::rememberCorrection(const std::string& suggested, const std::string& chosen) {
    engine::Correction::append(corrections_, {suggested, chosen});
    settings_->setCorrectionsJson(
        QByteArray::fromStdString(engine::Correction::encodeList(corrections_)));
}

} // namespace app
