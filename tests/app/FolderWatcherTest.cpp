#include "FolderWatcher.h"

#include <QCoreApplication>
#include <QTest>

#include "engine/ScratchFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <fstream>
#include <poll.h>
#include <string>
#include <sys/mount.h>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

using app::FolderWatcher;
namespace fs = std::filesystem;

namespace {

using TempFolder = ScratchFolder;

void touch(const fs::path& file) {
    int fd = ::open(file.c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
    ASSERT_GE(fd, 0) << file;
    ::close(fd);
}

class FolderWatcherTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (QCoreApplication::instance() == nullptr) {
            static int argc = 1;
            static char name[] = "app_watcher_tests";
            static char* argv[] = {name, nullptr};
            static QCoreApplication application(argc, argv);
        }
    }

    fs::path at(const std::string& name) const { return folder.path() / name; }
    void create(const std::string& name) { touch(at(name)); }

    bool waitForReports(std::size_t count, int timeoutMs = 5000) {
        return QTest::qWaitFor([&] { return reports.size() >= count; }, timeoutMs);
    }

    // Waits until a marker file is reported, so that every earlier change has been handled,
    // and returns what was reported before it.
    std::vector<std::string> settledReports() {
        std::string marker = "~marker-" + std::to_string(markers++);
        create(marker);
        bool seen = QTest::qWaitFor(
            [&] { return std::find(reports.begin(), reports.end(), marker) != reports.end(); },
            5000);
        EXPECT_TRUE(seen) << marker << " never reported";
        std::vector<std::string> before;
        for (const std::string& name : reports) {
            if (name.rfind("~marker-", 0) != 0) {
                before.push_back(name);
            }
        }
        reports.clear();
        return before;
    }

    TempFolder folder;
    std::vector<std::string> reports;
    std::vector<fs::path> paths;
    int markers = 0;
    FolderWatcher watcher{folder.path(), [this](const fs::path& path) {
                              paths.push_back(path);
                              reports.push_back(path.filename().string());
                          }};
};

using Names = std::vector<std::string>;

} // namespace

TEST_F(FolderWatcherTest, reportsNewEntriesOnceButNeverTheBaseline) {
    create("old.png");
    create(".old-hidden");
    ASSERT_TRUE(watcher.start());
    EXPECT_TRUE(watcher.isWatching());
    EXPECT_GE(watcher.descriptor(), 0);

    create("new.png");
    ASSERT_TRUE(waitForReports(1));
    EXPECT_EQ(paths.front(), folder.path() / "new.png");
    create(".hidden.png");
    fs::create_directory(at("sub"));
    touch(at("sub") / "inside.png"); // no recursion
    EXPECT_EQ(settledReports(), (Names{"new.png", ".hidden.png", "sub"}));
}

TEST_F(FolderWatcherTest, reportsFilesOfOneScanInAscendingComposedOrder) {
    ASSERT_TRUE(watcher.start());
    // Created without the event loop running, so they arrive in one scan.
    create("c.png");
    create("a.png");
    create("e\xCC\x81.png"); // decomposed: composed it sorts after "f.png"
    create("f.png");
    create("b.png");
    ASSERT_TRUE(waitForReports(5));
    EXPECT_EQ(reports, (Names{"a.png", "b.png", "c.png", "f.png", "e\xCC\x81.png"}));
}

TEST_F(FolderWatcherTest, reportsRenamesMovesInAndReturningNames) {
    create("a.png");
    TempFolder outside;
    touch(outside.path() / "moved.png");
    ASSERT_TRUE(watcher.start());

    fs::rename(at("a.png"), at("b.png"));
    fs::rename(outside.path() / "moved.png", at("moved.png"));
    EXPECT_EQ(settledReports(), (Names{"b.png", "moved.png"}));

    fs::remove(at("b.png"));
    EXPECT_EQ(settledReports(), Names{});
    create("b.png");
    EXPECT_EQ(settledReports(), Names{"b.png"});

    // Gone and back before the watcher looks again: still a new arrival.
    fs::remove(at("moved.png"));
    create("moved.png");
    EXPECT_EQ(settledReports(), Names{"moved.png"});
}

