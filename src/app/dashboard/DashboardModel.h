#pragma once

#include "dashboard/DashScope.h"
#include "files/RenameRecord.h"

#include <unicode/locid.h>

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace app {

// What the dashboard shows, as pure functions of the history, the window state and the
// clock, so it can be tested without any window. Nothing is cached: every call is one pass.
class DashboardModel {
public:
    using Clock = std::chrono::system_clock;
    static constexpr std::chrono::seconds weekWindow{604800};

    struct Statistic {
        std::string value;
        std::string label;
    };

    // The model state the dashboard reads.
    struct Source {
        const std::vector<engine::RenameRecord>* history = nullptr;
        std::size_t corrections = 0;
        // The screenshot folder plus the further watched folders.
        std::size_t watchedFolders = 1;
        // Record id to the line of its image's text that holds the query; null: names only.
        const std::unordered_map<std::string, std::string>* textLines = nullptr;
    };

    // `locale` is an ICU locale name ("de_DE", "tr"); empty means the process default.
    DashboardModel(Source source, DashScope scope, std::string query, Clock::time_point now,
                   std::string locale = {});

    static bool isMember(const engine::RenameRecord& record, const DashScope& scope,
                         Clock::time_point now);
    // Spaces of the Unicode space-separator category and tabs removed at both ends.
    static std::string trimmedQuery(const std::string& query);
    // The name without its extension; a leading dot alone does not start an extension.
    static std::string stem(const std::string& fileName);

    bool matches(const engine::RenameRecord& record) const;
    struct Found {
        std::vector<engine::RenameRecord> records; // those whose names match come first
        std::size_t byName = 0;                    // the rest were found by their text alone
    };
    Found found() const;
    std::vector<engine::RenameRecord> records() const { return found().records; }
    std::string title() const;
    std::string subtitle() const;
    // The same, for a caller that already holds `records()` and its length.
    std::string subtitle(std::size_t shown) const;
    // Folders of active records in order of first appearance.
    std::vector<std::string> folders() const;
    std::size_t thisWeek() const;
    std::vector<Statistic> statistics() const;

    // The first case-insensitive occurrence of the trimmed query in `name`, not locale-aware,
    // as [start, end) in UTF-16 code units, which is what text widgets index by.
    static std::optional<std::pair<std::size_t, std::size_t>>
    highlightRange(const std::string& name, const std::string& query);

private:
    std::size_t activeCount() const;

    Source source_;
    DashScope scope_;
    std::string query_;
    Clock::time_point now_;
    icu::Locale locale_;         // worked out once: every search walks the whole history
    std::u16string foldedQuery_; // the trimmed query lower-cased under the locale
};

} // namespace app
