#include "panel/RecordRow.h"
#include "AppModel.h"
#include "files/HistoryStore.h"
#include "panel/RowIconButton.h"
#include "panel/Thumbnail.h"
#include "panel/ThumbnailCache.h"
#include "support/FakeNamer.h"

#include <QEnterEvent>
#include <QLineEdit>
#include <QMenu>
#include <QSettings>
#include <QShortcut>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QToolTip>
#include <QVBoxLayout>
#include <gtest/gtest.h>

using ui::RecordRow;
namespace fs = std::filesystem;

namespace {

// A model over a temporary home whose history holds one rename of a file in Pictures; the row
// sits in a shown window with an Escape shortcut, as it does in the panel.
class RecordRowTest : public ::testing::Test {
protected:
    QTemporaryDir home;
    fs::path root{home.path().toStdString()};
    fs::path pictures = root / "Pictures";
    std::vector<fs::path> revealed;
    std::unique_ptr<app::AppModel> model;
    ui::ThumbnailCache cache;
    QWidget window;
    RecordRow* row = nullptr;
    int escapes = 0;

    void SetUp() override {
        fs::create_directories(pictures);
        fs::create_directories(root / "Screenshots");
        QImage picture(40, 40, QImage::Format_RGB32);
        picture.fill(Qt::red);
        ASSERT_TRUE(
            picture.save(QString::fromStdString((pictures / "Budget Summary.png").string())));
        {
            QSettings settings(settingsFile(), QSettings::IniFormat);
            settings.setValue("screenshotFolder",
                              QString::fromStdString((root / "Screenshots").string()));
        }
        engine::RenameRecord record;
        record.id = engine::RenameRecord::makeId();
        record.folderPath = pictures.string();
        record.originalName = "Screenshot 2026-05-01 at 10.00.00.png";
        record.currentName = "Budget Summary.png";
        record.suggestedName = "Budget Summary";
        record.source = engine::Namer::Source::text;
        record.date = std::chrono::system_clock::now();
        engine::HistoryStore("Quillmark", root / "data").save({record});

        app::AppServices services;
        services.settingsFile = settingsFile();
        services.dataFolder = root / "data";
        services.homeFolder = root;
        services.autostartFolder = root / "autostart";
        services.namer = std::make_shared<test_support::FakeNamer>(
            engine::Namer::Engine{engine::Namer::Engine::Kind::textOnly, "none"});
        services.pause = std::chrono::milliseconds(1);
        services.reveal = [this](const fs::path& file, auto&&) { revealed.push_back(file); };
        model = std::make_unique<app::AppModel>(services);
        ASSERT_EQ(model->activeRecords().size(), 1u);

        row = new RecordRow(*model, model->activeRecords().front(), &cache, &window);
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(row);
        window.resize(340, 80);
        auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), &window);
        QObject::connect(escape, &QShortcut::activated, [this] { ++escapes; });
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    }

    QString settingsFile() const {
        return QString::fromStdString((root / "config" / "Quillmark.conf").string());
    }

    QLineEdit* focusedField() {
        row->beginRename(true);
        QLineEdit* field = row->nameField();
        EXPECT_NE(field, nullptr);
        EXPECT_TRUE(QTest::qWaitFor([&] { return field->hasFocus(); }, 2000));
        return field;
    }

    void hover(bool inside) {
        if (inside) {
            QEnterEvent enter(QPointF(10, 10), QPointF(10, 10), row->mapToGlobal(QPointF(10, 10)));
            QCoreApplication::sendEvent(row, &enter);
        } else {
            QEvent leave(QEvent::Leave);
            QCoreApplication::sendEvent(row, &leave);
        }
    }

    ui::RowIconButton* button(const QString& label) {
        for (auto* candidate : row->findChildren<ui::RowIconButton*>()) {
            if (candidate->accessibleName() == label) {
                return candidate;
            }
        }
        return nullptr;
    }
};

} // namespace

TEST_F(RecordRowTest, returnSendsExactlyOneCorrection) {
    QSignalSpy history(model.get(), &app::AppModel::historyChanged);
    QLineEdit* field = focusedField();
    EXPECT_EQ(row->draft(), "Budget Summary");
    EXPECT_EQ(field->placeholderText(), "Name");
    QTest::keyClicks(field, "Team Budget"); // the whole name is selected, typing replaces it
    EXPECT_EQ(row->draft(), "Team Budget");

    QTest::keyClick(field, Qt::Key_Return);
    EXPECT_FALSE(row->isEditing());
    EXPECT_FALSE(field->isVisible());
    ASSERT_TRUE(history.wait(2000));
    QTest::qWait(50); // a second call would arrive within the same turns

    EXPECT_EQ(history.count(), 1);
    EXPECT_TRUE(fs::exists(pictures / "Team Budget.png"));
    EXPECT_FALSE(fs::exists(pictures / "Budget Summary.png"));
    ASSERT_EQ(model->activeRecords().size(), 1u);
    EXPECT_EQ(model->activeRecords().front().currentName, "Team Budget.png");
    EXPECT_EQ(model->corrections().size(), 1u);
    EXPECT_EQ(escapes, 0);
}

