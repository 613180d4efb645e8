#include "AppModel.h"
#include "TextIndexKeeper.h"
#include "dashboard/CardGrid.h"
#include "dashboard/DashboardToast.h"
#include "dashboard/DashboardView.h"
#include "dashboard/EmptyState.h"
#include "dashboard/RenamePopover.h"
#include "dashboard/SearchBox.h"
#include "dashboard/ShotCard.h"
#include "dashboard/Sidebar.h"
#include "dashboard/StatsRow.h"
#include "dashboard/TopBar.h"
#include "files/HistoryStore.h"
#include "index/TextIndex.h"
#include "look/CrayonButton.h"
#include "panel/RecordPresentation.h"
#include "panel/ViewServices.h"
#include "support/FakeNamer.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFont>
#include <QImage>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <functional>

namespace fs = std::filesystem;
using engine::RenameRecord;
using ui::DashboardView;
using ui::RecordPresentation;

namespace {

class DashboardTest : public testing::Test {
protected:
    void SetUp() override {
        root_ = fs::path(home_.path().toStdString());
        fs::create_directories(root_ / "Screenshots");
        QSettings settings(settingsFile(), QSettings::IniFormat);
        settings.setValue("screenshotFolder",
                          QString::fromStdString((root_ / "Screenshots").string()));
        settings.setValue("autoName", false);
    }

    QString settingsFile() const {
        return QString::fromStdString((root_ / "config" / "Quillmark.conf").string());
    }

    // A renamed file on disk and its record, newest first in the saved history.
    RenameRecord add(const std::string& folder, const std::string& original,
                     const std::string& current, bool undone = false) {
        const fs::path dir = root_ / folder;
        fs::create_directories(dir);
        std::ofstream(dir / (undone ? original : current)) << "x";
        RenameRecord record;
        record.id = RenameRecord::makeId();
        record.folderPath = dir.string();
        record.originalName = original;
        record.currentName = current;
        record.suggestedName = fs::path(current).stem().string();
        record.date = std::chrono::system_clock::now();
        record.undone = undone;
        history_.insert(history_.begin(), record);
        engine::HistoryStore("Quillmark", root_ / "data").save(history_);
        return record;
    }

    app::AppModel& model() {
        if (!model_) {
            app::AppServices s;
            s.settingsFile = settingsFile();
            s.dataFolder = root_ / "data";
            s.homeFolder = root_;
            s.autostartFolder = root_ / "autostart";
            s.executablePath = QString::fromStdString((root_ / "build" / "quillmark").string());
            s.reveal = [this](const fs::path& file, auto&&) { revealed_.push_back(file); };
            s.altHeld = &ui::ViewServices::altHeld;
            // No model server is asked unless a test brings its own namer.
            s.namer = namer_ ? namer_ : std::make_shared<test_support::FakeNamer>();
            s.pause = std::chrono::milliseconds(1);
            model_ = std::make_unique<app::AppModel>(s);
        }
        return *model_;
    }

    std::unique_ptr<DashboardView> open() {
        auto view = std::make_unique<DashboardView>(model());
        DashboardView::requested() = true;
        view->show();
        QCoreApplication::processEvents();
        return view;
    }

