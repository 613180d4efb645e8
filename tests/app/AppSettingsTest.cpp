#include "AppSettings.h"

#include "QtPrinters.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

using app::AppSettings;

class AppSettingsTest : public testing::Test {
protected:
    QString path() const { return dir_.filePath(QStringLiteral("Quillmark/Quillmark.conf")); }

    void writeFile(const QByteArray& text) {
        QDir().mkpath(QFileInfo(path()).absolutePath());
        QFile file(path());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
    }

    QByteArray fileText() const {
        QFile file(path());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QTemporaryDir dir_;
};

void expectDefaults(const AppSettings& settings) {
    EXPECT_TRUE(settings.autoName());
    EXPECT_EQ(settings.namingStyleRaw(), std::nullopt);
    EXPECT_TRUE(settings.notify());
    EXPECT_FALSE(settings.watchDownloads());
    EXPECT_TRUE(settings.extraFolders().isEmpty());
    EXPECT_FALSE(settings.loginDefaultApplied());
    EXPECT_TRUE(settings.correctionsJson().isEmpty());
    EXPECT_EQ(settings.screenshotFolder(), std::nullopt);
    EXPECT_EQ(settings.modelEndpoint(), "http://127.0.0.1:11434");
    EXPECT_EQ(settings.modelName(), "");
    EXPECT_FALSE(settings.allowRemoteModel());
}

TEST_F(AppSettingsTest, missingOrUnreadableFileGivesDefaults) {
    expectDefaults(AppSettings(path()));

    // A folder where the file should be can be neither read nor written; setters stay silent.
    QDir().mkpath(path());
    AppSettings blocked(path());
    expectDefaults(blocked);
    blocked.setWatchDownloads(true);
}

TEST_F(AppSettingsTest, foreignValuesGiveDefaults) {
    writeFile("[General]\n"
              "autoName=banana\n"
              "notify=7\n"
              "watchDownloads=yes\n"
              "loginDefaultApplied=@Invalid()\n"
              "allowRemoteModel=maybe\n"
              "namingStyle=a, b\n"
              "extraFolders=relative/folder, /abs/one, , ~/x\n"
              "corrections=[{\"suggested\":\"a\"}, {\"chosen\":\"b\"}]\n"
              "screenshotFolder=Pictures\n"
              "modelEndpoint=\n"
              "modelName=a,b\n");
    const AppSettings settings(path());
    EXPECT_TRUE(settings.autoName());
    EXPECT_TRUE(settings.notify());
    EXPECT_FALSE(settings.watchDownloads());
    EXPECT_FALSE(settings.loginDefaultApplied());
    EXPECT_FALSE(settings.allowRemoteModel());
    EXPECT_EQ(settings.namingStyleRaw(), std::nullopt);
    EXPECT_EQ(settings.extraFolders(), QStringList{"/abs/one"});
    // Unquoted commas split the text into a list, which is not the stored JSON.
    EXPECT_TRUE(settings.correctionsJson().isEmpty());
    EXPECT_EQ(settings.screenshotFolder(), std::nullopt);
    EXPECT_EQ(settings.modelEndpoint(), "http://127.0.0.1:11434");
    EXPECT_EQ(settings.modelName(), "");
}

TEST_F(AppSettingsTest, booleansWrittenByHandAreRead) {
    writeFile("[General]\nautoName=False\nnotify=0\nwatchDownloads=TRUE\nallowRemoteModel=1\n");
    const AppSettings settings(path());
    EXPECT_FALSE(settings.autoName());
    EXPECT_FALSE(settings.notify());
    EXPECT_TRUE(settings.watchDownloads());
    EXPECT_TRUE(settings.allowRemoteModel());
}

TEST_F(AppSettingsTest, unknownNamingStyleIsKeptUntilSet) {
    writeFile("[General]\nnamingStyle=shouting\n");
    AppSettings settings(path());
    EXPECT_EQ(settings.namingStyleRaw(), "shouting");
    settings.setAutoName(false);
    EXPECT_TRUE(fileText().contains("namingStyle=shouting"));
    settings.setNamingStyleRaw(QStringLiteral("dateFirst"));
    EXPECT_EQ(AppSettings(path()).namingStyleRaw(), "dateFirst");
}

TEST_F(AppSettingsTest, everySetterWritesItsKeyAtOnce) {
    const QStringList folders{QStringLiteral("/home/a b/x,y"), QStringLiteral("/home/ü/Zürich"),
                              QStringLiteral("/p;q"), QStringLiteral("/@at")};
    const QByteArray corrections =
        R"([{"suggested":"Flight, Lisbon","chosen":"Café \"Lisboa\" \\ ü"}])";
    AppSettings writer(path());
    writer.setAutoName(false);
    writer.setNotify(false);
    writer.setWatchDownloads(true);
    writer.setExtraFolders(folders);
    writer.setLoginDefaultApplied(true);
    writer.setCorrectionsJson(corrections);
    writer.setScreenshotFolder(QStringLiteral("/home/u/Shots"));
    writer.setModelEndpoint(QStringLiteral("http://192.168.1.5:8080"));
    writer.setModelName(QStringLiteral("llava:7b"));
    writer.setAllowRemoteModel(true);
    writer.setNamingStyleRaw(QStringLiteral("lowercaseDashes"));

    // Copied while the writer lives, and read from a new path so that QSettings' in-process
    // cache plays no part.
    const QString copy = dir_.filePath(QStringLiteral("copy.conf"));
    ASSERT_TRUE(QFile::copy(path(), copy));

    const AppSettings settings(copy);
    EXPECT_FALSE(settings.autoName());
    EXPECT_FALSE(settings.notify());
    EXPECT_TRUE(settings.watchDownloads());
    EXPECT_EQ(settings.extraFolders(), folders);
    EXPECT_TRUE(settings.loginDefaultApplied());
    EXPECT_EQ(settings.correctionsJson(), corrections);
    EXPECT_EQ(settings.screenshotFolder(), "/home/u/Shots");
    EXPECT_EQ(settings.namingStyleRaw(), "lowercaseDashes");
    const engine::ModelConfig model = settings.modelConfig();
    EXPECT_EQ(model.endpoint, "http://192.168.1.5:8080");
    EXPECT_EQ(model.modelName, "llava:7b");
    EXPECT_TRUE(model.allowRemoteModel);
}

