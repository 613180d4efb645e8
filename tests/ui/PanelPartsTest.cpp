#include "PanelFixture.h"

#include "look/CrayonButton.h"
#include "look/CrayonToggle.h"
#include "panel/DropTarget.h"
#include "panel/FolderName.h"
#include "panel/LazyRecordColumn.h"
#include "panel/PanelView.h"
#include "panel/RecentList.h"
#include "panel/RecordRow.h"
#include "panel/SpillItem.h"
#include "panel/ToggleRow.h"
#include "panel/WrappedText.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QHBoxLayout>
#include <QImage>
#include <QMimeData>
#include <QScrollArea>
#include <QSignalSpy>

using namespace panel_test;

namespace {

ui::ToggleRow::Line downloadsLine() {
    return {{"Downloads", QFont("DejaVu Sans", 12, QFont::Bold), Qt::black},
            {"  saved images, received photos", QFont("DejaVu Sans", 9), Qt::gray}};
}

// The colour the panel shows at `point` (in `widget`'s coordinates).
QColor shownAt(ui::PanelView& panel, QWidget* widget, QPoint point) {
    QImage image(panel.size(), QImage::Format_ARGB32_Premultiplied);
    panel.render(&image);
    return image.pixelColor(widget->mapTo(&panel, point));
}

} // namespace

TEST(FolderName, isTheLastComponentAsTheUserKnowsIt) {
    EXPECT_EQ(ui::FolderName::of(QStringLiteral("/home/a/Screenshots/")), "Screenshots");
    EXPECT_EQ(ui::FolderName::of(QStringLiteral("/home/a/./Pictures")), "Pictures");
    EXPECT_EQ(ui::FolderName::of(QStringLiteral("/")), "/");
}

TEST(ToggleRow, aRunThatDoesNotFitMovesToItsOwnLineAndTheLabelFlipsTheSwitch) {
    ui::ToggleRow row({downloadsLine()}, 0);
    const int oneLine = row.heightForWidth(row.sizeHint().width());
    const int narrow = row.heightForWidth(row.sizeHint().width() - 60);
    EXPECT_GT(narrow, oneLine);
    EXPECT_EQ(row.labelText(), "Downloads  saved images, received photos");

    QSignalSpy toggled(&row, &ui::ToggleRow::toggled);
    row.resize(row.sizeHint());
    QTest::mouseClick(&row, Qt::LeftButton, {}, QPoint(5, row.height() / 2));
    EXPECT_TRUE(row.isChecked());
    ASSERT_EQ(toggled.count(), 1);
    // A value set from the model shows without being sent back.
    row.showChecked(false);
    EXPECT_FALSE(row.isChecked());
    EXPECT_EQ(toggled.count(), 1);
}

TEST(SpillItem, buttonsAreSpacedAndAlignedByTheirBodies) {
    QWidget box;
    auto* layout = new QHBoxLayout(&box);
    layout->setContentsMargins(20, 20, 20, 20);
    layout->setSpacing(8);
    auto* first = new ui::CrayonButton("Tidy Up", ui::CrayonButton::Kind::orange, true, &box);
    auto* second = new ui::CrayonButton("Choose", ui::CrayonButton::Kind::plain, true, &box);
    ui::SpillItem::addButton(layout, first);
    ui::SpillItem::addButton(layout, second);
    layout->addStretch(1);
    box.resize(400, 100);
    box.show();
    const QRectF a = first->contentRect().translated(first->pos());
    const QRectF b = second->contentRect().translated(second->pos());
    EXPECT_DOUBLE_EQ(a.left(), 20);
    EXPECT_DOUBLE_EQ(b.left() - a.right(), 8);
    EXPECT_EQ(a.height(), 28);
    // A hidden button takes no room.
    first->hide();
    box.layout()->activate();
    EXPECT_DOUBLE_EQ(second->contentRect().translated(second->pos()).left(), 20);
}

TEST(WrappedText, breaksWordsLongerThanALineInsteadOfCuttingThem) {
    const QString name = QString(60, QLatin1Char('a')) + QStringLiteral(".png");
    ui::WrappedText text(QStringLiteral("“") + name + QStringLiteral("” was moved or deleted."),
                         QFont("DejaVu Sans", 9), Qt::black);
    const int oneLine = text.heightForWidth(4000);
    const int narrow = text.heightForWidth(120);
    // Every character is laid out somewhere: the narrow text is as many lines as it needs.
    const int advance = QFontMetrics(QFont("DejaVu Sans", 9)).horizontalAdvance(text.text());
    EXPECT_GE(narrow / oneLine, advance / 120);
    EXPECT_LT(text.minimumSizeHint().width(), 120);
    text.setText(QString());
    EXPECT_EQ(text.heightForWidth(120), 0);
}

class PanelPartsTest : public PanelFixture {};

TEST_F(PanelPartsTest, rowsKeepTheirRecordAcrossListChanges) {
    const auto records = writeHistory(3);
    auto model = makeModel();
    ui::PanelView panel(*model);
    panel.resize(panel.sizeHint());
    panel.show();
    ui::LazyRecordColumn* column = panel.recentList()->column();
    const auto rowFor = [&](const std::string& id) -> ui::RecordRow* {
        for (auto* row : column->findChildren<ui::RecordRow*>()) {
            if (row->record().id == id && row->isVisible()) {
                return row;
            }
        }
        return nullptr;
    };
    ui::RecordRow* newest = rowFor(records[0].id);
    ASSERT_NE(newest, nullptr);
    EXPECT_EQ(newest->y(), 0);

    // A new rename arrives in front: the same row object moves one slot down.
    touch(screenshots / "IMG_0500.png");
    namer->names["IMG_0500.png"] = "boarding pass";
    model->enqueue({screenshots / "IMG_0500.png"});
    ASSERT_TRUE(waitIdle(*model));
    ASSERT_EQ(model->history().size(), 4u);
    EXPECT_EQ(rowFor(records[0].id), newest);
    EXPECT_EQ(newest->y(), column->rowHeight() + ui::LazyRecordColumn::spacing);
    ASSERT_NE(rowFor(model->history().front().id), nullptr);
    EXPECT_EQ(rowFor(model->history().front().id)->y(), 0);
    EXPECT_EQ(panel.recentList()->scrollArea()->height(), 240);
}

TEST_F(PanelPartsTest, thePanelPaintsTheDropTargetBoxForItsState) {
    touch(root / "IMG_0001.png");
    auto model = makeModel();
    ui::PanelView panel(*model);
    panel.resize(panel.sizeHint());
    panel.show();
    ui::DropTarget* target = panel.dropTarget();
    // Left of the prompt, inside the box, clear of the outline: the fill or its hatching.
    const QPoint inside(12, 12);
    const QColor idle = shownAt(panel, target, inside);
    EXPECT_TRUE(idle == QColor(238, 246, 255) || idle.blue() == 255) << idle.name().toStdString();

    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString((root / "IMG_0001.png").string()))});
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    QTest::qWait(250);
    const QColor hovered = shownAt(panel, target, inside);
    // Peach, or the pink hatching over it: warm, never the idle blue.
    EXPECT_GT(hovered.red(), hovered.blue()) << hovered.name().toStdString();
}
