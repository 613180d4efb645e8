#include "ListMode.h"
#include "OperandPath.h"
#include "engine/ScratchFolder.h"

#include <gtest/gtest.h>

#include <sstream>
#include <unistd.h>

using cli::ListMode;
using cli::OperandPath;

namespace {

struct Output {
    int status;
    std::string text;
};

Output list(const std::string& argument) {
    std::ostringstream out;
    const int status = ListMode::run(argument, out);
    return {status, out.str()};
}

// Runs in `folder` and goes back afterwards.
class WorkingFolder {
public:
    explicit WorkingFolder(const std::filesystem::path& folder)
        : previous_(std::filesystem::current_path()) {
        std::filesystem::current_path(folder);
    }
    ~WorkingFolder() { std::filesystem::current_path(previous_); }

private:
    std::filesystem::path previous_;
};

} // namespace

TEST(ListMode, printsTheCountAndEachVagueImageInNameOrder) {
    ScratchFolder folder;
    folder.file("image (2).png");
    folder.file("IMG_4471.HEIC");
    folder.file("Quarterly report.png");
    folder.file("Screenshot From 2026-03-14 09-41-22.png");
    folder.file("notes.txt");
    const auto output = list(folder.path().string());
    EXPECT_EQ(output.status, 0);
    EXPECT_EQ(output.text, "3 to rename in " + folder.path().string() +
                               "\n"
                               "  IMG_4471.HEIC\n"
                               "  Screenshot From 2026-03-14 09-41-22.png\n"
                               "  image (2).png\n");
}

TEST(ListMode, printsTheCountLineAloneWhenNothingIsVague) {
    ScratchFolder folder;
    folder.file("Quarterly report.png");
    const auto output = list(folder.path().string() + "/");
    EXPECT_EQ(output.status, 0);
    EXPECT_EQ(output.text, "0 to rename in " + folder.path().string() + "\n");
}

TEST(ListMode, anUnreadableFolderIsOneLineAndAFailureStatus) {
    ScratchFolder folder;
    const auto missing = folder.path() / "missing";
    const auto output = list(missing.string());
    EXPECT_EQ(output.status, 1);
    EXPECT_EQ(output.text, "can't read " + missing.string() + ": No such file or directory\n");
}

TEST(ListMode, resolvesRelativeFoldersAgainstTheWorkingFolder) {
    ScratchFolder folder;
    folder.file("shots/IMG_0001.png");
    WorkingFolder inside(folder.path());
    const auto base = std::filesystem::current_path();
    EXPECT_EQ(OperandPath::absolute("shots/"), base / "shots");
    EXPECT_EQ(OperandPath::absolute("/"), "/");
    EXPECT_EQ(list("shots").text,
              "1 to rename in " + (base / "shots").string() + "\n  IMG_0001.png\n");
}

// With link -> ../real/inner, "link/.." is real, as for every other program.
TEST(ListMode, leavesDotDotToTheFileSystem) {
    ScratchFolder folder;
    folder.file("real/inner/notes.txt");
    folder.file("real/IMG_0001.png");
    folder.file("work/IMG_0002.png");
    std::filesystem::create_directory_symlink("../real/inner", folder.path() / "work" / "link");
    WorkingFolder inside(folder.path() / "work");
    const auto real = std::filesystem::canonical(folder.path() / "real");
    EXPECT_EQ(list("link/..").text, "1 to rename in " + real.string() + "\n  IMG_0001.png\n");
    EXPECT_EQ(list("link/../").text, "1 to rename in " + real.string() + "\n  IMG_0001.png\n");
    EXPECT_EQ(list("link/../missing").text,
              "can't read " + (std::filesystem::current_path() / "link/../missing").string() +
                  ": No such file or directory\n");
}
