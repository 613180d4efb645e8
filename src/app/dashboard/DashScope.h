#pragma once

#include <cstddef>
#include <functional>
#include <string>

namespace app {

// Which records the dashboard shows. A folder scope holds the folder path exactly as the
// records store it.
struct DashScope {
    enum class Kind { all, today, week, undone, folder };

    Kind kind = Kind::all;
    std::string folderPath; // only for Kind::folder

    static DashScope all() { return {Kind::all, {}}; }
    static DashScope today() { return {Kind::today, {}}; }
    static DashScope week() { return {Kind::week, {}}; }
    static DashScope undone() { return {Kind::undone, {}}; }
    static DashScope folder(std::string path) { return {Kind::folder, std::move(path)}; }

    bool operator==(const DashScope& other) const {
        return kind == other.kind && (kind != Kind::folder || folderPath == other.folderPath);
    }
};

struct DashScopeHash {
    std::size_t operator()(const DashScope& scope) const {
        const auto position = static_cast<std::size_t>(scope.kind);
        if (scope.kind != DashScope::Kind::folder) {
            return position;
        }
        return position ^ (std::hash<std::string>{}(scope.folderPath) << 1U);
    }
};

} // namespace app
