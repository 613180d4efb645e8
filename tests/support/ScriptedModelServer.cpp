#include "support/ScriptedModelServer.h"

#include <algorithm>
#include <httplib.h>
#include <optional>
#include <stdexcept>

namespace testsupport {

namespace {

using json = nlohmann::json;
using Reply = ScriptedModelServer::Reply;

bool speaksOllama(ScriptedModelServer::Protocol protocol) {
    return protocol == ScriptedModelServer::Protocol::ollama;
}

json errorObject(ScriptedModelServer::Protocol protocol, const std::string& message, int code) {
    if (speaksOllama(protocol)) {
        return {{"error", message}};
    }
    return {{"error", {{"message", message}, {"type", "server_error"}, {"code", code}}}};
}

json answerObject(ScriptedModelServer::Protocol protocol, const std::string& model,
                  const std::string& text) {
    json message = {{"role", "assistant"}, {"content", text}};
    if (speaksOllama(protocol)) {
        return {{"model", model},
                {"created_at", "2026-03-14T09:41:22Z"},
                {"message", message},
                {"done", true},
                {"done_reason", "stop"}};
    }
    return {{"id", "chatcmpl-1"},
            {"object", "chat.completion"},
            {"model", model},
            {"choices",
             json::array({{{"index", 0}, {"message", message}, {"finish_reason", "stop"}}})}};
}

void sendJson(httplib::Response& response, int status, const json& body) {
    response.status = status;
    response.set_content(body.dump(), "application/json");
}

// Writes a scripted reply; `success` is the body of a good answer. The delay is already over.
void sendReply(httplib::Response& response, ScriptedModelServer::Protocol protocol,
               const Reply& reply, const json& success) {
    switch (reply.kind) {
    case Reply::Kind::answer:
        sendJson(response, 200, success);
        return;
    case Reply::Kind::httpError:
        sendJson(response, reply.httpStatus,
                 errorObject(protocol, "scripted failure", reply.httpStatus));
        return;
    case Reply::Kind::jsonError:
        sendJson(response, 200, errorObject(protocol, reply.text, 500));
        return;
    case Reply::Kind::raw:
        response.set_content(reply.text, "application/json");
        return;
    case Reply::Kind::closeConnection: {
        auto body = std::make_shared<std::string>(success.dump());
        response.set_content_provider(body->size(), "application/json",
                                      [body](std::size_t, std::size_t, httplib::DataSink& sink) {
                                          sink.write(body->data(), body->size() / 2);
                                          return false; // drops the connection
                                      });
        return;
    }
    }
}

} // namespace

Reply Reply::answer(std::string text) {
    Reply reply;
    reply.text = std::move(text);
    return reply;
}

Reply Reply::httpError(int status) {
    Reply reply;
    reply.kind = Kind::httpError;
    reply.httpStatus = status;
    return reply;
}

Reply Reply::jsonError(std::string message) {
    Reply reply;
    reply.kind = Kind::jsonError;
    reply.text = std::move(message);
    return reply;
}

Reply Reply::raw(std::string body) {
    Reply reply;
    reply.kind = Kind::raw;
    reply.text = std::move(body);
    return reply;
}

Reply Reply::garbage() {
    return raw("<html>{\"message\": not json");
}

Reply Reply::closeConnection() {
    Reply reply;
    reply.kind = Kind::closeConnection;
    return reply;
}

Reply Reply::after(std::chrono::milliseconds wait) const {
    Reply reply = *this;
    reply.delay = wait;
    return reply;
}

ScriptedModelServer::ScriptedModelServer(Protocol protocol, std::vector<Model> models)
    : protocol_(protocol), server_(std::make_unique<httplib::Server>()),
      models_(std::move(models)) {
    server_->set_keep_alive_timeout(1);
    route();
    port_ = server_->bind_to_any_port("127.0.0.1");
    if (port_ <= 0) {
        throw std::runtime_error("cannot bind a loopback port");
    }
    thread_ = std::thread([this] { server_->listen_after_bind(); });
    // stop() does nothing before the server runs, so wait for it.
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!server_->is_running() && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

ScriptedModelServer::~ScriptedModelServer() {
    {
        std::lock_guard lock(mutex_);
        stopped_ = true;
    }
    stopping_.notify_all();
    server_->stop();
    thread_.join();
}

std::string ScriptedModelServer::endpoint() const {
    return "http://127.0.0.1:" + std::to_string(port_);
}

void ScriptedModelServer::setModels(std::vector<Model> models) {
    std::lock_guard lock(mutex_);
    models_ = std::move(models);
}

void ScriptedModelServer::queueReply(Reply reply) {
    std::lock_guard lock(mutex_);
    queued_.push_back(std::move(reply));
}

void ScriptedModelServer::setDefaultReply(Reply reply) {
    std::lock_guard lock(mutex_);
    defaultReply_ = std::move(reply);
}

void ScriptedModelServer::setLoading(bool loading) {
    std::lock_guard lock(mutex_);
    loading_ = loading;
}

void ScriptedModelServer::setResponseDelay(std::chrono::milliseconds delay) {
    std::lock_guard lock(mutex_);
    responseDelay_ = delay;
}

void ScriptedModelServer::setPullScript(std::vector<PullLine> lines, Model pulled) {
    std::lock_guard lock(mutex_);
    pullScript_ = std::move(lines);
    pulled_ = std::move(pulled);
}

bool ScriptedModelServer::pulling() const {
    std::lock_guard lock(mutex_);
    return pullsRunning_ > 0;
}

void ScriptedModelServer::setListingReply(Reply reply) {
    std::lock_guard lock(mutex_);
    listingReply_ = std::make_unique<Reply>(std::move(reply));
}

std::vector<ScriptedModelServer::Request> ScriptedModelServer::requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

std::vector<ScriptedModelServer::Request>
ScriptedModelServer::requestsTo(const std::string& path) const {
    auto all = requests();
    std::erase_if(all, [&](const Request& request) { return request.path != path; });
    return all;
}

std::vector<ScriptedModelServer::Request> ScriptedModelServer::chatRequests() const {
    auto all = requests();
    std::erase_if(all, [](const Request& request) {
        return request.path != "/api/chat" && request.path != "/api/generate" &&
               request.path != "/v1/chat/completions";
    });
    return all;
}

void ScriptedModelServer::wait(std::chrono::milliseconds delay) {
    std::unique_lock lock(mutex_);
    stopping_.wait_for(lock, delay, [this] { return stopped_; });
}

Reply ScriptedModelServer::nextChatReply() {
    std::lock_guard lock(mutex_);
    if (queued_.empty()) {
        return defaultReply_;
    }
    Reply reply = queued_.front();
    queued_.pop_front();
    return reply;
}

void ScriptedModelServer::route() {
    auto record = [this](const httplib::Request& request) {
        json body = json::parse(request.body, nullptr, false);
        std::chrono::milliseconds delay{0};
        {
            std::lock_guard lock(mutex_);
            requests_.push_back(
                {request.method, request.path, request.body, body.is_discarded() ? json() : body});
            delay = responseDelay_;
        }
        wait(delay);
        return body.is_discarded() ? json() : body;
    };
    auto models = [this] {
        std::lock_guard lock(mutex_);
        return models_;
    };
    auto findModel = [models](const std::string& name) -> std::optional<Model> {
        auto all = models();
        auto found = std::find_if(all.begin(), all.end(),
                                  [&](const Model& model) { return model.name == name; });
        return found == all.end() ? std::nullopt : std::optional<Model>(*found);
    };
    // Listing and health answers that a test may override or mark as loading.
    auto overridden = [this](httplib::Response& response, bool honoursLoading) {
        std::unique_lock lock(mutex_);
        if (honoursLoading && loading_) {
            sendJson(response, 503, errorObject(protocol_, "Loading model", 503));
            return true;
        }
        if (!listingReply_) {
            return false;
        }
        const Reply listing = *listingReply_;
        lock.unlock();
        wait(listing.delay);
        sendReply(response, protocol_, listing, json::object());
        return true;
    };
    auto notFound = [record](const httplib::Request& request, httplib::Response& response) {
        record(request);
        sendJson(response, 404, {{"error", "not found"}});
    };

    if (protocol_ == Protocol::ollama) {
        server_->Get(
            "/api/tags", [=, this](const httplib::Request& request, httplib::Response& response) {
                record(request);
                if (overridden(response, false)) {
                    return;
                }
                json list = json::array();
                for (const auto& model : models()) {
                    list.push_back({{"name", model.name}, {"model", model.name}, {"size", 1}});
                }
                sendJson(response, 200, {{"models", list}});
            });
        server_->Post("/api/show", [=, this](const httplib::Request& request,
                                             httplib::Response& response) {
            json body = record(request);
            auto model = findModel(body.is_object() ? body.value("model", "") : "");
            if (!model) {
                sendJson(response, 404, {{"error", "model not found"}});
                return;
            }
            json capabilities = json::array();
            if (model->completion) {
                capabilities.push_back("completion");
            } else {
                capabilities.push_back("embedding");
            }
            if (model->vision) {
                capabilities.push_back("vision");
            }
            if (model->thinking) {
                capabilities.push_back("thinking");
            }
            sendJson(response, 200, {{"capabilities", capabilities}, {"details", json::object()}});
        });
        server_->Get("/api/ps",
                     [=, this](const httplib::Request& request, httplib::Response& response) {
                         record(request);
                         json list = json::array();
                         for (const auto& model : models()) {
                             if (model.loaded) {
                                 list.push_back({{"name", model.name}, {"model", model.name}});
                             }
                         }
                         sendJson(response, 200, {{"models", list}});
                     });
        server_->Post("/api/pull",
                      [=, this](const httplib::Request& request, httplib::Response& response) {
                          record(request);
                          std::vector<PullLine> script;
                          {
                              std::lock_guard lock(mutex_);
                              script = pullScript_;
                              ++pullsRunning_;
                          }
                          response.set_chunked_content_provider(
                              "application/x-ndjson",
                              [this, script, next = std::size_t(0)](
                                  std::size_t, httplib::DataSink& sink) mutable {
                                  if (next == script.size()) {
                                      sink.done();
                                      return true;
                                  }
                                  const PullLine& step = script[next++];
                                  wait(step.delay);
                                  {
                                      std::lock_guard lock(mutex_);
                                      if (stopped_) {
                                          return false;
                                      }
                                      if (step.line.value("status", "") == "success") {
                                          models_.push_back(pulled_);
                                      }
                                  }
                                  const std::string text = step.line.dump() + "\n";
                                  return sink.write(text.data(), text.size());
                              },
                              [this](bool) {
                                  std::lock_guard lock(mutex_);
                                  --pullsRunning_;
                              });
                      });
        server_->Post(
            "/api/chat", [=, this](const httplib::Request& request, httplib::Response& response) {
                json body = record(request);
                std::string name = body.is_object() ? body.value("model", "") : "";
                if (!findModel(name)) {
                    sendJson(response, 404, {{"error", "model '" + name + "' not found"}});
                    return;
                }
                if (!body.contains("messages") || body["messages"].empty()) {
                    json loaded = answerObject(protocol_, name, "");
                    loaded["done_reason"] = "load";
                    sendJson(response, 200, loaded);
                    return;
                }
                Reply reply = nextChatReply();
                wait(reply.delay);
                sendReply(response, protocol_, reply, answerObject(protocol_, name, reply.text));
            });
    } else if (protocol_ != Protocol::notAModelServer) {
        server_->Get(
            "/v1/models", [=, this](const httplib::Request& request, httplib::Response& response) {
                record(request);
                if (overridden(response, protocol_ == Protocol::llamaServer)) {
                    return;
                }
                json list = json::array();
                const char* owner = protocol_ == Protocol::vllm       ? "vllm"
                                    : protocol_ == Protocol::lmStudio ? "organization_owner"
                                                                      : "test";
                for (const auto& model : models()) {
                    list.push_back({{"id", model.name}, {"object", "model"}, {"owned_by", owner}});
                }
                sendJson(response, 200, {{"object", "list"}, {"data", list}});
            });
        server_->Post("/v1/chat/completions", [=, this](const httplib::Request& request,
                                                        httplib::Response& response) {
            json body = record(request);
            std::string name = body.is_object() ? body.value("model", "") : "";
            Reply reply = nextChatReply();
            wait(reply.delay);
            sendReply(response, protocol_, reply, answerObject(protocol_, name, reply.text));
        });
    }
    if (protocol_ == Protocol::lmStudio) {
        server_->Get("/api/v1/models",
                     [=, this](const httplib::Request& request, httplib::Response& response) {
                         record(request);
                         json list = json::array();
                         for (const auto& model : models()) {
                             json instances = json::array();
                             if (model.loaded) {
                                 instances.push_back({{"id", model.name}});
                             }
                             list.push_back({{"type", model.completion ? "llm" : "embedding"},
                                             {"key", model.name},
                                             {"display_name", model.name},
                                             {"capabilities", {{"vision", model.vision}}},
                                             {"loaded_instances", instances}});
                         }
                         sendJson(response, 200, {{"models", list}});
                     });
    }
    if (protocol_ == Protocol::llamaServer) {
        server_->Get("/health",
                     [=, this](const httplib::Request& request, httplib::Response& response) {
                         record(request);
                         std::lock_guard lock(mutex_);
                         if (loading_) {
                             sendJson(response, 503, errorObject(protocol_, "Loading model", 503));
                         } else {
                             sendJson(response, 200, {{"status", "ok"}});
                         }
                     });
        server_->Get("/props", [=, this](const httplib::Request& request,
                                         httplib::Response& response) {
            record(request);
            auto all = models();
            bool vision = !all.empty() && all.front().vision;
            sendJson(response, 200,
                     {{"modalities", {{"vision", vision}, {"audio", false}}}, {"total_slots", 1}});
        });
    }
    server_->Get(".*", notFound);
    server_->Post(".*", notFound);
}

} // namespace testsupport
