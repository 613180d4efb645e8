// The model's work off the main thread: the engine check, the warm-up, naming, and quitting
// while any of them is still waiting for the model server.
#include "AppModel.h"
#include "files/HistoryStore.h"

#include <QElapsedTimer>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <condition_variable>
#include <fstream>
#include <gtest/gtest.h>
#include <mutex>

using namespace app;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

namespace {

// A namer whose calls wait for the test to let them through, as a slow model server would.
// A call that is never let through gives up after a few seconds, so a fault shows as a
// failure rather than a hang.
class SlowNamer : public NamingService {
public:
    enum Call { engineCall, warmUpCall, namingCall };

    void close(Call call) { setOpen(call, false); }
    void open(Call call) { setOpen(call, true); }
    int started(Call call) const {
        std::lock_guard lock(mutex_);
        return started_[call];
    }
    bool wasCancelled() const {
        std::lock_guard lock(mutex_);
        return cancelled_;
    }

    engine::Namer::Engine engine() const override {
        pass(engineCall);
        return {engine::Namer::Engine::Kind::visionModel, {}};
    }
    std::optional<engine::Namer::Result>
    suggestName(const fs::path&, const std::vector<engine::Correction>&) const override {
        pass(namingCall);
        // Even a name that arrives after a cancellation must not be used.
        return engine::Namer::Result{"flight to lisbon", engine::Namer::Source::vision};
    }
    void warmUp() const override { pass(warmUpCall); }
    void cancel() override {
        std::lock_guard lock(mutex_);
        cancelled_ = true;
        changed_.notify_all();
    }

private:
    void setOpen(Call call, bool value) {
        std::lock_guard lock(mutex_);
        open_[call] = value;
        changed_.notify_all();
    }
    void pass(Call call) const {
        std::unique_lock lock(mutex_);
        ++started_[call];
        changed_.wait_for(lock, 4s, [&] { return open_[call] || cancelled_; });
    }

    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    bool open_[3] = {true, true, true};
    mutable int started_[3] = {0, 0, 0};
    bool cancelled_ = false;
};

class AppModelBackgroundTest : public ::testing::Test {
protected:
    QTemporaryDir home;
    fs::path root{home.path().toStdString()};
    fs::path screenshots = root / "Screenshots";
    fs::path settingsFile = root / "config" / "Quillmark.conf";
    std::shared_ptr<SlowNamer> namer = std::make_shared<SlowNamer>();

    void SetUp() override {
        fs::create_directories(screenshots);
        QSettings settings(QString::fromStdString(settingsFile.string()), QSettings::IniFormat);
        settings.setValue("screenshotFolder", QString::fromStdString(screenshots.string()));
    }

    // Test files, folders and namer on top of the given services.
    AppServices isolated(AppServices s) {
        s.settingsFile = QString::fromStdString(settingsFile.string());
        s.dataFolder = root / "data";
        s.homeFolder = root;
        s.autostartFolder = root / "autostart";
        s.executablePath = QString::fromStdString((root / "build" / "quillmark").string());
        s.namer = namer;
        s.pause = 1ms;
        s.postNamedNotification = [](const QStringList&) {};
        s.requestNotificationPermission = [] {};
        return s;
    }
    AppServices services() { return isolated(AppServices()); }

    QVariant setting(const QString& key) {
        QSettings settings(QString::fromStdString(settingsFile.string()), QSettings::IniFormat);
        return settings.value(key);
    }
    bool autostartEntryExists() { return fs::exists(root / "autostart" / "quillmark.desktop"); }
};

} // namespace

TEST_F(AppModelBackgroundTest, engineIsCheckedWithoutHoldingTheMainThread) {
    namer->close(SlowNamer::engineCall);
    QElapsedTimer started;
    started.start();
    AppModel model(services());
    EXPECT_LT(started.elapsed(), 1000);
    // Until the check answers, nothing promises a model.
    EXPECT_EQ(model.engine().kind, engine::Namer::Engine::Kind::textOnly);
    EXPECT_EQ(model.engine().reason, "");

    QSignalSpy changed(&model, &AppModel::engineChanged);
    namer->open(SlowNamer::engineCall);
    ASSERT_TRUE(changed.wait(2000));
    EXPECT_EQ(model.engine().kind, engine::Namer::Engine::Kind::visionModel);

    // Asked again later, as the views do when they appear.
    model.refreshEngine();
    ASSERT_TRUE(QTest::qWaitFor([&] { return namer->started(SlowNamer::engineCall) == 2; }, 2000));
}

TEST_F(AppModelBackgroundTest, warmUpNeverDelaysANaming) {
    namer->close(SlowNamer::warmUpCall);
    AppModel model(services());
    ASSERT_TRUE(QTest::qWaitFor([&] { return namer->started(SlowNamer::warmUpCall) == 1; }, 2000));
    const auto file = screenshots / "Screenshot From 2026-03-14 09-41-22.png";
    std::ofstream(file) << "x";
    QSignalSpy named(&model, &AppModel::fileNamed);
    model.enqueue({file});
    EXPECT_TRUE(named.wait(2000));
    EXPECT_TRUE(fs::exists(screenshots / "Flight to Lisbon.png"));
    namer->open(SlowNamer::warmUpCall);
}

TEST_F(AppModelBackgroundTest, destroyingTheModelAbandonsItsRequestsAndRenamesNothing) {
    namer->close(SlowNamer::warmUpCall);
    namer->close(SlowNamer::namingCall);
    const auto file = screenshots / "Screenshot From 2026-03-14 09-41-22.png";
    std::ofstream(file) << "x";
    auto model = std::make_unique<AppModel>(services());
    model->enqueue({file});
    ASSERT_TRUE(QTest::qWaitFor([&] { return namer->started(SlowNamer::namingCall) == 1; }, 2000));
    ASSERT_EQ(namer->started(SlowNamer::warmUpCall), 1);

    QElapsedTimer quitting;
    quitting.start();
    model.reset();
    EXPECT_LT(quitting.elapsed(), 1000);
    EXPECT_TRUE(namer->wasCancelled());
    QTest::qWait(50); // anything still queued for the main thread runs now
    EXPECT_TRUE(fs::exists(file));
    EXPECT_FALSE(fs::exists(screenshots / "Flight to Lisbon.png"));
    EXPECT_TRUE(engine::HistoryStore("Quillmark", root / "data").load().empty());
}

TEST_F(AppModelBackgroundTest, onlyTheWindowedApplicationAppliesTheLoginDefault) {
    // Installed, so the open-at-login default would apply.
    const QString installed = QStringLiteral("/usr/bin/quillmark");

    AppServices headless = isolated(AppServices::forWatchMode());
    headless.executablePath = installed;
    { AppModel model(std::move(headless)); }
    EXPECT_FALSE(autostartEntryExists());
    EXPECT_FALSE(fs::exists(root / "autostart"));
    EXPECT_FALSE(setting("loginDefaultApplied").toBool());

    // The application's first windowed start still applies it, once.
    AppServices windowed = services();
    windowed.applyLoginDefault = true;
    windowed.executablePath = installed;
    {
        AppModel model(std::move(windowed));
        EXPECT_TRUE(model.launchAtLogin());
    }
    EXPECT_TRUE(autostartEntryExists());
    EXPECT_TRUE(setting("loginDefaultApplied").toBool());
}
