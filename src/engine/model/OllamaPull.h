#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <stop_token>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace engine {

// Has a local Ollama fetch a model from its own library through /api/pull, following the
// streamed progress. Ollama keeps the parts it already has, so a pull started again resumes.
class OllamaPull {
public:
    struct Progress {
        std::string status;          // Ollama's own words, "pulling manifest", ...
        std::uint64_t completed = 0; // bytes, summed over the model's parts
        std::uint64_t total = 0;
    };

    struct Outcome {
        enum class Kind { finished, failed, cancelled };
        Kind kind = Kind::failed;
        std::string error; // for failed: Ollama's message or ours
    };

    using ProgressHandler = std::function<void(const Progress&)>;

    // Blocks until the pull ends; `progress` is called on this thread for every line.
    // Only loopback endpoints unless `allowRemote`.
    static Outcome run(const std::string& endpoint, const std::string& model, bool allowRemote,
                       const ProgressHandler& progress, std::stop_token stop = {});

    // Folds one line of the stream into `progress`; the error text when the line is one.
    class Stream {
    public:
        // Nothing when the line was understood; an error message otherwise.
        std::optional<std::string> take(std::string_view line);
        const Progress& progress() const { return progress_; }
        bool succeeded() const { return succeeded_; }

    private:
        struct Part {
            std::uint64_t completed = 0;
            std::uint64_t total = 0;
        };
        Progress progress_;
        std::vector<std::pair<std::string, Part>> parts_;
        bool succeeded_ = false;
    };
};

} // namespace engine
