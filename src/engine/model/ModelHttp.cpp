#include "model/ModelHttp.h"

#include <algorithm>
#include <condition_variable>
#include <httplib.h>
#include <memory>
#include <mutex>
#include <thread>

namespace engine {

namespace {

std::unique_ptr<httplib::ClientImpl> makeClient(const ModelEndpoint& endpoint) {
    if (endpoint.scheme == "https") {
        return std::make_unique<httplib::SSLClient>(endpoint.host, endpoint.port);
    }
    return std::make_unique<httplib::ClientImpl>(endpoint.host, endpoint.port);
}

// The client's own timeouts apply to each read and write, so a server that sends a byte now
// and then would never trip them. This shuts the connection down from outside once the
// deadline passes or a stop is requested.
class Watchdog {
public:
    Watchdog(httplib::ClientImpl& client, ModelHttp::Clock::time_point deadline,
             std::stop_token stop)
        : thread_([this, &client, deadline, stop] { watch(client, deadline, stop); }) {}

    ~Watchdog() {
        {
            std::lock_guard lock(mutex_);
            done_ = true;
        }
        wake_.notify_all();
        thread_.join();
    }

    Watchdog(const Watchdog&) = delete;
    Watchdog& operator=(const Watchdog&) = delete;

private:
    void watch(httplib::ClientImpl& client, ModelHttp::Clock::time_point deadline,
               std::stop_token stop) {
        std::unique_lock lock(mutex_);
        if (wake_.wait_until(lock, stop, deadline, [this] { return done_; })) {
            return;
        }
        // stop() only reaches a socket once the request has one, so it is repeated until
        // the request gives up; connecting is bounded by its own timeout.
        while (!done_) {
            lock.unlock();
            client.stop();
            lock.lock();
            wake_.wait_for(lock, std::chrono::milliseconds(10), [this] { return done_; });
        }
    }

    std::mutex mutex_;
    std::condition_variable_any wake_;
    bool done_ = false;
    std::thread thread_;
};

} // namespace

ModelHttp::ModelHttp(ModelEndpoint endpoint, std::chrono::milliseconds connectTimeout,
                     std::chrono::milliseconds deadline, std::size_t maxReplyBytes,
                     std::stop_token stop)
    : endpoint_(std::move(endpoint)), connectTimeout_(connectTimeout),
      deadline_(Clock::now() + deadline), maxReplyBytes_(maxReplyBytes), stop_(std::move(stop)) {}

ModelHttp::Outcome ModelHttp::get(const std::string& path) const {
    return send("GET", path, {});
}

ModelHttp::Outcome ModelHttp::postJson(const std::string& path, const std::string& body) const {
    return send("POST", path, body);
}

bool ModelHttp::finished() const {
    return stop_.stop_requested() || Clock::now() >= deadline_;
}

ModelHttp::Outcome ModelHttp::send(const std::string& method, const std::string& path,
                                   const std::string& body) const {
    if (finished()) {
        return {};
    }
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline_ - Clock::now()) +
        std::chrono::milliseconds(1);
    auto client = makeClient(endpoint_);
    client->set_connection_timeout(std::min(connectTimeout_, left));
    client->set_read_timeout(left);
    client->set_write_timeout(left);
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
    request.content_receiver = [&](const char* data, std::size_t length, std::uint64_t,
                                   std::uint64_t) {
        if (received.size() + length > maxReplyBytes_ || finished()) {
            return false;
        }
        received.append(data, length);
        return true;
    };

    httplib::Response response;
    httplib::Error error = httplib::Error::Success;
    bool sent = false;
    {
        Watchdog watchdog(*client, deadline_, stop_);
        sent = client->send(request, response, error);
    }
    Outcome outcome;
    outcome.connected =
        error != httplib::Error::Connection && error != httplib::Error::ConnectionTimeout;
    // A body that runs to the end of the connection looks complete when the watchdog shut
    // that connection down, so nothing received after the deadline or a stop counts.
    if (sent && error == httplib::Error::Success && !finished()) {
        outcome.reply = Reply{response.status, std::move(received)};
    }
    return outcome;
}

} // namespace engine
