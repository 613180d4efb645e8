// One instance per session: hand-over to the running instance and recovery after a crash.
#include "shell/SingleInstance.h"

#include <QFileInfo>
#include <QHostInfo>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

using ui::SingleInstance;

namespace {

// The id of a process that has ended.
qint64 deadProcessId() {
    QProcess process;
    process.start(QStringLiteral("true"), {});
    process.waitForFinished();
    return process.processId() != 0 ? process.processId() : 999999;
}

// A socket file whose listener is gone, as a crash leaves it.
bool leaveDeadSocket(const QString& path) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray name = path.toLocal8Bit();
    std::memcpy(address.sun_path, name.constData(), name.size() + 1);
    const bool bound = ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return bound;
}

} // namespace

TEST(SingleInstance, laterLaunchHandsItsRequestAndTokenToTheRunningOne) {
    QTemporaryDir runtime;
    SingleInstance running(runtime.path());
    ASSERT_EQ(running.claim(), SingleInstance::Role::primary);
    QSignalSpy requests(&running, &SingleInstance::openDashboardRequested);

    SingleInstance later(runtime.path());
    ASSERT_EQ(later.claim(), SingleInstance::Role::secondary);
    EXPECT_TRUE(later.sendOpenDashboard("launcher-token-7"));
    ASSERT_TRUE(requests.wait(2000));
    EXPECT_EQ(requests.takeFirst().at(0).toByteArray(), "launcher-token-7");

    // A second hand-over without a token, and a token that would break the line, both arrive.
    SingleInstance third(runtime.path());
    ASSERT_EQ(third.claim(), SingleInstance::Role::secondary);
    EXPECT_TRUE(third.sendOpenDashboard("two words\n"));
    ASSERT_TRUE(requests.wait(2000));
    EXPECT_EQ(requests.takeFirst().at(0).toByteArray(), QByteArray());

    // The later launches left the running one's socket alone, and only its owner may use it.
    const QFileInfo socket(running.socketPath());
    EXPECT_TRUE(socket.exists());
    EXPECT_FALSE(socket.permissions() &
                 (QFile::ReadOther | QFile::WriteOther | QFile::ReadGroup | QFile::WriteGroup));
}

TEST(SingleInstance, lockAndSocketLeftByACrashAreTakenOver) {
    QTemporaryDir runtime;
    SingleInstance probe(runtime.path());
    {
        QFile lock(probe.lockPath());
        ASSERT_TRUE(lock.open(QIODevice::WriteOnly));
        lock.write(QByteArray::number(deadProcessId()) + "\nquillmark\n" +
                   QSysInfo::machineHostName().toUtf8() + "\n");
    }
    ASSERT_TRUE(leaveDeadSocket(probe.socketPath()));

    SingleInstance restarted(runtime.path());
    ASSERT_EQ(restarted.claim(), SingleInstance::Role::primary);
    QSignalSpy requests(&restarted, &SingleInstance::openDashboardRequested);
    SingleInstance later(runtime.path());
    ASSERT_EQ(later.claim(), SingleInstance::Role::secondary);
    EXPECT_TRUE(later.sendOpenDashboard({}));
    EXPECT_TRUE(requests.wait(2000));
}

TEST(SingleInstance, aRunningInstanceThatDoesNotAnswerIsNotReportedAsReached) {
    QTemporaryDir runtime;
    // A live holder of the lock (this process) that never listens.
    QLockFile held(SingleInstance(runtime.path()).lockPath());
    ASSERT_TRUE(held.tryLock(0));
    SingleInstance later(runtime.path());
    ASSERT_EQ(later.claim(), SingleInstance::Role::secondary);
    EXPECT_FALSE(later.sendOpenDashboard("token", 2));
    EXPECT_FALSE(QFileInfo::exists(later.socketPath()));
}

TEST(SingleInstance, runsAloneWhereNoLockCanBeMade) {
    SingleInstance nowhere(QStringLiteral("/nonexistent/quillmark-runtime"));
    EXPECT_EQ(nowhere.claim(), SingleInstance::Role::primary);
}

namespace {

// Sets or removes an environment variable for one scope.
class ScopedVariable {
public:
    ScopedVariable(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name)) {
            old_ = old;
        }
        value ? ::setenv(name, value, 1) : ::unsetenv(name);
    }
    ~ScopedVariable() { old_ ? ::setenv(name_, old_->c_str(), 1) : ::unsetenv(name_); }

private:
    const char* name_;
    std::optional<std::string> old_;
};

} // namespace

TEST(SingleInstance, withoutARuntimeFolderItUsesAPrivateFolderItMadeNeverBareNames) {
    namespace fs = std::filesystem;
    QTemporaryDir scratch;
    const fs::path temporary = fs::path(scratch.path().toStdString()) / "tmp";
    const fs::path working = fs::path(scratch.path().toStdString()) / "cwd";
    fs::create_directories(temporary);
    fs::create_directories(working);
    const fs::path before = fs::current_path();
    fs::current_path(working);
    ScopedVariable runtime("XDG_RUNTIME_DIR", nullptr);
    ScopedVariable tmpdir("TMPDIR", temporary.c_str());
    // Another user's name squatted on the shared fallback a library would use.
    std::ofstream(temporary /
                  ("runtime-" + std::string(std::getenv("USER") ? std::getenv("USER") : "root")));

    const QString folder = SingleInstance::defaultFolder();
    ASSERT_FALSE(folder.isEmpty());
    struct stat info {};
    ASSERT_EQ(::lstat(folder.toLocal8Bit().constData(), &info), 0);
    EXPECT_TRUE(S_ISDIR(info.st_mode));
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    EXPECT_EQ(info.st_uid, ::geteuid());
    EXPECT_EQ(fs::path(folder.toStdString()).parent_path(), temporary);
    {
        SingleInstance instance(folder);
        EXPECT_EQ(instance.claim(), SingleInstance::Role::primary);
        EXPECT_TRUE(QFileInfo::exists(instance.socketPath()));
    }

    // A folder others may enter is not used: the program runs alone, leaving nothing behind.
    ::chmod(folder.toLocal8Bit().constData(), 0755);
    EXPECT_TRUE(SingleInstance::defaultFolder().isEmpty());
    {
        SingleInstance alone(SingleInstance::defaultFolder());
        EXPECT_EQ(alone.claim(), SingleInstance::Role::primary);
    }
    fs::current_path(before);
    EXPECT_TRUE(fs::is_empty(working));
    for (const auto& entry : fs::directory_iterator(temporary)) {
        EXPECT_FALSE(entry.path().filename().string().starts_with("quillmark.")) << entry.path();
    }
}
