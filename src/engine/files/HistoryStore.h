#pragma once

#include "files/HistoryMerge.h"
#include "files/RenameRecord.h"

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace engine {

// Keeps the rename history, newest first, in one JSON file in the user's data folder.
// Holds no records itself: the caller's list is the live copy.
class HistoryStore {
public:
    static constexpr std::size_t limit = 500;

    // readOnly: loads, but never creates the folder and never writes.
    enum class Access { readWrite, readOnly };

    struct Saved {
        // Ids of the records that could not be encoded (a name that is not UTF-8), left out
        // of the file.
        std::vector<std::string> leftOut;
        // The list merged with what another program wrote to the file; absent when that
        // added, changed or removed nothing.
        std::optional<std::vector<RenameRecord>> merged;
    };

    // The file is <data home>/<appName>/history.json, the data home being `dataHome` when
    // given, else $XDG_DATA_HOME, else ~/.local/share. The folder is created here; a failure
    // shows up later as a failed save.
    explicit HistoryStore(std::string_view appName,
                          std::optional<std::filesystem::path> dataHome = std::nullopt,
                          Access access = Access::readWrite);

    const std::filesystem::path& fileURL() const { return fileURL_; }

    // The records in file order; empty when the file is missing, not a regular file, or
    // anything in it is invalid.
    std::vector<RenameRecord> load();
    // Atomically replaces the file with the first `limit` records. Failures are silent.
    // Other programs may share the file: under a lock (history.json.lock), the list is first
    // merged with the file's records as HistoryMerge says, and the merged list is handed back
    // when it differs. A file that failed to load is first kept as
    // history.json.corrupt-<UTC time>. A record that cannot be encoded is left out of the
    // file so the others are still kept.
    Saved save(const std::vector<RenameRecord>& records);

private:
    // The save under the lock; `big` tells when it went through much memory.
    Saved write(const std::vector<RenameRecord>& records, bool& big);
    bool keepFailedFile() const;

    std::filesystem::path fileURL_;
    Access access_;
    bool loadFailed_ = false;
    HistoryMerge merge_;
};

} // namespace engine