TEST_F(FolderWatcherTest, restartTakesNewBaseline) {
    ASSERT_TRUE(watcher.start());
    watcher.stop();
    EXPECT_FALSE(watcher.isWatching());
    EXPECT_EQ(watcher.descriptor(), -1);
    create("while-stopped.png");
    QCoreApplication::processEvents();
    EXPECT_TRUE(reports.empty());

    ASSERT_TRUE(watcher.start());
    ASSERT_TRUE(watcher.start()); // restarting a running watcher
    create("after.png");
    EXPECT_EQ(settledReports(), Names{"after.png"});
}

TEST_F(FolderWatcherTest, startFailsWhenFolderCannotBeWatched) {
    FolderWatcher missing(folder.path() / "missing", [](const fs::path&) {});
    EXPECT_FALSE(missing.start());
    EXPECT_EQ(missing.descriptor(), -1);
    EXPECT_FALSE(missing.isWatching());

    create("plain-file");
    FolderWatcher notAFolder(at("plain-file"), [](const fs::path&) {});
    EXPECT_FALSE(notAFolder.start());

    if (::geteuid() != 0) {
        fs::create_directory(at("locked"));
        fs::permissions(at("locked"), fs::perms::none);
        FolderWatcher locked(at("locked"), [](const fs::path&) {});
        EXPECT_FALSE(locked.start());
        EXPECT_LT(locked.descriptor(), 0);
        fs::permissions(at("locked"), fs::perms::owner_all);
    }
}

TEST_F(FolderWatcherTest, burstBeyondTheEventQueueIsReportedOnce) {
    std::size_t count = 3000;
    if (std::ifstream limit("/proc/sys/fs/inotify/max_queued_events"); limit) {
        std::size_t queued = 0;
        // Overflowing the kernel queue needs more files than it holds; keep that affordable.
        if (limit >> queued && queued + 100 <= 20000) {
            count = std::max(count, queued + 100);
        }
    }
    ASSERT_TRUE(watcher.start());
    Names expected;
    for (std::size_t i = 0; i < count; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "shot-%05zu.png", i);
        create(name);
        expected.emplace_back(name);
    }
    ASSERT_TRUE(waitForReports(count, 30000)) << reports.size() << " of " << count;
    EXPECT_EQ(settledReports(), expected);
}

TEST_F(FolderWatcherTest, lackOfHandlesLosesNoEntryAndReportsNoneTwice) {
    create("old.png");
    TempFolder outside;
    touch(outside.path() / "first.png");
    touch(outside.path() / "second.png");
    ASSERT_TRUE(watcher.start());

    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &saved), 0);
    int lowestFree = ::dup(0);
    ASSERT_GE(lowestFree, 0);
    ::close(lowestFree);
    rlimit exhausted = saved;
    exhausted.rlim_cur = static_cast<rlim_t>(lowestFree); // no new handle can be opened
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &exhausted), 0);

    fs::rename(outside.path() / "first.png", at("first.png")); // a rename needs no handle
    bool reported = waitForReports(1);
    ::setrlimit(RLIMIT_NOFILE, &saved);
    ASSERT_TRUE(reported);

    fs::rename(outside.path() / "second.png", at("second.png"));
    EXPECT_EQ(settledReports(), (Names{"first.png", "second.png"}));
}

TEST_F(FolderWatcherTest, folderDeletedAndMadeAgainIsWatchedAgainWithANewBaseline) {
    int lost = 0;
    int back = 0;
    watcher.setOnFolderLost([&] { ++lost; });
    watcher.setOnFolderBack([&] { ++back; });
    ASSERT_TRUE(watcher.start());

    // Gone and back before the watcher looks: what the new folder holds then is the baseline.
    fs::remove_all(folder.path());
    fs::create_directory(folder.path());
    create("present.png");
    ASSERT_TRUE(QTest::qWaitFor([&] { return back == 1; }, 5000));
    EXPECT_EQ(settledReports(), Names{});
    create("after.png");
    EXPECT_EQ(settledReports(), Names{"after.png"});

    // Gone for a while: the watcher waits for it, then watches it again.
    fs::remove_all(folder.path());
    ASSERT_TRUE(QTest::qWaitFor([&] { return lost == 2; }, 5000));
    EXPECT_TRUE(watcher.isWaitingForFolder());
    EXPECT_TRUE(watcher.isWatching());
    fs::create_directory(folder.path());
    ASSERT_TRUE(QTest::qWaitFor([&] { return back == 2; }, 5000));
    EXPECT_FALSE(watcher.isWaitingForFolder());
    create("again.png");
    EXPECT_EQ(settledReports(), Names{"again.png"});
}

