#pragma once

#include "dashboard/DashScope.h"

#include <QString>

#include <optional>
#include <utility>

namespace ui {

// Texts of the dashboard that depend only on names, the query and the scope.
class DashboardText {
public:
    static QString stem(const QString& fileName);
    static QString lastComponent(const QString& folderPath);
    // The first match of the trimmed query, as [start, end) indexes into `name`.
    static std::optional<std::pair<int, int>> highlight(const QString& name, const QString& query);

    static QString emptyHeadline(const QString& query, const app::DashScope& scope);
    static QString emptyBody(const QString& query);
};

} // namespace ui