    QTemporaryDir home_;
    fs::path root_;
    std::vector<RenameRecord> history_;
    std::vector<fs::path> revealed_;
    std::shared_ptr<app::NamingService> namer_; // null: the real one
    std::unique_ptr<app::AppModel> model_;
};

TEST_F(DashboardTest, opensOnlyWhenRequestedAndPrunesOnEachOpening) {
    add("Screenshots", "IMG_1.png", "Gone.png");
    add("Screenshots", "IMG_2.png", "Kept.png");
    ASSERT_EQ(model().history().size(), 2U);
    fs::remove(root_ / "Screenshots" / "Gone.png"); // deleted while the window was closed

    DashboardView restored(model());
    DashboardView::requested() = false;
    restored.show();
    QTRY_VERIFY(!restored.isVisible());

    auto view = open();
    EXPECT_TRUE(view->isVisible());
    EXPECT_FALSE(DashboardView::requested());
    ASSERT_EQ(model().history().size(), 1U);
    EXPECT_EQ(model().history().front().currentName, "Kept.png");
    EXPECT_EQ(view->topBar()->subtitle(), "1 screenshot with real names");
    EXPECT_GE(view->width(), DashboardView::minimumWidth);
    view->resize(400, 300);
    EXPECT_EQ(view->size(), QSize(DashboardView::minimumWidth, DashboardView::minimumHeight));
}

TEST_F(DashboardTest, searchFiltersCardsAndSwapsTheHintForTheClearButton) {
    add("Screenshots", "IMG_1.png", "Sales Chart Q3.png");
    add("Screenshots", "receipt scan.png", "Flight to Lisbon.png");
    auto view = open();
    ui::SearchBox* search = view->topBar()->searchBox();
    EXPECT_TRUE(search->showsHint());

    QTest::keyClicks(search->field(), "receipt");
    EXPECT_EQ(view->records().size(), 1U); // found by its old name
    EXPECT_EQ(view->topBar()->subtitle(), "1 match for \u201Creceipt\u201D");
    EXPECT_FALSE(search->showsHint());
    EXPECT_FALSE(search->clearButton()->isHidden());

    QTest::keyClicks(search->field(), "zzz");
    EXPECT_FALSE(view->showsGrid());
    EXPECT_EQ(view->emptyState()->headline(), "Nothing called \u201Creceiptzzz\u201D yet.");

    search->clearButton()->click();
    EXPECT_TRUE(search->showsHint());
    EXPECT_TRUE(view->showsGrid());
    EXPECT_EQ(view->grid()->records().size(), 2U);
}

TEST_F(DashboardTest, ctrlFFocusesTheSearchFromAnywhere) {
    add("Screenshots", "IMG_1.png", "One.png");
    auto view = open();
    view->activateWindow();
    view->grid()->setFocus();
    QTest::keyClick(view->grid(), Qt::Key_F, Qt::ControlModifier);
    EXPECT_TRUE(view->topBar()->searchBox()->field()->hasFocus());
}

TEST_F(DashboardTest, sidebarListsScopesAndOneEntryPerFolderPath) {
    auto view = open();
    auto titles = [&] {
        std::vector<QString> result;
        for (const auto& entry : view->sidebar()->entries()) {
            result.push_back(entry.title + (entry.count ? QString::number(*entry.count) : ""));
        }
        return result;
    };
    EXPECT_EQ(titles(), (std::vector<QString>{"All screenshots0", "Today", "This week", "Undone"}));

    add("a/Shots", "IMG_1.png", "One.png");
    add("b/Shots", "IMG_2.png", "Two.png");
    const RenameRecord three = add("c", "IMG_3.png", "Three.png");
    model_.reset();
    view = open();
    EXPECT_EQ(titles(), (std::vector<QString>{"All screenshots3", "Today", "This week", "Undone",
                                              "c", "Shots", "Shots"}));

    // Choosing the second "Shots" selects its own path.
    const auto& entries = view->sidebar()->entries();
    QTest::mouseClick(view->sidebar(), Qt::LeftButton, {}, entries[6].rect.center().toPoint());
    EXPECT_EQ(view->scope(), app::DashScope::folder((root_ / "a/Shots").string()));
    EXPECT_EQ(view->topBar()->title(), "Shots");

    // Undoing the last record of a folder removes its entry; the scope stays on it.
    model().undo(model().history().front()); // "Three", folder c
    EXPECT_EQ(titles().size(), 6U);
    view->setScope(app::DashScope::folder((root_ / "c").string()));
    EXPECT_EQ(view->topBar()->title(), "c");
    EXPECT_FALSE(view->showsGrid());
    EXPECT_EQ(view->emptyState()->headline(), "No screenshots here yet.");
    view->setScope(app::DashScope::undone());
    EXPECT_EQ(view->grid()->records().size(), 1U);
}

TEST_F(DashboardTest, cardsOfferTheActionsOfTheirState) {
    const RenameRecord active = add("Screenshots", "IMG_1.png", "Receipt.png");
    const RenameRecord undone = add("Screenshots", "IMG_2.png", "Chart.png", true);
    auto labels = [](const RenameRecord& r) {
        std::vector<QString> result;
        for (const auto& b : RecordPresentation::hoverActions(r)) {
            result.push_back(b.label);
        }
        return result;
    };
    EXPECT_EQ(labels(active), (std::vector<QString>{"Rename", "Show in Folder", "Undo"}));
    EXPECT_EQ(labels(undone), (std::vector<QString>{"Show in Folder", "Name Again"}));
    EXPECT_EQ(RecordPresentation::shownStem(undone), "IMG_2");
    EXPECT_EQ(RecordPresentation::secondLine(undone),
              "Was \u201CChart\u201D \u00B7 hover to name it again");
    EXPECT_TRUE(RecordPresentation::presentPath(undone).endsWith("/IMG_2.png"));
    EXPECT_EQ(ui::ShotCard::seed(active.id), ui::ShotCard::seed(active.id));
    EXPECT_GE(ui::ShotCard::seed(active.id), 0.0);
    EXPECT_LT(ui::ShotCard::seed(active.id), 89.0);

    // Double-clicking an undone card opens the file under its old name.
    auto view = open();
    view->setScope(app::DashScope::undone());
    QString opened;
    view->grid()->setOpener([&](const QString& path) { opened = path; });
    const QPoint centre = view->grid()->cellRect(0).center().toPoint();
    QTest::mouseDClick(view->grid()->viewport(), Qt::LeftButton, {}, centre);
    EXPECT_EQ(opened, RecordPresentation::presentPath(undone));
}

TEST_F(DashboardTest, hoverButtonsAndThePopoverReachTheModel) {
    add("Screenshots", "IMG_1.png", "Receipt.png");
    auto view = open();
    ui::CardGrid* grid = view->grid();
    const QRectF cell = grid->cellRect(0);
    QTest::mouseMove(grid->viewport(), cell.center().toPoint());
    ASSERT_EQ(grid->hoveredId(), model().history().front().id);

    const auto buttons = ui::ShotCard::buttonRects(cell, 3);
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, buttons[1].center().toPoint());
    ASSERT_EQ(revealed_.size(), 1U);

    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, buttons[0].center().toPoint());
    ui::RenamePopover* popover = grid->popover();
    ASSERT_NE(popover, nullptr);
    EXPECT_EQ(popover->field()->text(), "Receipt"); // the stem, without the extension
    popover->cancelButton()->click();
    EXPECT_EQ(model().history().front().currentName, "Receipt.png");

    grid->startRenaming(model().history().front().id);
    popover = grid->popover();
    popover->field()->setText("Dentist bill");
    QSignalSpy saved(popover, &ui::RenamePopover::saved);
    QTest::keyClick(popover->field(), Qt::Key_Return);
    EXPECT_EQ(saved.count(), 1);
    EXPECT_EQ(model().history().front().currentName, "Dentist bill.png");
    EXPECT_TRUE(fs::exists(root_ / "Screenshots" / "Dentist bill.png"));
    // One Return, one fix learned, and the statistics count it at once.
    EXPECT_EQ(model().corrections().size(), 1U);
    const auto& fixes = view->statsRow()->statistics().at(2);
    EXPECT_EQ(fixes.value + " " + fixes.label, "1 fix learned");
}

