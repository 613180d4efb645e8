// glib names a member "signals": include it before Qt defines that word.
#include "engine/ReadingTestImages.h"

#include "AppModel.h"
#include "files/HistoryStore.h"
#include "support/FakeNamer.h"

#include <QCoreApplication>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <mutex>

using namespace app;
namespace fs = std::filesystem;

namespace {

using test_support::FakeNamer;

void touch(const fs::path& path, const std::string& content = "x") {
    std::ofstream(path) << content;
}

class AppModelTest : public ::testing::Test {
protected:
    QTemporaryDir home;
    fs::path root;
    fs::path screenshots;
    fs::path settingsFile;
    std::shared_ptr<FakeNamer> namer = std::make_shared<FakeNamer>();
    std::vector<QStringList> notifications;
    std::optional<fs::path> chosenFolder;
    bool alt = false;
    std::vector<fs::path> revealed;
    bool fileManagerAnswers = true;

    void SetUp() override {
        root = home.path().toStdString();
        screenshots = root / "Screenshots";
        fs::create_directories(screenshots);
        fs::create_directories(root / "Downloads");
        settingsFile = root / "config" / "Quillmark.conf";
        setSetting("screenshotFolder", QString::fromStdString(screenshots.string()));
    }

    void setSetting(const QString& key, const QVariant& value) {
        QSettings settings(QString::fromStdString(settingsFile.string()), QSettings::IniFormat);
        settings.setValue(key, value);
    }
    QVariant setting(const QString& key) {
        QSettings settings(QString::fromStdString(settingsFile.string()), QSettings::IniFormat);
        return settings.value(key);
    }

    AppServices services() {
        AppServices s;
        s.settingsFile = QString::fromStdString(settingsFile.string());
        s.dataFolder = root / "data";
        s.homeFolder = root;
        s.autostartFolder = root / "autostart";
        s.executablePath = QString::fromStdString((root / "build" / "quillmark").string());
        s.namer = namer;
        s.pause = std::chrono::milliseconds(1);
        s.runningAsApplication = true;
        s.postNamedNotification = [this](const QStringList& names) {
            notifications.push_back(names);
        };
        s.chooseFolder = [this](const FolderRequest&) { return chosenFolder; };
        s.altHeld = [this] { return alt; };
        s.reveal = [this](const fs::path& file, const std::function<void(bool)>& done) {
            revealed.push_back(file);
            done(fileManagerAnswers);
        };
        return s;
    }

    std::unique_ptr<AppModel> makeModel() { return std::make_unique<AppModel>(services()); }

    static bool waitIdle(AppModel& model) {
        return QTest::qWaitFor([&] { return !model.isWorking() && model.queued() == 0; }, 5000);
    }
    std::vector<engine::RenameRecord> storedHistory() {
        return engine::HistoryStore("Quillmark", root / "data").load();
    }
};

} // namespace

TEST_F(AppModelTest, firstStartUsesDefaults) {
    auto model = makeModel();
    EXPECT_TRUE(model->autoName());
    EXPECT_EQ(model->style(), engine::NamingStyle::Case::titleCase);
    EXPECT_TRUE(model->notify());
    EXPECT_FALSE(model->watchDownloads());
    EXPECT_TRUE(model->extraFolders().isEmpty());
    EXPECT_TRUE(model->corrections().empty());
    EXPECT_FALSE(model->launchAtLogin());
    EXPECT_EQ(model->screenshotFolder(), screenshots);
    // A build folder never gets the open-at-login default.
    EXPECT_FALSE(setting("loginDefaultApplied").toBool());
}

TEST_F(AppModelTest, unknownStyleStartsAsTitleCaseAndStaysStored) {
    setSetting("namingStyle", "shouting");
    auto model = makeModel();
    EXPECT_EQ(model->style(), engine::NamingStyle::Case::titleCase);
    EXPECT_EQ(setting("namingStyle").toString(), "shouting");
    model->setStyle(engine::NamingStyle::Case::lowercaseDashes);
    EXPECT_EQ(setting("namingStyle").toString(), "lowercaseDashes");
}

