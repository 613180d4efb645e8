#pragma once

#include "files/RenameRecord.h"

#include <cstdint>
#include <span>
#include <vector>

namespace engine {

// Merges this program's history with the file another program may have written meanwhile,
// record by record (by id), against what this program last read from or wrote to the file:
// - a record this program made or changed is kept as it is here;
// - one it left unchanged takes the file's version, and goes when the other program removed it;
// - one it removed (cleared, pruned, beyond the limit) stays removed;
// - one only the other program knows is added, placed by its date.
// Keeps a small fingerprint per record rather than the records themselves.
class HistoryMerge {
public:
    struct Result {
        std::vector<RenameRecord> records;
        // False when the result is `ours` unchanged.
        bool changed = false;
    };

    // What the file holds now, as this program read or wrote it.
    void remember(std::span<const RenameRecord> fileRecords);
    Result merge(const std::vector<RenameRecord>& ours,
                 const std::vector<RenameRecord>& file) const;

private:
    struct Known {
        std::uint64_t idHigh = 0;
        std::uint64_t idLow = 0;
        std::uint64_t fingerprint = 0;
        auto operator<=>(const Known&) const = default;
    };

    static Known knownOf(const RenameRecord& record);
    const Known* find(const Known& wanted) const;

    std::vector<Known> known_; // sorted by id
};

} // namespace engine
