// Showing a file in its folder through a fake file manager on a private session bus.
#include "FileManager.h"

#include <QDBusConnection>
#include <QProcess>
#include <QTest>

#include <gtest/gtest.h>

#include <csignal>
#include <optional>
#include <sys/prctl.h>

namespace {

class FakeFileManager : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.FileManager1")

public:
    QStringList shown;

public slots:
    Q_SCRIPTABLE void ShowItems(const QStringList& uris, const QString& /*startupId*/) {
        shown += uris;
    }
};

class FileManagerTest : public testing::Test {
protected:
    QProcess daemon;
    QString address;
    std::optional<bool> result;
    QStringList foldersOpened;

    void SetUp() override {
        daemon.setChildProcessModifier([] { prctl(PR_SET_PDEATHSIG, SIGTERM); });
        daemon.start(QStringLiteral("dbus-daemon"),
                     {QStringLiteral("--session"), QStringLiteral("--print-address"),
                      QStringLiteral("--nofork")});
        ASSERT_TRUE(daemon.waitForReadyRead(5000)) << "dbus-daemon did not start";
        address = QString::fromUtf8(daemon.readLine()).trimmed();
    }

    void TearDown() override {
        QDBusConnection::disconnectFromBus(QStringLiteral("fm-client"));
        QDBusConnection::disconnectFromBus(QStringLiteral("fm-server"));
        daemon.terminate();
        daemon.waitForFinished(5000);
    }

    void reveal(const std::filesystem::path& file, bool folderOpens) {
        app::FileManager::reveal(
            file, [this](bool shown) { result = shown; },
            QDBusConnection::connectToBus(address, QStringLiteral("fm-client")),
            [this, folderOpens](const QString& folder) {
                foldersOpened << folder;
                return folderOpens;
            });
    }
};

} // namespace

TEST_F(FileManagerTest, asksTheFileManagerWithoutWaitingForIt) {
    QDBusConnection server = QDBusConnection::connectToBus(address, QStringLiteral("fm-server"));
    FakeFileManager manager;
    ASSERT_TRUE(server.registerObject(QStringLiteral("/org/freedesktop/FileManager1"), &manager,
                                      QDBusConnection::ExportScriptableSlots));
    ASSERT_TRUE(server.registerService(QStringLiteral("org.freedesktop.FileManager1")));

    // The file manager answers on this thread, so a call that waited could never hear it.
    reveal("/home/me/Pictures/Beach day.png", false);
    EXPECT_FALSE(result.has_value());
    ASSERT_TRUE(QTest::qWaitFor([&] { return result.has_value(); }, 5000));
    EXPECT_TRUE(*result);
    EXPECT_EQ(manager.shown,
              QStringList{QStringLiteral("file:///home/me/Pictures/Beach%20day.png")});
    EXPECT_TRUE(foldersOpened.isEmpty());
}

TEST_F(FileManagerTest, withoutAFileManagerOpensTheFolderAndTellsWhetherThatWorked) {
    reveal("/home/me/Pictures/a.png", true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return result.has_value(); }, 5000));
    EXPECT_TRUE(*result);
    EXPECT_EQ(foldersOpened, QStringList{QStringLiteral("/home/me/Pictures")});

    result.reset();
    reveal("/home/me/Pictures/a.png", false);
    ASSERT_TRUE(QTest::qWaitFor([&] { return result.has_value(); }, 5000));
    EXPECT_FALSE(*result);
}

#include "FileManagerTest.moc"
