#include "model/ModelClient.h"
#include "support/ScriptedModelServer.h"

#include "model/Base64.h"
#include "model/ImageEncoder.h"

#include <arpa/inet.h>
#include <atomic>
#include <chrono>
#include <future>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <nlohmann/json.hpp>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vips/vips.h>

using namespace engine;
using testsupport::ScriptedModelServer;
using json = nlohmann::json;
using Kind = ModelClient::Status::Kind;
using Protocol = ModelClient::Protocol;
using Reply = ScriptedModelServer::Reply;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

// A server that accepts every connection and answers with a status line and headers that
// never end, one byte every 20 ms, until `patience` has passed on that connection.
class TricklingServer {
public:
    explicit TricklingServer(std::chrono::milliseconds patience) : patience_(patience) {
        listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
        ::listen(listener_, 8);
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
        port_ = ntohs(address.sin_port);
        thread_ = std::thread([this] { serve(); });
    }
    ~TricklingServer() {
        stopped_ = true;
        thread_.join();
        ::close(listener_);
    }

    std::string endpoint() const { return "http://127.0.0.1:" + std::to_string(port_); }
    int connections() const { return connections_; }

private:
    void serve() {
        while (!stopped_) {
            pollfd waiting{listener_, POLLIN, 0};
            if (::poll(&waiting, 1, 20) <= 0) {
                continue;
            }
            const int connection = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
            if (connection < 0) {
                continue;
            }
            ++connections_;
            trickle(connection);
            ::close(connection);
        }
    }
    void trickle(int connection) {
        const std::string head = "HTTP/1.1 200 OK\r\nX-Slow: ";
        ::send(connection, head.data(), head.size(), MSG_NOSIGNAL);
        const auto end = Clock::now() + patience_;
        while (!stopped_ && Clock::now() < end) {
            std::this_thread::sleep_for(20ms);
            if (::send(connection, "a", 1, MSG_NOSIGNAL) != 1) {
                return; // the client gave up
            }
        }
    }

    std::chrono::milliseconds patience_;
    int listener_ = -1;
    int port_ = 0;
    std::atomic<bool> stopped_{false};
    std::atomic<int> connections_{0};
    std::thread thread_;
};

template <typename Predicate> bool waitFor(Predicate done, std::chrono::milliseconds timeout) {
    const auto end = Clock::now() + timeout;
    while (!done()) {
        if (Clock::now() >= end) {
            return false;
        }
        std::this_thread::sleep_for(5ms);
    }
    return true;
}

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

TEST(ModelClientAsk, leadingThinkingIsNotPartOfTheAnswer) {
    for (auto protocol :
         {ScriptedModelServer::Protocol::ollama, ScriptedModelServer::Protocol::openAI}) {
        ScriptedModelServer server(protocol, {{"qwen3", false}});
        ModelClient client = clientFor(server.endpoint());
        auto status = client.status();
        ASSERT_EQ(kindName(status.kind), "ready");
        const std::vector<std::pair<std::string, std::optional<std::string>>> cases = {
            {"<think>\nThe screen shows a booking.\n</think>\n\nFlight to Lisbon Booking",
             "Flight to Lisbon Booking"},
            {"  <think></think>Dentist Reminder", "Dentist Reminder"},
            {"<think>a</think><think>b</think> Tax Return", "Tax Return"},
            // The opening tag may come from the server's chat template.
            {"The user wants a name.\n</think>\nGitHub Pull Request", "GitHub Pull Request"},
            {"<think>The user wants a name for this screenshot. It shows", std::nullopt},
            {"<think>Only thinking</think>\n", std::nullopt},
            {"Sunset <think> over Lisbon", "Sunset <think> over Lisbon"},
        };
        for (const auto& [reply, expected] : cases) {
            server.queueReply(Reply::answer(reply));
            EXPECT_EQ(client.askWithText(status, "i", "p"), expected) << reply;
        }
    }
}

TEST(ModelClientAsk, ollamaThinkingModelsAreAskedNotToThink) {
    ScriptedModelServer server(ScriptedModelServer::Protocol::ollama,
                               {{"qwen3-vl:8b", true, true, true}, {"llava:latest", true}});
    for (const std::string& configured : {std::string(), std::string("qwen3-vl:8b")}) {
        ModelClient client = clientFor(server.endpoint(), configured);
        auto status = client.status();
        ASSERT_EQ(status.model, "qwen3-vl:8b");
        client.askWithText(status, "i", "p");
        client.askWithImage(status, "i", {"p"}, smallImage());
    }
    auto chats = server.chatRequests();
    ASSERT_EQ(chats.size(), 4u);
    for (const auto& chat : chats) {
        EXPECT_EQ(chat.json["think"], false) << chat.body.substr(0, 80);
    }

    // Models that cannot think are sent no such option: some servers refuse it.
    ModelClient plain = clientFor(server.endpoint(), "llava:latest");
    plain.askWithText(plain.status(), "i", "p");
    EXPECT_FALSE(server.chatRequests().back().json.contains("think"));
}

TEST(ModelClientDeadline, serverTricklingHeadersCannotHoldAnyRequest) {
    TricklingServer server(1500ms);
    ModelClient::Timeouts timeouts;
    timeouts.statusReply = 300ms;
    timeouts.answer = 300ms;
    ModelClient client = clientFor(server.endpoint(), {}, timeouts);

    // The whole check, every request it makes included, ends within its own timeout.
    auto start = Clock::now();
    EXPECT_EQ(kindName(client.status().kind), "unavailable");
    EXPECT_LT(Clock::now() - start, 600ms);

    start = Clock::now();
    EXPECT_FALSE(client.askWithText(readyAs(Protocol::ollama, "m", false), "i", "p"));
    EXPECT_LT(Clock::now() - start, 600ms);
    start = Clock::now();
    client.prewarm(readyAs(Protocol::ollama, "m", false));
    EXPECT_LT(Clock::now() - start, 600ms);
}

TEST(ModelClientDeadline, stopAbandonsTheRequestInFlightAndRefusesLaterOnes) {
    ScriptedModelServer server(ScriptedModelServer::Protocol::ollama, {{"llava:latest", true}});
    server.setDefaultReply(Reply::answer("Too Late").after(30s));
    std::stop_source stop;
    ModelConfig config;
    config.endpoint = server.endpoint();
    ModelClient client(config, ModelClient::Timeouts(), stop.get_token());
    const auto status = client.status();
    ASSERT_EQ(kindName(status.kind), "ready");

    auto answer = std::async(std::launch::async,
                             [&] { return client.askWithImage(status, "i", {"p"}, smallImage()); });
    ASSERT_TRUE(waitFor([&] { return server.chatRequests().size() == 1; }, 2s));
    const auto start = Clock::now();
    stop.request_stop();
    ASSERT_EQ(answer.wait_for(500ms), std::future_status::ready);
    EXPECT_FALSE(answer.get());
    EXPECT_LT(Clock::now() - start, 500ms);

    const auto before = server.requests().size();
    EXPECT_FALSE(client.askWithText(status, "i", "p"));
    client.prewarm(status);
    EXPECT_NE(kindName(client.status().kind), "ready");
    EXPECT_EQ(server.requests().size(), before);
}
