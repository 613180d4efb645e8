#include "naming/Namer.h"
#include "support/ScriptedModelServer.h"

#include <chrono>
#include <future>
#include <gtest/gtest.h>
#include <thread>

using engine::ModelConfig;
using engine::Namer;
using engine::TextReader;
using testsupport::ScriptedModelServer;
using Protocol = ScriptedModelServer::Protocol;
using Reply = ScriptedModelServer::Reply;
using namespace std::chrono_literals;

namespace {

ModelConfig configFor(const ScriptedModelServer& server, std::string model = {}) {
    ModelConfig config;
    config.endpoint = server.endpoint();
    config.modelName = std::move(model);
    return config;
}

// Nothing listens there: the discard port is never served on test machines.
ModelConfig nobodyListening() {
    ModelConfig config;
    config.endpoint = "http://127.0.0.1:9";
    return config;
}

engine::RgbImage smallImage() {
    engine::RgbImage image;
    image.width = 8;
    image.height = 4;
    image.pixels.assign(8 * 4 * 3, 200);
    return image;
}

TextReader::Reading screenshotReading() {
    TextReader::Reading reading;
    reading.image = smallImage();
    reading.lines = {"9:41", "Inbox", "Flight to Lisbon Booking", "https://example.com"};
    reading.hints = {"document"};
    return reading;
}

std::vector<nlohmann::json> chats(const ScriptedModelServer& server) {
    std::vector<nlohmann::json> bodies;
    for (const auto& request : server.chatRequests()) {
        if (!request.json["messages"].empty()) { // leave out model loads
            bodies.push_back(request.json);
        }
    }
    return bodies;
}

} // namespace

TEST(Namer, visionModelNamesFromTheImageAndAsksNothingElse) {
    ScriptedModelServer server(Protocol::ollama, {{"llava:latest", true}});
    server.queueReply(Reply::answer("\u201CFlight to Lisbon Booking.\u201D"));
    const auto reading = screenshotReading();
    const auto result = Namer(configFor(server)).suggestName(reading, {});
    ASSERT_TRUE(result);
    EXPECT_EQ(*result, (Namer::Result{"Flight to Lisbon Booking", Namer::Source::vision}));
    const auto sent = chats(server);
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0]["model"], "llava:latest");
    EXPECT_EQ(sent[0]["messages"][0]["content"], Namer::makeInstructions({}));
    EXPECT_EQ(sent[0]["messages"][1]["content"],
              "Name this screenshot.\n" + Namer::makeContext(reading));
    EXPECT_EQ(sent[0]["messages"][1]["images"].size(), 1u);
}

TEST(Namer, failedImageRequestFallsBackToTextWithTheSameContext) {
    ScriptedModelServer vision(Protocol::ollama, {{"llava:latest", true}});
    vision.queueReply(Reply::httpError(500));
    vision.queueReply(Reply::answer("Dentist Reminder"));
    const auto reading = screenshotReading();
    const auto result = Namer(configFor(vision)).suggestName(reading, {});
    ASSERT_TRUE(result);
    EXPECT_EQ(*result, (Namer::Result{"Dentist Reminder", Namer::Source::text}));
    const auto sent = chats(vision);
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_TRUE(sent[0]["messages"][1].contains("images"));
    EXPECT_FALSE(sent[1]["messages"][1].contains("images"));
    EXPECT_EQ(sent[1]["messages"][1]["content"],
              "Name this screenshot.\n" + Namer::makeContext(reading));
}

TEST(Namer, modelWithoutImageInputNeverGetsTheImage) {
    ScriptedModelServer server(Protocol::openAI, {{"qwen-text", false}});
    server.queueReply(Reply::answer("Name: Quarterly Report"));
    const auto result = Namer(configFor(server)).suggestName(screenshotReading(), {});
    ASSERT_TRUE(result);
    EXPECT_EQ(*result, (Namer::Result{"Quarterly Report", Namer::Source::text}));
    const auto sent = chats(server);
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_TRUE(sent[0]["messages"][1]["content"].is_string()); // no image parts
}

TEST(Namer, blankImageGetsOnlyTheImageAttempt) {
    ScriptedModelServer server(Protocol::ollama, {{"llava:latest", true}});
    server.setDefaultReply(Reply::httpError(500));
    TextReader::Reading blank;
    blank.image = smallImage();
    EXPECT_FALSE(Namer(configFor(server)).suggestName(blank, {}));
    EXPECT_EQ(chats(server).size(), 1u);
}

TEST(Namer, rejectedAnswersFallThroughToTheHeuristic) {
    ScriptedModelServer server(Protocol::ollama, {{"llava:latest", true}});
    server.setDefaultReply(Reply::answer("\"x\""));
    const auto result = Namer(configFor(server)).suggestName(screenshotReading(), {});
    ASSERT_TRUE(result);
    EXPECT_EQ(*result, (Namer::Result{"Flight to Lisbon Booking", Namer::Source::heuristic}));
    EXPECT_EQ(chats(server).size(), 2u);
}

