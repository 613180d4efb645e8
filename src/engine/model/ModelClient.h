#pragma once

#include "model/ModelConfig.h"
#include "reading/RgbImage.h"

#include <chrono>
#include <cstddef>
#include <optional>
#include <stop_token>
#include <string>
#include <string_view>
#include <vector>

namespace engine {

// Talks to a local language-model server: Ollama's own API or an OpenAI-compatible one
// (llama-server, LM Studio, vLLM). Keeps no state between calls and makes a fresh request
// each time, so several calls may run at once on different threads.
//
// Typical use: `auto s = client.status(); if (s.kind == Status::Kind::ready) client.askWithText(
// s, instructions, prompt);`
class ModelClient {
public:
    enum class Protocol { ollama, openAI };

    // What the server offers now.
    struct Status {
        enum class Kind {
            ready,             // a model is chosen and can be asked
            noServer,          // nothing answered at the endpoint
            modelNotInstalled, // the configured model is not on the server
            noModels,          // no model configured and the server has none that can chat
            unavailable,       // bad or refused endpoint, a loading server, an unknown service
        };
        Kind kind = Kind::unavailable;
        Protocol protocol = Protocol::ollama; // meaningful when ready
        std::string model;                    // the server's own name for it, when ready
        bool acceptsImages = false;
        bool thinks = false; // reasons before answering unless told not to (Ollama)
    };

    // Limits of one call. The connect timeout keeps status() fast when nothing listens.
    struct Timeouts {
        std::chrono::milliseconds connect{400};
        std::chrono::milliseconds statusReply{5'000}; // all of status(), every request in it
        std::chrono::milliseconds answer{300'000};    // a whole answer, a safety cap only
    };

    static constexpr std::size_t maxReplyBytes = 1 << 20;

    explicit ModelClient(ModelConfig config);
    // Once `stop` is requested, requests in flight are abandoned and no new one is sent.
    ModelClient(ModelConfig config, Timeouts timeouts, std::stop_token stop = {});

    // Asks the server afresh: which protocol answers (Ollama's /api/tags first, then
    // /v1/models), which model to use and whether it accepts images. No retries.
    Status status() const;

    // One request: the instructions as the system message, the prompt as the user message,
    // no sampling options, not streamed. The answer text without any leading reasoning, or
    // nothing on any failure.
    std::optional<std::string> askWithText(const Status& status, const std::string& instructions,
                                           const std::string& prompt) const;

    // As askWithText with a prompt of several parts: the non-empty text parts in order, then
    // the image as PNG. Nothing, without any request, when the model does not accept images.
    std::optional<std::string> askWithImage(const Status& status, const std::string& instructions,
                                            const std::vector<std::string>& textParts,
                                            const RgbImage& image) const;

    // Has the server load the model so the first real request is fast. Ollama only; the
    // OpenAI-compatible servers keep their model loaded or load it on the first request.
    void prewarm(const Status& status) const;

    // Whether the URL names this computer ("localhost", 127.0.0.0/8, ::1), decided from the
    // text alone. Endpoints that fail this are refused unless remote models are allowed.
    static bool isLoopbackEndpoint(const std::string& endpoint);

    // An answer without the reasoning that some models put first in "<think>" tags (the
    // opening tag may be left to the chat template). Nothing when no answer follows it.
    static std::optional<std::string> withoutThinking(std::string_view answer);

    // The answer in the body of a successful chat reply, reasoning removed; nothing when the
    // body is not such a reply.
    static std::optional<std::string> answerFromReply(Protocol protocol, std::string_view body);

private:
    std::optional<std::string> ask(const Status& status, const std::string& body) const;

    ModelConfig config_;
    Timeouts timeouts_;
    std::stop_token stop_;
};

} // namespace engine
