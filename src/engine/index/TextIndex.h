#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

struct sqlite3;

namespace engine {

// The full text read from each history record's image, in an SQLite full-text table beside the
// history. Only a cache of the history: anything in it can be thrown away and read again.
// One connection; use it from one thread at a time.
class TextIndex {
public:
    enum class Opened { fresh, existing, rebuilt, missing, unavailable };

    struct Entry {
        std::string id;
        std::string path;      // the present path
        std::string names;     // the present and the original name, one a line
        std::int64_t date = 0; // seconds since the epoch, for newest-first order

        bool operator==(const Entry&) const = default;
    };

    struct Hit {
        std::string id;
        std::string path;
        std::string line; // the first line of the text holding the query
    };

    static constexpr const char* fileName = "text.sqlite";
    // The queries shorter than this (in code points) never match text: the trigram index
    // cannot look them up, and nearly every screenshot holds them anyway.
    static constexpr std::size_t shortestQuery = 3;

    explicit TextIndex(std::filesystem::path file);
    ~TextIndex();
    TextIndex(const TextIndex&) = delete;
    TextIndex& operator=(const TextIndex&) = delete;

    const std::filesystem::path& file() const { return file_; }

    // Opens the file, making it (mode 0600) when `create` is set, else answering `missing`.
    // A damaged file is set aside as text.sqlite.damaged and a new one made: `rebuilt`.
    Opened open(bool create = true);
    bool isOpen() const { return db_ != nullptr; }
    void close();

    // Every write answers false when the file refused it (full disk, read-only folder).
    // Inserts the entry without text, or changes its path, names and date, keeping the text.
    bool put(const Entry& entry);
    // The same for many, in one transaction.
    bool put(const std::vector<Entry>& entries);
    // Stores the text of an entry that is still there; a removed entry stays removed.
    bool setText(const std::string& id, const std::vector<std::string>& lines);
    // Removed entries are gone from every search at once; their words stay in the file's
    // pages until compact(), which merges the whole index (about 0.1 s at 500 entries).
    bool remove(const std::vector<std::string>& ids);
    bool compact();
    // Something was removed since the last compact().
    bool needsCompaction() const;

    std::vector<Entry> entries() const;
    // Entries whose image has not been read yet.
    std::vector<std::string> unread() const;
    std::optional<std::string> text(const std::string& id) const;

    // Entries whose text holds the trimmed query, newest first, compared case-insensitively
    // under the ICU `locale` (empty: the process default). Any characters are plain text.
    // A line is shortened to `lead` characters before the match when that is not negative.
    std::vector<Hit> search(const std::string& query, const std::string& locale = {},
                            int lead = -1) const;

private:
    bool openFile(bool create);
    // SQLITE_OK, or the code of what failed.
    int prepareSchema();
    int errorCode() const;
    bool exec(const char* sql) const;
    void setAside();

    std::filesystem::path file_;
    sqlite3* db_ = nullptr;
};

} // namespace engine
