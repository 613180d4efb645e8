#include "files/HistoryStore.h"
#include "files/HistoryCodec.h"

#include "engine/ScratchFolder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace engine;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

namespace {

using TempFolder = ScratchFolder;

std::chrono::system_clock::time_point at(std::chrono::sys_seconds seconds) {
    return std::chrono::system_clock::time_point(seconds);
}

std::chrono::sys_seconds jan5() {
    using namespace std::chrono;
    return sys_days(2026y / January / 5) + 10h + 11min + 12s;
}

RenameRecord makeRecord(int index, std::string_view tag = "a") {
    return RenameRecord{RenameRecord::makeId(),
                        "/home/me/Pictures/Screenshots",
                        "Screenshot From 2026-03-14 09-41-" + std::to_string(index) + ".png",
                        std::string(tag) + " Flight to Lisbon Booking " + std::to_string(index) +
                            ".png",
                        std::string(tag) + " Flight to Lisbon Booking",
                        Namer::Source::vision,
                        at(jan5() + std::chrono::seconds(index)),
                        index % 3 == 0};
}

std::vector<RenameRecord> makeRecords(int count, std::string_view tag = "a") {
    std::vector<RenameRecord> records;
    for (int i = 0; i < count; ++i) {
        records.push_back(makeRecord(i, tag));
    }
    return records;
}

std::string readText(const fs::path& file) {
    std::ifstream stream(file, std::ios::binary);
    std::ostringstream text;
    text << stream.rdbuf();
    return text.str();
}

void writeText(const fs::path& file, std::string_view text) {
    std::ofstream(file, std::ios::binary) << text;
}

std::string recordJson(std::string_view id, std::string_view source, std::string_view date) {
    return R"({"id":")" + std::string(id) +
           R"(","folderPath":"/home/me","originalName":"IMG_4471.png",)"
           R"("currentName":"Receipt.png","suggestedName":"Receipt","source":")" +
           std::string(source) + R"(","date":")" + std::string(date) + R"(","undone":false})";
}

std::string recordNamed(std::string_view folderPath, std::string_view originalName,
                        std::string_view currentName) {
    return R"({"id":"E621E1F8-C36C-495A-93FC-0C247A3E6E5F","folderPath":")" +
           std::string(folderPath) + R"(","originalName":")" + std::string(originalName) +
           R"(","currentName":")" + std::string(currentName) +
           R"(","suggestedName":"Receipt","source":"text","date":"2026-01-05T10:11:12Z",)"
           R"("undone":false})";
}

const std::string validId = "E621E1F8-C36C-495A-93FC-0C247A3E6E5F";

class HistoryStoreTest : public ::testing::Test {
protected:
    void SetUp() override { fs::create_directories(historyFile().parent_path()); }
    HistoryStore newStore() const { return HistoryStore("Quillmark", folder.path()); }
    fs::path historyFile() const { return folder.path() / "Quillmark" / "history.json"; }

    TempFolder folder;
};

} // namespace

TEST(RenameRecord, freshIdsAreUpperCaseVersion4) {
    std::string id = RenameRecord::makeId();
    ASSERT_EQ(id.size(), 36u);
    EXPECT_EQ(id[14], '4');
    EXPECT_NE(std::string("89AB").find(id[19]), std::string::npos);
    EXPECT_EQ(id.find_first_not_of("0123456789ABCDEF-"), std::string::npos);
    EXPECT_NE(RenameRecord::makeId(), id);
}

TEST_F(HistoryStoreTest, createsFolderUnderDataHome) {
    HistoryStore store = newStore();
    EXPECT_EQ(store.fileURL(), historyFile());
    EXPECT_TRUE(fs::is_directory(historyFile().parent_path()));
    EXPECT_TRUE(store.load().empty()); // no file yet
}

