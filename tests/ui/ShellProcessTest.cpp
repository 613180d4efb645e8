// The real program as a process: no display, a second launch, snapshot and bench.
#include "app/WatchProcess.h"
#include "files/HistoryCodec.h"
#include "files/HistoryStore.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <sys/socket.h>
#include <sys/un.h>

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

// A client of the instance socket, without Qt. -1 when it could not connect in time.
int connectTo(const fs::path& socket) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, socket.c_str(), sizeof address.sun_path - 1);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < deadline) {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
        if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
            return fd;
        }
        ::close(fd);
        if (errno != EAGAIN) {
            return -1;
        }
        QThread::msleep(10); // the backlog is full until the program accepts
    }
    return -1;
}

// True once the program has closed its end: reading gives the end of the stream.
bool closedByPeer(int fd, std::chrono::milliseconds timeout) {
    return waitFor(
        [fd] {
            char byte = 0;
            const ssize_t got = ::recv(fd, &byte, 1, MSG_DONTWAIT);
            return got == 0 || (got < 0 && errno != EAGAIN);
        },
        timeout);
}

TEST_F(ShellProcessTest, theInstanceSocketOutlastsIdleFloodsAndEndlessRequests) {
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    QProcess first;
    first.setProcessEnvironment(environment);
    // Few descriptors, so that a few hundred idle connections would exhaust them.
    first.start(QStringLiteral("/bin/sh"),
                {"-c", "ulimit -n 200 && exec \"$0\"", QStringLiteral(QUILLMARK_EXECUTABLE)});
    ASSERT_TRUE(first.waitForStarted());
    const fs::path socket = runtime / "quillmark.socket";
    ASSERT_TRUE(waitFor([&] { return fs::exists(socket); }, std::chrono::seconds(15)));

    std::vector<int> idle;
    for (int i = 0; i < 300; ++i) {
        const int fd = connectTo(socket);
        ASSERT_GE(fd, 0) << "connection " << i;
        idle.push_back(fd);
    }
    // A line that never ends is cut off instead of being kept.
    const int endless = connectTo(socket);
    ASSERT_GE(endless, 0);
    const std::string chunk(1 << 16, 'x');
    std::size_t sent = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (sent < (64u << 20) && std::chrono::steady_clock::now() < deadline) {
        const ssize_t wrote = ::send(endless, chunk.data(), chunk.size(), MSG_NOSIGNAL);
        if (wrote < 0 && errno != EAGAIN) {
            break;
        }
        sent += wrote > 0 ? static_cast<std::size_t>(wrote) : 0;
        if (wrote < 0) {
            QThread::msleep(5);
        }
    }
    EXPECT_LT(sent, 1u << 20);
    // A connection that says nothing is closed after a while.
    EXPECT_TRUE(closedByPeer(idle.back(), std::chrono::seconds(15)));
    for (const int fd : idle) {
        ::close(fd);
    }
    ::close(endless);

    const Finished second = run({}, 10000);
    EXPECT_EQ(second.status, 0) << second.errors.toStdString();
    EXPECT_TRUE(fs::exists(socket));
    ::kill(static_cast<pid_t>(first.processId()), SIGTERM);
    ASSERT_TRUE(first.waitForFinished(5000));
    EXPECT_EQ(first.exitCode(), 0);
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

std::string contentsOf(const fs::path& file) {
    std::ifstream stream(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(stream), {});
}

std::vector<std::string> everythingUnder(const fs::path& folder) {
    std::vector<std::string> paths;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        paths.push_back(entry.path().string());
    }
    std::sort(paths.begin(), paths.end());
    return paths;
}

// They show the user's own history and settings: reading them must leave them as they are.
TEST_F(ShellProcessTest, snapshotAndBenchChangeNothing) {
    storeHistory();
    const fs::path history = home / ".local" / "share" / "Quillmark" / "history.json";
    const fs::path screenshots = home / "Pictures" / "Screenshots";
    {
        // A second record whose file is gone: the program's start would drop it.
        auto records = engine::HistoryStore("Quillmark", home / ".local" / "share").load();
        records.push_back(records.front());
        records.back().id = "0A1B2C3D-4E5F-4C7B-9E2F-7F3C2B8E1D4A";
        records.back().currentName = "Gone.png";
        std::ofstream(history) << engine::HistoryCodec::encode(records).value();
    }
    const std::string historyBefore = contentsOf(history);
    const std::string settingsBefore =
        contentsOf(home / ".config" / "Quillmark" / "Quillmark.conf");

    int shot = 0;
    for (const QStringList& arguments :
         {QStringList{"--snapshot", QString::fromStdString((root / "shots").string())},
          QStringList{"--bench"}}) {
        SCOPED_TRACE(arguments.join(' ').toStdString());
        const std::vector<std::string> before = everythingUnder(home);
        QProcess process;
        start(process, arguments);
        // Once it prints, its model is running: a new screenshot now would be named.
        ASSERT_TRUE(process.waitForReadyRead(20000));
        const std::string name =
            "Screenshot From 2026-03-14 09-41-3" + std::to_string(shot++) + ".png";
        std::ofstream(root / "staged.png") << "png";
        fs::rename(root / "staged.png", screenshots / name);
        ASSERT_TRUE(process.waitForFinished(60000));
        EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();

        EXPECT_TRUE(fs::exists(screenshots / name));
        EXPECT_EQ(contentsOf(history), historyBefore);
        EXPECT_EQ(contentsOf(home / ".config" / "Quillmark" / "Quillmark.conf"), settingsBefore);
        std::vector<std::string> after = everythingUnder(home);
        std::erase(after, (screenshots / name).string());
        EXPECT_EQ(after, before); // no lock, backup, autostart entry or settings file made
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
