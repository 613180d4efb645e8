#include "TextIndexKeeper.h"
#include "AppModel.h"
#include "files/HistoryStore.h"
#include "index/TextIndex.h"
#include "support/FakeNamer.h"

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

engine::RenameRecord recordOf(const fs::path& folder, const std::string& name, int minutesAgo) {
    engine::RenameRecord record;
    record.id = engine::RenameRecord::makeId();
    record.folderPath = folder.string();
    record.originalName = "Screenshot " + name + ".png";
    record.currentName = name + ".png";
    record.suggestedName = name;
    record.date = std::chrono::system_clock::now() - std::chrono::minutes(minutesAgo);
    return record;
}

class TextIndexKeeperTest : public ::testing::Test {
protected:
    QTemporaryDir home;
    fs::path root = home.path().toStdString();
    fs::path screenshots = root / "Screenshots";
    fs::path indexFile = root / "data" / "Quillmark" / "text.sqlite";
    std::shared_ptr<FakeNamer> namer = std::make_shared<FakeNamer>();
    // What each image "shows", by file name; the reader reports what it was asked.
    std::map<std::string, std::vector<std::string>> texts;
    std::mutex readMutex;
    std::vector<std::string> read;

    void SetUp() override {
        fs::create_directories(screenshots);
        QSettings settings(QString::fromStdString((root / "Quillmark.conf").string()),
                           QSettings::IniFormat);
        settings.setValue("screenshotFolder", QString::fromStdString(screenshots.string()));
    }

    std::unique_ptr<AppModel> makeModel() {
        AppServices s;
        s.settingsFile = QString::fromStdString((root / "Quillmark.conf").string());
        s.dataFolder = root / "data";
        s.homeFolder = root;
        s.autostartFolder = root / "autostart";
        s.executablePath = QString::fromStdString((root / "build" / "quillmark").string());
        s.namer = namer;
        s.pause = std::chrono::milliseconds(1);
        s.readText = [this](const fs::path& file) {
            std::lock_guard lock(readMutex);
            read.push_back(file.filename().string());
            const auto found = texts.find(file.filename().string());
            return found == texts.end() ? std::vector<std::string>{} : found->second;
        };
        return std::make_unique<AppModel>(s);
    }

    static bool settled(const AppModel& model) {
        return QTest::qWaitFor([&] { return model.textIndex().pending() == 0; }, 10000);
    }
    std::vector<engine::TextIndex::Entry> stored() {
        engine::TextIndex index(indexFile);
        return index.open(false) == engine::TextIndex::Opened::existing
                   ? index.entries()
                   : std::vector<engine::TextIndex::Entry>{};
    }
    void saveHistory(const std::vector<engine::RenameRecord>& history) {
        for (const auto& record : history) {
            std::ofstream(record.presentPath()) << "x";
        }
        engine::HistoryStore("Quillmark", root / "data").save(history);
    }
};

TEST_F(TextIndexKeeperTest, aRenamedScreenshotIsFoundByItsTextUntilItsRecordGoes) {
    namer->names["Screenshot 1.png"] = "router settings";
    texts["Router Settings.png"] = {"Network", "Wi-Fi password: hunter22"};
    auto model = makeModel();
    QSignalSpy named(model.get(), &AppModel::fileNamed);
    std::ofstream(screenshots / "Screenshot 1.png") << "x";
    model->enqueue({screenshots / "Screenshot 1.png"});
    ASSERT_TRUE(named.wait(5000));
    ASSERT_TRUE(settled(*model));
    const std::string id = model->history().front().id;
    EXPECT_EQ(model->textIndex().search("PASSWORD"),
              (std::unordered_map<std::string, std::string>{{id, "Wi-Fi password: hunter22"}}));
    ASSERT_EQ(stored().size(), 1U);
    EXPECT_EQ(stored().front().path, (screenshots / "Router Settings.png").string());

    model->undo(model->history().front());
    EXPECT_EQ(stored().front().path, (screenshots / "Screenshot 1.png").string());
    model->nameAgain(id);
    EXPECT_EQ(stored().front().path, (screenshots / "Router Settings.png").string());
    model->correct(model->history().front(), QStringLiteral("Home Wifi"));
    EXPECT_EQ(stored().front().path, (screenshots / "Home Wifi.png").string());
    EXPECT_EQ(stored().front().names, "Home Wifi.png\nScreenshot 1.png");
    // The text was read once, not again for each new name.
    EXPECT_EQ(read, std::vector<std::string>{"Router Settings.png"});

    model->clearHistory();
    EXPECT_TRUE(stored().empty());
    EXPECT_TRUE(model->textIndex().search("hunter").empty());
}

TEST_F(TextIndexKeeperTest, recordsWithoutTextAreReadNewestFirstAndMissingOnesDropped) {
    auto newest = recordOf(screenshots, "Newest", 1);
    auto middle = recordOf(screenshots, "Middle", 10);
    auto oldest = recordOf(screenshots, "Oldest", 100);
    saveHistory({newest, middle, oldest});
    {
        auto model = makeModel();
        ASSERT_TRUE(settled(*model));
    }
    EXPECT_EQ(read, (std::vector<std::string>{"Newest.png", "Middle.png", "Oldest.png"}));
    EXPECT_EQ(stored().size(), 3U);

    // Already read: a new start reads nothing again, and a record whose file is gone goes.
    fs::remove(middle.presentPath());
    read.clear();
    auto model = makeModel();
    ASSERT_TRUE(settled(*model));
    EXPECT_TRUE(read.empty());
    ASSERT_EQ(stored().size(), 2U);
    EXPECT_EQ(stored()[0].id, newest.id);
    EXPECT_EQ(stored()[1].id, oldest.id);
}

