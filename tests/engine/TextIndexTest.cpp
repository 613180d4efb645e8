#include "index/TextIndex.h"
#include "ScratchFolder.h"
#include "index/TextMatch.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <fstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using engine::TextIndex;

TextIndex::Entry entry(const std::string& id, std::int64_t date, const std::string& path = {}) {
    return {id, path.empty() ? "/shots/" + id + ".png" : path, id + ".png\nScreenshot.png", date};
}

std::vector<std::string> idsOf(const std::vector<TextIndex::Hit>& hits) {
    std::vector<std::string> ids;
    for (const auto& hit : hits) {
        ids.push_back(hit.id);
    }
    return ids;
}

class TextIndexTest : public ::testing::Test {
protected:
    ScratchFolder scratch;
    std::filesystem::path file = scratch.path() / "text.sqlite";
};

TEST_F(TextIndexTest, makesAPrivateFileAndKeepsTextAcrossOpenings) {
    {
        TextIndex index(file);
        ASSERT_EQ(index.open(), TextIndex::Opened::fresh);
        ASSERT_TRUE(index.put(entry("A", 1)));
        ASSERT_TRUE(index.setText("A", {"Network settings", "Wi-Fi password: hunter22"}));
    }
    struct stat info {};
    ASSERT_EQ(::stat(file.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600);

    TextIndex again(file);
    ASSERT_EQ(again.open(), TextIndex::Opened::existing);
    EXPECT_EQ(again.text("A"), "Network settings\nWi-Fi password: hunter22");
    EXPECT_TRUE(again.unread().empty());
}

TEST_F(TextIndexTest, putChangesPathAndNamesButKeepsTheText) {
    TextIndex index(file);
    ASSERT_EQ(index.open(), TextIndex::Opened::fresh);
    ASSERT_TRUE(index.put(entry("A", 1)));
    EXPECT_EQ(index.unread(), std::vector<std::string>{"A"});
    ASSERT_TRUE(index.setText("A", {"port 5432 refused"}));
    ASSERT_TRUE(index.put(entry("A", 1, "/shots/Screenshot.png")));
    const auto hits = index.search("5432");
    ASSERT_EQ(hits.size(), 1U);
    EXPECT_EQ(hits[0].path, "/shots/Screenshot.png");
    EXPECT_EQ(hits[0].line, "port 5432 refused");
}

TEST_F(TextIndexTest, removedEntriesLeaveNoTextBehind) {
    TextIndex index(file);
    ASSERT_EQ(index.open(), TextIndex::Opened::fresh);
    ASSERT_TRUE(index.put(entry("A", 1)));
    ASSERT_TRUE(index.setText("A", {"secret invoice"}));
    ASSERT_TRUE(index.remove({"A"}));
    EXPECT_TRUE(index.search("invoice").empty());
    EXPECT_TRUE(index.needsCompaction());
    ASSERT_TRUE(index.compact());
    EXPECT_FALSE(index.needsCompaction());
    // Nor in the bytes of the file and its journal.
    for (const auto& path : {file, std::filesystem::path(file.string() + "-wal")}) {
        std::ifstream stream(path, std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(stream)), {});
        EXPECT_EQ(bytes.find("secret invoice"), std::string::npos) << path;
        EXPECT_EQ(bytes.find("nvo"), std::string::npos) << path;
    }
    // A reading that finishes after its record went stays out.
    ASSERT_TRUE(index.setText("A", {"secret invoice"}));
    EXPECT_TRUE(index.search("invoice").empty());
    EXPECT_TRUE(index.entries().empty());
}

TEST_F(TextIndexTest, searchFindsPartsOfWordsNewestFirstWithTheMatchingLine) {
    TextIndex index(file);
    ASSERT_EQ(index.open(), TextIndex::Opened::fresh);
    ASSERT_TRUE(index.put(entry("old", 10)));
    ASSERT_TRUE(index.put(entry("new", 20)));
    ASSERT_TRUE(index.put(entry("other", 30)));
    ASSERT_TRUE(index.setText("old", {"Inbox", "Your PASSWORD was changed"}));
    ASSERT_TRUE(index.setText("new", {"Settings", "wifi password: hunter22"}));
    ASSERT_TRUE(index.setText("other", {"Nothing to see"}));

    const auto hits = index.search("passw");
    EXPECT_EQ(idsOf(hits), (std::vector<std::string>{"new", "old"}));
    EXPECT_EQ(hits[0].line, "wifi password: hunter22");
    EXPECT_EQ(hits[1].line, "Your PASSWORD was changed");
    // Too short for the trigram index, and then nearly everything would match.
    EXPECT_TRUE(index.search("pa").empty());
    // Words are found where they stand together, as in names.
    EXPECT_TRUE(index.search("password hunter").empty());
    EXPECT_EQ(idsOf(index.search("password: hunter")), std::vector<std::string>{"new"});
}

