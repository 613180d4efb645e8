#include "PanelFixture.h"

#include "look/CrayonButton.h"
#include "look/Ink.h"
#include "panel/AutoNameSection.h"
#include "panel/DropTarget.h"
#include "panel/EngineBadge.h"
#include "panel/IconButton.h"
#include "panel/LazyRecordColumn.h"
#include "panel/MessageBanner.h"
#include "panel/NamingBadge.h"
#include "panel/PanelFooter.h"
#include "panel/PanelHeader.h"

#include <QLayout>
#include "panel/PanelView.h"
#include "panel/RecentList.h"
#include "panel/RecordRow.h"
#include "panel/TextButton.h"
#include "panel/ToggleRow.h"
#include "panel/WrappedText.h"
#include "settings/FolderRow.h"
#include "settings/SettingsView.h"
#include "settings/StyleOption.h"

#include <QApplication>
#include <QDropEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalSpy>
#include <QUrl>

using namespace panel_test;
using Kind = engine::Namer::Engine::Kind;

namespace {

QUrl urlOf(const fs::path& path) {
    return QUrl::fromLocalFile(QString::fromStdString(path.string()));
}

// Drops `urls` on the target with `modifiers` held, as the platform would deliver it.
void drop(ui::DropTarget& target, const QList<QUrl>& urls,
          Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QMimeData data;
    data.setUrls(urls);
    const QPointF centre = QRectF(target.rect()).center();
    QDragEnterEvent enter(centre.toPoint(), Qt::CopyAction, &data, Qt::LeftButton, modifiers);
    QApplication::sendEvent(&target, &enter);
    QDropEvent dropped(centre, Qt::CopyAction, &data, Qt::LeftButton, modifiers);
    QApplication::sendEvent(&target, &dropped);
}

bool shownIn(const QWidget* widget, const QWidget* panel) {
    return widget != nullptr && widget->isVisibleTo(panel);
}

} // namespace

TEST(EngineBadge, labelsDotsAndTooltipsFollowTheEngine) {
    const QColor green(47, 179, 68);
    const QString onDevice = "Names are made on this computer. Nothing is uploaded.";
    ui::EngineBadge badge;

    badge.setEngine({Kind::visionModel, {}});
    EXPECT_EQ(ui::EngineBadge::label(badge.engine()), "Local model");
    EXPECT_EQ(ui::EngineBadge::dotColor(badge.engine()), green);
    EXPECT_EQ(badge.toolTip(), onDevice);

    badge.setEngine({Kind::textModel, {}});
    EXPECT_EQ(ui::EngineBadge::label(badge.engine()), "Local model (text)");
    EXPECT_EQ(ui::EngineBadge::dotColor(badge.engine()), green);
    EXPECT_EQ(badge.toolTip(), onDevice);

    const QString reason =
        "No local model server answered. Start Ollama or llama-server for better names.";
    badge.setEngine({Kind::textOnly, reason.toStdString()});
    EXPECT_EQ(ui::EngineBadge::label(badge.engine()), "Text in image");
    EXPECT_EQ(ui::EngineBadge::dotColor(badge.engine()), ui::Ink::orange());
    EXPECT_EQ(badge.toolTip(), reason);
    // The widget is as wide as its longest label needs.
    ui::EngineBadge longest({Kind::textModel, {}});
    EXPECT_GT(longest.sizeHint().width(), badge.sizeHint().width());
}

class PanelViewTest : public PanelFixture {};

TEST_F(PanelViewTest, emptyHistoryShowsTheNoteAndNoCount) {
    auto model = makeModel();
    ui::PanelView panel(*model);
    ui::RecentList* recent = panel.recentList();
    EXPECT_TRUE(recent->noteShown());
    EXPECT_FALSE(shownIn(recent->scrollArea(), &panel));
    EXPECT_EQ(recent->countText(), "");
    EXPECT_EQ(panel.sizeHint().width(), 372);
}

TEST_F(PanelViewTest, listHeightFollowsTheRowCountUpToTheCap) {
    for (const auto& [count, height] :
         std::vector<std::pair<int, int>>{{1, 60}, {4, 240}, {5, 290}, {12, 290}}) {
        fs::remove_all(root / "data");
        writeHistory(count);
        auto model = makeModel();
        ui::PanelView panel(*model);
        ui::RecentList* recent = panel.recentList();
        EXPECT_FALSE(recent->noteShown()) << count;
        EXPECT_EQ(recent->scrollArea()->height(), height) << count;
        EXPECT_EQ(recent->countText(), QString::number(count) + " named");
    }
}

