#include "NamingModes.h"
#include "ModelsMode.h"
#include "ReadAhead.h"
#include "engine/ReadingTestImages.h"
#include "engine/ScratchFolder.h"
#include "model/ModelSettings.h"
#include "support/ScriptedModelServer.h"

#include <atomic>
#include <gtest/gtest.h>
#include <regex>
#include <sstream>
#include <thread>

using namespace std::chrono_literals;
using cli::NamingModes;
using engine::ModelConfig;
using engine::Namer;
using testsupport::ScriptedModelServer;

namespace {

struct Output {
    int status;
    std::string text;
};

Namer withoutModel() {
    ModelConfig config;
    config.endpoint = "http://127.0.0.1:9"; // nothing listens on the discard port
    return Namer(config);
}

void saveTextImage(const std::filesystem::path& file, const std::string& title) {
    reading_test::Canvas canvas(900, 300, 250);
    canvas.text(title, 60, 80, 36, 20);
    ASSERT_TRUE(canvas.save(file));
}

void saveBlankImage(const std::filesystem::path& file) {
    ASSERT_TRUE(reading_test::Canvas(300, 200, 255).save(file));
}

Output suggest(const std::vector<std::string>& files, const Namer& namer) {
    std::ostringstream out;
    const int status = NamingModes::suggest(files, namer, out);
    return {status, out.str()};
}

Output tidy(const std::filesystem::path& folder, const Namer& namer) {
    std::ostringstream out;
    const int status = NamingModes::tidy(folder.string(), namer, out);
    return {status, out.str()};
}

} // namespace

TEST(SuggestMode, printsEngineThenOneLinePerFileInTheGivenOrder) {
    ScratchFolder folder;
    saveTextImage(folder.path() / "IMG_4471.png", "Flight to Lisbon Booking");
    saveBlankImage(folder.path() / "blank.png");
    const auto output =
        suggest({(folder.path() / "IMG_4471.png").string(), (folder.path() / "blank.png").string(),
                 "--tidy", (folder.path() / "missing.png").string()},
                withoutModel());
    EXPECT_EQ(output.status, 0);
    const std::regex expected(
        "engine: Text in image\n"
        "IMG_4471\\.png -> Flight to Lisbon Booking \\[heuristic, \\d+\\.\\ds\\]\n"
        "blank\\.png -> \\(no name\\) \\[\\d+\\.\\ds\\]\n"
        "--tidy -> \\(no name\\) \\[0\\.0s\\]\n"
        "missing\\.png -> \\(no name\\) \\[0\\.0s\\]\n");
    EXPECT_TRUE(std::regex_match(output.text, expected)) << output.text;
}

TEST(SuggestMode, withoutFilesPrintsOnlyTheEngine) {
    EXPECT_EQ(suggest({}, withoutModel()).text, "engine: Text in image\n");
}

TEST(SuggestMode, modelNamesAreStyledAndLabelled) {
    ScriptedModelServer server(ScriptedModelServer::Protocol::ollama, {{"llava:latest", true}});
    server.setDefaultReply(ScriptedModelServer::Reply::answer("dentist appointment reminder"));
    ModelConfig config;
    config.endpoint = server.endpoint();
    ScratchFolder folder;
    saveBlankImage(folder.path() / "IMG_1.png");
    const auto output = suggest({(folder.path() / "IMG_1.png").string()}, Namer(config));
    EXPECT_TRUE(
        std::regex_match(output.text, std::regex("engine: Local model\n"
                                                 "IMG_1\\.png -> Dentist Appointment Reminder "
                                                 "\\[vision, \\d+\\.\\ds\\]\n")))
        << output.text;
}

// The second file is read while the model thinks about the first; its time must still count
// that reading, not only the naming that follows it.
TEST(SuggestMode, timesIncludeReadingDoneAhead) {
    ScriptedModelServer server(ScriptedModelServer::Protocol::ollama, {{"llama3", false}});
    server.queueReply(
        ScriptedModelServer::Reply::answer("First").after(std::chrono::milliseconds(400)));
    server.setDefaultReply(ScriptedModelServer::Reply::answer("Second"));
    ModelConfig config;
    config.endpoint = server.endpoint();
    std::ostringstream out;
    NamingModes::suggest({"IMG_1.png", "IMG_2.png"}, Namer(config), out,
                         [](const std::filesystem::path&) {
                             std::this_thread::sleep_for(std::chrono::milliseconds(150));
                             engine::TextReader::Reading reading;
                             reading.lines = {"Monthly Budget Review"};
                             return reading;
                         });
    // The first file waits for its own reading; the second was read while the first was named.
    EXPECT_TRUE(
        std::regex_match(out.str(), std::regex("engine: Local model \\(text\\)\n"
                                               "IMG_1\\.png -> First \\[text, \\d+\\.\\ds\\]\n"
                                               "IMG_2\\.png -> Second \\[text, "
                                               "(0\\.[1-9]|[1-9]\\d*\\.\\d)s\\]\n")))
        << out.str();
}

