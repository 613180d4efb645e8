#include "index/TextIndex.h"

#include "index/TextMatch.h"

#include <sqlite3.h>
#include <unicode/unistr.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <system_error>

namespace engine {

namespace {

// One row a record; the full-text table indexes the text of those rows.
constexpr const char* schema = R"(
CREATE TABLE IF NOT EXISTS record(
    n INTEGER PRIMARY KEY,
    id TEXT NOT NULL UNIQUE,
    path TEXT NOT NULL,
    names TEXT NOT NULL,
    date INTEGER NOT NULL,
    body TEXT);
CREATE VIRTUAL TABLE IF NOT EXISTS record_text
    USING fts5(body, content='record', content_rowid='n', tokenize='trigram');
CREATE TABLE IF NOT EXISTS unmerged(one INTEGER PRIMARY KEY CHECK (one = 1));
CREATE TRIGGER IF NOT EXISTS record_added AFTER INSERT ON record BEGIN
    INSERT INTO record_text(rowid, body) VALUES (new.n, new.body);
END;
CREATE TRIGGER IF NOT EXISTS record_removed AFTER DELETE ON record BEGIN
    INSERT INTO record_text(record_text, rowid, body) VALUES ('delete', old.n, old.body);
END;
CREATE TRIGGER IF NOT EXISTS record_read AFTER UPDATE OF body ON record BEGIN
    INSERT INTO record_text(record_text, rowid, body) VALUES ('delete', old.n, old.body);
    INSERT INTO record_text(rowid, body) VALUES (new.n, new.body);
END;
)";

// A prepared statement that finalizes itself.
class Statement {
public:
    Statement(sqlite3* db, const char* sql) {
        if (sqlite3_prepare_v2(db, sql, -1, &statement_, nullptr) != SQLITE_OK) {
            statement_ = nullptr;
        }
    }
    ~Statement() { sqlite3_finalize(statement_); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    bool ok() const { return statement_ != nullptr; }
    Statement& bind(int index, const std::string& text) {
        sqlite3_bind_text(statement_, index, text.data(), static_cast<int>(text.size()),
                          SQLITE_TRANSIENT);
        return *this;
    }
    Statement& bind(int index, std::int64_t value) {
        sqlite3_bind_int64(statement_, index, value);
        return *this;
    }
    // SQLITE_ROW, SQLITE_DONE or an error.
    int step() { return statement_ ? sqlite3_step(statement_) : SQLITE_ERROR; }
    bool run() {
        const int result = step();
        sqlite3_reset(statement_);
        return result == SQLITE_DONE;
    }
    std::string text(int column) const {
        const auto* value = sqlite3_column_text(statement_, column);
        return value
                   ? std::string(reinterpret_cast<const char*>(value),
                                 static_cast<std::size_t>(sqlite3_column_bytes(statement_, column)))
                   : std::string();
    }
    bool isNull(int column) const { return sqlite3_column_type(statement_, column) == SQLITE_NULL; }
    std::int64_t integer(int column) const { return sqlite3_column_int64(statement_, column); }

private:
    sqlite3_stmt* statement_ = nullptr;
};

// The whole query as one FTS5 string: quotes, operators and parentheses lose their meaning.
std::string quotedForMatch(const std::string& query) {
    std::string quoted = "\"";
    for (const char c : query) {
        quoted += c;
        if (c == '"') {
            quoted += '"';
        }
    }
    return quoted + "\"";
}

bool isDamage(int code) {
    const int primary = code & 0xff;
    return primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB;
}

std::string joined(const std::vector<std::string>& lines) {
    std::string text;
    for (const auto& line : lines) {
        if (!text.empty()) {
            text += '\n';
        }
        text += line;
    }
    return text;
}

} // namespace

TextIndex::TextIndex(std::filesystem::path file) : file_(std::move(file)) {}

TextIndex::~TextIndex() {
    close();
}

void TextIndex::close() {
    if (db_ != nullptr) {
        sqlite3_close_v2(db_);
        db_ = nullptr;
    }
}

TextIndex::Opened TextIndex::open(bool create) {
    close();
    std::error_code error;
    const bool existed = std::filesystem::exists(file_, error);
    if (!existed && !create) {
        return Opened::missing;
    }
    const int code = openFile(create) ? prepareSchema() : SQLITE_CANTOPEN;
    if (code == SQLITE_OK) {
        return existed ? Opened::existing : Opened::fresh;
    }
    close();
    if (!existed || !isDamage(code)) {
        return Opened::unavailable;
    }
    setAside();
    if (openFile(create) && prepareSchema() == SQLITE_OK) {
        return Opened::rebuilt;
    }
    close();
    return Opened::unavailable;
}

bool TextIndex::openFile(bool create) {
    if (create) {
        // The text of screenshots is as private as the screenshots: only the user may read it.
        // SQLite gives its journal files the same mode.
        const int fd = ::open(file_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (fd < 0) {
            return false;
        }
        ::fchmod(fd, 0600);
        ::close(fd);
    }
    if (sqlite3_open_v2(file_.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX,
                        nullptr) != SQLITE_OK) {
        close();
        return false;
    }
    sqlite3_extended_result_codes(db_, 1);
    sqlite3_busy_timeout(db_, 2000);
    return true;
}

int TextIndex::prepareSchema() {
    // A file that is not a database shows itself at the first read; quick_check finds
    // damaged pages of one that is.
    Statement mode(db_, "PRAGMA journal_mode=WAL");
    if (!mode.ok() || mode.step() != SQLITE_ROW || mode.text(0) != "wal") {
        return errorCode();
    }
    // What is deleted is overwritten, not only unlinked: the text must not outlive its record.
    if (!exec("PRAGMA synchronous=NORMAL") || !exec("PRAGMA secure_delete=ON") || !exec(schema)) {
        return errorCode();
    }
    Statement check(db_, "PRAGMA quick_check");
    if (!check.ok() || check.step() != SQLITE_ROW) {
        return errorCode();
    }
    return check.text(0) == "ok" ? SQLITE_OK : SQLITE_CORRUPT;
}

int TextIndex::errorCode() const {
    const int code = db_ != nullptr ? sqlite3_extended_errcode(db_) : SQLITE_CANTOPEN;
    return code == SQLITE_OK ? SQLITE_ERROR : code;
}

bool TextIndex::exec(const char* sql) const {
    return db_ != nullptr && sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

void TextIndex::setAside() {
    std::error_code error;
    const auto aside = std::filesystem::path(file_.string() + ".damaged");
    std::filesystem::rename(file_, aside, error);
    if (error) {
        std::filesystem::remove(file_, error);
    }
    // A journal left beside a file that is gone would be applied to the new one.
    std::filesystem::remove(file_.string() + "-wal", error);
    std::filesystem::remove(file_.string() + "-shm", error);
}

bool TextIndex::put(const Entry& entry) {
    Statement statement(db_, "INSERT INTO record(id, path, names, date) VALUES (?1, ?2, ?3, ?4) "
                             "ON CONFLICT(id) DO UPDATE SET path = excluded.path, "
                             "names = excluded.names, date = excluded.date");
    return statement.ok() && statement.bind(1, entry.id)
                                 .bind(2, entry.path)
                                 .bind(3, entry.names)
                                 .bind(4, entry.date)
                                 .run();
}

bool TextIndex::put(const std::vector<Entry>& entries) {
    if (entries.empty()) {
        return true;
    }
    if (!exec("BEGIN")) {
        return false;
    }
    bool ok = true;
    for (const auto& entry : entries) {
        ok = ok && put(entry);
    }
    return exec(ok ? "COMMIT" : "ROLLBACK") && ok;
}

bool TextIndex::setText(const std::string& id, const std::vector<std::string>& lines) {
    Statement statement(db_, "UPDATE record SET body = ?2 WHERE id = ?1");
    return statement.ok() && statement.bind(1, id).bind(2, joined(lines)).run();
}

bool TextIndex::remove(const std::vector<std::string>& ids) {
    if (ids.empty()) {
        return true;
    }
    if (!exec("BEGIN")) {
        return false;
    }
    Statement statement(db_, "DELETE FROM record WHERE id = ?1");
    bool ok = statement.ok();
    for (const auto& id : ids) {
        ok = ok && statement.bind(1, id).run();
    }
    // Kept with the removal, so a run stopped before compact() leaves the next one told.
    ok = ok && exec("INSERT OR IGNORE INTO unmerged VALUES (1)");
    return exec(ok ? "COMMIT" : "ROLLBACK") && ok;
}

bool TextIndex::needsCompaction() const {
    Statement statement(db_, "SELECT 1 FROM unmerged");
    return statement.step() == SQLITE_ROW;
}

bool TextIndex::compact() {
    // The full-text index only marks deleted text until its segments are merged, and the
    // journal keeps old pages until a checkpoint.
    return exec("INSERT INTO record_text(record_text) VALUES ('optimize')") &&
           exec("DELETE FROM unmerged") && exec("PRAGMA wal_checkpoint(TRUNCATE)");
}

std::vector<TextIndex::Entry> TextIndex::entries() const {
    std::vector<Entry> result;
    Statement statement(db_, "SELECT id, path, names, date FROM record ORDER BY date DESC");
    while (statement.step() == SQLITE_ROW) {
        result.push_back(
            {statement.text(0), statement.text(1), statement.text(2), statement.integer(3)});
    }
    return result;
}

std::vector<std::string> TextIndex::unread() const {
    std::vector<std::string> result;
    Statement statement(db_, "SELECT id FROM record WHERE body IS NULL ORDER BY date DESC");
    while (statement.step() == SQLITE_ROW) {
        result.push_back(statement.text(0));
    }
    return result;
}

std::optional<std::string> TextIndex::text(const std::string& id) const {
    Statement statement(db_, "SELECT body FROM record WHERE id = ?1");
    statement.bind(1, id);
    if (statement.step() != SQLITE_ROW || statement.isNull(0)) {
        return std::nullopt;
    }
    return statement.text(0);
}

std::vector<TextIndex::Hit> TextIndex::search(const std::string& query, const std::string& locale,
                                              int lead) const {
    std::vector<Hit> hits;
    const auto length = icu::UnicodeString::fromUTF8(query).countChar32();
    if (db_ == nullptr || static_cast<std::size_t>(length) < shortestQuery) {
        return hits;
    }
    // The index finds the candidates; the locale's lower-casing decides, as for names.
    const TextMatch match(query, locale);
    Statement statement(db_, "SELECT r.id, r.path, r.body FROM record_text "
                             "JOIN record r ON r.n = record_text.rowid "
                             "WHERE record_text MATCH ?1 ORDER BY r.date DESC, r.n DESC");
    statement.bind(1, quotedForMatch(query));
    while (statement.step() == SQLITE_ROW) {
        if (auto line = match.firstLine(statement.text(2), lead)) {
            hits.push_back({statement.text(0), statement.text(1), std::move(*line)});
        }
    }
    return hits;
}

} // namespace engine