// The list may change under an open menu: a new screenshot named, or the card gone.
TEST_F(DashboardTest, cardMenuActsOnItsOwnRecordWhenTheListChanges) {
    add("Screenshots", "IMG_1.png", "Receipt.png");
    auto view = open();
    ui::CardGrid* grid = view->grid();
    QString opened;
    grid->setOpener([&](const QString& path) { opened = path; });
    const RenameRecord receipt = model().history().front();
    const RenameRecord other = add("Screenshots", "IMG_2.png", "Flight.png");

    // Runs `entry` of the receipt's card menu after `change` happened meanwhile.
    auto choose = [&](const QString& entry, const std::function<void()>& change) {
        QTimer::singleShot(0, [&] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            ASSERT_NE(menu, nullptr);
            change();
            for (QAction* action : menu->actions()) {
                if (action->text() == entry) {
                    action->trigger();
                }
            }
            menu->close();
        });
        grid->showContextMenu(grid->indexOf(receipt.id),
                              grid->viewport()->mapToGlobal(QPoint(10, 10)));
        QCoreApplication::processEvents();
    };
    ASSERT_EQ(grid->records().front().id, receipt.id);
    choose("Open", [&] { grid->setRecords({other, receipt}, {}); });
    EXPECT_EQ(opened, RecordPresentation::presentPath(receipt));

    // Renamed while the menu was open: the folder shows the file under its new name.
    choose("Show in Folder", [&] { model().correct(receipt, QStringLiteral("Dentist bill")); });
    ASSERT_EQ(revealed_.size(), 1U);
    EXPECT_EQ(revealed_.back(), root_ / "Screenshots" / "Dentist bill.png");

    choose(QStringLiteral("Rename\u2026"), [&] { grid->setRecords({}, {}); });
    EXPECT_EQ(grid->popover(), nullptr);
}

