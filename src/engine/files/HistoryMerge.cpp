#include "files/HistoryMerge.h"

#include <algorithm>
#include <chrono>
#include <string_view>
#include <tuple>
#include <unordered_map>
#include <unordered_set>

namespace engine {

namespace {

constexpr std::uint64_t fnvOffset = 14695981039346656037ull;
constexpr std::uint64_t fnvPrime = 1099511628211ull;

void mix(std::uint64_t& hash, std::string_view bytes) {
    for (const char c : bytes) {
        hash = (hash ^ static_cast<unsigned char>(c)) * fnvPrime;
    }
    // A separator, so that moving text from one field to the next changes the hash.
    hash = (hash ^ 0xFFu) * fnvPrime;
}

int hexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

// Ids are UUIDs; any other text is hashed instead (it cannot come from the file).
HistoryMerge::Known HistoryMerge::knownOf(const RenameRecord& record) {
    Known known;
    int digits = 0;
    bool uuid = record.id.size() == 36;
    for (const char c : record.id) {
        if (c == '-') {
            continue;
        }
        const int value = hexValue(c);
        if (value < 0) {
            uuid = false;
            break;
        }
        std::uint64_t& half = digits < 16 ? known.idHigh : known.idLow;
        half = (half << 4) | static_cast<std::uint64_t>(value);
        ++digits;
    }
    if (!uuid || digits != 32) {
        known.idHigh = fnvOffset;
        mix(known.idHigh, record.id);
        known.idLow = 0;
    }
    std::uint64_t hash = fnvOffset;
    mix(hash, record.folderPath);
    mix(hash, record.originalName);
    mix(hash, record.currentName);
    mix(hash, record.suggestedName);
    const auto seconds =
        std::chrono::floor<std::chrono::seconds>(record.date).time_since_epoch().count();
    const std::string tail = std::to_string(seconds) + '/' +
                             std::to_string(static_cast<int>(record.source)) + '/' +
                             (record.undone ? '1' : '0');
    mix(hash, tail);
    known.fingerprint = hash;
    return known;
}

void HistoryMerge::remember(std::span<const RenameRecord> fileRecords) {
    known_.clear();
    known_.reserve(fileRecords.size());
    for (const auto& record : fileRecords) {
        known_.push_back(knownOf(record));
    }
    std::sort(known_.begin(), known_.end());
}

const HistoryMerge::Known* HistoryMerge::find(const Known& wanted) const {
    const auto found =
        std::lower_bound(known_.begin(), known_.end(), wanted, [](const Known& a, const Known& b) {
            return std::tie(a.idHigh, a.idLow) < std::tie(b.idHigh, b.idLow);
        });
    if (found == known_.end() || found->idHigh != wanted.idHigh || found->idLow != wanted.idLow) {
        return nullptr;
    }
    return &*found;
}

HistoryMerge::Result HistoryMerge::merge(const std::vector<RenameRecord>& ours,
                                         const std::vector<RenameRecord>& file) const {
    std::unordered_map<std::string_view, const RenameRecord*> inFile;
    inFile.reserve(file.size());
    for (const auto& record : file) {
        inFile.emplace(record.id, &record);
    }

    Result result;
    std::vector<RenameRecord> kept;
    kept.reserve(ours.size());
    std::unordered_set<std::string_view> inOurs;
    inOurs.reserve(ours.size());
    for (const auto& record : ours) {
        inOurs.insert(record.id);
        const Known mine = knownOf(record);
        const Known* before = find(mine);
        if (before == nullptr || before->fingerprint != mine.fingerprint) {
            kept.push_back(record); // made or changed here
            continue;
        }
        const auto there = inFile.find(record.id);
        if (there == inFile.end()) {
            result.changed = true; // removed by the other program
            continue;
        }
        if (knownOf(*there->second).fingerprint == before->fingerprint) {
            kept.push_back(record);
        } else {
            kept.push_back(*there->second);
            result.changed = true;
        }
    }

    std::vector<const RenameRecord*> added;
    for (const auto& record : file) {
        if (inOurs.count(record.id) == 0 && find(knownOf(record)) == nullptr) {
            added.push_back(&record);
        }
    }
    if (!added.empty()) {
        result.changed = true;
    }
    // Newest first: the other program's records go in by date, each list keeping its order.
    result.records.reserve(kept.size() + added.size());
    std::size_t a = 0;
    for (auto& record : kept) {
        while (a < added.size() && added[a]->date > record.date) {
            result.records.push_back(*added[a++]);
        }
        result.records.push_back(std::move(record));
    }
    while (a < added.size()) {
        result.records.push_back(*added[a++]);
    }
    return result;
}

} // namespace engine