TEST_F(HistoryStoreTest, defaultsToXdgDataHome) {
    std::string saved = std::getenv("XDG_DATA_HOME") ? std::getenv("XDG_DATA_HOME") : "";
    fs::path dataHome = folder.path() / "deep" / "share";
    ::setenv("XDG_DATA_HOME", dataHome.c_str(), 1);
    HistoryStore store("Quillmark");
    saved.empty() ? ::unsetenv("XDG_DATA_HOME") : ::setenv("XDG_DATA_HOME", saved.c_str(), 1);

    EXPECT_EQ(store.fileURL(), dataHome / "Quillmark" / "history.json");
    EXPECT_TRUE(fs::is_directory(dataHome / "Quillmark"));
}

TEST_F(HistoryStoreTest, roundTripKeepsFieldsAndTruncatesDate) {
    RenameRecord vision = makeRecord(1);
    vision.date = at(jan5()) + 750ms;
    vision.folderPath = "/home/me/Bilder/Bildschirmfotos \xE2\x80\x94 \"quoted\"";
    RenameRecord text = makeRecord(2);
    text.source = Namer::Source::text;
    text.undone = true;
    RenameRecord heuristic = makeRecord(3);
    heuristic.source = Namer::Source::heuristic;
    heuristic.date = at(jan5()) - 250ms; // before the second: truncates downwards

    newStore().save({vision, text, heuristic});
    std::vector<RenameRecord> loaded = newStore().load();

    vision.date = at(jan5());
    heuristic.date = at(jan5() - 1s);
    EXPECT_EQ(loaded, (std::vector<RenameRecord>{vision, text, heuristic}));
}

TEST_F(HistoryStoreTest, writesTheDocumentedForm) {
    RenameRecord record = makeRecord(0);
    record.id = validId;
    newStore().save({record});

    std::string text = readText(historyFile());
    EXPECT_NE(text.find("\"id\": \"" + validId + "\""), std::string::npos) << text;
    EXPECT_NE(text.find("\"date\": \"2026-01-05T10:11:12Z\""), std::string::npos);
    EXPECT_NE(text.find("\"source\": \"vision\""), std::string::npos);
    EXPECT_NE(text.find("\"undone\": true"), std::string::npos);
    EXPECT_NE(text.find("\n  {"), std::string::npos); // pretty-printed
}

TEST_F(HistoryStoreTest, keepsOnlyTheNewest500) {
    std::vector<RenameRecord> records = makeRecords(501);
    newStore().save(records);

    std::vector<RenameRecord> loaded = newStore().load();
    records.pop_back();
    EXPECT_EQ(loaded, records);
}

TEST_F(HistoryStoreTest, emptyListWritesEmptyArray) {
    newStore().save(makeRecords(2));
    HistoryStore store = newStore();
    store.load();
    store.save({});
    EXPECT_EQ(readText(historyFile()), "[]\n");
    EXPECT_TRUE(newStore().load().empty());
}

