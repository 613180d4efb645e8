#pragma once

#include <QWidget>
#include <vector>

class QVBoxLayout;

namespace app {
class AppModel;
class Updater;
} // namespace app

namespace ui {

class AboutRow;
class CrayonButton;
class EngineBadge;
class FolderRow;
class ModelChooserView;
class StyleOption;
class ToggleRow;
class WrappedText;

// The settings page, shown in the middle of the panel. Every control edits the model at once;
// the page keeps nothing of its own.
class SettingsView : public QWidget {
    Q_OBJECT

public:
    explicit SettingsView(app::AppModel& model, QWidget* parent = nullptr);

    void setUpdater(app::Updater* updater);

    const std::vector<StyleOption*>& styleOptions() const { return styles_; }
    ToggleRow* downloadsToggle() const { return downloads_; }
    std::vector<FolderRow*> folderRows() const;
    CrayonButton* addFolderButton() const { return addFolder_; }
    ToggleRow* loginToggle() const { return login_; }
    ToggleRow* notifyToggle() const { return notify_; }
    EngineBadge* engineBadge() const { return engine_; }
    // Shown only for a text-only engine with a reason.
    WrappedText* engineReason() const { return reason_; }
    ModelChooserView* modelChooser() const { return chooser_; }
    AboutRow* aboutRow() const { return about_; }
    CrayonButton* undoAllButton() const { return undoAll_; }
    CrayonButton* clearHistoryButton() const { return clearHistory_; }

signals:
    // Rows or lines came or went: a view that sizes the page must measure it again now.
    void contentChanged();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QWidget* makeStyleCard();
    QWidget* makeWatchCard();
    QWidget* makeSwitchCard();
    QWidget* makeEngineCard();
    QWidget* makeAboutCard();
    QLayout* makeBottomRow();
    void connectModel();

    void refreshStyles();
    void refreshFolders();
    void refreshSwitches();
    void refreshEngine();
    void refreshHistoryButtons();

    app::AppModel& model_;
    std::vector<StyleOption*> styles_;
    ToggleRow* downloads_ = nullptr;
    QVBoxLayout* folders_ = nullptr;
    CrayonButton* addFolder_ = nullptr;
    ToggleRow* login_ = nullptr;
    ToggleRow* notify_ = nullptr;
    EngineBadge* engine_ = nullptr;
    WrappedText* reason_ = nullptr;
    ModelChooserView* chooser_ = nullptr;
    AboutRow* about_ = nullptr;
    CrayonButton* undoAll_ = nullptr;
    CrayonButton* clearHistory_ = nullptr;
};

} // namespace ui
