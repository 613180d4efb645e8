#include "dashboard/DashboardModel.h"

#include <unicode/locid.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>

#include <ctime>
#include <unordered_set>

namespace app {

namespace {

using engine::RenameRecord;

icu::UnicodeString utf16(const std::string& text) {
    return icu::UnicodeString::fromUTF8(
        icu::StringPiece(text.data(), static_cast<int32_t>(text.size())));
}

std::u16string lowered(const std::string& text, const icu::Locale& locale) {
    icu::UnicodeString value = utf16(text);
    value.toLower(locale);
    return {reinterpret_cast<const char16_t*>(value.getBuffer()),
            static_cast<std::size_t>(value.length())};
}

bool isTrimmedSpace(UChar32 c) {
    return c == 0x09 || u_charType(c) == U_SPACE_SEPARATOR;
}

bool sameCalendarDay(DashboardModel::Clock::time_point a, DashboardModel::Clock::time_point b) {
    const std::time_t ta = DashboardModel::Clock::to_time_t(a);
    const std::time_t tb = DashboardModel::Clock::to_time_t(b);
    std::tm da{};
    std::tm db{};
    localtime_r(&ta, &da);
    localtime_r(&tb, &db);
    return da.tm_year == db.tm_year && da.tm_yday == db.tm_yday;
}

std::string counted(std::size_t n, const std::string& one, const std::string& many) {
    return std::to_string(n) + (n == 1 ? one : many);
}

} // namespace

DashboardModel::DashboardModel(Source source, DashScope scope, std::string query,
                               Clock::time_point now, std::string locale)
    : source_(source), scope_(std::move(scope)), query_(std::move(query)), now_(now),
      locale_(locale.empty() ? icu::Locale::getDefault() : icu::Locale(locale.c_str())) {
    foldedQuery_ = lowered(trimmedQuery(query_), locale_);
}

bool DashboardModel::isMember(const RenameRecord& record, const DashScope& scope,
                              Clock::time_point now) {
    switch (scope.kind) {
    case DashScope::Kind::all:
        return !record.undone;
    case DashScope::Kind::today:
        return !record.undone && sameCalendarDay(record.date, now);
    case DashScope::Kind::week:
        return !record.undone && record.date >= now - weekWindow;
    case DashScope::Kind::undone:
        return record.undone;
    case DashScope::Kind::folder:
        return !record.undone && record.folderPath == scope.folderPath;
    }
    return false;
}

std::string DashboardModel::trimmedQuery(const std::string& query) {
    const icu::UnicodeString text = utf16(query);
    int32_t start = 0;
    int32_t end = text.length();
    while (start < end && isTrimmedSpace(text.char32At(start))) {
        start = text.moveIndex32(start, 1);
    }
    while (end > start) {
        const int32_t previous = text.moveIndex32(end, -1);
        if (!isTrimmedSpace(text.char32At(previous))) {
            break;
        }
        end = previous;
    }
    std::string result;
    text.tempSubStringBetween(start, end).toUTF8String(result);
    return result;
}

std::string DashboardModel::stem(const std::string& fileName) {
    const auto dot = fileName.rfind('.');
    if (dot == std::string::npos || dot == 0) {
        return fileName;
    }
    return fileName.substr(0, dot);
}

bool DashboardModel::matches(const RenameRecord& record) const {
    if (foldedQuery_.empty()) {
        return true;
    }
    auto contains = [&](const std::string& name) {
        return lowered(stem(name), locale_).find(foldedQuery_) != std::u16string::npos;
    };
    return contains(record.currentName) || contains(record.originalName);
}

DashboardModel::Found DashboardModel::found() const {
    Found found;
    std::vector<const RenameRecord*> byText;
    for (const RenameRecord& record : *source_.history) {
        if (!isMember(record, scope_, now_)) {
            continue;
        }
        if (matches(record)) {
            found.records.push_back(record);
        } else if (source_.textLines && source_.textLines->contains(record.id)) {
            byText.push_back(&record);
        }
    }
    found.byName = found.records.size();
    for (const RenameRecord* record : byText) {
        found.records.push_back(*record);
    }
    return found;
}

std::string DashboardModel::title() const {
    switch (scope_.kind) {
    case DashScope::Kind::all:
        return "All screenshots";
    case DashScope::Kind::today:
        return "Today";
    case DashScope::Kind::week:
        return "This week";
    case DashScope::Kind::undone:
        return "Undone";
    case DashScope::Kind::folder: {
        const auto slash = scope_.folderPath.rfind('/');
        return slash == std::string::npos ? scope_.folderPath : scope_.folderPath.substr(slash + 1);
    }
    }
    return {};
}

std::string DashboardModel::subtitle() const {
    return subtitle(records().size());
}

std::string DashboardModel::subtitle(std::size_t n) const {
    if (!query_.empty()) {
        return counted(n, " match", " matches") + " for \u201C" + query_ + "\u201D";
    }
    if (scope_.kind == DashScope::Kind::undone) {
        return "These have their old names back.";
    }
    return counted(n, " screenshot", " screenshots") + " with real names";
}

std::vector<std::string> DashboardModel::folders() const {
    std::vector<std::string> result;
    std::unordered_set<std::string> seen;
    for (const RenameRecord& record : *source_.history) {
        if (!record.undone && seen.insert(record.folderPath).second) {
            result.push_back(record.folderPath);
        }
    }
    return result;
}

std::size_t DashboardModel::activeCount() const {
    std::size_t count = 0;
    for (const RenameRecord& record : *source_.history) {
        count += record.undone ? 0 : 1;
    }
    return count;
}

std::size_t DashboardModel::thisWeek() const {
    std::size_t count = 0;
    for (const RenameRecord& record : *source_.history) {
        count += isMember(record, DashScope::week(), now_) ? 1 : 0;
    }
    return count;
}

std::vector<DashboardModel::Statistic> DashboardModel::statistics() const {
    const std::size_t fixes = source_.corrections;
    const std::size_t folders = source_.watchedFolders;
    return {
        {std::to_string(activeCount()), "screenshots named"},
        {std::to_string(thisWeek()), "named this week"},
        {std::to_string(fixes), fixes == 1 ? "fix learned" : "fixes learned"},
        {std::to_string(folders), folders == 1 ? "folder watched" : "folders watched"},
    };
}

std::optional<std::pair<std::size_t, std::size_t>>
DashboardModel::highlightRange(const std::string& name, const std::string& query) {
    const icu::UnicodeString needle = utf16(trimmedQuery(query));
    if (needle.isEmpty()) {
        return std::nullopt;
    }
    const icu::UnicodeString text = utf16(name);
    for (int32_t start = 0; start + needle.length() <= text.length(); ++start) {
        if (text.caseCompare(start, needle.length(), needle, U_FOLD_CASE_DEFAULT) == 0) {
            return std::make_pair(static_cast<std::size_t>(start),
                                  static_cast<std::size_t>(start + needle.length()));
        }
    }
    return std::nullopt;
}

} // namespace app