TEST_F(HistoryStoreTest, anyInvalidRecordLoadsEmpty) {
    const std::string good = recordJson(validId, "heuristic", "2026-01-05T10:11:12Z");
    const std::vector<std::string> invalid = {
        recordJson(validId, "model", "2026-01-05T10:11:12Z"),
        recordJson(validId, "Vision", "2026-01-05T10:11:12Z"),
        recordJson(validId, "text", "2026-01-05T10:11:12.5Z"),
        recordJson(validId, "text", "2026-01-05T10:11:12+00:00"),
        recordJson(validId, "text", "2026-01-05 10:11:12Z"),
        recordJson(validId, "text", "2026-02-30T10:11:12Z"),
        recordJson(validId, "text", "2026-01-05T24:00:00Z"),
        recordJson("E621E1F8C36C495A93FC0C247A3E6E5F", "text", "2026-01-05T10:11:12Z"),
        R"({"id":")" + validId +
            R"(","folderPath":"/home/me","originalName":"a.png","currentName":"b.png",)"
            R"("suggestedName":"b","source":"text","date":"2026-01-05T10:11:12Z","undone":0})",
        "42",
        "[]",
        R"({"id":")" + validId +
            R"(","folderPath":"/home/me","originalName":"a.png","currentName":"b.png",)"
            R"("suggestedName":{"x":"b"},"source":"text","date":"2026-01-05T10:11:12Z",)"
            R"("undone":false})",
    };
    const std::vector<std::string> keys = {"id",          "folderPath",    "originalName",
                                           "currentName", "suggestedName", "source",
                                           "date",        "undone"};
    std::vector<std::string> documents;
    for (const std::string& record : invalid) {
        documents.push_back("[" + good + "," + record + "]");
    }
    for (const std::string& key : keys) {
        std::string record = good;
        record.replace(record.find("\"" + key + "\""), 1, "\"x"); // renames the key
        documents.push_back("[" + record + "]");
    }
    // Names that would lead out of the folder, or onto the folder itself.
    for (const std::string& name : {"", ".", "..", "sub/b.png", "../x.png", "a\\u0000b.png"}) {
        documents.push_back("[" + good + "," + recordNamed("/home/me", name, "Receipt.png") + "]");
        documents.push_back("[" + good + "," + recordNamed("/home/me", "IMG_1.png", name) + "]");
    }
    for (const std::string& folderPath : {"", "home/me", "./me", "/home\\u0000/me"}) {
        documents.push_back("[" + recordNamed(folderPath, "IMG_1.png", "Receipt.png") + "]");
    }
    documents.push_back("[" + good);                     // truncated
    documents.push_back("{\"records\":[" + good + "]}"); // not an array
    documents.push_back("[" + good + "]\xFF");           // trailing garbage
    documents.push_back("");

    for (const std::string& document : documents) {
        SCOPED_TRACE(document);
        writeText(historyFile(), document);
        EXPECT_TRUE(newStore().load().empty());
    }
    writeText(historyFile(), "[" + good + "]");
    EXPECT_EQ(newStore().load().size(), 1u); // the base record itself is valid

    // Keys of no meaning may hold anything.
    std::string extra = good;
    extra.insert(1, R"("note":{"list":[1,null,{"id":7}],"undone":"x"},"n":2.5,)");
    writeText(historyFile(), "[" + extra + "]");
    EXPECT_EQ(newStore().load().size(), 1u);
}

TEST_F(HistoryStoreTest, acceptsEscapedSlashesKeyOrderAndLowerCaseIds) {
    writeText(historyFile(), R"([
  {"undone": true, "date": "2026-01-05T10:11:12Z", "source": "text",
   "suggestedName": "Receipt", "currentName": "Receipt 2.png",
   "originalName": "IMG_4471.png", "folderPath": "\/home\/me\/Downloads",
   "id": "e621e1f8-c36c-495a-93fc-0c247a3e6e5f"}
])");
    std::vector<RenameRecord> loaded = newStore().load();
    ASSERT_EQ(loaded.size(), 1u);
    EXPECT_EQ(loaded[0],
              (RenameRecord{validId, "/home/me/Downloads", "IMG_4471.png", "Receipt 2.png",
                            "Receipt", Namer::Source::text, at(jan5()), true}));
}

// A folder named in Latin-1 cannot go into JSON; that one record must not stop every save.
TEST_F(HistoryStoreTest, aRecordThatCannotBeEncodedIsLeftOutOfTheFileOnly) {
    std::vector<RenameRecord> records = makeRecords(3);
    records[1].folderPath = "/home/me/Bilder-\xE4";
    HistoryStore store = newStore();
    EXPECT_EQ(store.save(records).leftOut, std::vector<std::string>{records[1].id});
    EXPECT_EQ(newStore().load(), (std::vector<RenameRecord>{records[0], records[2]}));

    records.insert(records.begin(), makeRecord(7, "later"));
    records[3].currentName = "bad\xFF.png";
    EXPECT_EQ(store.save(records).leftOut,
              (std::vector<std::string>{records[2].id, records[3].id}));
    EXPECT_EQ(newStore().load(), (std::vector<RenameRecord>{records[0], records[1]}));
}

