#pragma once

#include "reading/TextReader.h"

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace cli {

// Reads the files of a list on worker threads, a few files ahead of the one being named, so
// OCR of the next file overlaps the naming of this one. Files are taken in list order; the
// caller consumes them in the same order. Workers live for the whole run so each keeps its
// own OCR engine.
class ReadAhead {
public:
    using Reader = std::function<engine::TextReader::Reading(const std::filesystem::path&)>;

    ReadAhead(std::vector<std::filesystem::path> files, std::size_t workers, std::size_t window,
              Reader reader);
    ~ReadAhead();
    ReadAhead(const ReadAhead&) = delete;
    ReadAhead& operator=(const ReadAhead&) = delete;

    struct Taken {
        engine::TextReader::Reading reading;
        // How long the reading itself took, however long ago it finished.
        std::chrono::steady_clock::duration readTime{};
    };

    // Blocks until file `index` is read; each index is taken once, in ascending order.
    Taken take(std::size_t index);

private:
    void work();

    std::vector<std::filesystem::path> files_;
    std::size_t window_;
    Reader reader_;
    std::vector<std::optional<Taken>> done_;
    std::size_t nextToRead_ = 0;
    std::size_t consumed_ = 0;
    bool stopping_ = false;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::thread> threads_;
};

} // namespace cli
