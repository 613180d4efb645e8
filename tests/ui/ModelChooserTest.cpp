#include "PanelFixture.h"

#include "ModelChooser.h"
#include "ModelPull.h"
#include "look/CrayonButton.h"
#include "panel/WrappedText.h"
#include "settings/ModelChooserView.h"
#include "settings/PullBar.h"
#include "settings/SettingsView.h"
#include "settings/StyleOption.h"
#include "support/ScriptedModelServer.h"

#include <QFont>
#include <QImage>
#include <QLineEdit>
#include <QPainter>
#include <limits>

using namespace panel_test;
using namespace std::chrono_literals;
using testsupport::ScriptedModelServer;
using Protocol = ScriptedModelServer::Protocol;
using Kind = engine::Namer::Engine::Kind;

namespace {

int closedPort() {
    return ScriptedModelServer(Protocol::notAModelServer).port();
}

void clickBody(ui::CrayonButton* button) {
    QTest::mouseClick(button, Qt::LeftButton, {}, button->contentRect().center().toPoint());
}

std::vector<QString> shownModels(const ui::ModelChooserView& chooser) {
    std::vector<QString> names;
    for (auto* option : chooser.modelOptions()) {
        names.push_back(option->property("model").toString());
    }
    return names;
}

} // namespace

// The real engine, a model server found on a loopback port, the settings card.
class ModelChooserTest : public PanelFixture {
protected:
    ScriptedModelServer ollama{Protocol::ollama, {{"llama3.2:3b"}, {"llava:7b", true}}};
    std::vector<int> ports{ollama.port()};

    void SetUp() override {
        PanelFixture::SetUp();
        QSettings settings(QString::fromStdString(settingsFile.string()), QSettings::IniFormat);
        // Nothing listens where the settings point, so only the ports above are found.
        settings.setValue("modelEndpoint", QStringLiteral("http://127.0.0.1:%1").arg(closedPort()));
    }

    std::unique_ptr<app::AppModel> makeRealModel() {
        auto s = services();
        s.namer = nullptr;
        s.discoverModelServers = true;
        s.modelServerPorts = ports;
        return std::make_unique<app::AppModel>(s);
    }

    QString stored(const char* key) {
        return QSettings(QString::fromStdString(settingsFile.string()), QSettings::IniFormat)
            .value(key)
            .toString();
    }

    static bool listed(const ui::ModelChooserView& chooser, const QString& model) {
        return QTest::qWaitFor([&] { return chooser.optionFor(model) != nullptr; }, 10000);
    }

    fs::path screenshot() {
        QImage image(900, 300, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        QFont font;
        font.setPixelSize(48);
        painter.setFont(font);
        painter.setPen(Qt::black);
        painter.drawText(40, 160, QStringLiteral("Quarterly budget review"));
        painter.end();
        const fs::path file = screenshots / "Screenshot From 2026-03-14 09-41-22.png";
        image.save(QString::fromStdString(file.string()));
        return file;
    }
};

TEST_F(ModelChooserTest, choosingAModelStoresItAndNamesTheNextScreenshotWithIt) {
    auto model = makeRealModel();
    ui::SettingsView view(*model);
    auto& chooser = *view.modelChooser();
    ASSERT_TRUE(listed(chooser, "llava:7b"));
    // The model that looks at images comes first; "Automatic" stays chosen until the user picks.
    EXPECT_EQ(shownModels(chooser), (std::vector<QString>{"llava:7b", "llama3.2:3b"}));
    EXPECT_TRUE(chooser.automaticOption()->isSelected());

    QTest::mouseClick(chooser.optionFor("llava:7b"), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return stored("modelName") == "llava:7b"; }, 10000));
    EXPECT_EQ(stored("modelEndpoint"), QString::fromStdString(ollama.endpoint()));
    EXPECT_TRUE(chooser.optionFor("llava:7b")->isSelected());
    EXPECT_FALSE(chooser.automaticOption()->isSelected());
    ASSERT_TRUE(QTest::qWaitFor([&] { return model->engine().kind == Kind::visionModel; }, 10000));

    model->enqueue({screenshot()});
    ASSERT_TRUE(QTest::qWaitFor([&] { return !model->history().empty(); }, 60000));
    EXPECT_EQ(model->history().front().source, engine::Namer::Source::vision);
    EXPECT_EQ(model->history().front().currentName, "Scripted Name.png");
    ASSERT_FALSE(ollama.chatRequests().empty());
    EXPECT_EQ(ollama.chatRequests().back().json["model"], "llava:7b");
}

