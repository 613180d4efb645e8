#include "files/Renamer.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <set>

using namespace engine;
namespace fs = std::filesystem;

namespace {

class RenamerTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "renamer-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        folder = pattern;
    }
    void TearDown() override { fs::remove_all(folder); }

    fs::path write(const std::string& name, const std::string& content) const {
        const fs::path path = folder / name;
        std::ofstream(path) << content;
        return path;
    }
    std::string read(const std::string& name) const {
        std::ifstream in(folder / name);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    std::set<std::string> names() const {
        std::set<std::string> out;
        for (const auto& entry : fs::directory_iterator(folder)) {
            out.insert(entry.path().filename().string());
        }
        return out;
    }

    fs::path folder;
};

} // namespace

TEST_F(RenamerTest, uniqueURLNumbersFromTwoWithTheExtensionLast) {
    EXPECT_EQ(Renamer::uniqueURL(folder, "Quarterly report", "png", std::nullopt),
              folder / "Quarterly report.png");
    write("Quarterly report.png", "1");
    write("Quarterly report 2.png", "2");
    EXPECT_EQ(Renamer::uniqueURL(folder, "Quarterly report", "png", std::nullopt),
              folder / "Quarterly report 3.png");
    // A folder or a dangling link holds a name too.
    fs::create_directory(folder / "Quarterly report 3.png");
    fs::create_symlink(folder / "nowhere", folder / "Quarterly report 4.png");
    EXPECT_EQ(Renamer::uniqueURL(folder, "Quarterly report", "png", std::nullopt),
              folder / "Quarterly report 5.png");
    EXPECT_EQ(names().size(), 4u); // only looked, created nothing
}

TEST_F(RenamerTest, uniqueURLTreatsTheIgnoredFileAsFree) {
    write("Notes", "x");
    write("Notes 2", "y");
    EXPECT_EQ(Renamer::uniqueURL(folder, "Notes", "", std::nullopt), folder / "Notes 3");
    EXPECT_EQ(Renamer::uniqueURL(folder, "Notes", "", folder / "sub" / ".." / "Notes 2/"),
              folder / "Notes 2");
    // Comparison is exact on the path text: another case is another name.
    EXPECT_EQ(Renamer::uniqueURL(folder, "Notes", "", folder / "notes 2"), folder / "Notes 3");
}

TEST_F(RenamerTest, renameResolvesCollisionsByNumbering) {
    write("Quarterly report.png", "old 1");
    write("Quarterly report 2.png", "old 2");
    const auto shot = write("Screenshot 2026-01-05 at 10.11.12.png", "shot");
    const auto result = Renamer::rename(shot, "Quarterly report");
    ASSERT_TRUE(result.ok()) << result.error().description();
    EXPECT_EQ(result.path(), folder / "Quarterly report 3.png");
    EXPECT_EQ(read("Quarterly report 3.png"), "shot");
    EXPECT_EQ(read("Quarterly report.png"), "old 1");
    EXPECT_EQ(read("Quarterly report 2.png"), "old 2");
    EXPECT_FALSE(fs::exists(shot));
}

TEST_F(RenamerTest, renameKeepsTheFilesOwnExtension) {
    const auto noExtension = write("IMG_1", "a");
    auto result = Renamer::rename(noExtension, "Notes");
    ASSERT_TRUE(result.ok());
    EXPECT_EQ(result.path(), folder / "Notes");

    const auto other = write("IMG_2", "b");
    result = Renamer::rename(other, "Notes");
    ASSERT_TRUE(result.ok());
    EXPECT_EQ(result.path(), folder / "Notes 2");

    const auto upper = write("IMG_4471.JPG", "c");
    result = Renamer::rename(upper, "Beach sunset");
    ASSERT_TRUE(result.ok());
    EXPECT_EQ(result.path(), folder / "Beach sunset.JPG");

    const auto twoDots = write("archive.tar.gz", "d");
    result = Renamer::rename(twoDots, "Backup");
    ASSERT_TRUE(result.ok());
    EXPECT_EQ(result.path(), folder / "Backup.gz");
    EXPECT_EQ(names(),
              (std::set<std::string>{"Notes", "Notes 2", "Beach sunset.JPG", "Backup.gz"}));
}

