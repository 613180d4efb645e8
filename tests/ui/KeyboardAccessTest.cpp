#include "PanelFixture.h"

#include "dashboard/CardGrid.h"
#include "dashboard/DashboardView.h"
#include "dashboard/RenamePopover.h"
#include "dashboard/SearchBox.h"
#include "dashboard/ShotCard.h"
#include "dashboard/Sidebar.h"
#include "dashboard/TopBar.h"
#include "look/CrayonButton.h"
#include "look/CrayonToggle.h"
#include "look/FocusRing.h"
#include "look/Ink.h"
#include "panel/AutoNameSection.h"
#include "panel/LazyRecordColumn.h"
#include "panel/MessageBanner.h"
#include "panel/PanelFooter.h"
#include "panel/PanelView.h"
#include "panel/RecentList.h"
#include "panel/RecordPresentation.h"
#include "panel/TextButton.h"
#include "settings/SettingsView.h"
#include "settings/StyleOption.h"

#include <QAccessible>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QMenu>
#include <QScrollBar>

namespace {

using namespace panel_test;
using ui::CardGrid;
using ui::DashboardView;
using ui::FocusRing;

QAccessibleInterface* accessible(QObject* object) {
    return QAccessible::queryAccessibleInterface(object);
}

int orangePixels(QWidget& widget) {
    const QImage image = widget.grab().toImage();
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            count += c.red() > 230 && c.green() > 60 && c.green() < 130 && c.blue() < 60;
        }
    }
    return count;
}

// Every control the keyboard can reach under `root` has a name a screen reader can read.
QStringList unnamedControls(QWidget* root) {
    QStringList unnamed;
    for (QWidget* widget : root->findChildren<QWidget*>()) {
        if (!widget->isVisibleTo(root) || !(widget->focusPolicy() & Qt::TabFocus)) {
            continue;
        }
        QAccessibleInterface* face = accessible(widget);
        if (face == nullptr || face->text(QAccessible::Name).trimmed().isEmpty()) {
            unnamed << QString::fromLatin1(widget->metaObject()->className());
        }
    }
    return unnamed;
}

class KeyboardAccessTest : public PanelFixture {
protected:
    std::unique_ptr<DashboardView> openDashboard(app::AppModel& model) {
        auto view = std::make_unique<DashboardView>(model);
        DashboardView::requested() = true;
        view->show();
        view->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(view.get()));
        return view;
    }
};

TEST_F(KeyboardAccessTest, focusMarkShowsForKeyboardFocusOnly) {
    QWidget window;
    auto* first = new ui::CrayonButton("One", ui::CrayonButton::Kind::plain, true, &window);
    auto* second = new ui::CrayonButton("Two", ui::CrayonButton::Kind::plain, true, &window);
    second->move(0, 50);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    const int atRest = orangePixels(*first);

    // Activation gave the first button focus without a key: no mark.
    EXPECT_TRUE(first->hasFocus());
    EXPECT_FALSE(FocusRing::isShown(first));
    second->setFocus(Qt::TabFocusReason);
    first->setFocus(Qt::TabFocusReason);
    EXPECT_TRUE(FocusRing::isShown(first));
    EXPECT_GT(orangePixels(*first), atRest + 20);

    second->setFocus(Qt::MouseFocusReason);
    EXPECT_FALSE(FocusRing::isShown(second));
    EXPECT_FALSE(FocusRing::isShown(first)); // no focus, no mark
    EXPECT_EQ(orangePixels(*first), atRest);

    // Focus set by the program follows the last input: a key press here.
    QTest::keyClick(second, Qt::Key_Shift);
    first->setFocus(Qt::OtherFocusReason);
    EXPECT_TRUE(FocusRing::isShown(first));
    QTest::mouseClick(&window, Qt::LeftButton, {}, QPoint(200, 200));
    second->setFocus(Qt::OtherFocusReason);
    EXPECT_FALSE(FocusRing::isShown(second));
}