TEST_F(DashboardTest, gridColumnsStayBetweenTheirBoundsAndCentre) {
    using Layout = ui::CardGrid::Layout;
    const Layout narrow = ui::CardGrid::layoutFor(300);
    EXPECT_EQ(narrow.columns, 1);
    EXPECT_DOUBLE_EQ(narrow.columnWidth, 280);
    EXPECT_DOUBLE_EQ(narrow.left, (296 - 280) / 2.0);
    const Layout minimum = ui::CardGrid::layoutFor(594); // the window at its smallest
    EXPECT_EQ(minimum.columns, 2);
    EXPECT_DOUBLE_EQ(minimum.columnWidth, 280);
    const Layout wide = ui::CardGrid::layoutFor(1000);
    EXPECT_EQ(wide.columns, 4);
    EXPECT_LE(wide.columnWidth, 280);
    EXPECT_GE(wide.columnWidth, 196);
}

// Columns of a fractional width put most cards between pixels; the grid copies cards from its
// cache and must not shift or resample them on the way.
TEST_F(DashboardTest, cachedCardsLookExactlyAsDrawnWhereCellsFallBetweenPixels) {
    add("Screenshots", "IMG_1.png", "Receipt from the dentist.png");
    add("Screenshots", "IMG_2.png", "Flight to Lisbon.png");
    add("Screenshots", "IMG_3.png", "Wifi password.png", true);
    model();
    ui::CardGrid grid(model());
    grid.resize(1001, 500);
    grid.show();
    const QSize size = grid.viewport()->size();
    ASSERT_EQ(ui::CardGrid::layoutFor(size.width()).columns, 4);

    auto blank = [&] {
        QImage image(size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::white);
        return image;
    };
    // Without a query cards are drawn whole; with one their texts go over a cached layer.
    for (const QString& query : {QString(), QStringLiteral("i")}) {
        grid.setRecords(model().history(), query);
        ASSERT_NE(grid.cellRect(1).left(), std::floor(grid.cellRect(1).left()));
        QImage cached = blank();
        {
            QPainter painter(&cached);
            grid.paintCards(painter, QRect(QPoint(), size));
            grid.paintCards(painter, QRect(QPoint(), size)); // the second time from the cache
        }
        QImage drawn = blank();
        {
            QPainter painter(&drawn);
            painter.setRenderHint(QPainter::Antialiasing);
            painter.setRenderHint(QPainter::SmoothPixmapTransform);
            for (int i = 0; i < static_cast<int>(grid.records().size()); ++i) {
                ui::ShotCard::paint(painter, grid.cellRect(i), grid.records()[i], query, 0, {}, {});
            }
        }
        // Inside each card: its crayon outline wobbles with where it is drawn, by design.
        int worst = 0;
        for (int i = 0; i < static_cast<int>(grid.records().size()); ++i) {
            const QRect inside =
                ui::ShotCard::boxRect(grid.cellRect(i)).adjusted(6, 6, -6, -6).toAlignedRect();
            for (int y = inside.top(); y <= inside.bottom(); ++y) {
                const auto* a = reinterpret_cast<const QRgb*>(cached.constScanLine(y));
                const auto* b = reinterpret_cast<const QRgb*>(drawn.constScanLine(y));
                for (int x = inside.left(); x <= inside.right(); ++x) {
                    worst = std::max({worst, std::abs(qRed(a[x]) - qRed(b[x])),
                                      std::abs(qGreen(a[x]) - qGreen(b[x])),
                                      std::abs(qBlue(a[x]) - qBlue(b[x]))});
                }
            }
        }
        // Blending through a transparent card image may round a level or two, no more.
        EXPECT_LE(worst, 3) << query.toStdString();
    }
}