TEST_F(FolderWatcherTest, folderMovedAwayOrMadeAgainWithItsParentsIsFollowedByPath) {
    TempFolder base;
    const fs::path pictures = base.path() / "Pictures";
    const fs::path nested = pictures / "Screenshots";
    fs::create_directories(nested);
    Names seen;
    int back = 0;
    FolderWatcher deep(nested,
                       [&](const fs::path& path) { seen.push_back(path.filename().string()); });
    deep.setOnFolderBack([&] { ++back; });
    ASSERT_TRUE(deep.start());

    // Moved away: what is added under its new name is not ours.
    fs::rename(nested, pictures / "Old Screenshots");
    ASSERT_TRUE(QTest::qWaitFor([&] { return deep.isWaitingForFolder(); }, 5000));
    touch(pictures / "Old Screenshots" / "elsewhere.png");
    QTest::qWait(50);
    fs::create_directory(nested);
    ASSERT_TRUE(QTest::qWaitFor([&] { return back == 1; }, 5000));

    // Deleted with its parent, then made again a level at a time.
    fs::remove_all(pictures);
    ASSERT_TRUE(QTest::qWaitFor([&] { return deep.isWaitingForFolder(); }, 5000));
    fs::create_directory(pictures);
    QTest::qWait(50);
    EXPECT_TRUE(deep.isWaitingForFolder());
    fs::create_directory(nested);
    ASSERT_TRUE(QTest::qWaitFor([&] { return back == 2; }, 5000));
    touch(nested / "shot.png");
    ASSERT_TRUE(QTest::qWaitFor([&] { return !seen.empty(); }, 5000));
    QTest::qWait(50);
    EXPECT_EQ(seen, Names{"shot.png"});
}

TEST_F(FolderWatcherTest, tellsWhichFilesAreStillBeingWrittenAndWhenTheyAreClosed) {
    create("old.png");
    Names written;
    watcher.setOnWritten([&](const fs::path& path) {
        if (!path.filename().string().starts_with("~marker-")) {
            written.push_back(path.filename().string());
        }
    });
    ASSERT_TRUE(watcher.start());
    EXPECT_FALSE(watcher.isBeingWritten("old.png"));

    int fd = ::open(at("shot.png").c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::write(fd, "half", 4), 4);
    EXPECT_EQ(settledReports(), Names{"shot.png"});
    EXPECT_TRUE(watcher.isBeingWritten("shot.png"));
    EXPECT_TRUE(written.empty());
    ASSERT_EQ(::write(fd, "rest", 4), 4);
    ::close(fd);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !written.empty(); }, 5000));
    EXPECT_EQ(written, Names{"shot.png"});
    EXPECT_FALSE(watcher.isBeingWritten("shot.png"));

    // Opened again for writing: unfinished again until closed.
    fd = ::open(at("old.png").c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::write(fd, "more", 4), 4);
    EXPECT_EQ(settledReports(), Names{});
    EXPECT_TRUE(watcher.isBeingWritten("old.png"));
    ::close(fd);
    ASSERT_TRUE(QTest::qWaitFor([&] { return written.size() == 2; }, 5000));
    EXPECT_FALSE(watcher.isBeingWritten("old.png"));
}

TEST_F(FolderWatcherTest, fileSystemMountedOverTheFolderIsWatchedAndUnmountingGoesBack) {
    TempFolder other;
    touch(other.path() / "on-the-mount.png");
    int back = 0;
    watcher.setOnFolderBack([&] { ++back; });
    ASSERT_TRUE(watcher.start());
    if (::mount(other.path().c_str(), folder.path().c_str(), nullptr, MS_BIND, nullptr) != 0) {
        GTEST_SKIP() << "mounting is not permitted here";
    }
    struct Unmount {
        fs::path at;
        ~Unmount() { ::umount2(at.c_str(), MNT_DETACH); }
    } unmount{folder.path()};

    // What the mount brings is the new baseline; what is made on it afterwards is reported.
    ASSERT_TRUE(QTest::qWaitFor([&] { return back == 1; }, 5000));
    create("shot.png");
    EXPECT_EQ(settledReports(), Names{"shot.png"});
    EXPECT_TRUE(fs::exists(other.path() / "shot.png"));

    ASSERT_EQ(::umount2(folder.path().c_str(), 0), 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return back >= 2; }, 5000));
    create("under.png");
    EXPECT_EQ(settledReports(), Names{"under.png"});
}