TEST_F(AppModelTest, newScreenshotIsNamedOnceAndOwnRenameIsSwallowed) {
    namer->names["Screenshot From 2026-03-14 09-41-22.png"] = "flight to lisbon booking";
    auto model = makeModel();
    QSignalSpy named(model.get(), &AppModel::fileNamed);
    touch(screenshots / "Screenshot From 2026-03-14 09-41-22.png");
    ASSERT_TRUE(named.wait(5000));
    EXPECT_TRUE(fs::exists(screenshots / "Flight to Lisbon Booking.png"));
    ASSERT_EQ(model->history().size(), 1u);
    const auto& record = model->history().front();
    EXPECT_EQ(record.originalName, "Screenshot From 2026-03-14 09-41-22.png");
    EXPECT_EQ(record.currentName, "Flight to Lisbon Booking.png");
    EXPECT_EQ(record.suggestedName, "Flight to Lisbon Booking");
    EXPECT_EQ(record.source, engine::Namer::Source::vision);
    const auto stored = storedHistory();
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_EQ(stored.front().id, record.id);
    EXPECT_EQ(stored.front().currentName, record.currentName);
    // The watcher reports the renamed file; it is swallowed, not named again.
    QTest::qWait(100);
    EXPECT_EQ(namer->asked().size(), 1u);
    EXPECT_TRUE(model->producedPaths().empty());
    ASSERT_TRUE(waitIdle(*model));
    ASSERT_EQ(notifications.size(), 1u);
    EXPECT_EQ(notifications.front(), QStringList{"Flight to Lisbon Booking"});
}

TEST_F(AppModelTest, screenshotFolderIgnoresNamesThatAreNotNewScreenshots) {
    auto model = makeModel();
    touch(screenshots / "IMG_4471.png");
    touch(screenshots / "Screenshot From 2026-03-14 09-41-22.txt");
    QTest::qWait(150);
    EXPECT_TRUE(namer->asked().empty());
    EXPECT_EQ(model->queued(), 0);
}

TEST_F(AppModelTest, threeFilesAreNamedInNameOrderWithOneNotification) {
    namer->names["Screenshot From 2026-03-14 09-41-21.png"] = "alpha";
    namer->names["Screenshot From 2026-03-14 09-41-22.png"] = "beta";
    namer->names["Screenshot From 2026-03-14 09-41-23.png"] = "gamma";
    auto model = makeModel();
    model->enqueue({screenshots / "Screenshot From 2026-03-14 09-41-23.png",
                    screenshots / "Screenshot From 2026-03-14 09-41-21.png",
                    screenshots / "Screenshot From 2026-03-14 09-41-22.png"});
    EXPECT_EQ(model->queued(), 3);
    // Files are created after enqueueing: each is read only at its turn.
    touch(screenshots / "Screenshot From 2026-03-14 09-41-21.png");
    touch(screenshots / "Screenshot From 2026-03-14 09-41-22.png");
    touch(screenshots / "Screenshot From 2026-03-14 09-41-23.png");
    ASSERT_TRUE(QTest::qWaitFor([&] { return notifications.size() == 1; }, 5000));
    EXPECT_EQ(namer->asked(),
              (std::vector<std::string>{"Screenshot From 2026-03-14 09-41-23.png",
                                        "Screenshot From 2026-03-14 09-41-21.png",
                                        "Screenshot From 2026-03-14 09-41-22.png"}));
    EXPECT_EQ(notifications.front(), (QStringList{"Gamma", "Alpha", "Beta"}));
    EXPECT_EQ(model->queued(), 0);
}

TEST_F(AppModelTest, enqueueSkipsWaitingFilesAndVanishedFilesSilently) {
    auto model = makeModel();
    const auto file = screenshots / "Screenshot From 2026-03-14 09-41-22.png";
    model->enqueue({file});
    model->enqueue({file});
    EXPECT_EQ(model->queued(), 1);
    ASSERT_TRUE(waitIdle(*model));
    EXPECT_TRUE(namer->asked().empty()); // never existed: skipped
    EXPECT_FALSE(model->message().has_value());
    EXPECT_TRUE(notifications.empty());
}

TEST_F(AppModelTest, failuresSetMessagesAndLeaveFilesAlone) {
    auto model = makeModel();
    touch(screenshots / "IMG_1.png");
    model->enqueue({screenshots / "IMG_1.png"});
    ASSERT_TRUE(waitIdle(*model));
    EXPECT_EQ(model->message(), QString("Couldn't find anything to name IMG_1.png after."));
    EXPECT_TRUE(fs::exists(screenshots / "IMG_1.png"));
    EXPECT_TRUE(model->history().empty());
}

