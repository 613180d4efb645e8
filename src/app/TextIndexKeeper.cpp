#include "TextIndexKeeper.h"

#include "files/HistoryStore.h"
#include "reading/ParallelLineReader.h"

#include <QCoreApplication>
#include <QPointer>
#include <QThread>

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace app {

namespace {

engine::TextIndex::Entry entryOf(const engine::RenameRecord& record) {
    const auto seconds =
        std::chrono::duration_cast<std::chrono::seconds>(record.date.time_since_epoch()).count();
    return {record.id, record.presentPath().string(),
            record.currentName + "\n" + record.originalName, seconds};
}

// The nicest the scheduler offers: the reading only gets a core nobody else wants.
void lowestPriority() {
    QThread::currentThread()->setPriority(QThread::IdlePriority);
    ::setpriority(PRIO_PROCESS, static_cast<id_t>(::syscall(SYS_gettid)), 19);
    engine::ParallelLineReader::setHelperAllowedOnThisThread(false);
}

// Characters kept before the match, so that it stays in sight on a card.
constexpr int cardLead = 12;

} // namespace

const QString TextIndexKeeper::damagedMessage =
    QStringLiteral("The text search index was damaged, so it was set aside. Quillmark is "
                   "reading your screenshots again in the background.");
const QString TextIndexKeeper::unavailableMessage =
    QStringLiteral("Text search is unavailable: Quillmark can\u2019t write its index in its data "
                   "folder. Naming goes on as usual.");

TextIndexKeeper::TextIndexKeeper(std::filesystem::path file, Reader reader, Say say,
                                 QObject* parent)
    : QObject(parent), index_(std::move(file)), reader_(std::move(reader)), say_(std::move(say)),
      pool_(new QThreadPool) {
    pool_->setMaxThreadCount(1);
    compaction_.setSingleShot(true);
    compaction_.setInterval(compactDelayMs);
    connect(&compaction_, &QTimer::timeout, this, &TextIndexKeeper::compactNow);
    switch (index_.open()) {
    case engine::TextIndex::Opened::rebuilt:
        say_(damagedMessage);
        told_ = true;
        break;
    case engine::TextIndex::Opened::unavailable:
    case engine::TextIndex::Opened::missing:
        failed();
        return;
    case engine::TextIndex::Opened::existing:
        // A removal the last run was stopped before merging leaves the file soon.
        if (index_.needsCompaction()) {
            compaction_.start();
        }
        break;
    case engine::TextIndex::Opened::fresh:
        break;
    }
    for (auto& entry : index_.entries()) {
        known_.emplace(entry.id, std::move(entry));
    }
    for (auto& id : index_.unread()) {
        unread_.insert(std::move(id));
    }
}

TextIndexKeeper::~TextIndexKeeper() {
    if (compaction_.isActive()) {
        compactNow();
    }
    pool_->clear();
    // A reading still under way is left to finish on its own; its result is dropped.
    if (pool_->waitForDone(quitWaitMs)) {
        delete pool_;
    }
}

void TextIndexKeeper::compactNow() {
    compaction_.stop();
    if (!index_.isOpen()) {
        return;
    }
    if (!index_.compact()) {
        failed();
        return;
    }
    emit compacted();
}

void TextIndexKeeper::failed() {
    index_.close();
    known_.clear();
    unread_.clear();
    toRead_.clear();
    if (!told_) {
        told_ = true;
        say_(unavailableMessage);
    }
}

void TextIndexKeeper::follow(const std::vector<engine::RenameRecord>& history) {
    if (!index_.isOpen()) {
        return;
    }
    std::unordered_map<std::string, engine::TextIndex::Entry> wanted;
    std::vector<std::string> order;
    const std::size_t count = std::min(history.size(), engine::HistoryStore::limit);
    for (std::size_t i = 0; i < count; ++i) {
        if (wanted.emplace(history[i].id, entryOf(history[i])).second) {
            order.push_back(history[i].id);
        }
    }
    std::vector<std::string> removed;
    for (const auto& [id, entry] : known_) {
        if (!wanted.contains(id)) {
            removed.push_back(id);
            unread_.erase(id);
        }
    }
    std::vector<engine::TextIndex::Entry> changed;
    for (const auto& id : order) {
        const auto& entry = wanted.at(id);
        const auto known = known_.find(id);
        if (known == known_.end() || !(known->second == entry)) {
            changed.push_back(entry);
        }
        if (known == known_.end()) {
            unread_.insert(id);
        }
    }
    if (!index_.remove(removed) || !index_.put(changed)) {
        failed();
        return;
    }
    if (!removed.empty()) {
        if (count == 0) {
            compactNow();
        } else {
            compaction_.start();
        }
    }
    known_ = std::move(wanted);
    toRead_.clear();
    for (const auto& id : order) {
        if (unread_.contains(id) && id != reading_) {
            toRead_.push_back(id);
        }
    }
    readNext();
}

void TextIndexKeeper::readNext() {
    if (!reading_.empty()) {
        return;
    }
    if (toRead_.empty()) {
        emit settled();
        return;
    }
    reading_ = toRead_.front();
    toRead_.pop_front();
    const std::filesystem::path file = known_.at(reading_).path;
    QPointer<TextIndexKeeper> self(this);
    const std::string id = reading_;
    auto reader = reader_;
    pool_->start([self, reader, file, id] {
        lowestPriority();
        auto lines = reader(file);
        // Posted to the application, which outlives the keeper, and dropped there if it went.
        auto* application = QCoreApplication::instance();
        if (application == nullptr) {
            return;
        }
        QMetaObject::invokeMethod(
            application,
            [self, id, lines = std::move(lines)] {
                if (self) {
                    self->stored(id, lines);
                }
            },
            Qt::QueuedConnection);
    });
}

void TextIndexKeeper::stored(const std::string& id, const std::vector<std::string>& lines) {
    reading_.clear();
    if (index_.isOpen() && known_.contains(id)) {
        if (!index_.setText(id, lines)) {
            failed();
            return;
        }
        unread_.erase(id);
        emit textStored(QString::fromStdString(id));
    }
    readNext();
}

std::unordered_map<std::string, std::string>
TextIndexKeeper::search(const std::string& query, const std::string& locale) const {
    std::unordered_map<std::string, std::string> lines;
    for (auto& hit : index_.search(query, locale, cardLead)) {
        lines.emplace(std::move(hit.id), std::move(hit.line));
    }
    return lines;
}

} // namespace app