TEST_F(PanelViewTest, fortyFiveRecordsListThirtyLazilyAndCountAll) {
    writeHistory(45);
    auto model = makeModel();
    ui::PanelView panel(*model);
    panel.resize(panel.sizeHint());
    panel.show();
    ui::RecentList* recent = panel.recentList();
    EXPECT_EQ(recent->shownCount(), 30);
    EXPECT_EQ(recent->countText(), "45 named");
    ui::LazyRecordColumn* column = recent->column();
    // Only the rows in view exist; scrolling to the end makes the last ones.
    EXPECT_GT(column->builtRowCount(), 0);
    EXPECT_LT(column->builtRowCount(), 10);
    QScrollBar* bar = recent->scrollArea()->verticalScrollBar();
    bar->setValue(bar->maximum());
    EXPECT_LT(column->builtRowCount(), 30);
    const auto rows = column->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
    const bool lastBuilt = std::any_of(rows.begin(), rows.end(), [&](QWidget* row) {
        return row->geometry().bottom() == column->height() - 1;
    });
    EXPECT_TRUE(lastBuilt);
    EXPECT_EQ(column->height(), 30 * column->rowHeight() + 29 * ui::LazyRecordColumn::spacing);
}

TEST_F(PanelViewTest, historyChangesReachTheList) {
    const auto records = writeHistory(2);
    auto model = makeModel();
    ui::PanelView panel(*model);
    model->undoLast();
    EXPECT_EQ(panel.recentList()->countText(), "1 named");
    model->clearHistory();
    EXPECT_TRUE(panel.recentList()->noteShown());
    EXPECT_EQ(panel.recentList()->countText(), "");
}

TEST_F(PanelViewTest, namingBadgeShowsWhileFilesAreQueued) {
    auto model = makeModel();
    ui::PanelView panel(*model);
    ui::NamingBadge* badge = panel.header()->namingBadge();
    EXPECT_FALSE(shownIn(badge, &panel));
    touch(screenshots / "IMG_0001.png");
    model->enqueue({screenshots / "IMG_0001.png"});
    ASSERT_EQ(model->queued(), 1);
    EXPECT_TRUE(shownIn(badge, &panel));
    EXPECT_EQ(badge->text(), "Naming 1");
    // The name and engine line keep the header's gap of 10 from the 34-point logo.
    panel.show();
    QApplication::processEvents();
    EXPECT_GE(panel.header()->engineBadge()->x(), 34 + 10);
    ASSERT_TRUE(waitIdle(*model));
    EXPECT_FALSE(shownIn(badge, &panel));
}

TEST_F(PanelViewTest, bannerOffersNameAgainOnlyAfterAnUndoAndDismissClearsBoth) {
    const auto records = writeHistory(1);
    auto model = makeModel();
    ui::PanelView panel(*model);
    ui::MessageBanner* banner = panel.banner();
    EXPECT_FALSE(shownIn(banner, &panel));
    const int quietHeight = panel.sizeHint().height();

    model->setMessage(QStringLiteral("Nothing to undo."));
    EXPECT_TRUE(shownIn(banner, &panel));
    EXPECT_EQ(banner->text(), "Nothing to undo.");
    EXPECT_FALSE(shownIn(banner->nameAgainButton(), &panel));
    EXPECT_GT(panel.sizeHint().height(), quietHeight);

    model->undoLast();
    ASSERT_TRUE(model->lastUndoneID().has_value());
    EXPECT_TRUE(shownIn(banner->nameAgainButton(), &panel));
    QTest::mouseClick(banner->dismissButton(), Qt::LeftButton);
    EXPECT_FALSE(model->message().has_value());
    EXPECT_FALSE(model->lastUndoneID().has_value());
    EXPECT_FALSE(shownIn(banner, &panel));
    // The panel fits its content again: as tall as one that never showed a message.
    ui::PanelView fresh(*model);
    EXPECT_EQ(panel.sizeHint().height(), fresh.sizeHint().height());
}

