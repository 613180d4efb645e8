// `quillmark --watch` as a real process in a temporary home folder.
// libvips before Qt: glib's headers use the word Qt defines as a macro.
#include "engine/ReadingTestImages.h"

#include "app/WatchProcess.h"
#include "files/HistoryStore.h"
#include "reading/VipsRuntime.h"
#include "support/ScriptedModelServer.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>
#include <set>
#include <sys/stat.h>

using namespace std::chrono_literals;
using testsupport::ScriptedModelServer;
using watch_process::WatchProcess;
namespace fs = std::filesystem;

namespace {

// A browser page with a heading and a few lines of text, as a screenshot tool saves it.
bool saveTextScreenshot(const fs::path& path) {
    reading_test::Canvas canvas(1440, 900, 250);
    canvas.fill(0, 0, 1440, 40, 228, 228, 231);
    canvas.text("Booking confirmation - Web Browser", 560, 11, 14, 60);
    int y = 120;
    y += canvas.text("Flight to Lisbon", 180, y, 40, 20, true) + 30;
    for (const char* line : {"Your booking is confirmed. Booking reference: K7QX2M",
                             "Departure: Friday 14 March 2026, 09:40 from Berlin Brandenburg",
                             "Arrival: Friday 14 March 2026, 11:55 at Lisbon Humberto Delgado",
                             "Passenger: Maria Santos, seat 14C, one checked bag"}) {
        y += canvas.text(line, 180, y, 20, 50) + 18;
    }
    return canvas.save(path);
}

class WatchModeTest : public ::testing::Test {
protected:
    QTemporaryDir scratch;
    fs::path root{scratch.path().toStdString()};
    watch_process::ClosedPort modelPort;

    void SetUp() override { ASSERT_TRUE(engine::VipsRuntime::ensureStarted()); }
};

TEST_F(WatchModeTest, namesASavedScreenshotRecordsItAndStopsOnTerm) {
    const fs::path home = root / "home";
    const fs::path screenshots = home / "Pictures" / "Screenshots";
    fs::create_directories(screenshots);
    fs::create_directories(root / "staging");
    // Data home left to its default under the home folder.
    WatchProcess watch(
        watch_process::isolatedEnvironment(home, home / ".config", std::nullopt, modelPort.url()));
    ASSERT_EQ(watch.errorLine(5s), "quillmark: watching " + screenshots.string());

    // Written elsewhere, then moved in whole, as screenshot tools do.
    const std::string original = "Screenshot From 2026-03-14 09-41-22.png";
    ASSERT_TRUE(saveTextScreenshot(root / "staging" / "shot.png"));
    fs::rename(root / "staging" / "shot.png", screenshots / original);

    const auto line = watch.outputLine(20s);
    ASSERT_TRUE(line.has_value());
    const std::string prefix = original + " -> ";
    const std::string source = " [heuristic]";
    ASSERT_TRUE(line->starts_with(prefix) && line->ends_with(".png" + source)) << *line;
    const std::string renamed =
        line->substr(prefix.size(), line->size() - prefix.size() - source.size());
    EXPECT_NE(renamed, ".png");
    EXPECT_FALSE(fs::exists(screenshots / original));
    EXPECT_TRUE(fs::exists(screenshots / renamed));

    const auto history = engine::HistoryStore("Quillmark", home / ".local" / "share").load();
    ASSERT_EQ(history.size(), 1u);
    EXPECT_EQ(history.front().folderPath, screenshots.string());
    EXPECT_EQ(history.front().originalName, original);
    EXPECT_EQ(history.front().currentName, renamed);
    EXPECT_EQ(history.front().source, engine::Namer::Source::heuristic);
    EXPECT_FALSE(history.front().undone);

    EXPECT_EQ(watch.stop(SIGTERM, 2s), 0);
    // Its own rename was swallowed: nothing more was printed.
    EXPECT_EQ(watch.outputLine(0ms), std::nullopt);
}

// The tray program and --watch (or two --watch) on one data folder, each naming its own files.
TEST_F(WatchModeTest, twoProgramsOnOneHistoryKeepEveryRenamesRecord) {
    const fs::path data = root / "data";
    fs::create_directories(root / "staging");
    std::vector<fs::path> folders;
    std::vector<std::unique_ptr<WatchProcess>> programs;
    for (const char* name : {"one", "two"}) {
        const fs::path home = root / name;
        folders.push_back(home / "Pictures" / "Screenshots");
        fs::create_directories(folders.back());
        programs.push_back(std::make_unique<WatchProcess>(
            watch_process::isolatedEnvironment(home, home / ".config", data, modelPort.url())));
        ASSERT_EQ(programs.back()->errorLine(10s),
                  "quillmark: watching " + folders.back().string());
    }
    ASSERT_TRUE(saveTextScreenshot(root / "staging" / "shot.png"));

    std::set<std::string> renamed;
    for (int i = 0; i < 6; ++i) {
        const std::size_t which = static_cast<std::size_t>(i % 2);
        const std::string original =
            "Screenshot From 2026-03-14 09-41-2" + std::to_string(i) + ".png";
        fs::copy_file(root / "staging" / "shot.png", root / "staging" / "next.png");
        fs::rename(root / "staging" / "next.png", folders[which] / original);
        const auto line = programs[which]->outputLine(30s);
        ASSERT_TRUE(line && line->starts_with(original + " -> ")) << line.value_or("(none)");
        renamed.insert(original);
    }
    std::set<std::string> recorded;
    for (const auto& record : engine::HistoryStore("Quillmark", data).load()) {
        recorded.insert(record.originalName);
    }
    EXPECT_EQ(recorded, renamed);
    for (auto& program : programs) {
        EXPECT_EQ(program->stop(SIGTERM, 3s), 0);
    }
}

// Something that is no regular file in their place must not hold up the start for ever.
TEST_F(WatchModeTest, fifosAtTheSettingsAndHistoryAreSkippedAndTermStillEnds) {
    const fs::path home = root / "home";
    fs::create_directories(home / "Pictures" / "Screenshots");
    const auto environment =
        watch_process::isolatedEnvironment(home, root / "config", root / "data", modelPort.url());
    const fs::path settings = root / "config" / "Quillmark" / "Quillmark.conf";
    const fs::path history = root / "data" / "Quillmark" / "history.json";
    fs::remove(settings);
    fs::create_directories(history.parent_path());
    ASSERT_EQ(::mkfifo(settings.c_str(), 0600), 0);
    ASSERT_EQ(::mkfifo(history.c_str(), 0600), 0);

    WatchProcess watch(environment);
    EXPECT_EQ(watch.errorLine(10s),
              "quillmark: watching " + (home / "Pictures" / "Screenshots").string());
    EXPECT_EQ(watch.stop(SIGTERM, 3s), 0);
    EXPECT_EQ(fs::status(settings).type(), fs::file_type::fifo);
    EXPECT_EQ(fs::status(history).type(), fs::file_type::fifo);
}

TEST_F(WatchModeTest, missingHomeFolderIsReportedAndInterruptStops) {
    // With no home folder every fallback of the screenshot folder lookup is missing too.
    const fs::path home = root / "absent";
    WatchProcess watch(
        watch_process::isolatedEnvironment(home, root / "config", root / "data", modelPort.url()));
    ASSERT_EQ(watch.errorLine(5s), "quillmark: watching " + home.string());
    EXPECT_EQ(watch.outputLine(5s),
              "Couldn't watch absent. Check that the folder exists and that you may read it.");
    EXPECT_EQ(watch.stop(SIGINT, 2s), 0);
}

} // namespace

