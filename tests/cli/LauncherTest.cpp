#include "Launcher.h"
#include "engine/ScratchFolder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <iostream>
#include <sstream>

using cli::Invocation;
using cli::Launcher;
using Mode = Invocation::Mode;

namespace {

Invocation decide(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), "/usr/bin/quillmark");
    return Launcher::decide(arguments);
}

struct Run {
    int status;
    std::string out;
};

// A whole run with standard output captured.
Run runMain(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), "quillmark");
    std::ostringstream captured;
    auto* previous = std::cout.rdbuf(captured.rdbuf());
    const int status = Launcher::run(Launcher::decide(arguments));
    std::cout.rdbuf(previous);
    return {status, captured.str()};
}

} // namespace

TEST(Launcher, suggestTakesEveryLaterArgumentAsAFile) {
    EXPECT_EQ(decide({"--suggest", "a.png", "--tidy", "dir"}),
              (Invocation{Mode::suggest, {"a.png", "--tidy", "dir"}}));
    EXPECT_EQ(decide({"--list", "dir", "--suggest"}), (Invocation{Mode::suggest, {}}));
}

TEST(Launcher, folderModesNeedTheirOperandAndTakeTheFirstOccurrence) {
    EXPECT_EQ(decide({"--tidy"}), (Invocation{Mode::application, {}}));
    EXPECT_EQ(decide({"--tidy", "a", "--tidy", "b"}), (Invocation{Mode::tidy, {"a"}}));
    EXPECT_EQ(decide({"--list", "a", "--tidy"}), (Invocation{Mode::list, {"a"}}));
    EXPECT_EQ(decide({"--list", "--tidy"}), (Invocation{Mode::list, {"--tidy"}}));
    EXPECT_EQ(decide({"--snapshot", "out"}), (Invocation{Mode::snapshot, {"out"}}));
    EXPECT_EQ(decide({"--snapshot"}), (Invocation{Mode::application, {}}));
    // Only the first occurrence counts: a trailing first "--list" is skipped altogether.
    EXPECT_EQ(decide({"x", "--list"}), (Invocation{Mode::application, {}}));
}

TEST(Launcher, modesAreTestedInTheirOrder) {
    EXPECT_EQ(decide({"--bench", "--list", "dir"}), (Invocation{Mode::list, {"dir"}}));
    EXPECT_EQ(decide({"--bench", "--list"}), (Invocation{Mode::bench, {}}));
    EXPECT_EQ(decide({"--models", "--bench"}), (Invocation{Mode::models, {}}));
    EXPECT_EQ(decide({"--snapshot", "out", "x", "--bench"}), (Invocation{Mode::bench, {}}));
    EXPECT_EQ(decide({"--tidy", "t", "--list", "l"}), (Invocation{Mode::tidy, {"t"}}));
}

TEST(Launcher, helpAndVersionOnlyWhenNoModeApplies) {
    EXPECT_EQ(decide({"--help"}).mode, Mode::help);
    EXPECT_EQ(decide({"-h", "--version"}).mode, Mode::help);
    EXPECT_EQ(decide({"--version"}).mode, Mode::version);
    EXPECT_EQ(decide({"--list", "dir", "--help"}).mode, Mode::list);
    EXPECT_EQ(decide({"--tidy", "--help"}).mode, Mode::tidy);
    EXPECT_EQ(decide({"--list", "--help"}).mode, Mode::list);
}

TEST(Launcher, comparesWordsExactly) {
    for (const auto& arguments : std::vector<std::vector<std::string>>{
             {"--LIST", "dir"}, {"--list=dir"}, {"--lis", "dir"}, {"-list", "dir"}, {}}) {
        EXPECT_EQ(decide(arguments).mode, Mode::application);
    }
    EXPECT_EQ(Launcher::decide({}).mode, Mode::application);
}

TEST(Launcher, mainPrintsUsageVersionAndListing) {
    const auto plain = runMain({});
    EXPECT_EQ(plain.status, 0);
    EXPECT_EQ(plain.out, Launcher::usage());
    for (const char* mode : {"--list", "--suggest", "--tidy", "--models", "--snapshot", "--bench",
                             "--help", "--version"}) {
        EXPECT_NE(plain.out.find(mode), std::string::npos) << mode;
    }
    EXPECT_THAT(runMain({"--version"}).out,
                testing::MatchesRegex("Quillmark [0-9]+\\.[0-9]+\\.[0-9]+\n"));

    ScratchFolder folder;
    folder.file("IMG_0001.png");
    const auto listed = runMain({"--list", folder.path().string()});
    EXPECT_EQ(listed.status, 0);
    EXPECT_EQ(listed.out, "1 to rename in " + folder.path().string() + "\n  IMG_0001.png\n");
    EXPECT_EQ(runMain({"--list", (folder.path() / "missing").string()}).status, 1);
}
