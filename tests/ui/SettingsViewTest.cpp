#include "PanelFixture.h"

#include "look/CrayonButton.h"
#include "look/CrayonToggle.h"
#include "panel/EngineBadge.h"
#include "panel/IconButton.h"
#include "panel/ToggleRow.h"
#include "settings/AboutRow.h"
#include "settings/FolderRow.h"
#include "settings/SettingsView.h"
#include "settings/StyleOption.h"

#include "panel/WrappedText.h"
#include <QLabel>
#include <QLineEdit>

using namespace panel_test;
using Kind = engine::Namer::Engine::Kind;

namespace {

std::vector<int> selectedRows(const ui::SettingsView& view) {
    std::vector<int> selected;
    const auto& options = view.styleOptions();
    for (std::size_t i = 0; i < options.size(); ++i) {
        if (options[i]->isSelected()) {
            selected.push_back(static_cast<int>(i));
        }
    }
    return selected;
}

void clickBody(ui::CrayonButton* button) {
    QTest::mouseClick(button, Qt::LeftButton, {}, button->contentRect().center().toPoint());
}

} // namespace

class SettingsViewTest : public PanelFixture {};

TEST_F(SettingsViewTest, exactlyOneStyleIsChosenAndTheChoiceOutlivesARestart) {
    {
        auto model = makeModel();
        ui::SettingsView view(*model);
        ASSERT_EQ(view.styleOptions().size(), 4u);
        // The same example four ways, in the order of the styles.
        EXPECT_EQ(view.styleOptions()[0]->text(), "Dentist Appointment Reminder");
        EXPECT_EQ(view.styleOptions()[2]->text(), "dentist-appointment-reminder");
        EXPECT_EQ(selectedRows(view), std::vector<int>{0});

        QTest::mouseClick(view.styleOptions()[2], Qt::LeftButton);
        EXPECT_EQ(selectedRows(view), std::vector<int>{2});
        EXPECT_EQ(model->style(), engine::NamingStyle::Case::lowercaseDashes);
    }
    auto restarted = makeModel();
    ui::SettingsView view(*restarted);
    EXPECT_EQ(selectedRows(view), std::vector<int>{2});
    // A change made elsewhere moves the marker too.
    restarted->setStyle(engine::NamingStyle::Case::dateFirst);
    EXPECT_EQ(selectedRows(view), std::vector<int>{3});
}

TEST_F(SettingsViewTest, bottomButtonsFollowTheHistory) {
    {
        auto model = makeModel();
        ui::SettingsView view(*model);
        EXPECT_FALSE(view.undoAllButton()->isEnabled());
        EXPECT_FALSE(view.clearHistoryButton()->isEnabled());
    }
    writeHistory(3, true);
    {
        auto model = makeModel();
        ui::SettingsView view(*model);
        EXPECT_FALSE(view.undoAllButton()->isEnabled());
        EXPECT_TRUE(view.clearHistoryButton()->isEnabled());
    }
    // Fresh files, so the undos below find their old names free.
    fs::remove_all(screenshots);
    fs::create_directories(screenshots);
    const auto records = writeHistory(2);
    auto model = makeModel();
    ui::SettingsView view(*model);
    EXPECT_TRUE(view.undoAllButton()->isEnabled());
    EXPECT_TRUE(view.clearHistoryButton()->isEnabled());

    view.resize(view.sizeHint());
    view.show();
    clickBody(view.undoAllButton());
    EXPECT_TRUE(fs::exists(screenshots / records[0].originalName));
    EXPECT_TRUE(fs::exists(screenshots / records[1].originalName));
    EXPECT_FALSE(view.undoAllButton()->isEnabled());
    EXPECT_TRUE(view.clearHistoryButton()->isEnabled());

    clickBody(view.clearHistoryButton());
    EXPECT_TRUE(model->history().empty());
    EXPECT_TRUE(storedHistory().empty());
    EXPECT_FALSE(view.clearHistoryButton()->isEnabled());
    // Clearing the list leaves the files alone.
    EXPECT_TRUE(fs::exists(screenshots / records[0].originalName));
}

