#include "dashboard/DashboardText.h"

#include "dashboard/DashboardModel.h"

namespace ui {

QString DashboardText::stem(const QString& fileName) {
    return QString::fromStdString(app::DashboardModel::stem(fileName.toStdString()));
}

QString DashboardText::lastComponent(const QString& folderPath) {
    return folderPath.mid(folderPath.lastIndexOf(QLatin1Char('/')) + 1);
}

std::optional<std::pair<int, int>> DashboardText::highlight(const QString& name,
                                                            const QString& query) {
    const auto range = app::DashboardModel::highlightRange(name.toStdString(), query.toStdString());
    if (!range) {
        return std::nullopt;
    }
    return std::make_pair(static_cast<int>(range->first), static_cast<int>(range->second));
}

QString DashboardText::emptyHeadline(const QString& query, const app::DashScope& scope) {
    if (!query.isEmpty()) {
        return QStringLiteral("Nothing called \u201C") + query + QStringLiteral("\u201D yet.");
    }
    return scope.kind == app::DashScope::Kind::undone ? QStringLiteral("Nothing undone.")
                                                      : QStringLiteral("No screenshots here yet.");
}

QString DashboardText::emptyBody(const QString& query) {
    if (!query.isEmpty()) {
        return QStringLiteral(
            "Try another word. Your desktop search finds screenshots by these names too.");
    }
    return QStringLiteral("Take a screenshot like you always do (Print Screen). It gets a real "
                          "name a second later and shows up here.");
}

} // namespace ui
