#include "model/ModelClient.h"
#include "support/ScriptedModelServer.h"

#include "model/Base64.h"
#include "model/ImageEncoder.h"

#include <chrono>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <vips/vips.h>

using namespace engine;
using testsupport::ScriptedModelServer;
using json = nlohmann::json;
using Kind = ModelClient::Status::Kind;
using Protocol = ModelClient::Protocol;
using Reply = ScriptedModelServer::Reply;

namespace {

ModelClient clientFor(const std::string& endpoint, const std::string& model = {},
                      ModelClient::Timeouts timeouts = ModelClient::Timeouts()) {
    ModelConfig config;
    config.endpoint = endpoint;
    config.modelName = model;
    return ModelClient(config, timeouts);
}

ModelClient::Status readyAs(Protocol protocol, const std::string& model, bool images) {
    ModelClient::Status status;
    status.kind = Kind::ready;
    status.protocol = protocol;
    status.model = model;
    status.acceptsImages = images;
    return status;
}

// A 3x2 image whose pixels all differ, so any reordering shows.
RgbImage smallImage() {
    RgbImage image;
    image.width = 3;
    image.height = 2;
    for (int i = 0; i < 6; ++i) {
        image.pixels.insert(image.pixels.end(), {std::uint8_t(i * 40), std::uint8_t(255 - i),
                                                 std::uint8_t(i % 2 ? 0 : 200)});
    }
    return image;
}

std::optional<RgbImage> decodePng(const std::string& bytes) {
    VipsImage* image = vips_image_new_from_buffer(bytes.data(), bytes.size(), "", nullptr);
    if (image == nullptr) {
        return std::nullopt;
    }
    RgbImage out;
    out.width = vips_image_get_width(image);
    out.height = vips_image_get_height(image);
    std::size_t size = 0;
    void* memory = image->Bands == 3 ? vips_image_write_to_memory(image, &size) : nullptr;
    g_object_unref(image);
    if (memory == nullptr) {
        return std::nullopt;
    }
    auto* begin = static_cast<std::uint8_t*>(memory);
    out.pixels.assign(begin, begin + size);
    g_free(memory);
    return out;
}

std::string kindName(Kind kind) {
    switch (kind) {
    case Kind::ready:
        return "ready";
    case Kind::noServer:
        return "noServer";
    case Kind::modelNotInstalled:
        return "modelNotInstalled";
    case Kind::noModels:
        return "noModels";
    case Kind::unavailable:
        return "unavailable";
    }
    return "?";
}

} // namespace

TEST(ModelClientStatus, ollamaPicksFirstVisionModelAndSkipsEmbeddingModels) {
    ScriptedModelServer server(ScriptedModelServer::Protocol::ollama,
                               {{"nomic-embed-text:latest", false, false},
                                {"llama3.2:latest", false},
                                {"llava:latest", true},
                                {"qwen2.5vl:7b", true}});
    auto status = clientFor(server.endpoint()).status();
    EXPECT_EQ(kindName(status.kind), "ready");
    EXPECT_EQ(status.protocol, Protocol::ollama);
    EXPECT_EQ(status.model, "llava:latest");
    EXPECT_TRUE(status.acceptsImages);
    EXPECT_TRUE(server.requestsTo("/v1/models").empty());

    server.setModels({{"nomic-embed-text:latest", false, false}, {"llama3.2:latest", false}});
    status = clientFor(server.endpoint()).status();
    EXPECT_EQ(status.model, "llama3.2:latest");
    EXPECT_FALSE(status.acceptsImages);

    server.setModels({{"nomic-embed-text:latest", false, false}});
    EXPECT_EQ(kindName(clientFor(server.endpoint()).status().kind), "noModels");
    server.setModels({});
    EXPECT_EQ(kindName(clientFor(server.endpoint()).status().kind), "noModels");
}