TEST_F(ModelChooserTest, badChoicesSayWhatIsWrongAndChangeNothing) {
    auto model = makeRealModel();
    ui::SettingsView view(*model);
    auto& chooser = *view.modelChooser();
    ASSERT_TRUE(listed(chooser, "llava:7b"));
    const QString endpoint = stored("modelEndpoint");

    // Gone between the listing and the click.
    ollama.setModels({{"llama3.2:3b"}});
    QTest::mouseClick(chooser.optionFor("llava:7b"), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return chooser.problemText()->isVisibleTo(&view); }, 10000));
    EXPECT_EQ(chooser.problemText()->text(),
              "llava:7b is no longer on that server. Here is what it has now.");
    EXPECT_TRUE(QTest::qWaitFor([&] { return chooser.optionFor("llava:7b") == nullptr; }, 10000));
    EXPECT_EQ(stored("modelName"), "");

    const auto before = ollama.requests().size();
    chooser.addressField()->setText(QStringLiteral("http://192.168.1.5:11434"));
    clickBody(chooser.lookThereButton());
    EXPECT_TRUE(
        chooser.problemText()->text().startsWith("Only model servers on this computer are used."));
    EXPECT_EQ(stored("modelEndpoint"), endpoint);

    ScriptedModelServer broken(Protocol::ollama);
    broken.setListingReply(ScriptedModelServer::Reply::garbage());
    chooser.addressField()->setText(QString::fromStdString(broken.endpoint()));
    clickBody(chooser.lookThereButton());
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return chooser.problemText()->text().startsWith("Something answered at"); }, 10000));
    EXPECT_EQ(stored("modelEndpoint"), endpoint);
    EXPECT_EQ(ollama.requests().size(), before);
}

TEST_F(ModelChooserTest, nothingFoundSaysHowToGetAModel) {
    ports = {closedPort()};
    auto model = makeRealModel();
    ui::SettingsView view(*model);
    auto& chooser = *view.modelChooser();
    ASSERT_TRUE(QTest::qWaitFor([&] { return model->modelChooser().lookedOnce(); }, 10000));
    EXPECT_TRUE(chooser.statusText()->text().startsWith("Nothing found on the usual ports."));
    EXPECT_TRUE(chooser.modelOptions().empty());
    EXPECT_FALSE(chooser.fetchRow()->isVisibleTo(&view));
}

TEST_F(ModelChooserTest, theEnvironmentOverridesTheSettingsInTheTrayProgramToo) {
    qputenv("QUILLMARK_MODEL_URL", QByteArray::fromStdString(ollama.endpoint()));
    qputenv("QUILLMARK_MODEL", "llama3.2:3b");
    auto model = makeRealModel();
    const bool textModel =
        QTest::qWaitFor([&] { return model->engine().kind == Kind::textModel; }, 10000);
    ui::SettingsView view(*model);
    auto& chooser = *view.modelChooser();
    const bool isListed = listed(chooser, "llava:7b");
    if (isListed) {
        QTest::mouseClick(chooser.optionFor("llava:7b"), Qt::LeftButton);
    }
    const bool warned = QTest::qWaitFor(
        [&] { return chooser.problemText()->text().startsWith("QUILLMARK_MODEL_URL"); }, 10000);
    qunsetenv("QUILLMARK_MODEL_URL");
    qunsetenv("QUILLMARK_MODEL");
    EXPECT_TRUE(textModel);
    EXPECT_TRUE(isListed);
    EXPECT_TRUE(warned);
}

class ModelPullTest : public ModelChooserTest {
protected:
    const ScriptedModelServer::Model pulled{"qwen2.5vl:3b", true};

    void SetUp() override {
        ModelChooserTest::SetUp();
        ollama.setModels({{"llama3.2:3b"}});
    }

    std::vector<ScriptedModelServer::PullLine> linesTo(int completed) {
        return {
            {{{"status", "pulling manifest"}}},
            {{{"status", "pulling a1"}, {"digest", "a1"}, {"total", 2000000}, {"completed", 0}}},
            {{{"status", "pulling a1"},
              {"digest", "a1"},
              {"total", 2000000},
              {"completed", completed}}}};
    }

    static bool pullEnds(app::AppModel& model, app::ModelPull::State state) {
        return QTest::qWaitFor([&] { return model.modelPull().state() == state; }, 20000);
    }
};