TEST_F(RecordRowTest, escapeSendsNothingAndDoesNotReachTheWindow) {
    QSignalSpy history(model.get(), &app::AppModel::historyChanged);
    QLineEdit* field = focusedField();
    QTest::keyClicks(field, "Something Else");
    QTest::keyClick(field, Qt::Key_Escape);
    EXPECT_FALSE(row->isEditing());
    EXPECT_EQ(escapes, 0);

    QTest::qWait(50);
    EXPECT_EQ(history.count(), 0);
    EXPECT_TRUE(fs::exists(pictures / "Budget Summary.png"));
    EXPECT_TRUE(model->corrections().empty());

    // Out of the field, Escape is the window's again.
    QTest::keyClick(&window, Qt::Key_Escape);
    EXPECT_EQ(escapes, 1);
}

TEST_F(RecordRowTest, contextMenuEntriesReachTheModel) {
    QMenu menu;
    row->fillContextMenu(menu);
    QStringList entries;
    for (QAction* action : menu.actions()) {
        entries << (action->isSeparator() ? QStringLiteral("--") : action->text());
    }
    EXPECT_EQ(entries, (QStringList{"Rename\u2026", "Show in Folder", "--", "Undo Rename"}));

    menu.actions().at(1)->trigger();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !revealed.empty(); }, 2000));
    EXPECT_EQ(revealed, std::vector<fs::path>{pictures / "Budget Summary.png"});

    // From the menu the field opens without taking the focus.
    menu.actions().at(0)->trigger();
    EXPECT_TRUE(row->isEditing());
    EXPECT_EQ(row->draft(), "Budget Summary");
    QTest::qWait(20);
    EXPECT_FALSE(row->nameField()->hasFocus());

    menu.actions().at(3)->trigger();
    ASSERT_TRUE(QTest::qWaitFor([&] { return model->activeRecords().empty(); }, 2000));
    EXPECT_TRUE(fs::exists(pictures / "Screenshot 2026-05-01 at 10.00.00.png"));
    EXPECT_FALSE(fs::exists(pictures / "Budget Summary.png"));
}

// The click is queued; by the time it runs the file may have another name.
TEST_F(RecordRowTest, actionsFindTheirRecordWhenTheyRun) {
    hover(true);
    QTest::mouseClick(button("Show in Folder"), Qt::LeftButton);
    model->correct(model->activeRecords().front(), QStringLiteral("Renamed Meanwhile"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return revealed.size() == 1; }, 2000));
    EXPECT_EQ(revealed.front(), pictures / "Renamed Meanwhile.png");
}

TEST_F(RecordRowTest, hoverButtonsAppearOnlyWhileHoveringAndNotEditing) {
    EXPECT_EQ(button("Rename"), nullptr); // none made before the first hover
    hover(true);
    EXPECT_TRUE(row->isHovering());
    for (const char* label : {"Rename", "Show in Folder", "Undo"}) {
        ASSERT_NE(button(label), nullptr) << label;
        EXPECT_TRUE(button(label)->isVisible()) << label;
        EXPECT_EQ(button(label)->toolTip(), label);
        EXPECT_EQ(button(label)->size(), QSize(22, 22));
    }
    // Buttons sit inside the row's box, right of the names.
    EXPECT_LE(button("Undo")->geometry().right(), row->width() - 3 - 9);

    QTest::mouseClick(button("Show in Folder"), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return revealed.size() == 1; }, 2000));

    QTest::mouseClick(button("Rename"), Qt::LeftButton);
    EXPECT_TRUE(row->isEditing());
    EXPECT_FALSE(button("Undo")->isVisible());
    ASSERT_TRUE(QTest::qWaitFor([&] { return row->nameField()->hasFocus(); }, 2000));
    QTest::keyClick(row->nameField(), Qt::Key_Escape);
    EXPECT_TRUE(button("Undo")->isVisible()); // still under the pointer

    hover(false);
    EXPECT_FALSE(button("Undo")->isVisible());
    hover(true);
    QTest::mouseClick(button("Undo"), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return model->activeRecords().empty(); }, 2000));
}

