#pragma once

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

    // The file is <data home>/<appName>/history.json, the data home being `dataHome` when
    // given, else $XDG_DATA_HOME, else ~/.local/share. The folder is created here; a failure
    // shows up later as a failed save.
    explicit HistoryStore(std::string_view appName,
                          std::optional<std::filesystem::path> dataHome = std::nullopt);

    const std::filesystem::path& fileURL() const { return fileURL_; }

    // The records in file order; empty when the file is missing or anything in it is invalid.
    std::vector<RenameRecord> load();
    // Atomically replaces the file with the first `limit` records. Failures are silent.
    // A file that failed to load is first kept as history.json.corrupt-<UTC time>.
    // A record that cannot be encoded (a name that is not UTF-8) is left out of the file so
    // the others are still kept; the ids of the records left out are returned.
    std::vector<std::string> save(const std::vector<RenameRecord>& records);

private:
    bool keepFailedFile() const;

    std::filesystem::path fileURL_;
    bool loadFailed_ = false;
};

} // namespace engine