TEST_F(RenamerTest, renameToTheCurrentNameTouchesNothing) {
    const auto file = write("Beach.png", "a");
    struct stat before {};
    ASSERT_EQ(lstat(file.c_str(), &before), 0);
    const auto result = Renamer::rename(file, "Beach");
    ASSERT_TRUE(result.ok());
    EXPECT_EQ(result.path(), file);
    struct stat after {};
    ASSERT_EQ(lstat(file.c_str(), &after), 0);
    EXPECT_EQ(after.st_ctim.tv_sec, before.st_ctim.tv_sec);
    EXPECT_EQ(after.st_ctim.tv_nsec, before.st_ctim.tv_nsec);
    // A different letter case is a different name here.
    const auto lower = Renamer::rename(file, "beach");
    ASSERT_TRUE(lower.ok());
    EXPECT_EQ(lower.path(), folder / "beach.png");
}

TEST_F(RenamerTest, renameOfAMissingFileSaysSo) {
    const auto result = Renamer::rename(folder / "IMG_4471.png", "Beach");
    ASSERT_FALSE(result.ok());
    EXPECT_EQ(result.error().kind, RenameError::Kind::missing);
    EXPECT_EQ(result.error().description(), "IMG_4471.png is no longer in that folder.");
    EXPECT_TRUE(names().empty());
}

TEST_F(RenamerTest, namesNeverLeadOutOfTheFolder) {
    fs::create_directory(folder / "inner");
    const auto file = write("inner/IMG_1.png", "a");
    for (const char* name : {"../escaped", "a/b", "", "..", "."}) {
        const auto result = Renamer::rename(file, name);
        ASSERT_FALSE(result.ok()) << name;
        EXPECT_EQ(result.error().error, std::errc::invalid_argument) << name;
    }
    for (const char* name : {"../escaped.png", "", "..", "."}) {
        const auto result = Renamer::restore(file, name);
        ASSERT_FALSE(result.ok()) << name;
        EXPECT_EQ(result.error().error, std::errc::invalid_argument) << name;
    }
    EXPECT_EQ(names(), (std::set<std::string>{"inner"}));
    EXPECT_TRUE(fs::exists(file));
}

TEST_F(RenamerTest, restoreLandsOnExactlyTheOldName) {
    const auto file = write("Beach sunset.png", "a");
    const auto result = Renamer::restore(file, "IMG_4471.JPG");
    ASSERT_TRUE(result.ok());
    EXPECT_EQ(result.path(), folder / "IMG_4471.JPG");
    EXPECT_EQ(read("IMG_4471.JPG"), "a");
    EXPECT_EQ(names(), (std::set<std::string>{"IMG_4471.JPG"}));
}

TEST_F(RenamerTest, restoreRefusesATakenNameAndNeverNumbers) {
    const auto file = write("Beach sunset.png", "renamed");
    write("IMG_4471.png", "other");
    auto result = Renamer::restore(file, "IMG_4471.png");
    ASSERT_FALSE(result.ok());
    EXPECT_EQ(result.error().kind, RenameError::Kind::nameTaken);
    EXPECT_EQ(result.error().description(),
              "IMG_4471.png already exists, so the old name can't be restored.");
    EXPECT_EQ(read("Beach sunset.png"), "renamed");
    EXPECT_EQ(read("IMG_4471.png"), "other");
    EXPECT_EQ(names().size(), 2u);

    // Even the file's own name counts as taken.
    result = Renamer::restore(file, "Beach sunset.png");
    ASSERT_FALSE(result.ok());
    EXPECT_EQ(result.error().kind, RenameError::Kind::nameTaken);
}