TEST(TidyMode, renamesVagueImagesInNameOrderAndNumbersCollisions) {
    ScratchFolder folder;
    saveTextImage(folder.path() / "IMG_0001.png", "Quarterly Sales Dashboard");
    saveTextImage(folder.path() / "Screenshot From 2026-03-14 09-41-22.png",
                  "Quarterly Sales Dashboard");
    saveBlankImage(folder.path() / "image (2).png");
    saveTextImage(folder.path() / "Holiday plans.png", "Packing List");
    const auto output = tidy(folder.path(), withoutModel());
    EXPECT_EQ(output.status, 0);
    EXPECT_EQ(output.text,
              "IMG_0001.png -> Quarterly Sales Dashboard.png\n"
              "Screenshot From 2026-03-14 09-41-22.png -> Quarterly Sales Dashboard 2.png\n"
              "image (2).png -> skipped\n");
    EXPECT_TRUE(std::filesystem::exists(folder.path() / "Quarterly Sales Dashboard 2.png"));
    EXPECT_TRUE(std::filesystem::exists(folder.path() / "Holiday plans.png"));
    EXPECT_TRUE(std::filesystem::exists(folder.path() / "image (2).png"));
    // Only the file without text is still vague.
    EXPECT_EQ(tidy(folder.path(), withoutModel()).text, "image (2).png -> skipped\n");
}

// With link -> ../real/inner, "link/.." is real: its images are renamed there, and the folder
// holding the link is left alone.
TEST(TidyMode, leavesDotDotToTheFileSystem) {
    ScratchFolder folder;
    std::filesystem::create_directories(folder.path() / "real" / "inner");
    std::filesystem::create_directories(folder.path() / "work");
    std::filesystem::create_directory_symlink("../real/inner", folder.path() / "work" / "link");
    saveTextImage(folder.path() / "real" / "IMG_0001.png", "Quarterly Sales Dashboard");
    saveTextImage(folder.path() / "work" / "IMG_0002.png", "Packing List");
    const auto output = tidy(folder.path() / "work" / "link" / "..", withoutModel());
    EXPECT_EQ(output.text, "IMG_0001.png -> Quarterly Sales Dashboard.png\n");
    EXPECT_TRUE(std::filesystem::exists(folder.path() / "real" / "Quarterly Sales Dashboard.png"));
    EXPECT_TRUE(std::filesystem::exists(folder.path() / "work" / "IMG_0002.png"));
}

TEST(TidyMode, failuresArePrintedAndMakeTheExitStatusOne) {
    EXPECT_EQ(tidy("/nonexistent/folder", withoutModel()).status, 1);
    EXPECT_EQ(tidy("/nonexistent/folder", withoutModel()).text, "");

    // The first file goes away while the model thinks about its name.
    ScriptedModelServer server(ScriptedModelServer::Protocol::ollama, {{"llama3", false}});
    server.queueReply(ScriptedModelServer::Reply::answer("Ocean Waves").after(300ms));
    ModelConfig config;
    config.endpoint = server.endpoint();
    ScratchFolder folder;
    saveTextImage(folder.path() / "IMG_0001.png", "Ocean Waves");
    saveTextImage(folder.path() / "IMG_0002.png", "Mountain Lake");
    std::thread remover([&] {
        for (int i = 0; i < 1000 && server.chatRequests().empty(); ++i) {
            std::this_thread::sleep_for(5ms);
        }
        std::filesystem::remove(folder.path() / "IMG_0001.png");
    });
    const auto output = tidy(folder.path(), Namer(config));
    remover.join();
    EXPECT_EQ(output.status, 1);
    EXPECT_EQ(output.text, "IMG_0001.png -> error: IMG_0001.png is no longer in that folder.\n"
                           "IMG_0002.png -> Scripted Name.png\n");
}

