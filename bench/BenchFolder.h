#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace bench {

// A temporary folder filled with empty files, removed when the object goes away.
class BenchFolder {
public:
    explicit BenchFolder(const std::vector<std::string>& names);
    ~BenchFolder();
    BenchFolder(const BenchFolder&) = delete;
    BenchFolder& operator=(const BenchFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }

    // `count` names as a screenshot folder and a downloads folder hold them: time stamps,
    // camera counters, random identifiers, good names, and some files that are not images.
    static std::vector<std::string> realisticNames(std::size_t count);

private:
    std::filesystem::path path_;
};

} // namespace bench