TEST_F(SettingsViewTest, extraFoldersAreListedAddedAndRemoved) {
    fs::create_directories(root / "Inbox");
    fs::create_directories(root / "Scans");
    auto model = makeModel();
    ui::SettingsView view(*model);
    view.resize(view.sizeHint());
    view.show();
    EXPECT_TRUE(view.folderRows().empty());

    chosenFolder = root / "Inbox";
    clickBody(view.addFolderButton());
    chosenFolder = root / "Scans";
    clickBody(view.addFolderButton());
    // Cancelling the chooser changes nothing.
    chosenFolder.reset();
    clickBody(view.addFolderButton());
    auto rows = view.folderRows();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0]->name(), "Inbox");
    EXPECT_EQ(rows[0]->toolTip(), QString::fromStdString((root / "Inbox").string()));
    EXPECT_EQ(rows[1]->removeButton()->toolTip(), "Stop watching Scans");

    QTest::mouseClick(rows[0]->removeButton(), Qt::LeftButton);
    EXPECT_EQ(model->extraFolders(),
              QStringList{QString::fromStdString((root / "Scans").string())});
    rows = view.folderRows();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0]->name(), "Scans");
}

TEST_F(SettingsViewTest, switchesWriteTheModelAndTheLoginEntry) {
    auto model = makeModel();
    ui::SettingsView view(*model);
    EXPECT_FALSE(view.loginToggle()->isChecked());
    EXPECT_TRUE(view.notifyToggle()->isChecked());
    EXPECT_FALSE(view.downloadsToggle()->isChecked());

    view.loginToggle()->toggle()->click();
    EXPECT_TRUE(model->launchAtLogin());
    EXPECT_TRUE(fs::exists(root / "autostart" / "quillmark.desktop"));
    view.loginToggle()->toggle()->click();
    EXPECT_FALSE(fs::exists(root / "autostart" / "quillmark.desktop"));

    view.notifyToggle()->toggle()->click();
    EXPECT_FALSE(model->notify());
    view.downloadsToggle()->toggle()->click();
    EXPECT_TRUE(model->watchDownloads());
    model->setWatchDownloads(false);
    EXPECT_FALSE(view.downloadsToggle()->isChecked());
}

// The model checks its engine in the background; the card follows when the answer comes.
bool engineSettles(const app::AppModel& model, const engine::Namer::Engine& expected) {
    return QTest::qWaitFor([&] { return model.engine() == expected; }, 5000);
}

TEST_F(SettingsViewTest, engineCardShowsAReasonOnlyWhenThereIsOne) {
    namer->current = {Kind::textOnly, "Choose a local model in Settings for better names."};
    {
        auto model = makeModel();
        ui::SettingsView view(*model);
        ASSERT_TRUE(engineSettles(*model, namer->current));
        EXPECT_EQ(ui::EngineBadge::label(view.engineBadge()->engine()), "Text in image");
        EXPECT_TRUE(view.engineReason()->isVisibleTo(&view));
        EXPECT_EQ(view.engineReason()->text(),
                  "Choose a local model in Settings for better names.");
    }
    namer->current = {Kind::textOnly, ""};
    {
        auto model = makeModel();
        ui::SettingsView view(*model);
        ASSERT_TRUE(engineSettles(*model, namer->current));
        EXPECT_FALSE(view.engineReason()->isVisibleTo(&view));
    }
    namer->current = {Kind::visionModel, ""};
    auto model = makeModel();
    ui::SettingsView view(*model);
    ASSERT_TRUE(engineSettles(*model, namer->current));
    EXPECT_EQ(ui::EngineBadge::label(view.engineBadge()->engine()), "Local model");
    EXPECT_FALSE(view.engineReason()->isVisibleTo(&view));
    // There is no update feed to check.
    EXPECT_FALSE(view.aboutRow()->checkButton()->isEnabled());
}

TEST(ViewServices, undoGoesToAFocusedTextField) {
    QLineEdit field;
    field.show();
    field.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&field));
    field.setFocus();
    EXPECT_FALSE(field.hasFocus() && false);
    QTest::keyClicks(&field, "abc");
    ASSERT_TRUE(field.hasFocus());
    EXPECT_TRUE(ui::ViewServices::passUndoToTextEditor());
    EXPECT_EQ(field.text(), "");
    field.clearFocus();
    field.hide();
    EXPECT_FALSE(ui::ViewServices::passUndoToTextEditor());
}