TEST_F(KeyboardAccessTest, panelTabReachesSettingsBeforeTheFooterAndNamesEveryControl) {
    writeHistory(2);
    auto model = makeModel();
    model->setMessage(QStringLiteral("Renamed 2 files."));
    ui::PanelView panel(*model, true);
    panel.show();
    ui::PanelFooter* footer = panel.footer();
    std::vector<QWidget*> order;
    for (QWidget* w = footer->quitButton()->nextInFocusChain(); w != footer->quitButton();
         w = w->nextInFocusChain()) {
        if (w->isVisibleTo(&panel) && (w->focusPolicy() & Qt::TabFocus)) {
            order.push_back(w);
        }
    }
    // After Quit the chain wraps to the settings, whose last control leads to the footer.
    ASSERT_GE(order.size(), 10U);
    EXPECT_TRUE(panel.settingsView()->isAncestorOf(order.front()));
    EXPECT_EQ(order[order.size() - 2], footer->settingsButton());
    EXPECT_EQ(order.back(), footer->dashboardButton());
    EXPECT_EQ(unnamedControls(&panel), QStringList());

    panel.setShowSettings(false);
    EXPECT_EQ(unnamedControls(&panel), QStringList());
}

TEST_F(KeyboardAccessTest, controlsTellTheirRoleAndState) {
    writeHistory(3);
    auto model = makeModel();
    ui::PanelView panel(*model, true);
    panel.show();
    const auto options = panel.settingsView()->findChildren<ui::StyleOption*>();
    ASSERT_GE(options.size(), 2);
    QAccessibleInterface* option = accessible(options[1]);
    EXPECT_EQ(option->role(), QAccessible::RadioButton);
    EXPECT_FALSE(option->state().checked);
    option->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_TRUE(options[1]->isSelected());
    EXPECT_TRUE(option->state().checked);
    EXPECT_FALSE(accessible(options[0])->state().checked);

    panel.setShowSettings(false);
    const auto toggles = panel.autoNameSection()->findChildren<ui::CrayonToggle*>();
    ASSERT_EQ(toggles.size(), 1);
    QAccessibleInterface* toggle = accessible(toggles.front());
    EXPECT_EQ(toggle->role(), QAccessible::CheckBox);
    EXPECT_TRUE(toggle->text(QAccessible::Name).startsWith("Name new screenshots"))
        << toggle->text(QAccessible::Name).toStdString();
    EXPECT_EQ(toggle->state().checked, model->autoName());
    toggle->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    EXPECT_EQ(toggle->state().checked, model->autoName());

    model->setMessage(QStringLiteral("Renamed 3 files."));
    QAccessibleInterface* banner = accessible(panel.banner());
    EXPECT_EQ(banner->role(), QAccessible::AlertMessage);
    EXPECT_EQ(banner->text(QAccessible::Name), "Renamed 3 files.");

    // The recent list reads every record, also those whose rows are not built yet.
    QAccessibleInterface* recent = accessible(panel.recentList()->column());
    EXPECT_EQ(recent->role(), QAccessible::List);
    ASSERT_EQ(recent->childCount(), 3);
    QAccessibleInterface* row = recent->child(2);
    EXPECT_EQ(row->role(), QAccessible::ListItem);
    EXPECT_EQ(row->text(QAccessible::Name), "Named 1");
    EXPECT_TRUE(row->text(QAccessible::Description).startsWith("Was \u201CIMG_1001\u201D, "));
    EXPECT_TRUE(row->text(QAccessible::Description).endsWith(", in Screenshots"));
    EXPECT_EQ(recent->indexOfChild(row), 2);
}

