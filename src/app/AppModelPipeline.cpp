// The naming pipeline of AppModel: arrivals, the queue and the naming of one file.
#include "AppModel.h"

#include "files/FileCreationDate.h"
#include "files/Renamer.h"
#include "rules/FileRules.h"

#include <QFutureWatcher>
#include <QTimer>
#include <QtConcurrent/QtConcurrentRun>

namespace app {

bool AppModel::swallowProduced(const Path& file) {
    return producedPaths_.erase(file.string()) > 0;
}

void AppModel::announce(const Path& predicted) {
    producedPaths_.insert(predicted.string());
}

engine::RenameResult AppModel::renameAnnounced(const Path& file, const std::string& stem) {
    // The watcher must take the renamed file for ours, so its path is announced first; it
    // stays announced when the rename fails.
    announce(engine::Renamer::uniqueURL(file.parent_path(), stem,
                                        engine::FileRules::extension(file), file));
    return engine::Renamer::rename(file, stem);
}

void AppModel::screenshotAppeared(const Path& file) {
    if (swallowProduced(file)) {
        return;
    }
    if (engine::FileRules::isNewScreenshot(file)) {
        enqueue({file});
    }
}

void AppModel::extraFileAppeared(const Path& file) {
    if (swallowProduced(file) || !engine::FileRules::isCandidate(file)) {
        return;
    }
    if (undonePresentPaths().count(file.string()) > 0) {
        return; // the user undid our rename of this very file
    }
    enqueue({file});
}

void AppModel::enqueue(const std::vector<Path>& files) {
    std::vector<Path> fresh;
    for (const auto& file : files) {
        if (std::find(queue_.begin(), queue_.end(), file) == queue_.end()) {
            fresh.push_back(file);
        }
    }
    if (fresh.empty()) {
        return;
    }
    queue_.insert(queue_.end(), fresh.begin(), fresh.end());
    // Claimed now so a second enqueue before the drain starts joins it; a running drain may
    // have a free reading slot for the new files.
    const bool running = isWorking_;
    isWorking_ = true;
    updateQueued();
    QMetaObject::invokeMethod(this, running ? &AppModel::pump : &AppModel::drain,
                              Qt::QueuedConnection);
}

void AppModel::drain() {
    isWorking_ = true;
    batchStatus_.reset(); // asked afresh for every batch
    pump();
}

void AppModel::pump() {
    if (quitting_ || !isWorking_) {
        return;
    }
    const bool work = !queue_.empty() || reading_ || readAhead_ || naming_;
    if (!batchStatus_ && !askingStatus_ && work) {
        askModelStatus();
    }
    if (batchStatus_ && readAhead_ && !naming_) {
        Turn turn = std::move(*readAhead_);
        readAhead_.reset();
        startNaming(std::move(turn));
    }
    // One file read ahead at most: a reading holds a decoded image.
    if (batchStatus_ && !reading_ && !readAhead_ && !queue_.empty()) {
        const Path file = queue_.front();
        queue_.pop_front();
        reading_ = file;
        const auto now = std::chrono::steady_clock::now();
        settleThenRead(file, std::nullopt, now, now + services_.unfinishedLimit);
    }
    updateQueued();
    if (isWorking_ && queue_.empty() && !reading_ && !readAhead_ && !naming_ && !askingStatus_) {
        finishDrain();
    }
}

void AppModel::updateQueued() {
    if (!isWorking_) {
        return;
    }
    const int inFlight = (reading_ ? 1 : 0) + (readAhead_ ? 1 : 0) + (naming_ ? 1 : 0);
    setQueued(static_cast<int>(queue_.size()) + inFlight);
}

void AppModel::askModelStatus() {
    askingStatus_ = true;
    auto* watcher = new QFutureWatcher<NamingService::ModelStatus>(this);
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher] {
        askingStatus_ = false;
        batchStatus_ = watcher->result();
        watcher->deleteLater();
        pump();
    });
    auto namer = services_.namer;
    watcher->setFuture(QtConcurrent::run(&modelPool_, [namer] { return namer->modelStatus(); }));
}

void AppModel::settleThenRead(const Path& file, std::optional<UnfinishedFiles::Snapshot> seen,
                              SteadyTime seenAt, SteadyTime giveUpAt) {
    // A file is read once it has held still for the pause: by its own modification time, or
    // by what this look saw since the last one. Files that were still long before cost no wait.
    if (quitting_) {
        return;
    }
    const auto look = UnfinishedFiles::Snapshot::of(file);
    const auto now = std::chrono::steady_clock::now();
    if (!look || now >= giveUpAt) {
        startReading(file);
        return;
    }
    if (!seen || *seen != *look) {
        seen = look;
        seenAt = now;
    }
    const auto sinceWritten = std::chrono::system_clock::now().time_since_epoch() -
                              std::chrono::nanoseconds(look->modifiedNs);
    const auto still = std::max<std::chrono::nanoseconds>(now - seenAt, sinceWritten);
    if (still >= services_.pause) {
        startReading(file);
        return;
    }
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(services_.pause - still);
    QTimer::singleShot(
        std::max(left, std::chrono::milliseconds(1)), this,
        [this, file, seen, seenAt, giveUpAt] { settleThenRead(file, seen, seenAt, giveUpAt); });
}