TEST_F(AppModelTest, collisionGetsNumberAndUndoNameAgainRoundTrip) {
    namer->names["Screenshot 2026-01-05 at 10.11.12.png"] = "report";
    touch(screenshots / "Report.png");
    touch(screenshots / "Screenshot 2026-01-05 at 10.11.12.png");
    auto model = makeModel();
    model->enqueue({screenshots / "Screenshot 2026-01-05 at 10.11.12.png"});
    ASSERT_TRUE(waitIdle(*model));
    ASSERT_EQ(model->history().size(), 1u);
    const auto record = model->history().front();
    EXPECT_EQ(record.currentName, "Report 2.png");

    model->undo(record);
    EXPECT_EQ(model->message(),
              QString("Undid \u201CReport 2\u201D. It\u2019s \u201CScreenshot 2026-01-05 at "
                      "10.11.12\u201D again."));
    EXPECT_EQ(model->lastUndoneID(), record.id);
    EXPECT_TRUE(model->history().front().undone);
    EXPECT_TRUE(fs::exists(screenshots / "Screenshot 2026-01-05 at 10.11.12.png"));
    EXPECT_TRUE(storedHistory().front().undone);

    // Something took "Report 2.png" meanwhile: name again numbers the whole stem.
    touch(screenshots / "Report 2.png");
    model->nameAgain(record.id);
    EXPECT_EQ(model->message(), QString("Named \u201CReport 2 2\u201D again."));
    EXPECT_FALSE(model->lastUndoneID().has_value());
    EXPECT_FALSE(model->history().front().undone);
    EXPECT_EQ(model->history().front().currentName, "Report 2 2.png");
}

TEST_F(AppModelTest, undoOntoTakenNameFailsAndForgetsTheProducedPath) {
    namer->names["IMG_1.png"] = "beach";
    touch(screenshots / "IMG_1.png");
    auto model = makeModel();
    model->enqueue({screenshots / "IMG_1.png"});
    ASSERT_TRUE(waitIdle(*model));
    touch(screenshots / "IMG_1.png", "new");
    model->undo(model->history().front());
    EXPECT_EQ(model->message(),
              QString("IMG_1.png already exists, so the old name can't be restored."));
    EXPECT_EQ(model->producedPaths().count((screenshots / "IMG_1.png").string()), 0u);
    EXPECT_FALSE(model->history().front().undone);
}

TEST_F(AppModelTest, missingFilesDropRecordsWithMessages) {
    namer->names["IMG_1.png"] = "beach";
    touch(screenshots / "IMG_1.png");
    auto model = makeModel();
    model->enqueue({screenshots / "IMG_1.png"});
    ASSERT_TRUE(waitIdle(*model));
    fs::remove(screenshots / "Beach.png");
    model->undo(model->history().front());
    EXPECT_EQ(model->message(),
              QString("\u201CBeach\u201D was moved or deleted, so it\u2019s off the list."));
    EXPECT_TRUE(model->history().empty());
    EXPECT_TRUE(storedHistory().empty());
    model->undoLast();
    EXPECT_EQ(model->message(), QString("Nothing to undo."));
}

TEST_F(AppModelTest, messageChangeClearsLastUndoneID) {
    namer->names["IMG_1.png"] = "beach";
    touch(screenshots / "IMG_1.png");
    auto model = makeModel();
    model->enqueue({screenshots / "IMG_1.png"});
    ASSERT_TRUE(waitIdle(*model));
    model->undoLast();
    ASSERT_TRUE(model->lastUndoneID().has_value());
    model->setMessage(model->message()); // same value: nothing changes
    EXPECT_TRUE(model->lastUndoneID().has_value());
    model->setMessage(std::nullopt);
    EXPECT_FALSE(model->lastUndoneID().has_value());
}

