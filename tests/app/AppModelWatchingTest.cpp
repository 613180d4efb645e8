// How the model copes with files and folders that are not settled yet when it looks.
#include "AppModel.h"

#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <fcntl.h>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <mutex>
#include <unistd.h>

using namespace app;
namespace fs = std::filesystem;

namespace {

const std::string complete = "a whole picture";

// Stands in for a decoder: only a file holding the whole picture can be named.
class WholeFileNamer : public NamingService {
public:
    engine::Namer::Engine engine() const override {
        return {engine::Namer::Engine::Kind::visionModel, {}};
    }
    std::optional<engine::Namer::Result>
    suggestName(const fs::path& file, const std::vector<engine::Correction>&) const override {
        std::ifstream in(file, std::ios::binary);
        const std::string content{std::istreambuf_iterator<char>(in), {}};
        std::lock_guard lock(mutex_);
        ++asked_;
        if (content != complete) {
            return std::nullopt;
        }
        return engine::Namer::Result{"boarding pass", engine::Namer::Source::vision};
    }
    void warmUp() const override {}
    int asked() const {
        std::lock_guard lock(mutex_);
        return asked_;
    }

private:
    mutable std::mutex mutex_;
    mutable int asked_ = 0;
};

class AppModelWatchingTest : public ::testing::Test {
protected:
    QTemporaryDir home;
    fs::path root = home.path().toStdString();
    fs::path screenshots = root / "Screenshots";
    std::shared_ptr<WholeFileNamer> namer = std::make_shared<WholeFileNamer>();
    AppServices services;

    void SetUp() override {
        fs::create_directories(screenshots);
        services.settingsFile = QString::fromStdString((root / "Quillmark.conf").string());
        {
            QSettings settings(services.settingsFile, QSettings::IniFormat);
            settings.setValue("screenshotFolder", QString::fromStdString(screenshots.string()));
        }
        services.dataFolder = root / "data";
        services.homeFolder = root;
        services.autostartFolder = root / "autostart";
        services.executablePath = QString::fromStdString((root / "build/quillmark").string());
        services.namer = namer;
        services.pause = std::chrono::milliseconds(1);
        services.unfinishedLookInterval = std::chrono::milliseconds(20);
        services.unfinishedLimit = std::chrono::milliseconds(10000);
        services.folderGoneGrace = std::chrono::milliseconds(10000);
    }

    static std::string shot(int second) {
        return "Screenshot From 2026-03-14 09-41-" + std::to_string(10 + second) + ".png";
    }
    static void write(int fd, const std::string& text) {
        ASSERT_EQ(::write(fd, text.data(), text.size()), static_cast<ssize_t>(text.size()));
    }
    static QString couldNotName(const std::string& name) {
        return QString::fromStdString("Couldn't find anything to name " + name + " after.");
    }
};

} // namespace

TEST_F(AppModelWatchingTest, screenshotWrittenInTwoPartsIsNamedOnceFinished) {
    AppModel model(services);
    QSignalSpy named(&model, &AppModel::fileNamed);

    // Left open after the first part, so the size stands still while the writer works.
    int fd = ::open((screenshots / shot(1)).c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
    ASSERT_GE(fd, 0);
    write(fd, complete.substr(0, 6));
    ASSERT_TRUE(QTest::qWaitFor([&] { return namer->asked() == 1; }, 5000));
    QTest::qWait(200);
    EXPECT_EQ(namer->asked(), 1);
    EXPECT_FALSE(model.message().has_value());
    write(fd, complete.substr(6));
    ::close(fd);

    ASSERT_TRUE(named.wait(5000));
    EXPECT_TRUE(fs::exists(screenshots / "Boarding Pass.png"));
    EXPECT_FALSE(model.message().has_value());

    // Finished but not closed yet: its size standing still is enough.
    fd = ::open((screenshots / shot(2)).c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
    ASSERT_GE(fd, 0);
    write(fd, complete.substr(0, 3));
    ASSERT_TRUE(QTest::qWaitFor([&] { return namer->asked() == 3; }, 5000));
    write(fd, complete.substr(3));
    ASSERT_TRUE(named.wait(5000));
    ::close(fd);
    EXPECT_TRUE(fs::exists(screenshots / "Boarding Pass 2.png"));
    EXPECT_FALSE(model.message().has_value());
}

TEST_F(AppModelWatchingTest, fileThatStaysUnreadableFailsOnceItsChanceIsOver) {
    {
        AppModel model(services);
        // Finished when read: no waiting for a change that will not come.
        std::ofstream(screenshots / shot(1), std::ios::binary) << "not a picture";
        ASSERT_TRUE(
            QTest::qWaitFor([&] { return model.message() == couldNotName(shot(1)); }, 3000));
        EXPECT_EQ(namer->asked(), 1);
    }

    services.unfinishedLimit = std::chrono::milliseconds(400);
    AppModel model(services);
    int fd = ::open((screenshots / shot(2)).c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
    ASSERT_GE(fd, 0);
    write(fd, "never finished");
    ASSERT_TRUE(QTest::qWaitFor([&] { return namer->asked() == 2; }, 5000));
    QTest::qWait(100);
    EXPECT_FALSE(model.message().has_value());
    ASSERT_TRUE(QTest::qWaitFor([&] { return model.message() == couldNotName(shot(2)); }, 5000));
    ::close(fd);
    QTest::qWait(100);
    EXPECT_EQ(namer->asked(), 2);
    EXPECT_TRUE(fs::exists(screenshots / shot(2)));
}

TEST_F(AppModelWatchingTest, screenshotFolderMadeAgainIsWatchedAgainAndOneThatStaysAwayIsTold) {
    services.folderGoneGrace = std::chrono::milliseconds(200);
    AppModel model(services);
    QSignalSpy named(&model, &AppModel::fileNamed);

    fs::remove_all(screenshots);
    QTest::qWait(50);
    fs::create_directory(screenshots);
    QTest::qWait(50);
    std::ofstream(screenshots / shot(1), std::ios::binary) << complete;
    ASSERT_TRUE(named.wait(5000));
    EXPECT_TRUE(fs::exists(screenshots / "Boarding Pass.png"));
    QTest::qWait(300); // past the grace: a folder that came back is no news
    EXPECT_FALSE(model.message().has_value());

    fs::remove_all(screenshots);
    ASSERT_TRUE(QTest::qWaitFor([&] { return model.message().has_value(); }, 5000));
    EXPECT_EQ(model.message(), QString("Couldn't watch Screenshots. Check that the folder "
                                       "exists and that you may read it."));
}