TEST(ModelClientStatus, ollamaConfiguredModelMustBeInstalled) {
    ScriptedModelServer server(ScriptedModelServer::Protocol::ollama,
                               {{"llava:latest", true}, {"llama3.2:3b", false}});
    auto untagged = clientFor(server.endpoint(), "llava").status();
    EXPECT_EQ(kindName(untagged.kind), "ready");
    EXPECT_EQ(untagged.model, "llava:latest");
    EXPECT_TRUE(untagged.acceptsImages);

    auto textModel = clientFor(server.endpoint(), "llama3.2:3b").status();
    EXPECT_EQ(textModel.model, "llama3.2:3b");
    EXPECT_FALSE(textModel.acceptsImages);

    EXPECT_EQ(kindName(clientFor(server.endpoint(), "llama3.2").status().kind),
              "modelNotInstalled"); // only ":latest" is implied
    EXPECT_EQ(kindName(clientFor(server.endpoint(), "mistral").status().kind), "modelNotInstalled");
}

TEST(ModelClientStatus, openAICompatibleServerIsDetectedAfterOllamaListing) {
    ScriptedModelServer server(ScriptedModelServer::Protocol::openAI,
                               {{"qwen2-vl", true}, {"phi-4", false}});
    auto status = clientFor(server.endpoint()).status();
    EXPECT_EQ(kindName(status.kind), "ready");
    EXPECT_EQ(status.protocol, Protocol::openAI);
    EXPECT_EQ(status.model, "qwen2-vl");
    EXPECT_FALSE(status.acceptsImages); // nothing tells, so text only
    ASSERT_GE(server.requests().size(), 2u);
    EXPECT_EQ(server.requests()[0].path, "/api/tags");
    EXPECT_EQ(server.requests()[1].path, "/v1/models");

    EXPECT_EQ(clientFor(server.endpoint(), "phi-4").status().model, "phi-4");
    EXPECT_EQ(kindName(clientFor(server.endpoint(), "gemma").status().kind), "modelNotInstalled");
    server.setModels({});
    EXPECT_EQ(kindName(clientFor(server.endpoint()).status().kind), "noModels");
}

TEST(ModelClientStatus, llamaServerReportsVisionAndLoading) {
    ScriptedModelServer server(ScriptedModelServer::Protocol::llamaServer,
                               {{"gemma-3-4b-it.gguf", true}});
    auto status = clientFor(server.endpoint()).status();
    EXPECT_EQ(kindName(status.kind), "ready");
    EXPECT_EQ(status.protocol, Protocol::openAI);
    EXPECT_TRUE(status.acceptsImages);

    server.setModels({{"phi-4.gguf", false}});
    EXPECT_FALSE(clientFor(server.endpoint()).status().acceptsImages);

    server.setLoading(true);
    EXPECT_EQ(kindName(clientFor(server.endpoint()).status().kind), "unavailable");
}

TEST(ModelClientStatus, otherServicesAndBrokenListingsAreUnavailable) {
    ScriptedModelServer other(ScriptedModelServer::Protocol::notAModelServer);
    EXPECT_EQ(kindName(clientFor(other.endpoint()).status().kind), "unavailable");

    ScriptedModelServer ollama(ScriptedModelServer::Protocol::ollama, {{"llava:latest", true}});
    ollama.setListingReply(Reply::garbage());
    EXPECT_EQ(kindName(clientFor(ollama.endpoint()).status().kind), "unavailable");
    ollama.setListingReply(Reply::raw(R"({"models": "llava"})"));
    EXPECT_EQ(kindName(clientFor(ollama.endpoint()).status().kind), "unavailable");
    ollama.setListingReply(Reply::closeConnection());
    EXPECT_EQ(kindName(clientFor(ollama.endpoint()).status().kind), "unavailable");
}

TEST(ModelClientStatus, nothingListeningAnswersNoServerQuickly) {
    std::string endpoint;
    {
        ScriptedModelServer closed(ScriptedModelServer::Protocol::ollama);
        endpoint = closed.endpoint();
    }
    auto start = std::chrono::steady_clock::now();
    auto status = clientFor(endpoint).status();
    EXPECT_EQ(kindName(status.kind), "noServer");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
}