TEST_F(HistoryStoreTest, loadCorruptFile_keepsBackup) {
    const std::string corrupt = "[" + recordJson(validId, "model", "2026-01-05T10:11:12Z") + "]";
    writeText(historyFile(), corrupt);

    HistoryStore store = newStore();
    EXPECT_TRUE(store.load().empty());
    EXPECT_EQ(readText(historyFile()), corrupt); // untouched until the next save
    std::vector<RenameRecord> records = makeRecords(1);
    store.save(records);
    store.save(records); // only the first save keeps a backup

    std::vector<fs::path> backups;
    for (const auto& entry : fs::directory_iterator(historyFile().parent_path())) {
        if (entry.path().filename().string().starts_with("history.json.corrupt-")) {
            backups.push_back(entry.path());
        }
    }
    ASSERT_EQ(backups.size(), 1u);
    std::string stamp = backups[0].filename().string().substr(21);
    EXPECT_EQ(stamp.size(), 16u) << stamp; // 20261207T223000Z
    EXPECT_EQ(stamp.back(), 'Z');
    EXPECT_EQ(readText(backups[0]), corrupt);
    EXPECT_EQ(newStore().load(), records);
}

TEST_F(HistoryStoreTest, validOrMissingFileGetsNoBackup) {
    HistoryStore fresh = newStore();
    fresh.load();
    fresh.save(makeRecords(1));
    HistoryStore store = newStore();
    store.load();
    store.save(makeRecords(2));

    int backups = 0;
    for (const auto& entry : fs::directory_iterator(historyFile().parent_path())) {
        backups += entry.path().filename().string().starts_with("history.json.corrupt") ? 1 : 0;
    }
    EXPECT_EQ(backups, 0);
}

TEST_F(HistoryStoreTest, killedSaveLeavesOldOrNewFile) {
    const std::vector<RenameRecord> first = makeRecords(500, "first");
    const std::vector<RenameRecord> second = makeRecords(500, "second");
    newStore().save(first);

    for (int round = 0; round < 12; ++round) {
        pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            HistoryStore store = newStore();
            store.load();
            for (int i = 0; i < 20000; ++i) {
                store.save(i % 2 == 0 ? second : first);
            }
            ::_exit(0);
        }
        std::this_thread::sleep_for(std::chrono::microseconds(300 + 900 * round));
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);

        std::vector<RenameRecord> loaded = newStore().load();
        EXPECT_TRUE(loaded == first || loaded == second)
            << "round " << round << ": " << loaded.size() << " records";
    }
}

// Two programs (the tray program and --watch) share one history file.
class SharedHistoryTest : public HistoryStoreTest {
protected:
    HistoryStore first = newStore();
    HistoryStore second = newStore();
    std::vector<RenameRecord> firstList;
    std::vector<RenameRecord> secondList;

    // Saves as the model does, taking on what the other program wrote.
    static void save(HistoryStore& store, std::vector<RenameRecord>& list) {
        if (auto merged = store.save(list).merged) {
            list = std::move(*merged);
        }
    }
    static void add(HistoryStore& store, std::vector<RenameRecord>& list, RenameRecord record) {
        list.insert(list.begin(), std::move(record));
        save(store, list);
    }
    void startBoth(const std::vector<RenameRecord>& records) {
        newStore().save(records);
        firstList = first.load();
        secondList = second.load();
    }
};

TEST_F(SharedHistoryTest, everyRenameOfEitherProgramKeepsItsRecord) {
    startBoth({});
    std::vector<std::string> ids;
    for (int i = 0; i < 6; ++i) {
        RenameRecord record = makeRecord(i, i % 2 ? "second" : "first");
        ids.insert(ids.begin(), record.id);
        add(i % 2 ? second : first, i % 2 ? secondList : firstList, record);
    }
    std::vector<std::string> inFile;
    for (const auto& record : newStore().load()) {
        inFile.push_back(record.id);
    }
    EXPECT_EQ(inFile, ids); // newest first
    // The program that wrote last holds them all; the other takes them on with its next save.
    EXPECT_EQ(secondList.size(), 6u);
    add(first, firstList, makeRecord(9, "first"));
    EXPECT_EQ(firstList.size(), 7u);
    EXPECT_EQ(newStore().load(), firstList);
}

