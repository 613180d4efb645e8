#pragma once

#include "naming/Correction.h"
#include "naming/Namer.h"

#include <filesystem>
#include <optional>
#include <vector>

namespace app {

// The namer as the model sees it. `suggestName` and `warmUp` run on worker threads and must
// not touch shared state; `engine` is asked on the main thread once at start.
class NamingService {
public:
    virtual ~NamingService() = default;
    virtual engine::Namer::Engine engine() const = 0;
    virtual std::optional<engine::Namer::Result>
    suggestName(const std::filesystem::path& file,
                const std::vector<engine::Correction>& corrections) const = 0;
    virtual void warmUp() const = 0;
};

// The real engine with the model settings of the moment it was made.
class EngineNamingService final : public NamingService {
public:
    explicit EngineNamingService(engine::ModelConfig config) : namer_(std::move(config)) {}

    engine::Namer::Engine engine() const override { return namer_.engine(); }
    std::optional<engine::Namer::Result>
    suggestName(const std::filesystem::path& file,
                const std::vector<engine::Correction>& corrections) const override {
        return namer_.suggestName(file, corrections);
    }
    void warmUp() const override { namer_.warmUp(); }

private:
    engine::Namer namer_;
};

} // namespace app