TEST(ModelClientStatus, endpointWithPathPrefixAndV1SuffixIsUnderstood) {
    ScriptedModelServer server(ScriptedModelServer::Protocol::openAI, {{"phi-4", false}});
    auto status = clientFor(server.endpoint() + "/v1/").status();
    EXPECT_EQ(kindName(status.kind), "ready");
    EXPECT_EQ(server.requestsTo("/v1/models").size(), 1u); // not "/v1/v1/models"
}

TEST(ModelClientEndpoint, onlyLoopbackAddressesCountAsLocal) {
    for (const char* local :
         {"http://127.0.0.1:11434", "http://localhost:8080", "HTTP://LocalHost", "127.0.0.1:11434",
          "http://127.255.3.4/", "http://[::1]:11434", "http://[::ffff:127.0.0.1]:8080",
          "https://localhost/base/v1", "  http://127.0.0.1:11434  "}) {
        EXPECT_TRUE(ModelClient::isLoopbackEndpoint(local)) << local;
    }
    for (const char* remote :
         {"http://192.0.2.1:11434", "http://example.com", "http://0.0.0.0:11434",
          "http://128.0.0.1", "http://10.0.0.2:11434", "http://[2001:db8::1]:11434",
          "http://localhost.example.com", "http://127.0.0.1.example.com",
          "http://127.0.0.1@example.com", "http://example.com#@127.0.0.1", "http://2130706433",
          "http://127.1", "ftp://127.0.0.1", "http://127.0.0.1:99999",
          "http://127.0.0.1:", "http://[::1", "http://127.0.0.1/a b", ""}) {
        EXPECT_FALSE(ModelClient::isLoopbackEndpoint(remote)) << remote;
    }
}

TEST(ModelClientEndpoint, remoteEndpointIsRefusedBeforeConnecting) {
    // 0.0.0.0 reaches this machine when connected to, so a request would show up here.
    ScriptedModelServer server(ScriptedModelServer::Protocol::ollama, {{"llava:latest", true}});
    std::string unspecified = "http://0.0.0.0:" + std::to_string(server.port());
    ModelClient refused = clientFor(unspecified);
    EXPECT_EQ(kindName(refused.status().kind), "unavailable");
    EXPECT_FALSE(refused.askWithText(readyAs(Protocol::ollama, "llava:latest", true), "i", "p"));
    refused.prewarm(readyAs(Protocol::ollama, "llava:latest", true));
    EXPECT_TRUE(server.requests().empty());

    ModelConfig allowed;
    allowed.endpoint = unspecified;
    allowed.allowRemoteModel = true;
    EXPECT_EQ(kindName(ModelClient(allowed).status().kind), "ready");

    EXPECT_EQ(kindName(clientFor("http://127.0.0.1:11434?x=1").status().kind), "unavailable");
}

TEST(ModelClientAsk, ollamaRequestBodiesAreExact) {
    ScriptedModelServer server(ScriptedModelServer::Protocol::ollama,
                               {{"llava:latest", true}, {"llama3.2:latest", false}});
    server.queueReply(Reply::answer("Flight to Lisbon Booking"));
    server.queueReply(Reply::answer("Dentist Appointment Reminder"));
    ModelClient client = clientFor(server.endpoint());
    auto vision = client.status();
    ASSERT_EQ(kindName(vision.kind), "ready");

    EXPECT_EQ(client.askWithText(vision, "Be brief.", "Name this screenshot.\nText"),
              "Flight to Lisbon Booking");
    EXPECT_EQ(client.askWithImage(vision, "Be brief.", {"Name this screenshot.", "", "Ctx"},
                                  smallImage()),
              "Dentist Appointment Reminder");

    auto chats = server.chatRequests();
    ASSERT_EQ(chats.size(), 2u);
    EXPECT_EQ(chats[0].path, "/api/chat");
    EXPECT_EQ(chats[0].json, json::parse(R"({"model": "llava:latest", "stream": false,
        "messages": [{"role": "system", "content": "Be brief."},
                     {"role": "user", "content": "Name this screenshot.\nText"}]})"));

    json image = chats[1].json;
    ASSERT_TRUE(image["messages"][1]["images"].is_array());
    auto png = Base64::decode(image["messages"][1]["images"][0].get<std::string>());
    ASSERT_TRUE(png);
    auto decoded = decodePng(*png);
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->pixels, smallImage().pixels);
    image["messages"][1].erase("images");
    EXPECT_EQ(image, json::parse(R"({"model": "llava:latest", "stream": false,
        "messages": [{"role": "system", "content": "Be brief."},
                     {"role": "user", "content": "Name this screenshot.\nCtx"}]})"));
}

