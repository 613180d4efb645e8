#pragma once

#include "NamingService.h"

#include <filesystem>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace test_support {

// Names files by their file name and remembers what it was asked; unknown files get nothing.
class FakeNamer : public app::NamingService {
public:
    explicit FakeNamer(engine::Namer::Engine engine = {engine::Namer::Engine::Kind::visionModel,
                                                       {}})
        : current(std::move(engine)) {}

    engine::Namer::Engine current;
    std::map<std::string, std::string> names;
    engine::Namer::Source source = engine::Namer::Source::vision;

    engine::Namer::Engine engine() const override { return current; }
    std::optional<engine::Namer::Result>
    suggestName(const std::filesystem::path& file,
                const std::vector<engine::Correction>& corrections) const override {
        std::lock_guard lock(mutex_);
        asked_.push_back(file.filename().string());
        lastCorrections_ = corrections;
        const auto it = names.find(file.filename().string());
        if (it == names.end()) {
            return std::nullopt;
        }
        return engine::Namer::Result{it->second, source};
    }
    void warmUp() const override {}

    std::vector<std::string> asked() const {
        std::lock_guard lock(mutex_);
        return asked_;
    }
    std::vector<engine::Correction> lastCorrections() const {
        std::lock_guard lock(mutex_);
        return lastCorrections_;
    }

private:
    mutable std::mutex mutex_;
    mutable std::vector<std::string> asked_;
    mutable std::vector<engine::Correction> lastCorrections_;
};

} // namespace test_support
