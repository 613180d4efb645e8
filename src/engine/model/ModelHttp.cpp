#include "model/ModelHttp.h"

#include <httplib.h>
#include <memory>

namespace engine {

namespace {

std::unique_ptr<httplib::ClientImpl> makeClient(const ModelEndpoint& endpoint) {
    if (endpoint.scheme == "https") {
        return std::make_unique<httplib::SSLClient>(endpoint.host, endpoint.port);
    }
    return std::make_unique<httplib::ClientImpl>(endpoint.host, endpoint.port);
}

} // namespace

ModelHttp::ModelHttp(ModelEndpoint endpoint, std::chrono::milliseconds connectTimeout,
                     std::chrono::milliseconds deadline, std::size_t maxReplyBytes)
    : endpoint_(std::move(endpoint)), connectTimeout_(connectTimeout), deadline_(deadline),
      maxReplyBytes_(maxReplyBytes) {}

ModelHttp::Outcome ModelHttp::get(const std::string& path) const {
    return send("GET", path, {});
}

ModelHttp::Outcome ModelHttp::postJson(const std::string& path, const std::string& body) const {
    return send("POST", path, body);
}

ModelHttp::Outcome ModelHttp::send(const std::string& method, const std::string& path,
                                   const std::string& body) const {
    auto client = makeClient(endpoint_);
    client->set_connection_timeout(connectTimeout_);
    client->set_read_timeout(deadline_);
    client->set_write_timeout(deadline_);
    client->set_follow_location(false);
    client->set_keep_alive(false);

    httplib::Request request;
    request.method = method;
    request.path = endpoint_.basePath + path;
    request.headers = {{"Accept", "application/json"}};
    if (method == "POST") {
        request.body = body;
        request.set_header("Content-Type", "application/json");
    }
    std::string received;
    auto start = std::chrono::steady_clock::now();
    request.content_receiver = [&](const char* data, std::size_t length, std::uint64_t,
                                   std::uint64_t) {
        if (received.size() + length > maxReplyBytes_ ||
            std::chrono::steady_clock::now() - start > deadline_) {
            return false;
        }
        received.append(data, length);
        return true;
    };

    httplib::Response response;
    httplib::Error error = httplib::Error::Success;
    Outcome outcome;
    bool sent = client->send(request, response, error);
    outcome.connected =
        error != httplib::Error::Connection && error != httplib::Error::ConnectionTimeout;
    if (sent && error == httplib::Error::Success) {
        outcome.reply = Reply{response.status, std::move(received)};
    }
    return outcome;
}

} // namespace engine