TEST(ModelClientAsk, openAIRequestBodiesAreExact) {
    ScriptedModelServer server(ScriptedModelServer::Protocol::llamaServer,
                               {{"gemma-3-4b-it.gguf", true}});
    ModelClient client = clientFor(server.endpoint());
    auto status = client.status();
    ASSERT_TRUE(status.acceptsImages);
    EXPECT_EQ(client.askWithText(status, "Be brief.", "Name this screenshot.\n"), "Scripted Name");
    EXPECT_EQ(client.askWithImage(status, "Be brief.", {"Name this screenshot.", "", "Ctx"},
                                  smallImage()),
              "Scripted Name");

    auto chats = server.chatRequests();
    ASSERT_EQ(chats.size(), 2u);
    EXPECT_EQ(chats[0].path, "/v1/chat/completions");
    EXPECT_EQ(chats[0].json, json::parse(R"({"model": "gemma-3-4b-it.gguf", "stream": false,
        "messages": [{"role": "system", "content": "Be brief."},
                     {"role": "user", "content": "Name this screenshot.\n"}]})"));

    json image = chats[1].json;
    json& content = image["messages"][1]["content"];
    ASSERT_EQ(content.size(), 3u);
    std::string url = content[2]["image_url"]["url"];
    const std::string prefix = "data:image/png;base64,";
    ASSERT_TRUE(url.starts_with(prefix));
    auto decoded = decodePng(Base64::decode(url.substr(prefix.size())).value_or(""));
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->pixels, smallImage().pixels);
    content[2]["image_url"]["url"] = "IMAGE";
    EXPECT_EQ(image, json::parse(R"({"model": "gemma-3-4b-it.gguf", "stream": false,
        "messages": [{"role": "system", "content": "Be brief."},
                     {"role": "user", "content": [
                         {"type": "text", "text": "Name this screenshot."},
                         {"type": "text", "text": "Ctx"},
                         {"type": "image_url", "image_url": {"url": "IMAGE"}}]}]})"));
}

TEST(ModelClientAsk, imagesNeverGoToModelsWithoutImageInput) {
    ScriptedModelServer server(ScriptedModelServer::Protocol::ollama, {{"llama3.2:latest", false}});
    ModelClient client = clientFor(server.endpoint());
    auto status = client.status();
    ASSERT_EQ(kindName(status.kind), "ready");
    EXPECT_FALSE(client.askWithImage(status, "i", {"p"}, smallImage()));
    EXPECT_TRUE(server.chatRequests().empty());

    // A broken image is not sent either, even to a model that takes images.
    RgbImage broken = smallImage();
    broken.pixels.pop_back();
    EXPECT_FALSE(client.askWithImage(readyAs(Protocol::ollama, "llama3.2:latest", true), "i", {"p"},
                                     broken));
    EXPECT_TRUE(server.chatRequests().empty());
}

