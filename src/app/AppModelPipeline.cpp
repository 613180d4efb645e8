// The naming pipeline of AppModel: arrivals, the queue and the naming of one file.
#include "AppModel.h"

#include "files/FileCreationDate.h"
#include "files/Renamer.h"
#include "rules/FileRules.h"

#include <QFutureWatcher>
#include <QTimer>
#include <QtConcurrent/QtConcurrentRun>

namespace app {

namespace {} // namespace

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
    setQueued(static_cast<int>(queue_.size()));
    if (isWorking_) {
        return;
    }
    isWorking_ = true; // claimed now so a second enqueue before the drain starts joins it
    QMetaObject::invokeMethod(this, &AppModel::drain, Qt::QueuedConnection);
}

void AppModel::drain() {
    isWorking_ = true;
    drainNext();
}

void AppModel::drainNext() {
    if (queue_.empty()) {
        finishDrain();
        return;
    }
    const Path file = queue_.front();
    queue_.pop_front();
    setQueued(static_cast<int>(queue_.size()) + 1);
    QTimer::singleShot(services_.pause, this, [this, file] { nameFile(file); });
}

void AppModel::nameFile(const Path& file) {
    if (!anythingAt(file)) {
        drainNext(); // vanished while waiting
        return;
    }
    auto* watcher = new QFutureWatcher<std::optional<engine::Namer::Result>>(this);
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher, file] {
        const auto result = watcher->result();
        watcher->deleteLater();
        if (quitting_) {
            return; // the file stays as it is; nothing was renamed
        }
        finishNaming(file, result);
        drainNext();
    });
    auto namer = services_.namer;
    auto corrections = corrections_;
    watcher->setFuture(QtConcurrent::run(&namingPool_, [namer, file, corrections] {
        return namer->suggestName(file, corrections);
    }));
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
    isWorking_ = false;
    setQueued(0);
    emit idle();
}

} // namespace app