TEST_F(DashboardTest, toastLeavesAfterItsTimeUnlessAnUndoWaits) {
    add("Screenshots", "IMG_1.png", "Receipt.png");
    {
        // A new report gets a full wait of its own.
        ui::DashboardToast toast(model(), nullptr, std::chrono::minutes(1));
        model().setMessage(QStringLiteral("First"));
        ASSERT_TRUE(toast.timerRunning());
        const int full = toast.remainingTime();
        ASSERT_TRUE(QTest::qWaitFor([&] { return toast.remainingTime() < full; }, 5000));
        const int waited = toast.remainingTime();
        model().setMessage(QStringLiteral("Second"));
        EXPECT_GT(toast.remainingTime(), waited);
        model().setMessage(std::nullopt);
    }

    ui::DashboardToast toast(model(), nullptr, std::chrono::milliseconds(1));
    model().setMessage(QStringLiteral("First"));
    QTRY_VERIFY_WITH_TIMEOUT(!model().message().has_value(), 5000);

    model().undo(model().history().front());
    ASSERT_TRUE(model().lastUndoneID().has_value());
    EXPECT_FALSE(toast.nameAgainButton()->isHidden());
    QTRY_VERIFY_WITH_TIMEOUT(!toast.timerRunning(), 5000);
    EXPECT_TRUE(model().message().has_value()); // stays while "Name Again" is offered

    toast.closeButton()->click();
    EXPECT_FALSE(model().message().has_value());
    EXPECT_FALSE(model().lastUndoneID().has_value());
}

TEST_F(DashboardTest, closingTheDashboardEndsAPlainReportAndResetsTheWindowState) {
    add("Screenshots", "IMG_1.png", "Receipt.png");
    auto view = open();
    view->setScope(app::DashScope::undone());
    view->setQuery(QStringLiteral("x"));
    model().setMessage(QStringLiteral("Renamed 1 file."));
    view->close();
    EXPECT_FALSE(model().message().has_value());
    EXPECT_EQ(view->scope(), app::DashScope::all());
    EXPECT_TRUE(view->query().isEmpty());
}

