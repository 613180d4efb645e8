#include "LoginItem.h"

#include "QtPrinters.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using app::LoginItem;

class LoginItemTest : public testing::Test {
protected:
    QString autostart() const { return dir_.filePath(QStringLiteral("config/autostart")); }

    LoginItem item(const QString& executable = QStringLiteral("/usr/bin/quillmark")) const {
        return LoginItem(autostart(), executable);
    }

    void writeEntry(const QByteArray& text) {
        QDir().mkpath(autostart());
        QFile file(item().entryPath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
    }

    QByteArray entry() const {
        QFile file(item().entryPath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QTemporaryDir dir_;
};

TEST_F(LoginItemTest, registerWritesEntryAndUnregisterRemovesIt) {
    const LoginItem login = item();
    EXPECT_EQ(login.entryPath(), autostart() + "/quillmark.desktop");
    EXPECT_FALSE(login.isEnabled());

    EXPECT_EQ(login.registerItem(), std::nullopt);
    EXPECT_TRUE(login.isEnabled());
    EXPECT_TRUE(entry().contains("\nExec=/usr/bin/quillmark --launched-at-login\n"));
    EXPECT_TRUE(entry().contains("\nTryExec=/usr/bin/quillmark\n"));
    EXPECT_TRUE(entry().contains("\nX-GNOME-Autostart-enabled=true\n"));
    // No temporary file of the atomic write is left behind.
    EXPECT_EQ(QDir(autostart()).entryList(QDir::Files | QDir::Hidden),
              QStringList{"quillmark.desktop"});

    EXPECT_EQ(login.unregisterItem(), std::nullopt);
    EXPECT_FALSE(login.isEnabled());
    EXPECT_FALSE(QFile::exists(login.entryPath()));
    EXPECT_EQ(login.unregisterItem(), std::nullopt);
}

TEST_F(LoginItemTest, entriesTheSessionWouldSkipAreNotEnabled) {
    writeEntry("[Desktop Entry]\nType=Application\nHidden = true\n");
    EXPECT_FALSE(item().isEnabled());

    writeEntry("[Desktop Entry]\nType=Application\nX-GNOME-Autostart-enabled=false\n");
    EXPECT_FALSE(item().isEnabled());

    // Keys of other groups and comments do not count.
    writeEntry("[Desktop Entry]\nType=Application\n# Hidden=true\n"
               "[Desktop Action quit]\nHidden=true\n");
    EXPECT_TRUE(item().isEnabled());

    writeEntry("[Desktop Entry]\nHidden=false\n");
    EXPECT_TRUE(item().isEnabled());
}

TEST_F(LoginItemTest, registerReplacesHiddenEntry) {
    writeEntry("[Desktop Entry]\nType=Application\nHidden=true\n");
    EXPECT_EQ(item().registerItem(), std::nullopt);
    EXPECT_TRUE(item().isEnabled());
    EXPECT_FALSE(entry().contains("Hidden"));
}

TEST_F(LoginItemTest, failuresReturnTheReason) {
    // A file where the autostart folder should be.
    QFile blocker(dir_.filePath(QStringLiteral("config")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const std::optional<QString> registerError = item().registerItem();
    ASSERT_TRUE(registerError.has_value());
    EXPECT_FALSE(registerError->isEmpty());
    EXPECT_FALSE(item().isEnabled());
    ASSERT_TRUE(blocker.remove());

    // A folder that is not empty where the entry should be cannot be written or removed.
    QDir().mkpath(item().entryPath() + "/inside");
    EXPECT_TRUE(item().registerItem().has_value());
    const std::optional<QString> unregisterError = item().unregisterItem();
    ASSERT_TRUE(unregisterError.has_value());
    EXPECT_FALSE(unregisterError->isEmpty());
}

// The session only starts entries it can parse, so every entry we write must validate, for
// executable paths with spaces, quotes and percent signs too.
TEST_F(LoginItemTest, writtenEntriesPassTheDesktopEntryValidator) {
    const QString validator = QStandardPaths::findExecutable("desktop-file-validate");
    if (validator.isEmpty()) {
        GTEST_SKIP() << "desktop-file-validate is not installed";
    }
    for (const QString executable : {QStringLiteral("/usr/bin/quillmark"),
                                     QStringLiteral("/opt/My Apps/a$b \"q\"/100%/quillmark")}) {
        ASSERT_EQ(item(executable).registerItem(), std::nullopt);
        QProcess process;
        process.start(validator, {item().entryPath()});
        ASSERT_TRUE(process.waitForFinished());
        const QByteArray output = process.readAllStandardOutput() + process.readAllStandardError();
        EXPECT_EQ(process.exitCode(), 0) << output.toStdString();
        EXPECT_TRUE(output.isEmpty()) << output.toStdString();
    }
}

TEST(LoginItemExecTest, quotesAndEscapesExecutablePaths) {
    EXPECT_EQ(LoginItem::execArgument("/usr/bin/quillmark"), "/usr/bin/quillmark");
    EXPECT_EQ(LoginItem::execArgument("/opt/My Apps/quillmark"), "\"/opt/My Apps/quillmark\"");
    EXPECT_EQ(LoginItem::execArgument("/opt/a$b/\"q\""), "\"/opt/a\\$b/\\\"q\\\"\"");
    EXPECT_EQ(LoginItem::execArgument("/opt/100%/q"), "/opt/100%%/q");
    EXPECT_EQ(LoginItem::execArgument("/opt/é/q"), "/opt/é/q");

    // A quoted backslash is escaped once for the quoting and once more for the string value.
    const QByteArray text = LoginItem::entryText("/opt/back\\slash/q");
    EXPECT_TRUE(text.contains("\nExec=\"/opt/back\\\\\\\\slash/q\" --launched-at-login\n"))
        << text.toStdString();
}

TEST(LoginItemLocationTest, installedOnlyUnderUsrOrOpt) {
    EXPECT_TRUE(LoginItem::isInstalledLocation("/usr/bin/quillmark"));
    EXPECT_TRUE(LoginItem::isInstalledLocation("/usr/local/bin/quillmark"));
    EXPECT_TRUE(LoginItem::isInstalledLocation("/opt/quillmark/bin/quillmark"));

    EXPECT_FALSE(LoginItem::isInstalledLocation("/home/u/src/quillmark/build/quillmark"));
    EXPECT_FALSE(LoginItem::isInstalledLocation("/usr2/bin/quillmark"));
    EXPECT_FALSE(LoginItem::isInstalledLocation("/optional/quillmark"));
    EXPECT_FALSE(LoginItem::isInstalledLocation("/opt/../home/u/quillmark"));
    EXPECT_FALSE(LoginItem::isInstalledLocation("usr/bin/quillmark"));
}

TEST(LoginItemLocationTest, buildTreeIsRecognisedByItsCache) {
    QTemporaryDir dir;
    QDir(dir.path()).mkpath("build/src/app");
    QFile cache(dir.filePath("build/CMakeCache.txt"));
    ASSERT_TRUE(cache.open(QIODevice::WriteOnly));
    cache.close();
    EXPECT_TRUE(LoginItem::isInsideBuildTree(dir.filePath("build/src/app/quillmark")));
    EXPECT_TRUE(LoginItem::isInsideBuildTree(dir.filePath("build/missing/deeper/quillmark")));
    EXPECT_FALSE(LoginItem::isInsideBuildTree(dir.filePath("quillmark")));
}

} // namespace