// A list may rebuild, and delete rows, as soon as the model changes.
TEST_F(RecordRowTest, modelChangesMayDeleteTheRowThatAskedForThem) {
    QObject::connect(model.get(), &app::AppModel::historyChanged, row, [this] {
        delete row;
        row = nullptr;
    });
    QLineEdit* field = focusedField();
    QTest::keyClicks(field, "Team Budget");
    QTest::keyClick(field, Qt::Key_Return);
    ASSERT_TRUE(QTest::qWaitFor([&] { return row == nullptr; }, 2000));
    EXPECT_TRUE(fs::exists(pictures / "Team Budget.png"));

    row = new RecordRow(*model, model->activeRecords().front(), &cache, &window);
    QObject::connect(model.get(), &app::AppModel::historyChanged, row, [this] {
        delete row;
        row = nullptr;
    });
    QMenu menu;
    row->fillContextMenu(menu);
    menu.actions().at(3)->trigger();
    ASSERT_TRUE(QTest::qWaitFor([&] { return row == nullptr; }, 2000));
    EXPECT_TRUE(model->activeRecords().empty());
}

TEST_F(RecordRowTest, anotherRecordEndsTheEditAndTheSameOneKeepsIt) {
    engine::RenameRecord record = row->record();
    row->beginRename(false);
    record.currentName = "Renamed Elsewhere.png";
    row->setRecord(record);
    EXPECT_TRUE(row->isEditing());
    EXPECT_EQ(row->thumbnail()->path(),
              QString::fromStdString((pictures / "Renamed Elsewhere.png").string()));

    record.id = engine::RenameRecord::makeId();
    row->setRecord(record);
    EXPECT_FALSE(row->isEditing());
    EXPECT_TRUE(row->draft().isEmpty());
    EXPECT_FALSE(row->nameField()->isVisible());
}

TEST_F(RecordRowTest, hoverTintsTheBox) {
    // A point inside the box, right of the texts and left of the hover buttons.
    const QPoint inside(row->width() / 2 + 40, 10);
    EXPECT_EQ(row->grab().toImage().pixelColor(inside), QColor(Qt::white));
    hover(true);
    EXPECT_EQ(row->grab().toImage().pixelColor(inside), QColor(255, 248, 236));
}

TEST(RecordRowText, namesLoseOnlyTheirLastExtension) {
    using ui::RecordPresentation;
    EXPECT_EQ(RecordPresentation::stemOf("Q3 report v2.final.png"), "Q3 report v2.final");
    EXPECT_EQ(RecordPresentation::stemOf("README"), "README");
    EXPECT_EQ(RecordPresentation::stemOf(".hidden"), ".hidden");
    EXPECT_EQ(RecordPresentation::stemOf("Caf\u00e9 m\u00e9nu.jpeg").toStdString(),
              "Caf\u00e9 m\u00e9nu");
}

TEST(RecordRowText, outlineSeedsStayWithinZeroToNinetySix) {
    std::set<int> seen;
    for (int i = 0; i < 2000; ++i) {
        const std::string id = engine::RenameRecord::makeId();
        const int seed = RecordRow::outlineSeed(id);
        ASSERT_GE(seed, 0) << id;
        ASSERT_LE(seed, 96) << id;
        EXPECT_EQ(seed, RecordRow::outlineSeed(id));
        seen.insert(seed);
    }
    EXPECT_GT(seen.size(), 80u);
}

TEST_F(RecordRowTest, sourceMarkTellsWhoNamedTheFile) {
    auto tipAt = [&](QPoint pos) {
        QToolTip::hideText();
        EXPECT_TRUE(QTest::qWaitFor([] { return !QToolTip::isVisible(); }, 2000));
        QHelpEvent help(QEvent::ToolTip, pos, row->mapToGlobal(pos));
        QCoreApplication::sendEvent(row, &help);
        return (QToolTip::isVisible() ? QToolTip::text() : QString()).toStdString();
    };
    // The mark sits left of the name, after the thumbnail (2 + 9 + 36 + 10 from the left).
    const QPoint mark(2 + 9 + 36 + 10 + 5, row->height() / 2 - 7);
    EXPECT_EQ(tipAt(mark), "Named by the local model from the text in the image");
    EXPECT_EQ(tipAt(QPoint(row->width() / 2 + 40, row->height() / 2)), "");

    engine::RenameRecord record = row->record();
    record.source = engine::Namer::Source::heuristic;
    row->setRecord(record);
    EXPECT_EQ(tipAt(mark), "Named from the text in the image");
    QToolTip::hideText();
}
