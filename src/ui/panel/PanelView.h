#pragma once

#include <QWidget>
#include <optional>

class QScrollArea;

namespace app {
class AppModel;
class Updater;
} // namespace app

namespace ui {

class AutoNameSection;
class DropTarget;
class MessageBanner;
class PanelFooter;
class PanelHeader;
class RecentList;
class SettingsView;

// The program's main face: header, the automatic-naming switch, the drop target, the status
// banner and the recent renames, or in their place the settings, and the footer. Every action
// is a call on the model; the view keeps only whether the settings show.
class PanelView : public QWidget {
    Q_OBJECT

public:
    static constexpr int panelWidth = 372;

    explicit PanelView(app::AppModel& model, bool showSettings = false, QWidget* parent = nullptr);

    bool showSettings() const { return showSettings_; }
    void setShowSettings(bool show);
    // The update checker the settings' About card asks; none keeps its button disabled.
    void setUpdater(app::Updater* updater);
    // The tallest the panel may be. Unset: the screen's available height on a real display,
    // no limit off screen (snapshots show the whole page). Taller settings scroll.
    void setHeightLimit(std::optional<int> limit);

    // The fitting size: the panel's width and the height its content needs there.
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

    PanelHeader* header() const { return header_; }
    AutoNameSection* autoNameSection() const { return autoName_; }
    DropTarget* dropTarget() const { return drop_; }
    MessageBanner* banner() const { return banner_; }
    RecentList* recentList() const { return recent_; }
    PanelFooter* footer() const { return footer_; }
    // Null until the settings were first shown.
    SettingsView* settingsView() const { return settings_; }
    QScrollArea* settingsScrollArea() const { return settingsScroll_; }

signals:
    void openDashboardRequested();
    // The panel's Quit never asks.
    void quitRequested();
    void dismissRequested();

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void addShortcuts();
    void connectModel();
    void refreshOnAppearance();
    // Content changed height: the fitting size must be measured again.
    void relayout();
    void makeSettings();
    void keepFooterLast();
    // Gives the settings' scroll view the page's height, or what the height limit leaves.
    void fitSettings();
    std::optional<int> effectiveHeightLimit() const;

    app::AppModel& model_;
    bool showSettings_ = false;
    app::Updater* updater_ = nullptr;
    PanelHeader* header_;
    QWidget* home_;
    AutoNameSection* autoName_;
    DropTarget* drop_;
    MessageBanner* banner_;
    RecentList* recent_;
    SettingsView* settings_ = nullptr;
    QScrollArea* settingsScroll_ = nullptr;
    std::optional<int> heightLimit_;
    PanelFooter* footer_;
};

} // namespace ui