TEST(ModelClientAsk, everyKindOfFailureGivesNoAnswer) {
    for (auto protocol :
         {ScriptedModelServer::Protocol::ollama, ScriptedModelServer::Protocol::openAI}) {
        ScriptedModelServer server(protocol, {{"m", true}});
        ModelClient client = clientFor(server.endpoint());
        auto status = client.status();
        ASSERT_EQ(kindName(status.kind), "ready");
        const std::vector<std::pair<std::string, Reply>> failures = {
            {"http 500", Reply::httpError(500)},
            {"http 404", Reply::httpError(404)},
            {"error object", Reply::jsonError("model crashed")},
            {"not json", Reply::garbage()},
            {"cut off", Reply::closeConnection()},
            {"too large", Reply::answer(std::string(ModelClient::maxReplyBytes, 'a'))},
            {"no content", Reply::raw(R"({"message": {}, "choices": [{"message": {}}]})")},
            {"content not text", Reply::raw(R"({"message": {"content": 7},
                "choices": [{"message": {"content": null}}]})")},
            {"no choices", Reply::raw(R"({"choices": [], "done": true})")},
            {"not an object", Reply::raw(R"(["Flight to Lisbon"])")},
        };
        for (const auto& [name, reply] : failures) {
            server.queueReply(reply);
            EXPECT_FALSE(client.askWithText(status, "i", "p")) << name;
        }
        server.queueReply(Reply::answer("Still Works"));
        EXPECT_EQ(client.askWithText(status, "i", "p"), "Still Works");
    }
}

TEST(ModelClientAsk, slowAnswersAreAwaitedUpToTheCap) {
    ScriptedModelServer server(ScriptedModelServer::Protocol::ollama, {{"llava:latest", true}});
    ModelClient::Timeouts timeouts;
    timeouts.answer = std::chrono::milliseconds(250);
    ModelClient client = clientFor(server.endpoint(), {}, timeouts);
    auto status = client.status();
    server.queueReply(Reply::answer("Slow But Fine").after(std::chrono::milliseconds(50)));
    EXPECT_EQ(client.askWithText(status, "i", "p"), "Slow But Fine");
    server.queueReply(Reply::answer("Too Late").after(std::chrono::milliseconds(600)));
    EXPECT_FALSE(client.askWithText(status, "i", "p"));
}

TEST(ModelClientAsk, notReadyOrInvalidTextNeverFails) {
    ScriptedModelServer server(ScriptedModelServer::Protocol::ollama, {{"llava:latest", true}});
    ModelClient client = clientFor(server.endpoint());
    auto notReady = readyAs(Protocol::ollama, "llava:latest", true);
    notReady.kind = Kind::modelNotInstalled;
    EXPECT_FALSE(client.askWithText(notReady, "i", "p"));
    EXPECT_TRUE(server.chatRequests().empty());

    // Text from OCR may hold broken UTF-8; it is sent with replacement characters.
    EXPECT_EQ(client.askWithText(client.status(), "i", "Caf\xC3 bill"), "Scripted Name");
    ASSERT_EQ(server.chatRequests().size(), 1u);
    EXPECT_EQ(server.chatRequests()[0].json["messages"][1]["content"], "Caf\xEF\xBF\xBD bill");
}

TEST(ModelClientPrewarm, ollamaLoadsTheModelOthersAreLeftAlone) {
    ScriptedModelServer ollama(ScriptedModelServer::Protocol::ollama, {{"llava:latest", true}});
    ModelClient client = clientFor(ollama.endpoint());
    client.prewarm(client.status());
    auto chats = ollama.chatRequests();
    ASSERT_EQ(chats.size(), 1u);
    EXPECT_EQ(chats[0].json,
              json::parse(R"({"model": "llava:latest", "messages": [], "stream": false})"));

    ScriptedModelServer llama(ScriptedModelServer::Protocol::llamaServer, {{"m.gguf", true}});
    ModelClient other = clientFor(llama.endpoint());
    other.prewarm(other.status());
    EXPECT_TRUE(llama.chatRequests().empty());
}