TEST_F(KeyboardAccessTest, cardsMoveOpenRenameUndoAndShowTheirOwnMenuByKeyboard) {
    const auto records = writeHistory(14);
    auto model = makeModel();
    auto view = openDashboard(*model);
    view->resize(DashboardView::minimumWidth, DashboardView::minimumHeight);
    CardGrid* grid = view->grid();
    QStringList opened;
    grid->setOpener([&](const QString& path) { opened << path; });
    grid->setMenuRunner([&](QMenu& menu, const QPoint&) {
        for (QAction* action : menu.actions()) {
            if (action->text() == "Open") {
                action->trigger();
            }
        }
    });
    grid->setFocus(Qt::TabFocusReason);
    const int columns = CardGrid::layoutFor(grid->viewport()->width()).columns;
    ASSERT_GE(columns, 2);
    EXPECT_EQ(grid->currentIndex(), 0);

    QTest::keyClick(grid, Qt::Key_Right);
    QTest::keyClick(grid, Qt::Key_Down);
    EXPECT_EQ(grid->currentIndex(), 1 + columns);
    QTest::keyClick(grid, Qt::Key_Left);
    QTest::keyClick(grid, Qt::Key_Left); // stops at the first card
    QTest::keyClick(grid, Qt::Key_Up);
    EXPECT_EQ(grid->currentIndex(), 0);

    QTest::keyClick(grid, Qt::Key_End);
    EXPECT_EQ(grid->currentIndex(), 13);
    const QRectF last = grid->cellRect(13).translated(0, -grid->verticalScrollBar()->value());
    EXPECT_GT(grid->verticalScrollBar()->value(), 0);
    EXPECT_LE(last.bottom(), grid->viewport()->height());
    QTest::keyClick(grid, Qt::Key_Home);
    EXPECT_EQ(grid->verticalScrollBar()->value(), 0);
    QTest::keyClick(grid, Qt::Key_PageDown);
    EXPECT_GT(grid->currentIndex(), columns - 1);

    QTest::keyClick(grid, Qt::Key_Home);
    QTest::keyClick(grid, Qt::Key_Right);
    QTest::keyClick(grid, Qt::Key_Return);
    ASSERT_EQ(opened.size(), 1);
    EXPECT_EQ(opened.back(), ui::RecordPresentation::presentPath(grid->records()[1]));

    // The menu key opens the menu of the card the keyboard is on, wherever the middle is.
    QContextMenuEvent menuKey(QContextMenuEvent::Keyboard, grid->rect().center(),
                              grid->mapToGlobal(grid->rect().center()));
    QCoreApplication::sendEvent(grid, &menuKey);
    QTest::keyClick(grid, Qt::Key_F10, Qt::ShiftModifier);
    ASSERT_EQ(opened.size(), 3);
    EXPECT_EQ(opened[1], opened[0]);
    EXPECT_EQ(opened[2], opened[0]);

    QTest::keyClick(grid, Qt::Key_F2);
    ASSERT_TRUE(grid->popover() != nullptr);
    EXPECT_EQ(grid->popover()->recordId(), grid->records()[1].id);
    grid->popover()->close();
    QTRY_VERIFY(grid->popover() == nullptr);

    const std::string id = grid->records()[1].id;
    grid->setFocus(Qt::TabFocusReason);
    QTest::keyClick(grid, Qt::Key_Delete);
    QTRY_VERIFY(std::any_of(model->history().begin(), model->history().end(),
                            [&](const auto& r) { return r.id == id && r.undone; }));
}

TEST_F(KeyboardAccessTest, dashboardListsCardsAndEntriesToScreenReaders) {
    writeHistory(3);
    auto model = makeModel();
    auto view = openDashboard(*model);
    EXPECT_EQ(unnamedControls(view.get()), QStringList());

    QAccessibleInterface* grid = accessible(view->grid());
    EXPECT_EQ(grid->role(), QAccessible::List);
    ASSERT_GE(grid->childCount(), 3);
    QAccessibleInterface* card = grid->child(0);
    EXPECT_EQ(card->text(QAccessible::Name), "Named 3");
    EXPECT_TRUE(card->text(QAccessible::Description).contains("IMG_1003"));
    EXPECT_TRUE(card->state().selected);
    const QRect box = card->rect();
    EXPECT_EQ(grid->childAt(box.center().x(), box.center().y()), card);

    view->grid()->setFocus(Qt::TabFocusReason);
    QTest::keyClick(view->grid(), Qt::Key_Right);
    EXPECT_EQ(grid->focusChild(), grid->child(1));
    EXPECT_TRUE(grid->child(1)->state().focused);

    QAccessibleInterface* search = accessible(view->topBar()->searchBox()->field());
    EXPECT_EQ(search->role(), QAccessible::EditableText);
    EXPECT_EQ(search->text(QAccessible::Name), "Search names");

    QAccessibleInterface* sidebar = accessible(view->sidebar());
    ASSERT_GE(sidebar->childCount(), 4);
    EXPECT_EQ(sidebar->child(0)->text(QAccessible::Name), "All screenshots");
    EXPECT_EQ(sidebar->child(0)->text(QAccessible::Description), "3");
    EXPECT_TRUE(sidebar->child(0)->state().selected);
    // The sidebar's buttons stay in the tree after the entries.
    bool tidyFound = false;
    for (int i = 0; i < sidebar->childCount(); ++i) {
        tidyFound |= sidebar->child(i)->object() == view->sidebar()->tidyButton();
    }
    EXPECT_TRUE(tidyFound);
}

