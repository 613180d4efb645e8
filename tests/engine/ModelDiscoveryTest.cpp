#include "model/ModelDiscovery.h"
#include "model/ModelSettings.h"
#include "model/OllamaPull.h"
#include "support/ScriptedModelServer.h"

#include "ScratchFolder.h"

#include <gtest/gtest.h>
#include <limits>
#include <nlohmann/json.hpp>
#include <stop_token>
#include <string>
#include <vector>

using namespace engine;
using testsupport::ScriptedModelServer;
using Protocol = ScriptedModelServer::Protocol;
using Images = ModelServer::Images;
using json = nlohmann::json;
using namespace std::chrono_literals;

namespace {

ModelDiscovery::Timeouts quick() {
    return {200ms, 5'000ms};
}

// A loopback port where nothing listens: one a server had a moment ago.
int closedPort() {
    return ScriptedModelServer(Protocol::notAModelServer).port();
}

std::vector<ModelServer::Model> models(const ModelServer& server) {
    return server.models;
}

} // namespace

TEST(ModelDiscovery, findsEachKindWithItsModelsAndWhetherTheyLookAtImages) {
    ScriptedModelServer ollama(Protocol::ollama, {{"llama3.2:3b"},
                                                  {"llava:7b", true, true, false, true},
                                                  {"nomic-embed-text", false, false}});
    ScriptedModelServer llama(Protocol::llamaServer, {{"gemma-3-4b", true}});
    ScriptedModelServer lmStudio(Protocol::lmStudio,
                                 {{"qwen2-vl-2b", true, true, false, true}, {"phi-4"}});
    ScriptedModelServer vllm(Protocol::vllm, {{"Qwen/Qwen2.5-VL-3B"}});
    ScriptedModelServer other(Protocol::notAModelServer);

    ModelConfig config;
    config.endpoint = ollama.endpoint();
    const auto servers = ModelDiscovery::discover(
        config, Environment::fromMap({}), quick(), {},
        {llama.port(), closedPort(), lmStudio.port(), other.port(), vllm.port(), ollama.port()});

    ASSERT_EQ(servers.size(), 4u); // the configured one first, once; the rest in port order
    EXPECT_EQ(servers[0].kind, ModelServer::Kind::ollama);
    EXPECT_EQ(servers[0].endpoint, ollama.endpoint());
    // The embedding model cannot name anything and is left out.
    EXPECT_EQ(models(servers[0]),
              (std::vector<ModelServer::Model>{{"llama3.2:3b", Images::no, false},
                                               {"llava:7b", Images::yes, true}}));
    EXPECT_EQ(servers[1].kind, ModelServer::Kind::llamaServer);
    EXPECT_EQ(models(servers[1]),
              (std::vector<ModelServer::Model>{{"gemma-3-4b", Images::yes, true}}));
    EXPECT_TRUE(servers[1].ready);
    EXPECT_EQ(servers[2].kind, ModelServer::Kind::lmStudio);
    EXPECT_EQ(models(servers[2]),
              (std::vector<ModelServer::Model>{{"qwen2-vl-2b", Images::yes, true},
                                               {"phi-4", Images::no, false}}));
    EXPECT_EQ(servers[3].kind, ModelServer::Kind::vllm);
    EXPECT_EQ(models(servers[3]),
              (std::vector<ModelServer::Model>{{"Qwen/Qwen2.5-VL-3B", Images::unknown, true}}));
}

TEST(ModelDiscovery, loadingServersAndGarbageAnswers) {
    ScriptedModelServer llama(Protocol::llamaServer, {{"gemma-3-4b", false}});
    llama.setLoading(true);
    auto probe = ModelDiscovery::probe(llama.endpoint(), false, quick());
    ASSERT_TRUE(probe.server);
    EXPECT_FALSE(probe.server->ready);
    EXPECT_TRUE(probe.server->models.empty());

    ScriptedModelServer broken(Protocol::ollama, {{"llava:7b", true}});
    broken.setListingReply(ScriptedModelServer::Reply::garbage());
    probe = ModelDiscovery::probe(broken.endpoint(), false, quick());
    EXPECT_FALSE(probe.server);
    EXPECT_TRUE(probe.answeredGarbage);

    probe =
        ModelDiscovery::probe("http://127.0.0.1:" + std::to_string(closedPort()), false, quick());
    EXPECT_FALSE(probe.server);
    EXPECT_FALSE(probe.answeredGarbage);
}

TEST(ModelDiscovery, looksOnlyAtThisComputerUnlessRemoteModelsAreAllowed) {
    ModelConfig config;
    config.endpoint = "http://192.168.1.5:11434";
    const auto none = Environment::fromMap({});
    const std::vector<std::string> local = {"http://127.0.0.1:11434", "http://127.0.0.1:8080"};
    EXPECT_EQ(ModelDiscovery::candidates(config, none, {11434, 8080}), local);
    config.allowRemoteModel = true;
    EXPECT_EQ(ModelDiscovery::candidates(config, none, {11434, 8080}).front(), config.endpoint);
    EXPECT_FALSE(ModelDiscovery::probe("http://192.168.1.5:11434", false, quick()).server);

    // OLLAMA_HOST as Ollama reads it; an address elsewhere is never tried, and the usual
    // address written another way is tried once.
    const std::map<std::string, std::optional<std::string>> hosts = {
        {"0.0.0.0:11500", "http://127.0.0.1:11500"},
        {"localhost", "http://localhost:11434"},
        {"http://[::1]:9000", "http://[::1]:9000"},
        {"ollama.example.com:11434", std::nullopt},
        {"10.0.0.2", std::nullopt},
    };
    for (const auto& [host, expected] : hosts) {
        EXPECT_EQ(ModelDiscovery::ollamaHostEndpoint(Environment::fromMap({{"OLLAMA_HOST", host}})),
                  expected)
            << host;
    }
    config = {};
    const auto twice = ModelDiscovery::candidates(
        config, Environment::fromMap({{"OLLAMA_HOST", "localhost:11434"}}), {11434});
    EXPECT_EQ(twice, std::vector<std::string>{ModelConfig::defaultEndpoint});
}

TEST(ModelSettings, oneRuleForEveryValueAndTheEnvironmentLast) {
    ScratchFolder home;
    const auto file =
        home.file("Quillmark.conf", "[General]\nmodelEndpoint=  http://127.0.0.1:8080 \n"
                                    "modelName=\" llava:13b \"\nallowRemoteModel=1\n");
    auto config = ModelSettings::load(file, Environment::fromMap({}));
    EXPECT_EQ(config.endpoint, "http://127.0.0.1:8080");
    EXPECT_EQ(config.modelName, "llava:13b");
    EXPECT_TRUE(config.allowRemoteModel);

    config = ModelSettings::load(
        file, Environment::fromMap({{"QUILLMARK_MODEL_URL", " http://localhost:1234 "},
                                    {"QUILLMARK_MODEL", "qwen "}}));
    EXPECT_EQ(config.endpoint, "http://localhost:1234");
    EXPECT_EQ(config.modelName, "qwen");

    for (const auto& [text, expected] :
         std::vector<std::pair<std::string, std::optional<bool>>>{{"true", true},
                                                                  {" TRUE ", true},
                                                                  {"1", true},
                                                                  {"false", false},
                                                                  {"0", false},
                                                                  {"yes", std::nullopt},
                                                                  {"", std::nullopt}}) {
        EXPECT_EQ(ModelSettings::parseBool(text), expected) << text;
    }
}

TEST(OllamaPull, sumsThePartsAndReadsErrorsAndSuccess) {
    OllamaPull::Stream stream;
    EXPECT_FALSE(stream.take(R"({"status":"pulling manifest"})"));
    EXPECT_FALSE(
        stream.take(R"({"status":"pulling a1","digest":"a1","total":1000,"completed":250})"));
    EXPECT_FALSE(stream.take(R"({"status":"pulling b2","digest":"b2","total":3000})"));
    EXPECT_FALSE(
        stream.take(R"({"status":"pulling a1","digest":"a1","total":1000,"completed":1000})"));
    EXPECT_EQ(stream.progress().completed, 1000u);
    EXPECT_EQ(stream.progress().total, 4000u);
    EXPECT_FALSE(stream.succeeded());
    EXPECT_FALSE(stream.take(R"({"status":"success"})"));
    EXPECT_TRUE(stream.succeeded());

    EXPECT_EQ(
        stream.take(R"({"error":"write /root/.ollama/models/blobs: no space left on device"})"),
        "write /root/.ollama/models/blobs: no space left on device");
    EXPECT_TRUE(stream.take("<html>not json"));
}

TEST(OllamaPull, hugeByteCountsNeverMakeTheProgressGoBack) {
    constexpr std::uint64_t most = std::numeric_limits<std::uint64_t>::max();
    const auto line = [](const std::string& digest, std::uint64_t total, std::uint64_t completed) {
        return R"({"status":"pulling","digest":")" + digest + R"(","total":)" +
               std::to_string(total) + R"(,"completed":)" + std::to_string(completed) + "}";
    };
    OllamaPull::Stream stream;
    std::vector<OllamaPull::Progress> seen;
    for (const std::string& text :
         {line("a1", most - 10, most - 20), line("b2", most - 5, most - 30),
          line("c3", 1u << 20, 1u << 19), line("a1", most - 10, most - 10),
          line("d4", most / 2 + 1, most / 2 + 1), line("e5", most / 2 + 1, most / 2 + 1)}) {
        EXPECT_FALSE(stream.take(text)) << text;
        seen.push_back(stream.progress());
    }
    EXPECT_EQ(seen[0].completed, most - 20);
    EXPECT_EQ(seen[0].total, most - 10);
    for (std::size_t i = 0; i < seen.size(); ++i) {
        const auto& p = seen[i];
        EXPECT_GE(p.total, most - 10) << i;
        EXPECT_GE(p.completed, most - 30) << i;
        EXPECT_LE(p.completed, p.total) << i;
        if (i > 0) {
            EXPECT_GE(p.completed, seen[i - 1].completed) << i;
            EXPECT_GE(p.total, seen[i - 1].total) << i;
        }
        const double fraction = static_cast<double>(p.completed) / static_cast<double>(p.total);
        EXPECT_GE(fraction, 0.0) << i;
        EXPECT_LE(fraction, 1.0) << i;
    }
    EXPECT_EQ(seen.back().completed, most);
    EXPECT_EQ(seen.back().total, most);
}

class OllamaPullTest : public ::testing::Test {
protected:
    ScriptedModelServer ollama{Protocol::ollama, {{"llama3.2:3b"}}};
    const ScriptedModelServer::Model pulled{"qwen2.5vl:3b", true};