TEST_F(SharedHistoryTest, recordsRemovedOnPurposeStayRemoved) {
    const std::vector<RenameRecord> records = makeRecords(4);
    startBoth(records);
    // One program prunes a record whose file is gone, then the user clears its history.
    firstList.erase(firstList.begin() + 1);
    save(first, firstList);
    firstList.clear();
    save(first, firstList);

    // The other, which still lists them all, names a file.
    const RenameRecord fresh = makeRecord(20, "second");
    add(second, secondList, fresh);
    EXPECT_EQ(newStore().load(), std::vector<RenameRecord>{fresh});
    EXPECT_EQ(secondList, std::vector<RenameRecord>{fresh});

    // Nor does a record the first program already let go come back with its next save.
    add(first, firstList, makeRecord(21, "first"));
    EXPECT_EQ(newStore().load().size(), 2u);
}

TEST_F(SharedHistoryTest, aRecordChangedHereWinsOverTheFilesOlderCopy) {
    startBoth(makeRecords(2));
    const std::string id = firstList[0].id;
    const bool undone = firstList[0].undone;
    // The first program undoes or repeats the rename, the second corrects the name afterwards.
    firstList[0].undone = !undone;
    save(first, firstList);
    secondList[0].currentName = "Boarding Pass.png";
    save(second, secondList);
    ASSERT_EQ(newStore().load()[0].currentName, "Boarding Pass.png");
    EXPECT_EQ(newStore().load()[0].undone, undone);

    // A program that left a record alone takes the other's change instead of undoing it.
    add(first, firstList, makeRecord(30, "first"));
    ASSERT_EQ(firstList.size(), 3u);
    EXPECT_EQ(firstList[1].id, id);
    EXPECT_EQ(firstList[1].currentName, "Boarding Pass.png");
    EXPECT_EQ(newStore().load(), firstList);
}

TEST_F(HistoryStoreTest, aLinkedFileIsWrittenAtTheLinksTarget) {
    const fs::path synced = folder.path() / "synced" / "history.json";
    fs::create_directories(synced.parent_path());
    fs::create_symlink("../synced/history.json", historyFile()); // not there yet
    newStore().save(makeRecords(1));
    HistoryStore store = newStore();
    store.load();
    const std::vector<RenameRecord> records = makeRecords(3);
    store.save(records);

    EXPECT_TRUE(fs::is_symlink(historyFile()));
    EXPECT_EQ(fs::read_symlink(historyFile()), "../synced/history.json");
    EXPECT_EQ(newStore().load(), records);
    EXPECT_EQ(readText(synced), readText(historyFile()));
}

// The clock holds about 1678 to 2262; a date beyond that must not wrap around silently.
TEST(HistoryCodec, datesBeyondTheClocksRangeAreInvalid) {
    for (const char* date : {"0000-01-01T00:00:00Z", "1677-09-21T00:12:43Z", "2262-04-11T23:47:17Z",
                             "9999-12-31T23:59:59Z"}) {
        EXPECT_EQ(HistoryCodec::parseDate(date), std::nullopt) << date;
        EXPECT_EQ(HistoryCodec::decode("[" + recordJson(validId, "text", date) + "]"), std::nullopt)
            << date;
    }
    for (const char* date :
         {"1677-09-21T00:12:44Z", "1970-01-01T00:00:00Z", "2262-04-11T23:47:16Z"}) {
        const auto parsed = HistoryCodec::parseDate(date);
        ASSERT_TRUE(parsed.has_value()) << date;
        EXPECT_EQ(HistoryCodec::formatDate(*parsed), date);
    }
}