TEST_F(AppModelTest, correctionRenamesAndIsLearned) {
    namer->names["IMG_1.png"] = "beach";
    touch(screenshots / "IMG_1.png");
    auto model = makeModel();
    model->enqueue({screenshots / "IMG_1.png"});
    ASSERT_TRUE(waitIdle(*model));
    model->correct(model->history().front(), "  Beach trip  ");
    EXPECT_TRUE(fs::exists(screenshots / "Beach trip.png"));
    EXPECT_EQ(model->history().front().currentName, "Beach trip.png");
    EXPECT_EQ(model->history().front().suggestedName, "Beach");
    ASSERT_EQ(model->corrections().size(), 1u);
    EXPECT_EQ(model->corrections().front(), (engine::Correction{"Beach", "Beach trip"}));
    EXPECT_EQ(setting("corrections").toString().toStdString(),
              R"([{"suggested":"Beach","chosen":"Beach trip"}])");
    // Typing the current stem again, or nothing usable, does nothing.
    model->correct(model->history().front(), "Beach trip");
    model->correct(model->history().front(), " / ");
    EXPECT_EQ(model->corrections().size(), 1u);
    // Learned corrections reach the namer and survive a restart.
    model.reset();
    auto again = makeModel();
    EXPECT_EQ(again->corrections().size(), 1u);
    namer->names["IMG_2.png"] = "sunset";
    touch(screenshots / "IMG_2.png");
    again->enqueue({screenshots / "IMG_2.png"});
    ASSERT_TRUE(waitIdle(*again));
    EXPECT_EQ(namer->lastCorrections().size(), 1u);
}

TEST_F(AppModelTest, correctionsThatWouldHideTheFileAreRefused) {
    namer->names["IMG_1.png"] = "beach";
    touch(screenshots / "IMG_1.png");
    auto model = makeModel();
    model->enqueue({screenshots / "IMG_1.png"});
    ASSERT_TRUE(waitIdle(*model));
    for (const QString typed : {QString(".hidden"), QString("  ..."), QString(". beach")}) {
        model->setMessage(std::nullopt);
        model->correct(model->history().front(), typed);
        EXPECT_EQ(model->message(),
                  QString("\u201C%1\u201D isn\u2019t a valid name: a name can\u2019t start "
                          "with a dot.")
                      .arg(typed.trimmed()));
    }
    EXPECT_EQ(model->history().front().currentName, "Beach.png");
    EXPECT_TRUE(fs::exists(screenshots / "Beach.png"));
    EXPECT_TRUE(model->corrections().empty());
}

// A folder named in Latin-1 cannot be written to the history file; the other renames still
// are, and the user hears about it once.
TEST_F(AppModelTest, aRecordThatCannotBeSavedIsReportedOnceAndSpoilsNoOtherSave) {
    const fs::path latin1 = root / "Bilder-\xE4";
    fs::create_directories(latin1);
    namer->names["IMG_1.png"] = "beach";
    namer->names["IMG_2.png"] = "sunset";
    namer->names["IMG_3.png"] = "harbour";
    touch(screenshots / "IMG_1.png");
    touch(latin1 / "IMG_2.png");
    touch(screenshots / "IMG_3.png");
    auto model = makeModel();
    model->enqueue({screenshots / "IMG_1.png", latin1 / "IMG_2.png"});
    ASSERT_TRUE(waitIdle(*model));
    EXPECT_EQ(model->message(), QString("\u201CSunset\u201D can\u2019t be saved in the history: "
                                        "its folder or file name isn\u2019t valid UTF-8."));
    model->setMessage(std::nullopt);
    model->enqueue({screenshots / "IMG_3.png"});
    ASSERT_TRUE(waitIdle(*model));
    EXPECT_EQ(model->message(), std::nullopt);
    EXPECT_EQ(model->history().size(), 3u);
    const auto stored = storedHistory();
    ASSERT_EQ(stored.size(), 2u);
    EXPECT_EQ(stored[0].currentName, "Harbour.png");
    EXPECT_EQ(stored[1].currentName, "Beach.png");
}