    std::vector<ScriptedModelServer::PullLine> linesUpTo(std::uint64_t completed) {
        return {{{{"status", "pulling manifest"}}},
                {{{"status", "pulling a1"}, {"digest", "a1"}, {"total", 2000}, {"completed", 0}}},
                {{{"status", "pulling a1"},
                  {"digest", "a1"},
                  {"total", 2000},
                  {"completed", completed}}}};
    }
};

TEST_F(OllamaPullTest, followsTheStreamToTheEnd) {
    auto lines = linesUpTo(2000);
    lines.push_back({{{"status", "verifying sha256 digest"}}});
    lines.push_back({{{"status", "success"}}});
    ollama.setPullScript(lines, pulled);
    std::vector<std::uint64_t> seen;
    const auto outcome =
        OllamaPull::run(ollama.endpoint(), "qwen2.5vl:3b", false,
                        [&](const OllamaPull::Progress& p) { seen.push_back(p.completed); });
    EXPECT_EQ(outcome.kind, OllamaPull::Outcome::Kind::finished);
    EXPECT_EQ(seen, (std::vector<std::uint64_t>{0, 0, 2000, 2000, 2000}));
    ASSERT_EQ(ollama.requestsTo("/api/pull").size(), 1u);
    EXPECT_EQ(ollama.requestsTo("/api/pull")[0].json["model"], "qwen2.5vl:3b");
}

TEST_F(OllamaPullTest, aFailureHalfWayIsReportedInOllamasWords) {
    auto lines = linesUpTo(800);
    lines.push_back({{{"error", "write /root/.ollama/models/blobs: no space left on device"}}});
    ollama.setPullScript(lines, pulled);
    const auto outcome = OllamaPull::run(ollama.endpoint(), "qwen2.5vl:3b", false, {});
    EXPECT_EQ(outcome.kind, OllamaPull::Outcome::Kind::failed);
    EXPECT_EQ(outcome.error, "write /root/.ollama/models/blobs: no space left on device");

    // A stream that simply ends is no success either.
    ollama.setPullScript(linesUpTo(800), pulled);
    EXPECT_EQ(OllamaPull::run(ollama.endpoint(), "qwen2.5vl:3b", false, {}).kind,
              OllamaPull::Outcome::Kind::failed);
    EXPECT_EQ(OllamaPull::run("http://127.0.0.1:" + std::to_string(closedPort()), "x", false, {})
                  .error.find("didn't answer"),
              0u + std::string("Ollama ").size());
    EXPECT_EQ(OllamaPull::run("http://192.168.1.5:11434", "x", false, {}).kind,
              OllamaPull::Outcome::Kind::failed);
}

TEST_F(OllamaPullTest, aCancelEndsAStreamThatGoesQuiet) {
    auto lines = linesUpTo(500);
    lines.push_back({{{"status", "success"}}, 60s});
    ollama.setPullScript(lines, pulled);
    std::stop_source stop;
    const auto outcome = OllamaPull::run(
        ollama.endpoint(), "qwen2.5vl:3b", false,
        [&](const OllamaPull::Progress& p) {
            if (p.completed == 500) {
                stop.request_stop();
            }
        },
        stop.get_token());
    EXPECT_EQ(outcome.kind, OllamaPull::Outcome::Kind::cancelled);
}