TEST_F(AppSettingsTest, singleAndEmptyFolderListsSurviveTheFile) {
    AppSettings settings(path());
    settings.setExtraFolders({QStringLiteral("/only")});
    const QString single = dir_.filePath(QStringLiteral("single.conf"));
    ASSERT_TRUE(QFile::copy(path(), single));
    EXPECT_EQ(AppSettings(single).extraFolders(), QStringList{"/only"});

    settings.setExtraFolders({});
    const QString empty = dir_.filePath(QStringLiteral("empty.conf"));
    ASSERT_TRUE(QFile::copy(path(), empty));
    EXPECT_TRUE(AppSettings(empty).extraFolders().isEmpty());
}

TEST_F(AppSettingsTest, clearingScreenshotFolderRemovesKey) {
    AppSettings settings(path());
    settings.setScreenshotFolder(QStringLiteral("/home/u/Shots"));
    settings.setScreenshotFolder(std::nullopt);
    EXPECT_EQ(settings.screenshotFolder(), std::nullopt);
    EXPECT_FALSE(fileText().contains("screenshotFolder"));
}

// The command-line modes read these lines with a plain INI reader.
TEST_F(AppSettingsTest, modelKeysArePlainIniLines) {
    AppSettings settings(path());
    settings.setModelEndpoint(QStringLiteral("http://127.0.0.1:11434"));
    settings.setModelName(QStringLiteral("qwen2.5vl:7b"));
    settings.setAllowRemoteModel(false);
    const QByteArray text = fileText();
    EXPECT_TRUE(text.startsWith("[General]\n")) << text.toStdString();
    EXPECT_TRUE(text.contains("\nmodelEndpoint=http://127.0.0.1:11434\n")) << text.toStdString();
    EXPECT_TRUE(text.contains("\nmodelName=qwen2.5vl:7b\n")) << text.toStdString();
    EXPECT_TRUE(text.contains("\nallowRemoteModel=false\n")) << text.toStdString();
}

// A model chosen where the file cannot be written, or is no regular file, still names this run.
TEST_F(AppSettingsTest, aModelChosenInMemoryIsTheOneUsed) {
    writeFile("[General]\nmodelName=llava:7b\n");
    const auto environment = engine::Environment::fromMap({});
    AppSettings readOnly(path(), AppSettings::Access::readOnly);
    readOnly.setModelName(QStringLiteral("qwen2.5vl:3b"));
    readOnly.setModelEndpoint(QStringLiteral("http://127.0.0.1:8080"));
    EXPECT_EQ(readOnly.modelConfig(environment).modelName, "qwen2.5vl:3b");
    EXPECT_EQ(readOnly.modelConfig(environment).endpoint, "http://127.0.0.1:8080");
    EXPECT_TRUE(fileText().contains("modelName=llava:7b"));

    ASSERT_TRUE(QFile::remove(path()));
    ASSERT_EQ(::mkfifo(QFile::encodeName(path()).constData(), 0600), 0);
    AppSettings fifo(path());
    EXPECT_EQ(fifo.modelConfig(environment).modelName, "");
    fifo.setModelName(QStringLiteral("llava:7b"));
    EXPECT_EQ(fifo.modelConfig(environment).modelName, "llava:7b");
}

TEST(AppSettingsPathTest, followsXdgConfigHome) {
    const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", "/tmp/quillmark-config");
    EXPECT_EQ(AppSettings::defaultFilePath(), "/tmp/quillmark-config/Quillmark/Quillmark.conf");
    qunsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(AppSettings::defaultFilePath(),
              QDir::homePath() + "/.config/Quillmark/Quillmark.conf");
    if (!saved.isNull()) {
        qputenv("XDG_CONFIG_HOME", saved);
    }
}

} // namespace