TEST(TidyMode, readOnlyFolderReportsEveryFile) {
    if (::geteuid() == 0) {
        GTEST_SKIP() << "root may write anywhere";
    }
    ScratchFolder folder;
    saveTextImage(folder.path() / "IMG_0001.png", "Ocean Waves");
    std::filesystem::permissions(folder.path(), std::filesystem::perms::owner_read |
                                                    std::filesystem::perms::owner_exec);
    const auto output = tidy(folder.path(), withoutModel());
    EXPECT_EQ(output.status, 1);
    EXPECT_EQ(output.text, "IMG_0001.png -> error: Permission denied\n");
}

TEST(ModelSettings, readsTheThreeKeysThenTheEnvironment) {
    ScratchFolder home;
    home.file("config/Quillmark/Quillmark.conf",
              "[General]\nautoName=false\nmodelEndpoint=http://127.0.0.1:8080\n"
              "modelName=\"llava:13b\"\nallowRemoteModel=true\n");
    std::map<std::string, std::string> variables{
        {"HOME", home.path().string()}, {"XDG_CONFIG_HOME", (home.path() / "config").string()}};
    auto config = engine::ModelSettings::load(engine::Environment::fromMap(variables));
    EXPECT_EQ(config.endpoint, "http://127.0.0.1:8080");
    EXPECT_EQ(config.modelName, "llava:13b");
    EXPECT_TRUE(config.allowRemoteModel);

    variables["QUILLMARK_MODEL_URL"] = "http://localhost:1234";
    variables["QUILLMARK_MODEL"] = "qwen";
    config = engine::ModelSettings::load(engine::Environment::fromMap(variables));
    EXPECT_EQ(config.endpoint, "http://localhost:1234");
    EXPECT_EQ(config.modelName, "qwen");

    const auto defaults = engine::ModelSettings::load(
        engine::Environment::fromMap({{"HOME", (home.path() / "nobody").string()}}));
    EXPECT_EQ(defaults.endpoint, ModelConfig::defaultEndpoint);
    EXPECT_EQ(defaults.modelName, "");
    EXPECT_FALSE(defaults.allowRemoteModel);
}

TEST(ReadAhead, handsOutReadingsInOrderAndStaysWithinItsWindow) {
    std::vector<std::filesystem::path> files;
    for (int i = 0; i < 12; ++i) {
        files.emplace_back("file" + std::to_string(i));
    }
    std::atomic<int> started{0};
    std::atomic<int> taken{0};
    std::atomic<int> worstLead{0};
    cli::ReadAhead readings(files, 2, 3, [&](const std::filesystem::path& file) {
        const int lead = ++started - taken.load();
        worstLead = std::max(worstLead.load(), lead);
        engine::TextReader::Reading reading;
        reading.lines = {file.string()};
        return reading;
    });
    for (std::size_t i = 0; i < files.size(); ++i) {
        EXPECT_EQ(readings.take(i).reading.lines, std::vector<std::string>{files[i].string()});
        ++taken;
    }
    EXPECT_EQ(started.load(), 12);
    // `taken` counts a file only after take() returned, so the lead may show one more.
    EXPECT_LE(worstLead.load(), 3 + 1);
}

TEST(ModelsMode, printsEveryModelWithItsServerAndTheOneInUse) {
    ScriptedModelServer ollama(ScriptedModelServer::Protocol::ollama,
                               {{"llama3.2:3b"}, {"llava:7b", true}});
    ScriptedModelServer llama(ScriptedModelServer::Protocol::llamaServer, {{"gemma-3-4b", false}});
    llama.setLoading(true);
    ModelConfig config;
    config.endpoint = ollama.endpoint();
    std::ostringstream out;
    EXPECT_EQ(
        cli::ModelsMode::run(config, engine::Environment::fromMap({}), out, {200ms, 5000ms}, {}),
        0);
    // Automatic picks the model that looks at images.
    EXPECT_EQ(out.str(), "Ollama\t" + ollama.endpoint() + "\tllama3.2:3b\ttext\n" + "Ollama\t" +
                             ollama.endpoint() + "\tllava:7b\timages\tin use\n");

    config.endpoint = llama.endpoint();
    out.str({});
    cli::ModelsMode::run(config, engine::Environment::fromMap({}), out, {200ms, 5000ms}, {});
    EXPECT_EQ(out.str().substr(0, out.str().find('\n')),
              "llama-server\t" + llama.endpoint() + "\t(no models)\tloading");
}