TEST_F(PanelViewTest, aMessageWithALongFileNameStaysInsideTheBanner) {
    auto model = makeModel();
    ui::PanelView panel(*model);
    const QString name = QString(70, QLatin1Char('b')) + QStringLiteral(".png");
    model->setMessage(QStringLiteral("\u201C") + name +
                      QStringLiteral("\u201D was moved or deleted, so it\u2019s off the list."));
    panel.resize(panel.sizeHint());
    panel.show();
    auto* text = panel.banner()->findChild<ui::WrappedText*>();
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(panel.width(), 372);
    EXPECT_LE(text->geometry().right(), panel.banner()->width());
    // All of it is shown: the widget is as tall as its wrapped lines.
    EXPECT_GE(text->height(), text->heightForWidth(text->width()));
    EXPECT_GE(text->height(), 3 * QFontMetrics(text->font()).lineSpacing() / 2);
}

TEST_F(PanelViewTest, nameAgainAppliesTheUndoneRename) {
    const auto records = writeHistory(1);
    auto model = makeModel();
    ui::PanelView panel(*model);
    panel.resize(panel.sizeHint());
    panel.show();
    model->undoLast();
    ASSERT_TRUE(fs::exists(screenshots / records.front().originalName));
    ui::CrayonButton* nameAgain = panel.banner()->nameAgainButton();
    QTest::mouseClick(nameAgain, Qt::LeftButton, {}, nameAgain->contentRect().center().toPoint());
    EXPECT_TRUE(fs::exists(screenshots / records.front().currentName));
    EXPECT_FALSE(model->history().front().undone);
}

TEST_F(PanelViewTest, settingsReplaceTheMiddleAndDoneBringsItBack) {
    writeHistory(2);
    auto model = makeModel();
    model->setMessage(QStringLiteral("Hello"));
    ui::PanelView panel(*model);
    ui::CrayonButton* button = panel.footer()->settingsButton();
    const std::vector<QWidget*> middle{panel.autoNameSection(), panel.dropTarget(), panel.banner(),
                                       panel.recentList()};
    const auto middleShown = [&] {
        return std::all_of(middle.begin(), middle.end(),
                           [&](QWidget* w) { return shownIn(w, &panel); });
    };
    const auto middleHidden = [&] {
        return std::none_of(middle.begin(), middle.end(),
                            [&](QWidget* w) { return shownIn(w, &panel); });
    };
    EXPECT_TRUE(middleShown());
    EXPECT_EQ(button->text(), "Settings");
    EXPECT_EQ(button->kind(), ui::CrayonButton::Kind::plain);

    button->click();
    EXPECT_TRUE(panel.showSettings());
    EXPECT_TRUE(middleHidden());
    EXPECT_TRUE(shownIn(panel.settingsView(), &panel));
    EXPECT_TRUE(shownIn(panel.header(), &panel));
    EXPECT_EQ(button->text(), "Done");
    EXPECT_EQ(button->iconName(), "check");
    EXPECT_EQ(button->kind(), ui::CrayonButton::Kind::dark);

    button->click();
    EXPECT_FALSE(panel.showSettings());
    EXPECT_TRUE(middleShown());
    EXPECT_FALSE(shownIn(panel.settingsView(), &panel));
    EXPECT_EQ(button->text(), "Settings");
    EXPECT_EQ(button->iconName(), "gear");

    // A panel made to show the settings starts with them and the dark Done button.
    ui::PanelView settingsFirst(*model, true);
    EXPECT_TRUE(shownIn(settingsFirst.settingsView(), &settingsFirst));
    EXPECT_EQ(settingsFirst.footer()->settingsButton()->kind(), ui::CrayonButton::Kind::dark);
}

TEST_F(PanelViewTest, settingsWithAnEngineReasonFitTheirFittingSize) {
    namer->current = {Kind::textOnly,
                      "No local model server answered. Start Ollama or llama-server for better "
                      "names."};
    auto model = makeModel();
    ASSERT_TRUE(QTest::qWaitFor([&] { return model->engine() == namer->current; }, 5000));
    ui::PanelView panel(*model, true);
    const QSize fitting = panel.sizeHint();
    panel.resize(fitting);
    panel.show();
    QTest::qWait(50);
    EXPECT_EQ(panel.size(), fitting);
    // Nothing is stretched or squeezed: each part gets the height it asks for.
    EXPECT_EQ(panel.header()->height(), panel.header()->sizeHint().height());
    ui::SettingsView* settings = panel.settingsView();
    EXPECT_EQ(settings->height(), settings->heightForWidth(settings->width()));
    EXPECT_LE(panel.footer()->geometry().bottom(), panel.height() - 18);
}