TEST_F(AppModelTest, dropMessages) {
    auto model = makeModel();
    const auto folder = root / "drop";
    fs::create_directories(folder);
    touch(folder / "IMG_4471.png");
    touch(folder / "Invoice March.png");
    touch(root / "notes.txt");

    model->handleDrop({root / "notes.txt", root / "missing.png"});
    EXPECT_EQ(model->message(), QString("Drop images, or folders with images in them."));

    model->handleDrop({folder / "Invoice March.png"});
    EXPECT_EQ(model->message(),
              QString("\u201CInvoice March\u201D already has a real name, so it was left alone. "
                      "Hold Alt while dropping to rename it anyway."));

    touch(folder / "Dentist.png");
    model->handleDrop({folder / "Invoice March.png", folder / "Dentist.png"});
    EXPECT_EQ(model->message(), QString("All 2 images already have real names, so they were left "
                                        "alone. Hold Alt while dropping to rename them anyway."));
    fs::remove(folder / "Dentist.png");

    model->handleDrop({folder});
    EXPECT_EQ(model->message(),
              QString("Naming 1 image. 1 already had a real name and was left alone."));
    ASSERT_TRUE(waitIdle(*model));
    EXPECT_EQ(namer->asked(), std::vector<std::string>{"IMG_4471.png"});

    alt = true;
    model->setMessage(std::nullopt);
    model->handleDrop({folder});
    ASSERT_TRUE(waitIdle(*model));
    EXPECT_EQ(namer->asked().size(), 3u);
    EXPECT_EQ(model->message(), QString("Couldn't find anything to name Invoice March.png after."));
}

TEST_F(AppModelTest, tidyUpMessagesAndUndoneFilesStayAlone) {
    auto model = makeModel();
    model->tidyUp(root / "nowhere");
    EXPECT_EQ(model->message(),
              QString("Quillmark can\u2019t open nowhere. Check that the folder exists and that "
                      "you may read it, then try again."));

    const auto folder = root / "pics";
    fs::create_directories(folder);
    touch(folder / "IMG_1.png");
    touch(folder / "Holiday.png");
    namer->names["IMG_1.png"] = "beach";
    model->tidyUp(folder);
    EXPECT_EQ(model->message(), QString("Naming 1 image in pics\u2026"));
    ASSERT_TRUE(waitIdle(*model));
    model->undo(model->history().front());
    model->tidyUp(folder);
    EXPECT_EQ(model->message(),
              QString("Nothing to tidy in pics. Every image already has a real name."));

    chosenFolder = folder;
    model->chooseFolderToTidy();
    EXPECT_EQ(model->message(),
              QString("Nothing to tidy in pics. Every image already has a real name."));
}

TEST_F(AppModelTest, undoneFileInExtraFolderIsNotRenamedAgain) {
    const auto extra = root / "extra";
    fs::create_directories(extra);
    setSetting("extraFolders", QStringList{QString::fromStdString(extra.string())});
    namer->names["IMG_1.png"] = "beach";
    auto model = makeModel();
    QSignalSpy named(model.get(), &AppModel::fileNamed);
    touch(extra / "IMG_1.png");
    ASSERT_TRUE(named.wait(5000));
    ASSERT_TRUE(waitIdle(*model));
    model->undo(model->history().front());
    // Moved out and back in: reported again, but the user undid it.
    fs::rename(extra / "IMG_1.png", root / "IMG_1.png");
    QTest::qWait(50);
    fs::rename(root / "IMG_1.png", extra / "IMG_1.png");
    QTest::qWait(150);
    EXPECT_EQ(namer->asked().size(), 1u);
    EXPECT_TRUE(fs::exists(extra / "IMG_1.png"));
}

TEST_F(AppModelTest, watchedFoldersCollapseDuplicatesAndTheScreenshotFolder) {
    setSetting("watchDownloads", true);
    setSetting("extraFolders",
               QStringList{QString::fromStdString((root / "Downloads" / ".").string()),
                           QString::fromStdString(screenshots.string() + "/")});
    auto model = makeModel();
    EXPECT_EQ(model->watchedExtraFolders(), std::vector<fs::path>{root / "Downloads"});

    chosenFolder = root / "Downloads";
    model->addWatchedFolder(); // same folder in another form: no change
    EXPECT_EQ(model->extraFolders().size(), 2);
    model->removeWatchedFolder(QString::fromStdString((root / "Downloads").string()));
    EXPECT_EQ(model->extraFolders().size(), 1);
    EXPECT_EQ(setting("extraFolders").toStringList().size(), 1);
}

TEST_F(AppModelTest, missingWatchedFolderSetsMessage) {
    setSetting("extraFolders", QStringList{QString::fromStdString((root / "gone").string())});
    auto model = makeModel();
    EXPECT_EQ(
        model->message(),
        QString("Couldn't watch gone. Check that the folder exists and that you may read it."));
}