TEST_F(WatchModeTest, termEndsAtOnceWhileTheModelIsStillAnswering) {
    const fs::path home = root / "home";
    const fs::path screenshots = home / "Pictures" / "Screenshots";
    fs::create_directories(screenshots);
    fs::create_directories(root / "staging");
    ScriptedModelServer server(ScriptedModelServer::Protocol::ollama, {{"llava:latest", true}});
    server.setDefaultReply(ScriptedModelServer::Reply::answer("Too Late").after(30s));
    WatchProcess watch(watch_process::isolatedEnvironment(home, home / ".config", std::nullopt,
                                                          server.endpoint()));
    ASSERT_EQ(watch.errorLine(5s), "quillmark: watching " + screenshots.string());

    const std::string original = "Screenshot From 2026-03-14 09-41-22.png";
    ASSERT_TRUE(saveTextScreenshot(root / "staging" / "shot.png"));
    fs::rename(root / "staging" / "shot.png", screenshots / original);
    // The warm-up asks with no context; the naming sends the screenshot's text.
    const auto namingAsked = [&] {
        for (const auto& chat : server.chatRequests()) {
            const auto& messages = chat.json["messages"];
            if (messages.size() == 2 && messages[1]["content"] != "Name this screenshot.") {
                return true;
            }
        }
        return false;
    };
    const auto waitUntil = std::chrono::steady_clock::now() + 20s;
    while (!namingAsked() && std::chrono::steady_clock::now() < waitUntil) {
        watch.outputLine(20ms);
    }
    ASSERT_TRUE(namingAsked());

    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(watch.stop(SIGTERM, 3s), 0);
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_LT(took, 1s) << std::chrono::duration_cast<std::chrono::milliseconds>(took).count()
                        << " ms";
    EXPECT_TRUE(fs::exists(screenshots / original));
    EXPECT_TRUE(engine::HistoryStore("Quillmark", home / ".local" / "share").load().empty());
}
