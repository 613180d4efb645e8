#include "model/OllamaPull.h"

#include "model/ModelEndpoint.h"

#include <algorithm>
#include <condition_variable>
#include <httplib.h>
#include <limits>
#include <memory>
#include <mutex>
#include <nlohmann/json.hpp>
#include <thread>

namespace engine {

namespace {

using json = nlohmann::json;
using Outcome = OllamaPull::Outcome;

Outcome failed(std::string error) {
    return {Outcome::Kind::failed, std::move(error)};
}

std::uint64_t byteCount(const json& line, const char* key) {
    auto found = line.find(key);
    return found != line.end() && found->is_number_unsigned() ? found->get<std::uint64_t>() : 0;
}

// The counts come from the server: a sum that wrapped would send the progress backwards.
std::uint64_t saturatingAdd(std::uint64_t a, std::uint64_t b) {
    return b > std::numeric_limits<std::uint64_t>::max() - a
               ? std::numeric_limits<std::uint64_t>::max()
               : a + b;
}

// A request's own timeouts never end a pull that is merely slow; a cancel must, so the
// connection is shut from outside, again and again until the request has let go.
class Canceller {
public:
    Canceller(httplib::ClientImpl& client, std::stop_token stop)
        : thread_([this, &client, stop] {
              std::unique_lock lock(mutex_);
              if (wake_.wait(lock, stop, [this] { return done_; })) {
                  return;
              }
              while (!done_) {
                  lock.unlock();
                  client.stop();
                  lock.lock();
                  wake_.wait_for(lock, std::chrono::milliseconds(10), [this] { return done_; });
              }
          }) {}

    ~Canceller() {
        {
            std::lock_guard lock(mutex_);
            done_ = true;
        }
        wake_.notify_all();
        thread_.join();
    }

    Canceller(const Canceller&) = delete;
    Canceller& operator=(const Canceller&) = delete;

private:
    std::mutex mutex_;
    std::condition_variable_any wake_;
    bool done_ = false;
    std::thread thread_;
};

} // namespace

std::optional<std::string> OllamaPull::Stream::take(std::string_view line) {
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) {
        line.remove_suffix(1);
    }
    if (line.empty()) {
        return std::nullopt;
    }
    const json value = json::parse(line, nullptr, false);
    if (!value.is_object()) {
        return std::string("Ollama sent something that isn't a download report.");
    }
    if (auto error = value.find("error"); error != value.end()) {
        return error->is_string() && !error->get<std::string>().empty()
                   ? error->get<std::string>()
                   : std::string("Ollama couldn't fetch the model.");
    }
    if (auto status = value.find("status"); status != value.end() && status->is_string()) {
        progress_.status = status->get<std::string>();
        succeeded_ = succeeded_ || progress_.status == "success";
    }
    if (auto digest = value.find("digest"); digest != value.end() && digest->is_string()) {
        const std::string name = digest->get<std::string>();
        auto part = std::find_if(parts_.begin(), parts_.end(),
                                 [&](const auto& entry) { return entry.first == name; });
        if (part == parts_.end()) {
            part = parts_.insert(parts_.end(), {name, Part{}});
        }
        if (const auto total = byteCount(value, "total"); total > 0) {
            part->second.total = total;
        }
        part->second.completed = std::max(part->second.completed, byteCount(value, "completed"));
        progress_.completed = 0;
        progress_.total = 0;
        for (const auto& [digestName, each] : parts_) {
            progress_.completed =
                saturatingAdd(progress_.completed, std::min(each.completed, each.total));
            progress_.total = saturatingAdd(progress_.total, each.total);
        }
    }
    return std::nullopt;
}

OllamaPull::Outcome OllamaPull::run(const std::string& endpoint, const std::string& model,
                                    bool allowRemote, const ProgressHandler& progress,
                                    std::stop_token stop) {
    const auto parsed = ModelEndpoint::parse(endpoint);
    if (!parsed) {
        return failed("That isn't an address Quillmark can use.");
    }
    if (!allowRemote && !parsed->isLoopback()) {
        return failed("Only a model server on this computer is used.");
    }
    std::unique_ptr<httplib::ClientImpl> client =
        parsed->scheme == "https"
            ? std::make_unique<httplib::SSLClient>(parsed->host, parsed->port)
            : std::make_unique<httplib::ClientImpl>(parsed->host, parsed->port);
    client->set_connection_timeout(std::chrono::seconds(2));
    // Ollama goes quiet while it checks a large part; this is only a cap.
    client->set_read_timeout(std::chrono::minutes(30));
    client->set_follow_location(false);
    client->set_keep_alive(false);

    httplib::Request request;
    request.method = "POST";
    request.path = parsed->basePath + "/api/pull";
    request.body = json{{"model", model}, {"stream", true}}.dump();
    request.set_header("Content-Type", "application/json");

    Stream stream;
    std::string pending;
    std::optional<std::string> error;
    request.content_receiver = [&](const char* data, std::size_t length, std::uint64_t,
                                   std::uint64_t) {
        if (stop.stop_requested()) {
            return false;
        }
        pending.append(data, length);
        for (auto newline = pending.find('\n'); newline != std::string::npos;
             newline = pending.find('\n')) {
            const std::string line = pending.substr(0, newline);
            pending.erase(0, newline + 1);
            if ((error = stream.take(line))) {
                return false;
            }
            if (progress) {
                progress(stream.progress());
            }
        }
        return pending.size() < (1u << 20); // no line is that long
    };

    httplib::Response response;
    httplib::Error failure = httplib::Error::Success;
    {
        Canceller canceller(*client, stop);
        client->send(request, response, failure);
    }
    if (!error && !pending.empty()) {
        error = stream.take(pending);
    }
    if (stop.stop_requested()) {
        return {Outcome::Kind::cancelled, {}};
    }
    if (error) {
        return failed(*error);
    }
    if (stream.succeeded()) {
        return {Outcome::Kind::finished, {}};
    }
    if (failure == httplib::Error::Connection || failure == httplib::Error::ConnectionTimeout) {
        return failed("Ollama didn't answer at " + endpoint + ".");
    }
    if (response.status != 0 && response.status != 200) {
        return failed("Ollama refused to fetch " + model + " (HTTP " +
                      std::to_string(response.status) + ").");
    }
    return failed("The download stopped before it was finished. Fetch again to go on from "
                  "where it stopped.");
}

} // namespace engine