TEST_F(AppModelTest, filesArrivingWhileWatchingIsOffAreNotNamed) {
    namer->names["Screenshot From 2026-03-14 09-41-22.png"] = "late";
    auto model = makeModel();
    model->setAutoName(false);
    EXPECT_FALSE(setting("autoName").toBool());
    touch(screenshots / "Screenshot From 2026-03-14 09-41-22.png");
    QTest::qWait(100);
    model->setAutoName(true);
    QTest::qWait(150);
    EXPECT_TRUE(namer->asked().empty());
}

TEST_F(AppModelTest, pruneDropsRecordsOfDeletedFilesAndRewritesOnlyThen) {
    namer->names["IMG_1.png"] = "beach";
    namer->names["IMG_2.png"] = "sunset";
    touch(screenshots / "IMG_1.png");
    touch(screenshots / "IMG_2.png");
    auto model = makeModel();
    model->enqueue({screenshots / "IMG_1.png", screenshots / "IMG_2.png"});
    ASSERT_TRUE(waitIdle(*model));
    const auto historyFile = root / "data" / "Quillmark" / "history.json";
    const auto before = fs::last_write_time(historyFile);
    model->pruneMissing();
    EXPECT_EQ(fs::last_write_time(historyFile), before);
    fs::remove(screenshots / "Beach.png");
    model->pruneMissing();
    ASSERT_EQ(model->history().size(), 1u);
    EXPECT_EQ(storedHistory().size(), 1u);
}

TEST_F(AppModelTest, undoAllVisibleUndoesTheNewestFifty) {
    auto model = makeModel();
    std::vector<fs::path> files;
    for (int i = 0; i < 60; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "IMG_%04d.png", i);
        namer->names[name] = "shot " + std::to_string(i);
        touch(screenshots / name);
        files.push_back(screenshots / name);
    }
    model->enqueue(files);
    ASSERT_TRUE(QTest::qWaitFor([&] { return model->history().size() == 60; }, 10000));
    model->undoAllVisible();
    EXPECT_EQ(model->activeRecords().size(), 10u);
    EXPECT_EQ(model->activeRecords().front().originalName, "IMG_0009.png");
    EXPECT_EQ(model->lastUndoneID(), model->history()[49].id);
}

TEST_F(AppModelTest, revealShowsThePresentFile) {
    namer->names["IMG_1.png"] = "beach";
    touch(screenshots / "IMG_1.png");
    auto model = makeModel();
    model->enqueue({screenshots / "IMG_1.png"});
    ASSERT_TRUE(waitIdle(*model));
    model->reveal(model->history().front());
    model->undoLast();
    model->reveal(model->history().front());
    EXPECT_EQ(revealed,
              (std::vector<fs::path>{screenshots / "Beach.png", screenshots / "IMG_1.png"}));
    model->setMessage(std::nullopt);
    model->reveal(model->history().front());
    EXPECT_FALSE(model->message().has_value());

    // Where nothing could show or open the file, the user hears of it.
    fileManagerAnswers = false;
    model->reveal(model->history().front());
    ASSERT_TRUE(model->message().has_value());
    EXPECT_TRUE(model->message()->contains(QStringLiteral("\u201CIMG_1.png\u201D in its folder")))
        << model->message()->toStdString();
    model->couldNotOpen(screenshots / "Beach.png");
    EXPECT_TRUE(model->message()->contains(QStringLiteral("open \u201CBeach.png\u201D")));
}

TEST_F(AppModelTest, realEngineNamesAScreenshotFromItsText) {
    setSetting("modelEndpoint", "http://127.0.0.1:9"); // no model server: the heuristic names it
    auto services = this->services();
    services.namer = nullptr;
    AppModel model(std::move(services));
    EXPECT_EQ(model.engine().kind, engine::Namer::Engine::Kind::textOnly);
    QSignalSpy named(&model, &AppModel::fileNamed);
    reading_test::Canvas canvas(1000, 400, 250);
    canvas.text("Quarterly Sales Dashboard", 60, 80, 36, 20);
    ASSERT_TRUE(canvas.save(root / "shot.png"));
    fs::rename(root / "shot.png", screenshots / "Screenshot From 2026-03-14 09-41-22.png");
    ASSERT_TRUE(named.wait(10000));
    EXPECT_TRUE(fs::exists(screenshots / "Quarterly Sales Dashboard.png"));
    EXPECT_EQ(model.history().front().source, engine::Namer::Source::heuristic);
}
