#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace httplib {
class Server;
}

namespace testsupport {

// A model server for tests on 127.0.0.1 (a free port), speaking Ollama's API (with /api/ps and
// the NDJSON /api/pull stream), the OpenAI-compatible API, llama-server's (OpenAI-compatible
// plus /props and /health), LM Studio's (plus /api/v1/models) or vLLM's.
// Chat requests are answered from a script; every request is recorded. Stops when destroyed.
// Link it with PkgConfig::HTTPLIB and nlohmann_json::nlohmann_json.
class ScriptedModelServer {
public:
    enum class Protocol {
        ollama,
        openAI,
        llamaServer,
        lmStudio,
        vllm,
        notAModelServer, // an HTTP service that answers 404 to everything
    };

    struct Model {
        std::string name;
        bool vision = false;
        bool completion = true; // false: an embedding-only model
        bool thinking = false;  // Ollama lists the "thinking" capability
        bool loaded = false;    // Ollama's /api/ps, LM Studio's loaded instances
    };

    // One line of a pull stream, sent after its delay (cut short when the server stops).
    struct PullLine {
        nlohmann::json line;
        std::chrono::milliseconds delay{0};
    };

    // One scripted answer to a chat request.
    struct Reply {
        enum class Kind {
            answer,          // 200 with the protocol's answer object carrying `text`
            httpError,       // `httpStatus` with the protocol's error object
            jsonError,       // 200 with the protocol's error object
            raw,             // 200 with `text` as the body, as it stands
            closeConnection, // headers and half the body, then the connection is dropped
        };
        Kind kind = Kind::answer;
        std::string text;
        int httpStatus = 200;
        std::chrono::milliseconds delay{0};

        static Reply answer(std::string text);
        static Reply httpError(int status);
        static Reply jsonError(std::string message);
        static Reply raw(std::string body);
        static Reply garbage(); // a raw body that is not JSON
        static Reply closeConnection();
        Reply after(std::chrono::milliseconds wait) const;
    };

    struct Request {
        std::string method;
        std::string path;
        std::string body;
        nlohmann::json json; // null when the body is not JSON
    };

    explicit ScriptedModelServer(Protocol protocol, std::vector<Model> models = {});
    ~ScriptedModelServer();
    ScriptedModelServer(const ScriptedModelServer&) = delete;
    ScriptedModelServer& operator=(const ScriptedModelServer&) = delete;

    std::string endpoint() const; // "http://127.0.0.1:<port>"
    int port() const { return port_; }

    void setModels(std::vector<Model> models);
    // Chat requests take queued replies in order, then the default reply.
    void queueReply(Reply reply);
    void setDefaultReply(Reply reply);
    // llama-server: /health and /v1/models answer 503 as while a model loads.
    void setLoading(bool loading);
    // Replaces the model listing (/api/tags, /v1/models) with this reply.
    void setListingReply(Reply reply);
    // Every request waits this long before it is answered.
    void setResponseDelay(std::chrono::milliseconds delay);
    // Ollama: /api/pull streams these lines; a stream that reports "success" adds `pulled`
    // to the models.
    void setPullScript(std::vector<PullLine> lines, Model pulled);
    // Whether a pull stream is being sent now.
    bool pulling() const;

    std::vector<Request> requests() const;
    std::vector<Request> requestsTo(const std::string& path) const;
    // Requests to /api/chat, /api/generate and /v1/chat/completions.
    std::vector<Request> chatRequests() const;

private:
    void route();
    Reply nextChatReply();
    // Sleeps for a reply's delay, cut short when the server stops.
    void wait(std::chrono::milliseconds delay);

    Protocol protocol_;
    std::unique_ptr<httplib::Server> server_;
    std::thread thread_;
    int port_ = 0;

    mutable std::mutex mutex_;
    std::condition_variable stopping_;
    bool stopped_ = false;
    std::vector<Model> models_;
    std::deque<Reply> queued_;
    Reply defaultReply_ = Reply::answer("Scripted Name");
    std::unique_ptr<Reply> listingReply_;
    bool loading_ = false;
    std::chrono::milliseconds responseDelay_{0};
    std::vector<PullLine> pullScript_;
    Model pulled_;
    int pullsRunning_ = 0;
    std::vector<Request> requests_;
};

} // namespace testsupport
