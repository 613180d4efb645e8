#include "PanelFixture.h"

#include "dashboard/CardGrid.h"
#include "dashboard/DashboardToast.h"
#include "dashboard/DashboardView.h"
#include "dashboard/RenamePopover.h"
#include "dashboard/ShotCard.h"
#include "dashboard/StatsRow.h"
#include "look/BidiText.h"
#include "look/CrayonButton.h"
#include "panel/MessageBanner.h"
#include "panel/PanelView.h"
#include "panel/ViewServices.h"
#include "tray/PanelWindow.h"

#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QTextLayout>

namespace {

using namespace panel_test;

TEST(CardDates, dayAndMonthFollowTheShortDateOrder) {
    // en_US's long date starts with the weekday; its short date puts the month first.
    EXPECT_TRUE(ui::ShotCard::dateFormat(QLocale(QLocale::English, QLocale::UnitedStates))
                    .startsWith("MMM d, "));
    EXPECT_TRUE(ui::ShotCard::dateFormat(QLocale(QLocale::English, QLocale::UnitedKingdom))
                    .startsWith("d MMM, "));
    EXPECT_TRUE(ui::ShotCard::dateFormat(QLocale(QLocale::German)).startsWith("d MMM, "));
    EXPECT_FALSE(ui::ShotCard::dateFormat(QLocale(QLocale::German)).contains('s'));
}

TEST(MixedDirectionNames, numberRunsKeepTheirWrittenOrder) {
    const QString hebrew = QStringLiteral("\u05E1\u05D9\u05DB\u05D5\u05DD 2026-03-14 09-41-22");
    const QString shown = ui::BidiText::isolated(hebrew);
    EXPECT_EQ(ui::BidiText::isolated(QStringLiteral("Sales 2026-03-14 09-41")),
              QStringLiteral("Sales 2026-03-14 09-41"));
    // Drawn, the date stands left of the time, as written.
    const auto xOf = [](const QString& text, const QString& part) {
        QTextLayout layout(text, QFont());
        layout.beginLayout();
        QTextLine line = layout.createLine();
        layout.endLayout();
        return line.cursorToX(static_cast<int>(text.indexOf(part)));
    };
    EXPECT_LT(xOf(shown, "2026"), xOf(shown, "09-41"));
    EXPECT_GT(xOf(hebrew, "2026"), xOf(hebrew, "09-41")); // what went wrong before

    std::vector<int> positions;
    const QString mapped = ui::BidiText::isolated(hebrew, positions);
    ASSERT_EQ(positions.size(), static_cast<std::size_t>(hebrew.size()) + 1);
    for (qsizetype i = 0; i < hebrew.size(); ++i) {
        EXPECT_EQ(mapped.at(positions[static_cast<std::size_t>(i)]), hebrew.at(i));
    }
}

TEST(RenamePopoverPlacement, opensAboveACardNearTheBottomAndShowsTheNameFromItsStart) {
    const QRect area(0, 0, 1000, 700);
    const QSize size(300, 160);
    EXPECT_EQ(ui::RenamePopover::placement(size, QRect(100, 100, 200, 250), area), QPoint(49, 356));
    EXPECT_EQ(ui::RenamePopover::placement(size, QRect(100, 450, 200, 240), area), QPoint(49, 284));
    // No room either way: kept on the screen.
    EXPECT_EQ(ui::RenamePopover::placement(size, QRect(900, 100, 100, 560), area).x(), 700);

    const QString name = QStringLiteral("A rather long name that cannot fit in the field at all");
    ui::RenamePopover popover("id", name);
    popover.showNear(QRect(100, 100, 200, 200));
    EXPECT_EQ(popover.field()->selectedText(), name);
    EXPECT_EQ(popover.field()->cursorPosition(), 0);
}

TEST(Statistics, labelsShrinkToFitANarrowBox) {
    const QString label = QStringLiteral("screenshots named");
    const QFont wide = ui::StatsRow::fittingLabelFont(label, 400);
    const QFont narrow = ui::StatsRow::fittingLabelFont(label, 100);
    EXPECT_LE(QFontMetricsF(narrow).horizontalAdvance(label), 100);
    EXPECT_GT(QFontMetricsF(wide).horizontalAdvance(label), 100);
}

class SmallFixesTest : public PanelFixture {};

TEST_F(SmallFixesTest, statisticLabelsFitAtTheSmallestWindow) {
    writeHistory(2);
    auto model = makeModel();
    ui::DashboardView view(*model);
    ui::DashboardView::requested() = true;
    view.show();
    view.resize(ui::DashboardView::minimumWidth, ui::DashboardView::minimumHeight);
    QTRY_COMPARE(view.width(), ui::DashboardView::minimumWidth);
    for (const QRectF& box : view.statsRow()->boxes()) {
        const qreal inner = box.width() - 28;
        for (const char* label :
             {"screenshots named", "named this week", "fixes learned", "folders watched"}) {
            const QFont font = ui::StatsRow::fittingLabelFont(QString::fromLatin1(label), inner);
            EXPECT_LE(QFontMetricsF(font).horizontalAdvance(QString::fromLatin1(label)), inner)
                << label;
        }
    }
}

TEST_F(SmallFixesTest, nameAgainGoesWhenClearHistoryTookItsRecord) {
    const auto records = writeHistory(1);
    auto model = makeModel();
    ui::PanelView panel(*model);
    ui::MessageBanner& banner = *panel.banner();
    ui::DashboardToast toast(*model);
    panel.show();
    model->undo(model->history().front());
    ASSERT_TRUE(QTest::qWaitFor([&] { return model->lastUndoneID().has_value(); }, 5000));
    auto* bannerButton = banner.findChild<ui::CrayonButton*>();
    auto* toastButton = toast.findChild<ui::CrayonButton*>();
    EXPECT_TRUE(bannerButton->isVisibleTo(&banner));
    EXPECT_TRUE(toastButton->isVisibleTo(&toast));

    model->clearHistory();
    ASSERT_TRUE(model->message().has_value()); // the undo's line stays
    EXPECT_FALSE(bannerButton->isVisibleTo(&banner));
    EXPECT_FALSE(toastButton->isVisibleTo(&toast));
}

TEST_F(SmallFixesTest, reopenedDashboardStartsAtTheTop) {
    writeHistory(30);
    auto model = makeModel();
    ui::DashboardView view(*model);
    ui::DashboardView::requested() = true;
    view.show();
    QScrollBar* bar = view.grid()->verticalScrollBar();
    ASSERT_GT(bar->maximum(), 0);
    bar->setValue(bar->maximum());
    view.close();
    ui::DashboardView::requested() = true;
    view.show();
    EXPECT_EQ(bar->value(), 0);
}

TEST_F(SmallFixesTest, framelessPanelDrawsItsOwnEdge) {
    auto model = makeModel();
    ui::PanelWindow window(*model);
    window.showAsWindow();
    const QImage framed = window.grab().toImage();
    window.showBesideTray(std::nullopt);
    QTRY_VERIFY(window.isVisible());
    const QImage frameless = window.grab().toImage();
    const QPoint edge(frameless.width() / 2, 0);
    EXPECT_LT(frameless.pixelColor(edge).lightness(), 170);
    EXPECT_GT(framed.pixelColor(edge).lightness(), 240);
}

TEST(FolderChooser, explanationShowsInsideTheDialog) {
    QFileDialog dialog(nullptr, QStringLiteral("Choose a folder to tidy"));
    ui::ViewServices::showExplanation(dialog, QStringLiteral("Choose a folder to tidy"));
    auto* label = dialog.findChild<QLabel*>(QStringLiteral("explanation"));
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->text(), "Choose a folder to tidy");
}

} // namespace