TEST_F(RenamerTest, restoreOfAFileMovedAwayIsMissing) {
    const auto result = Renamer::restore(folder / "Beach sunset.png", "IMG_4471.png");
    ASSERT_FALSE(result.ok());
    EXPECT_EQ(result.error().kind, RenameError::Kind::missing);
    EXPECT_EQ(result.error().description(), "Beach sunset.png is no longer in that folder.");
}

TEST_F(RenamerTest, aFileAppearingAfterThePredictionIsNeverOverwritten) {
    const auto shot = write("Screenshot.png", "shot");
    const auto target = Renamer::uniqueURL(folder, "Beach", "png", shot);
    write("Beach.png", "arrived meanwhile");
    for (const auto move : {&Renamer::moveNoReplace, &Renamer::moveByLink}) {
        const auto error = move(shot, target);
        EXPECT_EQ(error, std::errc::file_exists);
        EXPECT_EQ(read("Screenshot.png"), "shot");
        EXPECT_EQ(read("Beach.png"), "arrived meanwhile");
        EXPECT_EQ(names().size(), 2u);
    }
}

TEST_F(RenamerTest, bothMovesMoveTheFile) {
    write("a.png", "content");
    EXPECT_FALSE(Renamer::moveNoReplace(folder / "a.png", folder / "b.png"));
    EXPECT_FALSE(Renamer::moveByLink(folder / "b.png", folder / "c.png"));
    EXPECT_EQ(names(), (std::set<std::string>{"c.png"}));
    EXPECT_EQ(read("c.png"), "content");
    EXPECT_EQ(Renamer::moveNoReplace(folder / "a.png", folder / "d.png"),
              std::errc::no_such_file_or_directory);
}

// A record with an empty or dotted name must not reach the folder that holds the file.
TEST_F(RenamerTest, aSourceThatIsNotAFileNameIsRefused) {
    fs::create_directories(folder / "box" / "shots");
    write("box/shots/IMG_1.png", "a");
    for (const fs::path& source : {folder / "box" / "shots" / "", folder / "box" / "shots" / ".",
                                   folder / "box" / "shots" / ".."}) {
        SCOPED_TRACE(source.string());
        const auto renamed = Renamer::rename(source, "Renamed folder");
        ASSERT_FALSE(renamed.ok());
        EXPECT_EQ(renamed.error().error, std::errc::invalid_argument);
        const auto restored = Renamer::restore(source, "Renamed folder.png");
        ASSERT_FALSE(restored.ok());
        EXPECT_EQ(restored.error().error, std::errc::invalid_argument);
    }
    EXPECT_EQ(names(), (std::set<std::string>{"box"}));
    EXPECT_TRUE(fs::exists(folder / "box" / "shots" / "IMG_1.png"));
}

// "link/.." is the folder above the link's target, as the kernel resolves it, not the folder
// that holds the link.
TEST_F(RenamerTest, filesStayInTheFolderTheyReallyAreIn) {
    fs::create_directories(folder / "real" / "inner");
    fs::create_directory(folder / "work");
    fs::create_directory_symlink("../real/inner", folder / "work" / "link");
    write("real/IMG_1.png", "one");
    write("real/IMG_2.png", "two");
    write("real/Beach.png", "taken");
    const fs::path viaLink = folder / "work" / "link" / "..";

    const auto renamed = Renamer::rename(viaLink / "IMG_1.png", "Beach");
    ASSERT_TRUE(renamed.ok()) << renamed.error().description();
    EXPECT_EQ(renamed.path().filename(), "Beach 2.png");
    EXPECT_EQ(read("real/Beach 2.png"), "one");

    const auto restored = Renamer::restore(viaLink / "IMG_2.png", "Old.png");
    ASSERT_TRUE(restored.ok()) << restored.error().description();
    EXPECT_EQ(read("real/Old.png"), "two");

    std::set<std::string> work;
    for (const auto& entry : fs::directory_iterator(folder / "work")) {
        work.insert(entry.path().filename().string());
    }
    EXPECT_EQ(work, (std::set<std::string>{"link"}));
}