TEST_F(PanelViewTest, settingsTallerThanTheScreenScrollAndKeepTheFooter) {
    auto model = makeModel();
    ui::PanelView panel(*model, true);
    const int full = panel.sizeHint().height();
    panel.setHeightLimit(600);
    ASSERT_GT(full, 600);
    EXPECT_LE(panel.sizeHint().height(), 600);
    panel.resize(panel.sizeHint());
    panel.show();
    QTest::qWait(20);
    QScrollArea* scroll = panel.settingsScrollArea();
    EXPECT_GT(scroll->verticalScrollBar()->maximum(), 0);
    EXPECT_LE(panel.footer()->geometry().bottom(), panel.height() - 18);
    // The page behind the view is not painted over the paper.
    EXPECT_FALSE(panel.settingsView()->autoFillBackground());

    panel.setHeightLimit(std::nullopt);
    EXPECT_EQ(panel.sizeHint().height(), full);
}

TEST_F(PanelViewTest, aFolderAddedInTheSettingsGrowsThePanelAtOnce) {
    fs::create_directories(root / "Inbox");
    auto model = makeModel();
    ui::PanelView panel(*model, true);
    const int before = panel.sizeHint().height();
    chosenFolder = root / "Inbox";
    panel.settingsView()->addFolderButton()->click();
    ASSERT_EQ(panel.settingsView()->folderRows().size(), 1u);
    EXPECT_GT(panel.sizeHint().height(), before);
}

TEST_F(PanelViewTest, keyboardUndoWorksWhileSettingsShowAndOtherKeysAsk) {
    const auto records = writeHistory(2);
    auto model = makeModel();
    ui::PanelView panel(*model);
    QSignalSpy dashboard(&panel, &ui::PanelView::openDashboardRequested);
    QSignalSpy quit(&panel, &ui::PanelView::quitRequested);
    QSignalSpy dismiss(&panel, &ui::PanelView::dismissRequested);
    panel.resize(panel.sizeHint());
    panel.show();
    panel.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&panel));
    panel.setShowSettings(true);
    panel.settingsView()->styleOptions().front()->setFocus();

    QTest::keyClick(&panel, Qt::Key_Z, Qt::ControlModifier);
    // The newest rename is undone, and only that one.
    EXPECT_TRUE(fs::exists(screenshots / records[0].originalName));
    EXPECT_TRUE(fs::exists(screenshots / records[1].currentName));
    EXPECT_TRUE(panel.showSettings());

    QTest::keyClick(&panel, Qt::Key_D, Qt::ControlModifier);
    QTest::keyClick(&panel, Qt::Key_Q, Qt::ControlModifier);
    QTest::keyClick(&panel, Qt::Key_Escape);
    EXPECT_EQ(dashboard.count(), 1);
    EXPECT_EQ(quit.count(), 1);
    EXPECT_EQ(dismiss.count(), 1);

    QTest::mouseClick(panel.footer()->quitButton(), Qt::LeftButton);
    EXPECT_EQ(quit.count(), 2);
}

