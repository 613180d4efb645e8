#pragma once

#include "files/RenameRecord.h"
#include "index/TextIndex.h"

#include <QObject>
#include <QString>
#include <QThreadPool>
#include <QTimer>

#include <deque>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace app {

// Keeps the text index in step with the history: rows follow the records, and images whose
// text is not in it yet are read on a thread of the lowest priority, newest first. Confined to
// the main thread, which alone writes the index; the other thread only reads images.
class TextIndexKeeper : public QObject {
    Q_OBJECT

public:
    // Every text line of one image, in reading order; runs on the background thread.
    using Reader = std::function<std::vector<std::string>(const std::filesystem::path& file)>;
    // Tells the user something once.
    using Say = std::function<void(const QString& message)>;

    TextIndexKeeper(std::filesystem::path file, Reader reader, Say say, QObject* parent = nullptr);
    ~TextIndexKeeper() override;

    bool isAvailable() const { return index_.isOpen(); }
    // Makes the index hold exactly these records (the first `limit` of the history).
    void follow(const std::vector<engine::RenameRecord>& history);
    // Record id to the line of its text that holds the trimmed query.
    std::unordered_map<std::string, std::string> search(const std::string& query,
                                                        const std::string& locale = {}) const;
    // The text read from a record's image, lines separated by '\n'; nothing before it is read.
    std::optional<std::string> text(const std::string& id) const { return index_.text(id); }
    // Images still to be read, the one being read included.
    std::size_t pending() const { return toRead_.size() + (reading_.empty() ? 0 : 1); }

    // How long going away waits for a reading under way.
    static constexpr int quitWaitMs = 300;
    // Removed text leaves the file this long after the last removal (at once for Clear
    // History): merging the index costs about 0.1 s, too much for every rename at the
    // history's limit.
    static constexpr int compactDelayMs = 2000;
    void setCompactDelay(int ms) { compaction_.setInterval(ms); }

    static const QString damagedMessage;
    static const QString unavailableMessage;

signals:
    // The text of a record arrived.
    void textStored(const QString& id);
    // Nothing is left to read.
    void settled();
    // The text of removed records has left the file.
    void compacted();

private:
    void readNext();
    void stored(const std::string& id, const std::vector<std::string>& lines);
    void failed();
    void compactNow();

    engine::TextIndex index_;
    Reader reader_;
    Say say_;
    std::unordered_map<std::string, engine::TextIndex::Entry> known_;
    std::unordered_set<std::string> unread_;
    std::deque<std::string> toRead_; // newest first
    std::string reading_;
    bool told_ = false;
    // One thread, so readings never compete with each other for the second core. Not waited
    // for long when going away: at the lowest priority a reading may not finish soon.
    QThreadPool* pool_;
    QTimer compaction_;
};

} // namespace app