TEST_F(KeyboardAccessTest, pointsOnAListFindTheEntryOrTheChildWidgetThere) {
    writeHistory(2);
    auto model = makeModel();
    auto view = openDashboard(*model);
    ui::Sidebar* sidebar = view->sidebar();
    QAccessibleInterface* face = accessible(sidebar);
    ASSERT_NE(face, nullptr);

    const QPoint onEntry = sidebar->mapToGlobal(sidebar->accessibleItemRect(1).center());
    EXPECT_EQ(face->childAt(onEntry.x(), onEntry.y()), face->child(1));

    // The buttons come after the entries among the children; a point on one is that button.
    for (QWidget* button : {static_cast<QWidget*>(sidebar->tidyButton()),
                            static_cast<QWidget*>(sidebar->settingsButton())}) {
        if (!button->isVisible()) {
            continue;
        }
        const QPoint onButton = button->mapToGlobal(button->rect().center());
        QAccessibleInterface* found = face->childAt(onButton.x(), onButton.y());
        ASSERT_NE(found, nullptr) << button->metaObject()->className();
        EXPECT_EQ(found->object(), button);
        const int index = face->indexOfChild(found);
        EXPECT_GE(index, sidebar->accessibleItemCount());
        EXPECT_EQ(face->child(index), found);
    }

    // An item of another list is no child of this one.
    QAccessibleInterface* grid = accessible(view->grid());
    ASSERT_GE(grid->childCount(), 1);
    EXPECT_EQ(face->indexOfChild(grid->child(0)), -1);
}

TEST_F(KeyboardAccessTest, sidebarEntriesAreReachedByTabAndChosenByKeys) {
    writeHistory(1);
    auto model = makeModel();
    auto view = openDashboard(*model);
    ui::Sidebar* sidebar = view->sidebar();
    view->topBar()->searchBox()->field()->setFocus(Qt::MouseFocusReason);
    sidebar->setFocus(Qt::TabFocusReason);
    EXPECT_TRUE(FocusRing::isShown(sidebar));
    EXPECT_EQ(sidebar->currentEntry(), 0);
    QTest::keyClick(sidebar, Qt::Key_Down);
    QTest::keyClick(sidebar, Qt::Key_Return);
    EXPECT_EQ(view->scope(), app::DashScope::today());
    QTest::keyClick(sidebar, Qt::Key_Down);
    QTest::keyClick(sidebar, Qt::Key_Down);
    QTest::keyClick(sidebar, Qt::Key_Space);
    EXPECT_EQ(view->scope(), app::DashScope::undone());

    QTest::keyClick(sidebar, Qt::Key_Home);
    QTest::keyClick(sidebar, Qt::Key_Return);
    EXPECT_EQ(view->scope(), app::DashScope::all());

    // Tab goes on from the entries to the tidy button, then to the search and the cards.
    QWindow* window = view->windowHandle();
    QTest::keyClick(window, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), sidebar->tidyButton());
    QTest::keyClick(window, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), view->topBar()->searchBox()->field());
    QTest::keyClick(window, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), view->grid());
    QTest::keyClick(window, Qt::Key_Backtab);
    QTest::keyClick(window, Qt::Key_Backtab);
    QTest::keyClick(window, Qt::Key_Backtab);
    EXPECT_EQ(QApplication::focusWidget(), sidebar);
}

} // namespace