// The whole way of one screenshot's text: read after its rename, found by the dashboard by a
// word and by a part of it, kept in step through undo, rebuilt from a damaged file, and gone
// with the history.
TEST_F(DashboardTest, aScreenshotIsFoundByTheTextItShows) {
    auto namer = std::make_shared<test_support::FakeNamer>();
    namer->names["Screenshot From 2026-03-14 09-41-22.png"] = "quarterly report";
    namer_ = namer;
    const fs::path shot = root_ / "Screenshots" / "Screenshot From 2026-03-14 09-41-22.png";
    QImage image(1200, 500, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setFont(QFont(QStringLiteral("DejaVu Sans"), 40));
    painter.setPen(Qt::black);
    painter.drawText(60, 120, QStringLiteral("Order confirmation"));
    painter.drawText(60, 240, QStringLiteral("Mozzarella pizza for two"));
    painter.end();
    ASSERT_TRUE(image.save(QString::fromStdString(shot.string())));
    const fs::path indexFile = root_ / "data" / "Quillmark" / engine::TextIndex::fileName;
    auto storedPath = [&] {
        engine::TextIndex index(indexFile);
        index.open(false);
        const auto entries = index.entries();
        return entries.empty() ? std::string() : entries.front().path;
    };

    auto view = open();
    model().handleDrop({shot});
    QTRY_COMPARE_WITH_TIMEOUT(model().history().size(), 1U, 10000);
    QTRY_COMPARE_WITH_TIMEOUT(model().textIndex().pending(), 0U, 60000);
    const RenameRecord record = model().history().front();
    EXPECT_EQ(record.currentName, "Quarterly Report.png");

    ui::SearchBox* search = view->topBar()->searchBox();
    EXPECT_EQ(search->field()->placeholderText(), "Search names and text\u2026");
    for (const char* query : {"mozzarella", "zzare"}) {
        search->field()->setText(QString::fromLatin1(query));
        ASSERT_EQ(view->records().size(), 1U) << query;
        EXPECT_EQ(view->grid()->textLine(record.id), "Mozzarella pizza for two") << query;
        EXPECT_EQ(view->topBar()->subtitle(),
                  QStringLiteral("1 match for \u201C%1\u201D").arg(QString::fromLatin1(query)));
    }
    // Found by its name, the card keeps its old name.
    search->field()->setText(QStringLiteral("quarterly"));
    ASSERT_EQ(view->records().size(), 1U);
    EXPECT_TRUE(view->grid()->textLine(record.id).isEmpty());

    model().undo(record);
    EXPECT_EQ(storedPath(), shot.string());
    model().nameAgain(record.id);
    EXPECT_EQ(storedPath(), (root_ / "Screenshots" / "Quarterly Report.png").string());

    view.reset();
    model_.reset();
    std::ofstream(indexFile, std::ios::trunc) << std::string(5000, '~');
    view = open();
    EXPECT_EQ(model().message(), app::TextIndexKeeper::damagedMessage);
    QTRY_COMPARE_WITH_TIMEOUT(model().textIndex().pending(), 0U, 60000);
    view->topBar()->searchBox()->field()->setText(QStringLiteral("mozzarella"));
    EXPECT_EQ(view->records().size(), 1U);

    model().clearHistory();
    EXPECT_TRUE(view->records().empty());
    EXPECT_EQ(storedPath(), "");
    EXPECT_TRUE(model().textIndex().search("mozzarella").empty());
}

TEST(DashboardEmptyState, textsFollowTheQueryAsTyped) {
    ui::EmptyState empty;
    empty.setState({}, app::DashScope::undone());
    EXPECT_EQ(empty.headline(), "Nothing undone.");
    empty.setState({}, app::DashScope::today());
    EXPECT_EQ(empty.headline(), "No screenshots here yet.");
    EXPECT_TRUE(empty.body().contains("(Print Screen)"));
    empty.setState("  ", app::DashScope::undone());
    EXPECT_EQ(empty.headline(), "Nothing called \u201C  \u201D yet.");
    EXPECT_EQ(empty.body(),
              "Try another word. Your desktop search finds screenshots by these names too.");
}

} // namespace

TEST_F(DashboardTest, takesDroppedFilesLikeThePanelShowingWhereTheyGo) {
    fs::create_directories(root_ / "drop");
    std::ofstream(root_ / "drop" / "Flight booking.png") << "png";
    auto view = open();
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(
        QString::fromStdString((root_ / "drop" / "Flight booking.png").string()))});
    const QPointF centre = QRectF(view->rect()).center();
    const auto drop = [&](Qt::KeyboardModifiers modifiers) {
        QDragEnterEvent enter(centre.toPoint(), Qt::CopyAction, &data, Qt::LeftButton, modifiers);
        QApplication::sendEvent(view.get(), &enter);
        EXPECT_TRUE(enter.isAccepted());
        EXPECT_TRUE(view->dropTargeted());
        QDropEvent dropped(centre, Qt::CopyAction, &data, Qt::LeftButton, modifiers);
        QApplication::sendEvent(view.get(), &dropped);
        EXPECT_FALSE(view->dropTargeted());
    };

    // A well-named image is left alone unless Alt is held, as on the panel.
    drop(Qt::NoModifier);
    ASSERT_TRUE(model().message().has_value());
    EXPECT_TRUE(model().message()->contains("Hold Alt while dropping"));
    EXPECT_EQ(model().queued(), 0);
    drop(Qt::AltModifier);
    EXPECT_TRUE(model().queued() > 0 || model().isWorking());

    // A drag without local files is refused and leaves no drop state behind.
    QMimeData text;
    text.setText(QStringLiteral("hello"));
    QDragEnterEvent enter(centre.toPoint(), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view.get(), &enter);
    EXPECT_FALSE(enter.isAccepted());
    EXPECT_FALSE(view->dropTargeted());
    view->close();
}
