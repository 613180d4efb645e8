#pragma once

#include "model/ModelClient.h"
#include "naming/Correction.h"
#include "naming/Namer.h"
#include "reading/TextReader.h"

#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <stop_token>
#include <vector>

namespace app {

// The namer as the model sees it. `engine`, `suggestName` and `warmUp` may wait on the
// network, so they run on worker threads and must not touch shared state.
class NamingService {
public:
    virtual ~NamingService() = default;
    virtual engine::Namer::Engine engine() const = 0;
    virtual std::optional<engine::Namer::Result>
    suggestName(const std::filesystem::path& file,
                const std::vector<engine::Correction>& corrections) const = 0;
    virtual void warmUp() const = 0;

    // A run of files in two steps, so one file can be read while the model answers for the
    // one before: the server's state is asked once for the run, `read` runs on the reading
    // worker and `name` on the model's. A namer that keeps the default
    // steps is asked whole, per file, in the naming step.
    using ModelStatus = engine::ModelClient::Status;
    struct Prepared {
        std::filesystem::path file;
        engine::TextReader::Reading reading;
    };
    virtual ModelStatus modelStatus() const { return {}; }
    virtual Prepared read(const std::filesystem::path& file, const ModelStatus&) const {
        return {file, {}};
    }
    virtual std::optional<engine::Namer::Result>
    name(const Prepared& prepared, const std::vector<engine::Correction>& corrections,
         const ModelStatus&) const {
        return suggestName(prepared.file, corrections);
    }
    // The owner is going away: calls waiting for the model return at once and every later
    // call gives nothing. Any thread.
    virtual void cancel() {}
    // Names asked for from now on use these model settings; namings under way finish with
    // the old ones. Any thread.
    virtual void reconfigure(const engine::ModelConfig&) {}
};

// The real engine with the model settings of the moment, changed by `reconfigure`.
class EngineNamingService final : public NamingService {
public:
    explicit EngineNamingService(engine::ModelConfig config)
        : namer_(std::make_shared<const engine::Namer>(std::move(config), stop_.get_token())) {}

    engine::Namer::Engine engine() const override { return current()->engine(); }
    std::optional<engine::Namer::Result>
    suggestName(const std::filesystem::path& file,
                const std::vector<engine::Correction>& corrections) const override {
        return current()->suggestName(file, corrections);
    }
    void warmUp() const override { current()->warmUp(); }
    ModelStatus modelStatus() const override { return current()->status(); }
    Prepared read(const std::filesystem::path& file, const ModelStatus& status) const override {
        return {file, current()->read(file, status)};
    }
    std::optional<engine::Namer::Result> name(const Prepared& prepared,
                                              const std::vector<engine::Correction>& corrections,
                                              const ModelStatus& status) const override {
        return current()->suggestName(prepared.reading, corrections, status);
    }
    void cancel() override { stop_.request_stop(); }
    void reconfigure(const engine::ModelConfig& config) override {
        auto namer = std::make_shared<const engine::Namer>(config, stop_.get_token());
        std::lock_guard lock(mutex_);
        namer_ = std::move(namer);
    }

private:
    std::shared_ptr<const engine::Namer> current() const {
        std::lock_guard lock(mutex_);
        return namer_;
    }

    std::stop_source stop_;
    mutable std::mutex mutex_;
    std::shared_ptr<const engine::Namer> namer_;
};

} // namespace app