TEST_F(TextIndexTest, queryCharactersAreSearchedAsPlainText) {
    TextIndex index(file);
    ASSERT_EQ(index.open(), TextIndex::Opened::fresh);
    ASSERT_TRUE(index.put(entry("A", 1)));
    ASSERT_TRUE(index.setText("A", {R"(say "hi" (now) -x NEAR y* a"b)"}));
    for (const std::string query : {R"("hi")", "(now)", "-x NEAR", "NEAR y*", R"(a"b)", "\"",
                                    "\"\"\"", "NEAR(", "AND OR NOT"}) {
        const auto hits = index.search(query);
        const bool inText =
            query.size() >= TextIndex::shortestQuery &&
            std::string(R"(say "hi" (now) -x NEAR y* a"b)").find(query) != std::string::npos;
        EXPECT_EQ(hits.size(), inText ? 1U : 0U) << query;
    }
}

TEST_F(TextIndexTest, searchIgnoresCaseBeyondAsciiAndShortensLongLinesBeforeTheMatch) {
    TextIndex index(file);
    ASSERT_EQ(index.open(), TextIndex::Opened::fresh);
    ASSERT_TRUE(index.put(entry("A", 1)));
    const std::string lead(60, 'x');
    ASSERT_TRUE(index.setText("A", {"ÇIKIŞ YAP", lead + " Über die Straße"}));
    EXPECT_EQ(index.search("çikiş").front().line, "ÇIKIŞ YAP");
    EXPECT_EQ(idsOf(index.search("über die")), std::vector<std::string>{"A"});
    EXPECT_EQ(index.search("über die", {}, 12).front().line,
              "\u2026" + std::string(11, 'x') + " Über die Straße");
    // Under Turkish rules "I" lower-cases to a dotless "ı", so "çikiş" is another word.
    EXPECT_TRUE(index.search("çikiş", "tr").empty());
}

// Plain ASCII lines are ruled out without ICU; what they may hold still follows the locale,
// and lines beyond ASCII always take the locale's way.
TEST(TextMatchTest, asciiLinesAreSkippedOnlyWhenNoLocaleCouldFindTheQueryThere) {
    const std::string body = "File Edit View\nYour PIN is 4711\nHeat to 5 \u212A";
    EXPECT_EQ(engine::TextMatch("pin", "en").firstLine(body), "Your PIN is 4711");
    EXPECT_EQ(engine::TextMatch("pin", "tr").firstLine(body), std::nullopt);
    // The Kelvin sign lower-cases to a plain "k".
    EXPECT_EQ(engine::TextMatch("5 k", "en").firstLine(body), "Heat to 5 \u212A");
    EXPECT_EQ(engine::TextMatch("EDIT v", "en").firstLine(body), "File Edit View");
    EXPECT_EQ(engine::TextMatch("edit x", "en").firstLine(body), std::nullopt);
}

TEST_F(TextIndexTest, aDamagedFileIsSetAsideAndMadeAnew) {
    std::ofstream(file) << std::string(8192, 'g');
    TextIndex index(file);
    ASSERT_EQ(index.open(), TextIndex::Opened::rebuilt);
    EXPECT_TRUE(std::filesystem::exists(file.string() + ".damaged"));
    ASSERT_TRUE(index.put(entry("A", 1)));
    EXPECT_EQ(index.unread(), std::vector<std::string>{"A"});
}

TEST_F(TextIndexTest, aTornPageIsFoundAndTheFileMadeAnew) {
    {
        TextIndex index(file);
        ASSERT_EQ(index.open(), TextIndex::Opened::fresh);
        for (int i = 0; i < 200; ++i) {
            ASSERT_TRUE(index.put(entry("id" + std::to_string(i), i)));
            ASSERT_TRUE(index.setText("id" + std::to_string(i), {std::string(900, 'a' + i % 26)}));
        }
        ASSERT_TRUE(index.put(entry("last", 999))); // checkpointed on close
    }
    {
        std::fstream bytes(file, std::ios::in | std::ios::out | std::ios::binary);
        bytes.seekp(4096 * 3);
        bytes << std::string(4096 * 4, '\x5a');
    }
    TextIndex index(file);
    EXPECT_EQ(index.open(), TextIndex::Opened::rebuilt);
    EXPECT_TRUE(index.entries().empty());
}

TEST_F(TextIndexTest, aFolderThatCannotHoldTheFileLeavesTheIndexUnavailable) {
    const auto blocker = scratch.file("not-a-folder");
    TextIndex index(blocker / "text.sqlite");
    EXPECT_EQ(index.open(), TextIndex::Opened::unavailable);
    EXPECT_FALSE(index.isOpen());
    EXPECT_FALSE(index.put(entry("A", 1)));
    EXPECT_TRUE(index.search("anything").empty());
    EXPECT_FALSE(std::filesystem::exists(blocker.string() + "/text.sqlite.damaged"));
}

TEST_F(TextIndexTest, openingWithoutCreatingAnswersMissing) {
    TextIndex index(file);
    EXPECT_EQ(index.open(false), TextIndex::Opened::missing);
    EXPECT_FALSE(std::filesystem::exists(file));
}

// The writer is killed in the middle of its work; what it committed is there, and the file
// opens as it is, without being made anew.
TEST_F(TextIndexTest, killedWhileWritingLeavesAUsableIndex) {
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::close(ready[0]);
        TextIndex index(file);
        if (index.open() != TextIndex::Opened::fresh) {
            ::_exit(3);
        }
        for (int i = 0;; ++i) {
            const std::string id = "id" + std::to_string(i);
            index.put(entry(id, i));
            index.setText(id, {"line one of " + id, std::string(2000, 'q')});
            if (i == 50) {
                (void)!::write(ready[1], "r", 1);
            }
        }
    }
    ::close(ready[1]);
    char signal = 0;
    ASSERT_EQ(::read(ready[0], &signal, 1), 1);
    ::close(ready[0]);
    ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status));

    TextIndex index(file);
    ASSERT_EQ(index.open(), TextIndex::Opened::existing);
    EXPECT_GE(index.entries().size(), 51U);
    const auto ids = idsOf(index.search("line one of id7"));
    EXPECT_NE(std::find(ids.begin(), ids.end(), "id7"), ids.end());
    EXPECT_TRUE(index.put(entry("after", 100000)));
}

} // namespace
