#pragma once

#include "dashboard/DashScope.h"
#include "dashboard/DashboardModel.h"

#include <QWidget>

#include <functional>
#include <string>
#include <unordered_map>

class QStackedWidget;

namespace app {
class AppModel;
}

namespace ui {

class CardGrid;
class DashboardToast;
class DropHighlight;
class EmptyState;
class Sidebar;
class StatsRow;
class TopBar;

// The dashboard window: every renamed screenshot as a card, with scopes, search, statistics
// and the latest report. It only stays open when something asked for it.
class DashboardView : public QWidget {
    Q_OBJECT

public:
    using Clock = std::function<app::DashboardModel::Clock::time_point()>;

    explicit DashboardView(app::AppModel& model, QWidget* parent = nullptr);

    // True from the moment something asks for the dashboard until it has been shown.
    static bool& requested();

    void setScope(const app::DashScope& scope);
    const app::DashScope& scope() const { return scope_; }
    void setQuery(const QString& query);
    const QString& query() const { return query_; }
    void setClock(Clock clock);
    void setSettingsButtonVisible(bool visible);
    // Recomputes everything shown from the model, the window state and the clock.
    void refresh();

    Sidebar* sidebar() const { return sidebar_; }
    TopBar* topBar() const { return topBar_; }
    StatsRow* statsRow() const { return stats_; }
    CardGrid* grid() const { return grid_; }
    EmptyState* emptyState() const { return empty_; }
    DashboardToast* toast() const { return toast_; }
    // Files are being dragged over the window.
    bool dropTargeted() const;
    bool showsGrid() const;
    // The cards under the current scope and query.
    std::vector<engine::RenameRecord> records() const;

    static constexpr int defaultWidth = 1040;
    static constexpr int defaultHeight = 700;
    static constexpr int minimumWidth = 860;
    static constexpr int minimumHeight = 580;

signals:
    // Shown on request: the shell brings the program forward and into the task bar.
    void opened();
    void closed();
    void settingsRequested();
    void quitRequested();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    app::DashboardModel dashboard() const;

    app::AppModel& model_;
    app::DashScope scope_;
    QString query_;
    // The text index's answer for the query, which the dashboard model points into.
    mutable std::unordered_map<std::string, std::string> textLines_;
    Clock clock_;
    Sidebar* sidebar_;
    TopBar* topBar_;
    StatsRow* stats_;
    QStackedWidget* area_;
    CardGrid* grid_;
    EmptyState* empty_;
    DashboardToast* toast_;
    DropHighlight* dropHighlight_;
};

} // namespace ui
