// One instance per session: hand-over to the running instance and recovery after a crash.
#include "shell/SingleInstance.h"

#include <QFileInfo>
#include <QHostInfo>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/socket.h>
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

TEST(SingleInstance, runsAloneWhereNoLockCanBeMade) {
    SingleInstance nowhere(QStringLiteral("/nonexistent/quillmark-runtime"));
    EXPECT_EQ(nowhere.claim(), SingleInstance::Role::primary);
}
