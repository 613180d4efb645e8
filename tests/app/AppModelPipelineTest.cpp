// The drain in two steps: files are read while the model answers for the one before, the
// model's state is asked once a batch, and a file is read once it has held still.
#include "AppModel.h"

#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <condition_variable>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <mutex>
#include <sys/stat.h>
#include <utime.h>

using namespace app;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

namespace {

std::string contentOf(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// Reads a file's text as its "reading" and names it after that text. The model step waits
// while the test holds it closed, as a slow server would.
class SteppedNamer : public NamingService {
public:
    engine::Namer::Engine engine() const override {
        return {engine::Namer::Engine::Kind::visionModel, {}};
    }
    std::optional<engine::Namer::Result>
    suggestName(const fs::path&, const std::vector<engine::Correction>&) const override {
        return std::nullopt; // never asked whole
    }
    void warmUp() const override {}

    ModelStatus modelStatus() const override {
        std::lock_guard lock(mutex_);
        ++statusChecks_;
        ModelStatus status;
        status.kind = ModelStatus::Kind::ready;
        status.acceptsImages = true;
        return status;
    }
    Prepared read(const fs::path& file, const ModelStatus&) const override {
        Prepared prepared{file, {}};
        prepared.reading.lines.push_back(contentOf(file));
        std::lock_guard lock(mutex_);
        readings_.push_back(file.filename().string());
        changed_.notify_all();
        return prepared;
    }
    std::optional<engine::Namer::Result> name(const Prepared& prepared,
                                              const std::vector<engine::Correction>&,
                                              const ModelStatus&) const override {
        std::unique_lock lock(mutex_);
        ++namings_;
        changed_.notify_all();
        changed_.wait_for(lock, 5s, [&] { return open_; });
        return engine::Namer::Result{prepared.reading.lines.front(), engine::Namer::Source::vision};
    }

    void setOpen(bool value) {
        std::lock_guard lock(mutex_);
        open_ = value;
        changed_.notify_all();
    }
    int statusChecks() const {
        std::lock_guard lock(mutex_);
        return statusChecks_;
    }
    int namings() const {
        std::lock_guard lock(mutex_);
        return namings_;
    }
    std::vector<std::string> readings() const {
        std::lock_guard lock(mutex_);
        return readings_;
    }

private:
    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    bool open_ = true;
    mutable int statusChecks_ = 0;
    mutable int namings_ = 0;
    mutable std::vector<std::string> readings_;
};

class AppModelPipelineTest : public ::testing::Test {
protected:
    QTemporaryDir home;
    fs::path root = home.path().toStdString();
    fs::path screenshots = root / "Screenshots";
    std::shared_ptr<SteppedNamer> namer = std::make_shared<SteppedNamer>();
    AppServices services;

    void SetUp() override {
        fs::create_directories(screenshots);
        services.settingsFile = QString::fromStdString((root / "Quillmark.conf").string());
        {
            QSettings settings(services.settingsFile, QSettings::IniFormat);
            settings.setValue("screenshotFolder", QString::fromStdString(screenshots.string()));
            settings.setValue("autoName", false);
        }
        services.dataFolder = root / "data";
        services.homeFolder = root;
        services.autostartFolder = root / "autostart";
        services.executablePath = QString::fromStdString((root / "build/quillmark").string());
        services.namer = namer;
        services.pause = 1ms;
        services.unfinishedLookInterval = 20ms;
    }

    // A file last written an hour ago.
    fs::path oldFile(const std::string& name, const std::string& text) {
        const fs::path file = screenshots / name;
        std::ofstream(file, std::ios::binary) << text;
        const auto hourAgo = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now() -
                                                                  std::chrono::hours(1));
        utimbuf times{hourAgo, hourAgo};
        ::utime(file.c_str(), &times);
        return file;
    }

    std::vector<std::string> renamedTo(const AppModel& model) const {
        std::vector<std::string> names;
        for (auto it = model.history().rbegin(); it != model.history().rend(); ++it) {
            names.push_back(it->originalName + " -> " + it->currentName);
        }
        return names;
    }
};

} // namespace

TEST_F(AppModelPipelineTest, readsTheNextFileWhileTheModelAnswersAndRenamesInQueueOrder) {
    AppModel model(services);
    QSignalSpy idle(&model, &AppModel::idle);
    namer->setOpen(false);
    model.enqueue({oldFile("IMG_3.png", "third"), oldFile("IMG_1.png", "first"),
                   oldFile("IMG_2.png", "second")});

    // The first file is with the model; the second is read meanwhile, and no further.
    ASSERT_TRUE(QTest::qWaitFor([&] { return namer->readings().size() == 2; }, 5000));
    EXPECT_EQ(namer->namings(), 1);
    EXPECT_EQ(model.queued(), 3);
    namer->setOpen(true);

    ASSERT_TRUE(idle.wait(5000));
    EXPECT_EQ(renamedTo(model),
              (std::vector<std::string>{"IMG_3.png -> Third.png", "IMG_1.png -> First.png",
                                        "IMG_2.png -> Second.png"}));
    EXPECT_EQ(namer->statusChecks(), 1);
    EXPECT_EQ(model.queued(), 0);

    // A new batch asks again.
    model.enqueue({oldFile("IMG_4.png", "fourth")});
    ASSERT_TRUE(idle.wait(5000));
    EXPECT_EQ(namer->statusChecks(), 2);
}

TEST_F(AppModelPipelineTest, fileReplacedWhileTheModelAnswersIsNamedFromItsNewContent) {
    AppModel model(services);
    QSignalSpy idle(&model, &AppModel::idle);
    namer->setOpen(false);
    const fs::path file = oldFile("IMG_7.png", "boarding pass");
    model.enqueue({file});
    ASSERT_TRUE(QTest::qWaitFor([&] { return namer->namings() == 1; }, 5000));

    // Another picture under the same name, as a save over the old one leaves it.
    const fs::path staged = root / "staged.png";
    std::ofstream(staged, std::ios::binary) << "dinner menu";
    fs::rename(staged, file);
    namer->setOpen(true);

    ASSERT_TRUE(QTest::qWaitFor([&] { return fs::exists(screenshots / "Dinner Menu.png"); }, 5000));
    EXPECT_FALSE(fs::exists(screenshots / "Boarding Pass.png"));
    ASSERT_EQ(model.history().size(), 1u);
    EXPECT_EQ(model.history().front().currentName, "Dinner Menu.png");
    EXPECT_EQ(contentOf(screenshots / "Dinner Menu.png"), "dinner menu");
}

TEST_F(AppModelPipelineTest, fileThatHasLongBeenStillIsReadWithoutThePause) {
    services.pause = 60s;
    AppModel model(services);
    QSignalSpy idle(&model, &AppModel::idle);
    model.enqueue({oldFile("IMG_1.png", "first"), oldFile("IMG_2.png", "second")});
    ASSERT_TRUE(idle.wait(5000));
    EXPECT_EQ(model.history().size(), 2u);
}