TEST(Namer, answersThatWouldHideTheFileCountAsNoAnswer) {
    ScriptedModelServer server(Protocol::ollama, {{"llava:latest", true}});
    server.queueReply(Reply::answer("-_.hidden_-"));
    server.queueReply(Reply::answer("Dentist Reminder"));
    EXPECT_EQ(Namer(configFor(server)).suggestName(screenshotReading(), {}),
              (Namer::Result{"Dentist Reminder", Namer::Source::text}));
    server.setDefaultReply(Reply::answer("-_..._-"));
    EXPECT_EQ(Namer(configFor(server)).suggestName(screenshotReading(), {}),
              (Namer::Result{"Flight to Lisbon Booking", Namer::Source::heuristic}));
}

TEST(Namer, withoutAServerOnlyTheHeuristicRuns) {
    const Namer namer(nobodyListening());
    const auto result = namer.suggestName(screenshotReading(), {});
    ASSERT_TRUE(result);
    EXPECT_EQ(result->source, Namer::Source::heuristic);
    EXPECT_FALSE(namer.suggestName(TextReader::Reading{}, {}));
    EXPECT_FALSE(namer.suggestName(std::filesystem::path("/nonexistent/IMG_1.png"), {}));
}

TEST(Namer, correctionsReachTheInstructions) {
    ScriptedModelServer server(Protocol::ollama, {{"llama3", false}});
    server.queueReply(Reply::answer("Beach Trip"));
    const std::vector<engine::Correction> corrections{{"Beach", "Beach trip with Ana"}};
    Namer(configFor(server)).suggestName(screenshotReading(), corrections);
    const auto sent = chats(server);
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0]["messages"][0]["content"], Namer::makeInstructions(corrections));
}

TEST(Namer, engineReportsWhatTheServerCanRun) {
    using Kind = Namer::Engine::Kind;
    ScriptedModelServer vision(Protocol::ollama, {{"llava:latest", true}});
    EXPECT_EQ(Namer(configFor(vision)).engine(), (Namer::Engine{Kind::visionModel, {}}));
    ScriptedModelServer text(Protocol::openAI, {{"qwen", false}});
    EXPECT_EQ(Namer(configFor(text)).engine(), (Namer::Engine{Kind::textModel, {}}));
    EXPECT_EQ(Namer(configFor(vision, "mistral")).engine(),
              (Namer::Engine{Kind::textOnly, "The local model isn't downloaded yet."}));
    ScriptedModelServer empty(Protocol::ollama, {});
    EXPECT_EQ(
        Namer(configFor(empty)).engine(),
        (Namer::Engine{Kind::textOnly, "Choose a local model in Settings for better names."}));
    EXPECT_EQ(Namer(nobodyListening()).engine(),
              (Namer::Engine{Kind::textOnly, "No local model server answered. Start Ollama or "
                                             "llama-server for better names."}));
    ModelConfig remote;
    remote.endpoint = "http://192.0.2.1:11434"; // refused before any connection
    EXPECT_EQ(Namer(remote).engine(),
              (Namer::Engine{Kind::textOnly, "The local model isn't available."}));
}

TEST(Namer, warmUpLoadsTheModelAndAsksOnceWithAWhiteSquare) {
    ScriptedModelServer vision(Protocol::ollama, {{"llava:latest", true}});
    Namer(configFor(vision)).warmUp();
    const auto all = vision.chatRequests();
    ASSERT_EQ(all.size(), 2u);
    EXPECT_TRUE(all[0].json["messages"].empty()); // the load
    EXPECT_EQ(all[1].json["messages"][1]["content"], "Name this screenshot.");
    EXPECT_EQ(all[1].json["messages"][0]["content"], Namer::makeInstructions({}));

    ScriptedModelServer text(Protocol::ollama, {{"llama3", false}});
    Namer(configFor(text)).warmUp();
    EXPECT_EQ(chats(text).size(), 0u);
    Namer(nobodyListening()).warmUp(); // returns at once, asks nothing
}

TEST(Namer, reasoningIsNeverTheName) {
    ScriptedModelServer server(Protocol::ollama, {{"qwen3-vl:8b", true, true, true}});
    server.queueReply(Reply::answer("<think>The user wants a short name. The screenshot shows"));
    server.queueReply(
        Reply::answer("<think>\nA booking page.\n</think>\n\nFlight to Lisbon Booking"));
    const auto result = Namer(configFor(server)).suggestName(screenshotReading(), {});
    ASSERT_TRUE(result);
    EXPECT_EQ(*result, (Namer::Result{"Flight to Lisbon Booking", Namer::Source::text}));
}

TEST(Namer, stoppedNamerAbandonsTheModelAndGivesNothing) {
    ScriptedModelServer server(Protocol::ollama, {{"llava:latest", true}});
    server.setDefaultReply(Reply::answer("Too Late").after(30s));
    std::stop_source stop;
    const Namer namer(configFor(server), stop.get_token());
    auto result =
        std::async(std::launch::async, [&] { return namer.suggestName(screenshotReading(), {}); });
    for (int i = 0; i < 400 && chats(server).empty(); ++i) {
        std::this_thread::sleep_for(5ms);
    }
    ASSERT_EQ(chats(server).size(), 1u);
    stop.request_stop();
    ASSERT_EQ(result.wait_for(500ms), std::future_status::ready);
    // Neither a text attempt nor the heuristic's name: the caller is going away.
    EXPECT_FALSE(result.get());
    EXPECT_EQ(chats(server).size(), 1u);
    EXPECT_FALSE(namer.suggestName(screenshotReading(), {}));
}
