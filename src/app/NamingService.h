#pragma once

#include "naming/Correction.h"
#include "naming/Namer.h"

#include <filesystem>
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
    // The owner is going away: calls waiting for the model return at once and every later
    // call gives nothing. Any thread.
    virtual void cancel() {}
};

// The real engine with the model settings of the moment it was made.
class EngineNamingService final : public NamingService {
public:
    explicit EngineNamingService(engine::ModelConfig config)
        : namer_(std::move(config), stop_.get_token()) {}

    engine::Namer::Engine engine() const override { return namer_.engine(); }
    std::optional<engine::Namer::Result>
    suggestName(const std::filesystem::path& file,
                const std::vector<engine::Correction>& corrections) const override {
        return namer_.suggestName(file, corrections);
    }
    void warmUp() const override { namer_.warmUp(); }
    void cancel() override { stop_.request_stop(); }

private:
    std::stop_source stop_;
    engine::Namer namer_;
};

} // namespace app