TEST_F(ModelPullTest, aFetchShowsItsProgressAndChoosesTheModelWhenDone) {
    auto lines = linesTo(2000000);
    lines.push_back({{{"status", "success"}}});
    ollama.setPullScript(lines, pulled);
    auto model = makeRealModel();
    ui::SettingsView view(*model);
    auto& chooser = *view.modelChooser();
    ASSERT_TRUE(listed(chooser, "llama3.2:3b"));
    ASSERT_TRUE(chooser.fetchRow()->isVisibleTo(&view));
    EXPECT_EQ(chooser.fetchField()->text(), "qwen2.5vl:3b");

    QStringList shown;
    QObject::connect(&model->modelPull(), &app::ModelPull::changed, &view,
                     [&] { shown << chooser.pullText()->text(); });
    clickBody(chooser.fetchButton());
    ASSERT_TRUE(pullEnds(*model, app::ModelPull::State::finished));
    EXPECT_TRUE(shown.contains("Fetching qwen2.5vl:3b\u2026 2.0 MB of 2.0 MB"))
        << shown.join('|').toStdString();
    ASSERT_TRUE(QTest::qWaitFor([&] { return stored("modelName") == "qwen2.5vl:3b"; }, 10000));
    EXPECT_EQ(stored("modelEndpoint"), QString::fromStdString(ollama.endpoint()));
    ASSERT_TRUE(listed(chooser, "qwen2.5vl:3b"));
    EXPECT_TRUE(chooser.optionFor("qwen2.5vl:3b")->isSelected());
    EXPECT_TRUE(QTest::qWaitFor([&] { return model->engine().kind == Kind::visionModel; }, 10000));
}

TEST_F(ModelPullTest, aFetchGoesOnWithoutThePanelAndCanBeCancelled) {
    auto lines = linesTo(500000);
    lines.push_back({{{"status", "success"}}, 60s});
    ollama.setPullScript(lines, pulled);
    auto model = makeRealModel();
    {
        ui::SettingsView view(*model);
        ASSERT_TRUE(listed(*view.modelChooser(), "llama3.2:3b"));
        clickBody(view.modelChooser()->fetchButton());
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return model->modelPull().progress().completed == 500000; }, 10000));
    }
    // The panel closed and opened again.
    ui::SettingsView view(*model);
    view.resize(360, view.sizeHint().height());
    view.show();
    auto& chooser = *view.modelChooser();
    EXPECT_TRUE(chooser.pullBar()->isVisibleTo(&view));
    EXPECT_DOUBLE_EQ(chooser.pullBar()->fraction(), 0.25);
    EXPECT_TRUE(ollama.pulling());

    clickBody(chooser.cancelButton());
    ASSERT_TRUE(pullEnds(*model, app::ModelPull::State::cancelled));
    EXPECT_EQ(chooser.pullText()->text(),
              "Stopped. Fetch it again to go on from where it stopped.");
    EXPECT_FALSE(chooser.pullBar()->isVisibleTo(&view));
    EXPECT_EQ(stored("modelName"), "");
}

TEST_F(ModelPullTest, hugeCountsFromTheServerShowAsHugeAndFillTheBarAtMost) {
    constexpr std::uint64_t most = std::numeric_limits<std::uint64_t>::max();
    ollama.setPullScript(
        {{{{"status", "pulling a1"}, {"digest", "a1"}, {"total", most}, {"completed", most / 2}}},
         {{{"status", "pulling b2"}, {"digest", "b2"}, {"total", most}, {"completed", most}}},
         {{{"status", "success"}}, 60s}},
        pulled);
    auto model = makeRealModel();
    ui::SettingsView view(*model);
    auto& chooser = *view.modelChooser();
    ASSERT_TRUE(listed(chooser, "llama3.2:3b"));
    clickBody(chooser.fetchButton());
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return model->modelPull().progress().completed == most; }, 10000));
    const QString text = chooser.pullText()->text();
    EXPECT_TRUE(text.startsWith("Fetching qwen2.5vl:3b\u2026 ")) << text.toStdString();
    EXPECT_FALSE(text.contains('-')) << text.toStdString();
    EXPECT_GT(chooser.pullBar()->fraction(), 0.0);
    EXPECT_LE(chooser.pullBar()->fraction(), 1.0);
    clickBody(chooser.cancelButton());
    ASSERT_TRUE(pullEnds(*model, app::ModelPull::State::cancelled));
}

TEST_F(ModelPullTest, aFetchThatFailsHalfWayShowsOllamasMessage) {
    auto lines = linesTo(800000);
    lines.push_back(
        {{{"error", "write /usr/share/ollama/.ollama/models/blobs: no space left on device"}}});
    ollama.setPullScript(lines, pulled);
    auto model = makeRealModel();
    ui::SettingsView view(*model);
    auto& chooser = *view.modelChooser();
    ASSERT_TRUE(listed(chooser, "llama3.2:3b"));
    clickBody(chooser.fetchButton());
    ASSERT_TRUE(pullEnds(*model, app::ModelPull::State::failed));
    EXPECT_EQ(chooser.pullError()->text(),
              "Couldn't fetch qwen2.5vl:3b: write /usr/share/ollama/.ollama/models/blobs: no space "
              "left on device");
    EXPECT_TRUE(chooser.pullError()->isVisibleTo(&view));
    EXPECT_TRUE(chooser.fetchButton()->isEnabled()); // it may be tried again
    EXPECT_EQ(stored("modelName"), "");
}