TEST_F(PanelViewTest, keyboardUndoInsideTheRenameFieldUndoesTypingOnly) {
    const auto records = writeHistory(1);
    auto model = makeModel();
    ui::PanelView panel(*model);
    panel.resize(panel.sizeHint());
    panel.show();
    panel.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&panel));
    auto* row = panel.recentList()->column()->findChild<ui::RecordRow*>();
    ASSERT_NE(row, nullptr);
    row->beginRename(true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return row->nameField() && row->nameField()->hasFocus(); }));
    QTest::keyClick(row->nameField(), Qt::Key_End);
    QTest::keyClicks(row->nameField(), "x");
    ASSERT_EQ(row->nameField()->text(), "Named 1x");

    QTest::keyClick(row->nameField(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(row->nameField()->text(), "Named 1");
    EXPECT_TRUE(fs::exists(screenshots / records[0].currentName));
    EXPECT_FALSE(model->history().front().undone);
}

TEST_F(PanelViewTest, droppedFilesAndFoldersReachTheModelInOrder) {
    fs::create_directories(root / "drop");
    touch(root / "drop" / "IMG_0002.png");
    touch(root / "drop" / "IMG_0001.png");
    touch(root / "drop" / "notes.txt");
    fs::create_directories(root / "drop" / "folder");
    touch(root / "drop" / "folder" / "IMG_0009.png");
    touch(root / "drop" / "folder" / "IMG_0008.png");
    auto model = makeModel();
    ui::PanelView panel(*model);
    drop(*panel.dropTarget(),
         {urlOf(root / "drop" / "IMG_0002.png"),
          QUrl(QStringLiteral("https://example.com/IMG_0005.png")), urlOf(root / "drop" / "folder"),
          urlOf(root / "drop" / "notes.txt"), urlOf(root / "drop" / "IMG_0001.png")});
    EXPECT_FALSE(panel.dropTarget()->dropTargeted());
    ASSERT_TRUE(waitIdle(*model));
    EXPECT_EQ(namer->asked(), (std::vector<std::string>{"IMG_0002.png", "IMG_0008.png",
                                                        "IMG_0009.png", "IMG_0001.png"}));
}

TEST_F(PanelViewTest, altWhileDroppingNamesWellNamedImagesToo) {
    touch(root / "Flight booking.png");
    auto model = makeModel();
    ui::PanelView panel(*model);
    drop(*panel.dropTarget(), {urlOf(root / "Flight booking.png")});
    ASSERT_TRUE(model->message().has_value());
    EXPECT_TRUE(model->message()->contains("Hold Alt while dropping"));
    EXPECT_EQ(model->queued(), 0);

    drop(*panel.dropTarget(), {urlOf(root / "Flight booking.png")}, Qt::AltModifier);
    ASSERT_TRUE(waitIdle(*model));
    EXPECT_EQ(namer->asked(), std::vector<std::string>{"Flight booking.png"});
}

TEST_F(PanelViewTest, dragHoverFollowsEnterAndLeaveAndIgnoresRemoteUrls) {
    touch(root / "IMG_0001.png");
    auto model = makeModel();
    ui::PanelView panel(*model);
    ui::DropTarget* target = panel.dropTarget();
    QMimeData local;
    local.setUrls({urlOf(root / "IMG_0001.png")});
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &local, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    EXPECT_TRUE(enter.isAccepted());
    EXPECT_TRUE(target->dropTargeted());
    QDragLeaveEvent leave;
    QApplication::sendEvent(target, &leave);
    EXPECT_FALSE(target->dropTargeted());

    QMimeData remote;
    remote.setUrls({QUrl(QStringLiteral("https://example.com/a.png"))});
    QDragEnterEvent remoteEnter(QPoint(5, 5), Qt::CopyAction, &remote, Qt::LeftButton,
                                Qt::NoModifier);
    QApplication::sendEvent(target, &remoteEnter);
    EXPECT_FALSE(remoteEnter.isAccepted());
    EXPECT_FALSE(target->dropTargeted());
}

TEST_F(PanelViewTest, appearingChecksTheEngineAgain) {
    auto model = makeModel();
    ui::PanelView panel(*model);
    ui::EngineBadge* badge = panel.header()->engineBadge();
    ASSERT_TRUE(QTest::qWaitFor([&] { return model->engine().kind == Kind::visionModel; }, 5000));
    EXPECT_EQ(ui::EngineBadge::label(badge->engine()), "Local model");

    namer->current = {Kind::textOnly, "The local model isn't available."};
    panel.show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return badge->engine().kind == Kind::textOnly; }, 5000));
    EXPECT_EQ(badge->toolTip(), "The local model isn't available.");
}

TEST_F(PanelViewTest, appearingPrunesVanishedFilesAndSwitchFollowsTheModel) {
    const auto records = writeHistory(3);
    auto model = makeModel();
    ui::PanelView panel(*model);
    EXPECT_EQ(panel.recentList()->countText(), "3 named");
    fs::remove(screenshots / records[1].currentName);
    panel.show();
    EXPECT_EQ(panel.recentList()->countText(), "2 named");
    EXPECT_EQ(storedHistory().size(), 2u);

    // The switch writes the model, and the model's value comes back to the switch.
    ui::ToggleRow* toggle = panel.autoNameSection()->toggleRow();
    EXPECT_FALSE(toggle->isChecked());
    QTest::mouseClick(toggle, Qt::LeftButton, {}, QPoint(4, toggle->height() / 2));
    EXPECT_TRUE(model->autoName());
    model->setAutoName(false);
    EXPECT_FALSE(toggle->isChecked());
}