void AppModel::startReading(const Path& file) {
    if (!anythingAt(file)) {
        unfinished_->forget(file);
        reading_.reset();
        // vanished while waiting
        QMetaObject::invokeMethod(this, &AppModel::pump, Qt::QueuedConnection);
        return;
    }
    const auto before = UnfinishedFiles::Snapshot::of(file);
    auto* watcher = new QFutureWatcher<NamingService::Prepared>(this);
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher, file, before] {
        Turn turn{file, before, watcher->result()};
        watcher->deleteLater();
        reading_.reset();
        if (quitting_) {
            return;
        }
        readAhead_ = std::move(turn);
        pump();
    });
    auto namer = services_.namer;
    const auto status = *batchStatus_;
    watcher->setFuture(QtConcurrent::run(
        &namingPool_, [namer, file, status] { return namer->read(file, status); }));
}

void AppModel::startNaming(Turn turn) {
    naming_ = true;
    auto* watcher = new QFutureWatcher<std::optional<engine::Namer::Result>>(this);
    auto shared = std::make_shared<Turn>(std::move(turn));
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher, shared] {
        const auto result = watcher->result();
        watcher->deleteLater();
        naming_ = false;
        if (quitting_) {
            return; // the file stays as it is; nothing was renamed
        }
        namingDone(*shared, result);
        pump();
    });
    auto namer = services_.namer;
    auto corrections = corrections_;
    const auto status = *batchStatus_;
    watcher->setFuture(QtConcurrent::run(&modelPool_, [namer, shared, corrections, status] {
        return namer->name(shared->prepared, corrections, status);
    }));
}

void AppModel::namingDone(const Turn& turn, const std::optional<engine::Namer::Result>& result) {
    const bool modelFailed = batchStatus_ &&
                             batchStatus_->kind == engine::ModelClient::Status::Kind::ready &&
                             (!result || result->source == engine::Namer::Source::heuristic);
    if (modelFailed) {
        batchStatus_.reset(); // the server may have gone or changed: ask again
    }
    const Path& file = turn.file;
    const auto now = UnfinishedFiles::Snapshot::of(file);
    if (result && now && now != turn.before) {
        // Changed since it was read: its name is that of another picture.
        if (!unfinished_->wait(file, turn.before)) {
            unfinished_->forget(file);
            finishNaming(file, std::nullopt);
        }
        return;
    }
    if (result || !waitForRestOfFile(file, turn.before)) {
        unfinished_->forget(file);
        finishNaming(file, result);
    }
}

bool AppModel::waitForRestOfFile(const Path& file,
                                 const std::optional<UnfinishedFiles::Snapshot>& before) {
    // A file still open for writing, or written to while it was read, may simply be
    // incomplete; one that was finished when read has had its chance.
    const auto now = UnfinishedFiles::Snapshot::of(file);
    const bool unfinished = now && (isBeingWritten(file) || now != before);
    return unfinished && unfinished_->wait(file, before);
}

void AppModel::finishNaming(const Path& file, const std::optional<engine::Namer::Result>& result) {
    const QString fileName = QString::fromStdString(file.filename().string());
    if (!result) {
        setMessage(QStringLiteral("Couldn't find anything to name ") + fileName +
                   QStringLiteral(" after."));
        return;
    }
    const auto date = engine::FileCreationDate::of(file).value_or(services_.now());
    const std::string styled = style_.apply(result->name, date);
    const auto renamed = renameAnnounced(file, styled);
    if (!renamed) {
        setMessage(QString::fromStdString(renamed.error().description()));
        return;
    }
    engine::RenameRecord record;
    record.id = engine::RenameRecord::makeId();
    record.folderPath = file.parent_path().string();
    record.originalName = file.filename().string();
    record.currentName = renamed.path().filename().string();
    record.suggestedName = styled;
    record.source = result->source;
    record.date = services_.now();
    record.undone = false;
    history_.insert(history_.begin(), record);
    emit historyChanged();
    saveHistory();
    batchNames_.append(QString::fromStdString(engine::FileRules::stem(renamed.path())));
    emit fileNamed(record);
}

void AppModel::finishDrain() {
    if (notify_ && services_.postNamedNotification && !batchNames_.isEmpty()) {
        services_.postNamedNotification(batchNames_);
    }
    batchNames_.clear();
    batchStatus_.reset();
    isWorking_ = false;
    setQueued(0);
    emit idle();
}

} // namespace app