TEST_F(TextIndexKeeperTest, onlyTheRecordsTheHistoryKeepsAreIndexed) {
    std::vector<engine::RenameRecord> history;
    for (std::size_t i = 0; i <= engine::HistoryStore::limit; ++i) {
        history.push_back(recordOf(screenshots, "Shot " + std::to_string(i), static_cast<int>(i)));
    }
    std::vector<QString> said;
    TextIndexKeeper keeper(
        root / "text.sqlite", [](const fs::path&) { return std::vector<std::string>{"text"}; },
        [&](const QString& message) { said.push_back(message); });
    keeper.follow(history);
    ASSERT_TRUE(QTest::qWaitFor([&] { return keeper.pending() == 0; }, 20000));
    EXPECT_EQ(keeper.search("text").size(), engine::HistoryStore::limit);
    EXPECT_FALSE(keeper.search("text").contains(history.back().id));
    EXPECT_TRUE(said.empty());
}

// Merging the index costs a tenth of a second, so a record dropped at the history's limit
// leaves it a little later, once for a burst; Clear History empties it at once.
TEST_F(TextIndexKeeperTest, removedTextLeavesTheFileAfterAPauseAndAtOnceOnClearHistory) {
    const auto invoice = recordOf(screenshots, "Invoice", 2);
    const auto router = recordOf(screenshots, "Router", 1);
    TextIndexKeeper keeper(
        root / "text.sqlite",
        [](const fs::path& file) {
            return std::vector<std::string>{
                file.stem().string() == "Invoice" ? "secret invoice 4711" : "router password"};
        },
        [](const QString&) {});
    keeper.setCompactDelay(50);
    keeper.follow({router, invoice});
    ASSERT_TRUE(QTest::qWaitFor([&] { return keeper.pending() == 0; }, 10000));
    auto inFile = [&](const std::string& text) {
        for (const auto& path : {root / "text.sqlite", root / "text.sqlite-wal"}) {
            std::ifstream stream(path, std::ios::binary);
            const std::string bytes((std::istreambuf_iterator<char>(stream)), {});
            if (bytes.find(text) != std::string::npos) {
                return true;
            }
        }
        return false;
    };
    QSignalSpy compacted(&keeper, &TextIndexKeeper::compacted);

    keeper.follow({router});
    EXPECT_TRUE(keeper.search("invoice").empty());
    EXPECT_EQ(compacted.count(), 0);
    ASSERT_TRUE(compacted.wait(5000));
    EXPECT_FALSE(inFile("secret invoice"));
    EXPECT_FALSE(inFile("nvo"));

    keeper.follow({});
    EXPECT_EQ(compacted.count(), 2);
    EXPECT_FALSE(inFile("router password"));
}

TEST_F(TextIndexKeeperTest, aRemovalARunDidNotMergeIsMergedAfterTheNextStart) {
    const fs::path file = root / "text.sqlite";
    {
        // As a run killed between removing a record and merging the index leaves it.
        engine::TextIndex index(file);
        ASSERT_EQ(index.open(), engine::TextIndex::Opened::fresh);
        ASSERT_TRUE(index.put({"A", "/shots/A.png", "A.png", 1}));
        ASSERT_TRUE(index.setText("A", {"secret invoice 4711"}));
        ASSERT_TRUE(index.remove({"A"}));
    }
    TextIndexKeeper keeper(
        file, [](const fs::path&) { return std::vector<std::string>{}; }, [](const QString&) {});
    QSignalSpy compacted(&keeper, &TextIndexKeeper::compacted);
    keeper.setCompactDelay(10);
    ASSERT_TRUE(compacted.wait(5000));
    for (const auto& path : {file, fs::path(file.string() + "-wal")}) {
        std::ifstream stream(path, std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(stream)), {});
        EXPECT_EQ(bytes.find("nvo"), std::string::npos) << path;
    }
}

TEST_F(TextIndexKeeperTest, aDamagedIndexIsRebuiltWithOneMessage) {
    auto record = recordOf(screenshots, "Invoice", 1);
    saveHistory({record});
    texts["Invoice.png"] = {"ACME Corp", "Total due: 1,234.00"};
    fs::create_directories(indexFile.parent_path());
    std::ofstream(indexFile) << std::string(10000, '#');
    auto model = makeModel();
    EXPECT_EQ(model->message(), TextIndexKeeper::damagedMessage);
    ASSERT_TRUE(settled(*model));
    EXPECT_EQ(model->textIndex().search("total due").size(), 1U);
    EXPECT_EQ(model->history().size(), 1U);
}

TEST_F(TextIndexKeeperTest, anIndexThatCannotBeWrittenLeavesNamingAlone) {
    // A folder where the file should be: nothing can open it for writing.
    fs::create_directories(indexFile);
    namer->names["Screenshot 1.png"] = "router settings";
    namer->names["Screenshot 2.png"] = "sales chart";
    auto model = makeModel();
    EXPECT_FALSE(model->textIndex().isAvailable());
    EXPECT_EQ(model->message(), TextIndexKeeper::unavailableMessage);
    model->setMessage(std::nullopt);
    QSignalSpy named(model.get(), &AppModel::fileNamed);
    std::ofstream(screenshots / "Screenshot 1.png") << "x";
    std::ofstream(screenshots / "Screenshot 2.png") << "x";
    model->enqueue({screenshots / "Screenshot 1.png", screenshots / "Screenshot 2.png"});
    ASSERT_TRUE(QTest::qWaitFor([&] { return named.size() == 2; }, 5000));
    EXPECT_TRUE(fs::exists(screenshots / "Sales Chart.png"));
    EXPECT_EQ(model->message(), std::nullopt); // said once, not again for every record
    EXPECT_TRUE(model->textIndex().search("router").empty());
}

} // namespace
