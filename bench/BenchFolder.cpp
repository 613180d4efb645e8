#include "BenchFolder.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <system_error>

namespace bench {

BenchFolder::BenchFolder(const std::vector<std::string>& names) {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "quillmark-bench-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("cannot create a temporary folder");
    }
    path_ = pattern;
    for (const auto& name : names) {
        std::ofstream(path_ / name).put('x');
    }
}

BenchFolder::~BenchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::vector<std::string> BenchFolder::realisticNames(std::size_t count) {
    static const char* const goodNames[] = {"Quarterly report",    "Flight to Lisbon Booking",
                                            "dentist-appointment", "Kitchen floor plan",
                                            "Rechnung März",       "会議メモ",
                                            "Team offsite agenda", "holiday2024pics"};
    static const char* const extensions[] = {"png", "jpg", "PNG", "heic", "webp"};
    std::vector<std::string> names;
    names.reserve(count);
    char buffer[96];
    for (std::size_t i = 0; i < count; ++i) {
        const unsigned day = 1 + i % 28;
        const unsigned hour = i % 24;
        const unsigned minute = (i / 24) % 60;
        const char* extension = extensions[i % 5];
        switch (i % 10) {
        case 0:
        case 1:
        case 2:
            std::snprintf(buffer, sizeof buffer, "Screenshot From 2026-03-%02u %02u-%02u-%02zu.%s",
                          day, hour, minute, i % 60, "png");
            break;
        case 3:
            std::snprintf(buffer, sizeof buffer, "Screenshot_202603%02u_%02u%02u%02zu.png", day,
                          hour, minute, i % 60);
            break;
        case 4:
            std::snprintf(buffer, sizeof buffer, "IMG_%04zu.%s", i, extension);
            break;
        case 5:
            std::snprintf(buffer, sizeof buffer, "a8f3k2j9d0x%zu.jpg", i);
            break;
        case 6:
        case 7:
            std::snprintf(buffer, sizeof buffer, "%s %zu.%s", goodNames[i % 8], i, extension);
            break;
        case 8:
            std::snprintf(buffer, sizeof buffer, "image (%zu).png", i);
            break;
        default:
            std::snprintf(buffer, sizeof buffer, "Screenshot From 2026-03-%02u %zu.txt", day, i);
            break;
        }
        names.emplace_back(buffer);
    }
    return names;
}

} // namespace bench
