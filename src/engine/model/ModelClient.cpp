#include "model/ModelClient.h"

#include "model/Base64.h"
#include "model/ImageEncoder.h"
#include "model/ModelEndpoint.h"
#include "model/ModelHttp.h"

#include <algorithm>
#include <nlohmann/json.hpp>

namespace engine {

namespace {

using json = nlohmann::json;
using Kind = ModelClient::Status::Kind;

ModelClient::Status statusOf(Kind kind) {
    ModelClient::Status status;
    status.kind = kind;
    return status;
}

// Prompt text comes from OCR and users; bad UTF-8 must not make the request fail.
std::string serialise(const json& value) {
    return value.dump(-1, ' ', false, json::error_handler_t::replace);
}

// A JSON object without an error member.
std::optional<json> jsonObject(std::string_view body) {
    json value = json::parse(body, nullptr, false);
    if (!value.is_object() || value.contains("error")) {
        return std::nullopt;
    }
    return value;
}

// A successful reply whose body is such an object.
std::optional<json> jsonObject(const ModelHttp::Outcome& outcome) {
    if (!outcome.reply || outcome.reply->status != 200) {
        return std::nullopt;
    }
    return jsonObject(outcome.reply->body);
}

std::optional<std::string> stringAt(const json& value, const char* key) {
    if (!value.is_object()) {
        return std::nullopt;
    }
    auto found = value.find(key);
    if (found == value.end() || !found->is_string()) {
        return std::nullopt;
    }
    return found->get<std::string>();
}

// Names from a model listing: Ollama's {"models":[{"name":...}]} or the OpenAI-compatible
// {"data":[{"id":...}]}. Nothing when the reply is not such a listing.
std::optional<std::vector<std::string>> listedNames(const ModelHttp::Outcome& outcome,
                                                    const char* arrayKey, const char* nameKey) {
    auto listing = jsonObject(outcome);
    if (!listing || !listing->contains(arrayKey) || !(*listing)[arrayKey].is_array()) {
        return std::nullopt;
    }
    std::vector<std::string> names;
    for (const auto& entry : (*listing)[arrayKey]) {
        if (auto name = stringAt(entry, nameKey); name && !name->empty()) {
            names.push_back(*name);
        }
    }
    return names;
}

// Ollama's capability list for one model; nothing when the server does not say.
std::optional<std::vector<std::string>> ollamaCapabilities(const ModelHttp& http,
                                                           const std::string& model) {
    auto shown = jsonObject(http.postJson("/api/show", serialise({{"model", model}})));
    if (!shown || !shown->contains("capabilities") || !(*shown)["capabilities"].is_array()) {
        return std::nullopt;
    }
    std::vector<std::string> capabilities;
    for (const auto& capability : (*shown)["capabilities"]) {
        if (capability.is_string()) {
            capabilities.push_back(capability.get<std::string>());
        }
    }
    return capabilities;
}

bool contains(const std::vector<std::string>& list, const std::string& item) {
    return std::find(list.begin(), list.end(), item) != list.end();
}

// Ollama treats a name without a tag as the "latest" tag.
bool sameOllamaModel(const std::string& installed, const std::string& configured) {
    return installed == configured || installed == configured + ":latest";
}

ModelClient::Status readyStatus(ModelClient::Protocol protocol, std::string model,
                                bool acceptsImages, bool thinks = false) {
    ModelClient::Status status;
    status.kind = Kind::ready;
    status.protocol = protocol;
    status.model = std::move(model);
    status.acceptsImages = acceptsImages;
    status.thinks = thinks;
    return status;
}

ModelClient::Status ollamaReady(std::string model,
                                const std::optional<std::vector<std::string>>& capabilities) {
    return readyStatus(ModelClient::Protocol::ollama, std::move(model),
                       capabilities && contains(*capabilities, "vision"),
                       capabilities && contains(*capabilities, "thinking"));
}

ModelClient::Status ollamaStatus(const ModelHttp& http, const std::vector<std::string>& installed,
                                 const std::string& configured) {
    if (!configured.empty()) {
        auto found = std::find_if(installed.begin(), installed.end(), [&](const auto& name) {
            return sameOllamaModel(name, configured);
        });
        if (found == installed.end()) {
            return statusOf(Kind::modelNotInstalled);
        }
        return ollamaReady(*found, ollamaCapabilities(http, *found));
    }
    std::optional<ModelClient::Status> firstChatModel;
    for (const auto& name : installed) {
        auto capabilities = ollamaCapabilities(http, name);
        // Embedding-only models cannot answer; a server that does not say is trusted.
        if (capabilities && !contains(*capabilities, "completion")) {
            continue;
        }
        if (capabilities && contains(*capabilities, "vision")) {
            return ollamaReady(name, capabilities);
        }
        if (!firstChatModel) {
            firstChatModel = ollamaReady(name, capabilities);
        }
    }
    if (!firstChatModel) {
        return statusOf(Kind::noModels);
    }
    return *firstChatModel;
}

ModelClient::Status openAIStatus(const ModelHttp& http, const std::vector<std::string>& listed,
                                 const std::string& configured) {
    if (listed.empty()) {
        return statusOf(Kind::noModels);
    }
    std::string model = listed.front();
    if (!configured.empty()) {
        if (!contains(listed, configured)) {
            return statusOf(Kind::modelNotInstalled);
        }
        model = configured;
    }
    // llama-server answers 503 while it loads its model; other servers have no /health.
    if (auto health = http.get("/health"); health.reply && health.reply->status == 503) {
        return statusOf(Kind::unavailable);
    }
    bool vision = false;
    if (auto props = jsonObject(http.get("/props")); props && props->contains("modalities")) {
        const json& modalities = (*props)["modalities"];
        auto found = modalities.find("vision");
        vision = found != modalities.end() && found->is_boolean() && found->get<bool>();
    }
    return readyStatus(ModelClient::Protocol::openAI, model, vision);
}

std::optional<ModelEndpoint> permittedEndpoint(const ModelConfig& config) {
    auto endpoint = ModelEndpoint::parse(config.endpoint);
    if (!endpoint || (!config.allowRemoteModel && !endpoint->isLoopback())) {
        return std::nullopt;
    }
    return endpoint;
}

json systemMessage(const std::string& instructions) {
    return {{"role", "system"}, {"content", instructions}};
}

json chatBody(const ModelClient::Status& status, json userMessage,
              const std::string& instructions) {
    json body = {{"model", status.model},
                 {"messages", json::array({systemMessage(instructions), std::move(userMessage)})},
                 {"stream", false}};
    // Reasoning would take most of the time and end up in the name.
    if (status.protocol == ModelClient::Protocol::ollama && status.thinks) {
        body["think"] = false;
    }
    return body;
}

std::optional<std::string> answerText(ModelClient::Protocol protocol, const json& reply) {
    if (protocol == ModelClient::Protocol::ollama) {
        return reply.contains("message") ? stringAt(reply["message"], "content") : std::nullopt;
    }
    auto choices = reply.find("choices");
    if (choices == reply.end() || !choices->is_array() || choices->empty()) {
        return std::nullopt;
    }
    const json& first = choices->front();
    if (!first.is_object() || !first.contains("message")) {
        return std::nullopt;
    }
    return stringAt(first["message"], "content");
}

const char* chatPath(ModelClient::Protocol protocol) {
    return protocol == ModelClient::Protocol::ollama ? "/api/chat" : "/v1/chat/completions";
}

} // namespace

ModelClient::ModelClient(ModelConfig config) : ModelClient(std::move(config), Timeouts{}) {}

ModelClient::ModelClient(ModelConfig config, Timeouts timeouts, std::stop_token stop)
    : config_(std::move(config)), timeouts_(timeouts), stop_(std::move(stop)) {}

std::optional<std::string> ModelClient::withoutThinking(std::string_view answer) {
    static constexpr std::string_view open = "<think>";
    static constexpr std::string_view close = "</think>";
    const auto skipSpace = [](std::string_view text) {
        const auto start = text.find_first_not_of(" \t\r\n");
        return start == std::string_view::npos ? std::string_view() : text.substr(start);
    };
    std::string_view rest = skipSpace(answer);
    const auto firstClose = rest.find(close);
    if (!rest.starts_with(open) && firstClose == std::string_view::npos) {
        return std::string(answer);
    }
    // A closing tag with no opening one before it: the template opened the reasoning.
    if (firstClose != std::string_view::npos &&
        rest.substr(0, firstClose).find(open) == std::string_view::npos) {
        rest = skipSpace(rest.substr(firstClose + close.size()));
    }
    while (rest.starts_with(open)) {
        const auto end = rest.find(close);
        if (end == std::string_view::npos) {
            return std::nullopt; // cut off while still reasoning
        }
        rest = skipSpace(rest.substr(end + close.size()));
    }
    if (rest.empty()) {
        return std::nullopt;
    }
    return std::string(rest);
}

bool ModelClient::isLoopbackEndpoint(const std::string& endpoint) {
    auto parsed = ModelEndpoint::parse(endpoint);
    return parsed && parsed->isLoopback();
}

ModelClient::Status ModelClient::status() const {
    auto endpoint = permittedEndpoint(config_);
    if (!endpoint) {
        return statusOf(Kind::unavailable);
    }
    ModelHttp http(*endpoint, timeouts_.connect, timeouts_.statusReply, maxReplyBytes, stop_);
    auto tags = http.get("/api/tags");
    if (!tags.connected) {
        return statusOf(Kind::noServer);
    }
    if (auto installed = listedNames(tags, "models", "name")) {
        return ollamaStatus(http, *installed, config_.modelName);
    }
    // Something answered, so a failure from here on is not a missing server.
    auto models = http.get("/v1/models");
    if (auto listed = listedNames(models, "data", "id")) {
        return openAIStatus(http, *listed, config_.modelName);
    }
    return statusOf(Kind::unavailable);
}

std::optional<std::string> ModelClient::askWithText(const Status& status,
                                                    const std::string& instructions,
                                                    const std::string& prompt) const {
    json user = {{"role", "user"}, {"content", prompt}};
    return ask(status, serialise(chatBody(status, std::move(user), instructions)));
}

std::optional<std::string> ModelClient::askWithImage(const Status& status,
                                                     const std::string& instructions,
                                                     const std::vector<std::string>& textParts,
                                                     const RgbImage& image) const {
    if (status.kind != Kind::ready || !status.acceptsImages) {
        return std::nullopt;
    }
    auto png = ImageEncoder::png(image);
    if (!png) {
        return std::nullopt;
    }
    std::string base64 = Base64::encode(*png);
    json user = {{"role", "user"}};
    if (status.protocol == Protocol::ollama) {
        std::string text;
        for (const auto& part : textParts) {
            if (!part.empty()) {
                text += (text.empty() ? "" : "\n") + part;
            }
        }
        user["content"] = text;
        user["images"] = json::array({base64});
    } else {
        json content = json::array();
        for (const auto& part : textParts) {
            if (!part.empty()) {
                content.push_back({{"type", "text"}, {"text", part}});
            }
        }
        content.push_back(
            {{"type", "image_url"}, {"image_url", {{"url", "data:image/png;base64," + base64}}}});
        user["content"] = std::move(content);
    }
    return ask(status, serialise(chatBody(status, std::move(user), instructions)));
}

std::optional<std::string> ModelClient::ask(const Status& status, const std::string& body) const {
    if (status.kind != Kind::ready) {
        return std::nullopt;
    }
    auto endpoint = permittedEndpoint(config_);
    if (!endpoint) {
        return std::nullopt;
    }
    ModelHttp http(*endpoint, timeouts_.connect, timeouts_.answer, maxReplyBytes, stop_);
    const auto outcome = http.postJson(chatPath(status.protocol), body);
    if (!outcome.reply || outcome.reply->status != 200) {
        return std::nullopt;
    }
    return answerFromReply(status.protocol, outcome.reply->body);
}

std::optional<std::string> ModelClient::answerFromReply(Protocol protocol, std::string_view body) {
    auto reply = jsonObject(body);
    auto text = reply ? answerText(protocol, *reply) : std::nullopt;
    if (!text) {
        return std::nullopt;
    }
    return withoutThinking(*text);
}

void ModelClient::prewarm(const Status& status) const {
    if (status.kind != Kind::ready || status.protocol != Protocol::ollama) {
        return;
    }
    auto endpoint = permittedEndpoint(config_);
    if (!endpoint) {
        return;
    }
    // No keep_alive: the server's own setting decides how long the model stays loaded.
    json body = {{"model", status.model}, {"messages", json::array()}, {"stream", false}};
    ModelHttp http(*endpoint, timeouts_.connect, timeouts_.answer, maxReplyBytes, stop_);
    http.postJson("/api/chat", serialise(body));
}

} // namespace engine
