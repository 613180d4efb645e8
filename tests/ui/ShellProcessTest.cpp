// The real program as a process: no display, a second launch, snapshot and bench.
#include "app/WatchProcess.h"
#include "files/HistoryStore.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>
#include <chrono>
#include <csignal>
#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace {

struct Finished {
    int status = -1;
    QString out;
    QString errors;
};

class ShellProcessTest : public ::testing::Test {
protected:
    QTemporaryDir scratch;
    fs::path root{scratch.path().toStdString()};
    fs::path home = root / "home";
    fs::path runtime = root / "runtime";
    watch_process::ClosedPort modelPort;
    QProcessEnvironment environment;

    void SetUp() override {
        fs::create_directories(home / "Pictures" / "Screenshots");
        fs::create_directories(runtime);
        fs::permissions(runtime, fs::perms::owner_all);
        environment = watch_process::isolatedEnvironment(home, home / ".config", std::nullopt,
                                                         modelPort.url());
        environment.insert("XDG_RUNTIME_DIR", QString::fromStdString(runtime.string()));
        environment.remove("QT_QPA_PLATFORM");
    }

    void start(QProcess& process, const QStringList& arguments) const {
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(QUILLMARK_EXECUTABLE), arguments);
    }

    Finished run(const QStringList& arguments, int timeoutMs = 20000) const {
        QProcess process;
        start(process, arguments);
        Finished result;
        if (process.waitForFinished(timeoutMs) && process.exitStatus() == QProcess::NormalExit) {
            result.status = process.exitCode();
        }
        result.out = QString::fromUtf8(process.readAllStandardOutput());
        result.errors = QString::fromUtf8(process.readAllStandardError());
        return result;
    }

    void storeHistory() const {
        engine::RenameRecord record;
        record.id = "7F3C2B8E-1D4A-4C7B-9E2F-0A1B2C3D4E5F";
        record.folderPath = (home / "Pictures" / "Screenshots").string();
        record.originalName = "Screenshot From 2026-03-14 09-41-22.png";
        record.currentName = "Flight to Lisbon Booking.png";
        std::ofstream(home / "Pictures" / "Screenshots" / record.currentName) << "png";
        engine::HistoryStore("Quillmark", home / ".local" / "share").save({record});
    }
};

bool waitFor(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        QThread::msleep(20);
    }
    return true;
}

} // namespace

TEST_F(ShellProcessTest, withoutADisplayItPointsToWatchAndFails) {
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        environment.remove(name);
    }
    // None at all, then names of displays that are not there (Qt itself would abort).
    const std::vector<std::pair<QString, QString>> cases{
        {}, {"WAYLAND_DISPLAY", "wayland-nope"}, {"DISPLAY", ":4711"}};
    for (const auto& [name, value] : cases) {
        if (!name.isEmpty()) {
            environment.insert(name, value);
        }
        const Finished finished = run({}, 5000);
        EXPECT_EQ(finished.status, 1) << name.toStdString();
        EXPECT_TRUE(finished.out.isEmpty());
        EXPECT_EQ(finished.errors.count('\n'), 1) << finished.errors.toStdString();
        EXPECT_TRUE(finished.errors.contains("--watch")) << finished.errors.toStdString();
        // Nothing was started: no instance lock, no history folder.
        EXPECT_FALSE(fs::exists(runtime / "quillmark.lock"));
    }
}

TEST_F(ShellProcessTest, secondLaunchHandsOverAndEndsWhileTheFirstRunsOnUntilTerminated) {
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    QProcess first;
    start(first, {});
    ASSERT_TRUE(first.waitForStarted());
    const fs::path socket = runtime / "quillmark.socket";
    ASSERT_TRUE(waitFor([&] { return fs::exists(socket); }, std::chrono::seconds(15)))
        << first.readAllStandardError().toStdString();

    const Finished second = run({}, 10000);
    EXPECT_EQ(second.status, 0) << second.errors.toStdString();
    EXPECT_EQ(first.state(), QProcess::Running);
    EXPECT_TRUE(fs::exists(socket));

    ::kill(static_cast<pid_t>(first.processId()), SIGTERM);
    ASSERT_TRUE(first.waitForFinished(5000));
    EXPECT_EQ(first.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(first.exitCode(), 0);
    // A clean end takes its lock and socket along.
    EXPECT_FALSE(fs::exists(runtime / "quillmark.lock"));
}

TEST_F(ShellProcessTest, snapshotWritesEveryPictureInOrderIntoNewFolders) {
    storeHistory();
    const fs::path out = root / "shots" / "deep" / "er";
    const Finished finished =
        run({"--snapshot", QString::fromStdString(out.string()), "--launched-at-login"});
    ASSERT_EQ(finished.status, 0) << finished.errors.toStdString();

    const QRegularExpression lines(
        "^saved panel\\.png 372x(\\d+)\nsaved settings\\.png 372x(\\d+)\n"
        "saved dashboard\\.png 1040x700\n$");
    const auto match = lines.match(finished.out);
    ASSERT_TRUE(match.hasMatch()) << finished.out.toStdString();
    const QString folder = QString::fromStdString(out.string()) + "/";
    EXPECT_EQ(QImage(folder + "menubar-idle.png").size(), QSize(72, 72));
    EXPECT_EQ(QImage(folder + "menubar-busy.png").size(), QSize(72, 72));
    EXPECT_EQ(QImage(folder + "panel.png").size(), QSize(372, match.captured(1).toInt()));
    EXPECT_EQ(QImage(folder + "settings.png").size(), QSize(372, match.captured(2).toInt()));
    EXPECT_EQ(QImage(folder + "dmg-background.png").size(), QSize(640, 420));
    EXPECT_EQ(QImage(folder + "dmg-background@2x.png").size(), QSize(1280, 840));
    EXPECT_EQ(QImage(folder + "dashboard.png").size(), QSize(1040, 700));

    QDateTime previous;
    for (const char* name : {"menubar-idle.png", "menubar-busy.png", "panel.png", "settings.png",
                             "dmg-background.png", "dmg-background@2x.png", "dashboard.png"}) {
        const QDateTime written = QFileInfo(folder + name).lastModified();
        EXPECT_LE(previous, written) << name;
        previous = written;
    }
}

TEST_F(ShellProcessTest, snapshotNeverClaimsAFileItCouldNotWrite) {
    // The folder's place is taken by a file: nothing can be written there.
    const fs::path blocked = root / "blocked";
    std::ofstream(blocked) << "not a folder";
    const Finished finished = run({"--snapshot", QString::fromStdString(blocked.string())});
    EXPECT_EQ(finished.status, 0);
    EXPECT_FALSE(finished.out.contains("saved")) << finished.out.toStdString();
    for (const char* name : {"menubar-idle.png", "menubar-busy.png", "panel.png", "settings.png",
                             "dmg-background.png", "dmg-background@2x.png", "dashboard.png"}) {
        EXPECT_TRUE(finished.errors.contains(QStringLiteral("couldn't save ") + name))
            << finished.errors.toStdString();
    }
}

TEST_F(ShellProcessTest, benchPrintsItsLinesInTheirFormats) {
    storeHistory();
    const Finished finished = run({"--bench"});
    ASSERT_EQ(finished.status, 0) << finished.errors.toStdString();
    const QRegularExpression lines("^engine check: \\d+\\.\\d ms\n"
                                   "panel: \\d+\\.\\d ms per draw\n"
                                   "settings: \\d+\\.\\d ms per draw\n"
                                   "dashboard: \\d+\\.\\d ms per draw\n$");
    EXPECT_TRUE(lines.match(finished.out).hasMatch()) << finished.out.toStdString();
}
