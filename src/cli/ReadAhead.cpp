#include "ReadAhead.h"

#include <algorithm>

namespace cli {

ReadAhead::ReadAhead(std::vector<std::filesystem::path> files, std::size_t workers,
                     std::size_t window, Reader reader)
    : files_(std::move(files)), window_(std::max<std::size_t>(window, 1)),
      reader_(std::move(reader)), done_(files_.size()) {
    const std::size_t count = std::min(std::max<std::size_t>(workers, 1), files_.size());
    for (std::size_t i = 0; i < count; ++i) {
        threads_.emplace_back([this] { work(); });
    }
}

ReadAhead::~ReadAhead() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    for (auto& thread : threads_) {
        thread.join();
    }
}

void ReadAhead::work() {
    for (;;) {
        std::size_t index = 0;
        {
            std::unique_lock lock(mutex_);
            // Never run further ahead than the window: readings hold decoded images.
            changed_.wait(lock, [this] {
                return stopping_ || nextToRead_ >= files_.size() ||
                       nextToRead_ < consumed_ + window_;
            });
            if (stopping_ || nextToRead_ >= files_.size()) {
                return;
            }
            index = nextToRead_++;
        }
        const auto start = std::chrono::steady_clock::now();
        Taken taken{reader_(files_[index]), {}};
        taken.readTime = std::chrono::steady_clock::now() - start;
        {
            std::lock_guard lock(mutex_);
            done_[index] = std::move(taken);
        }
        changed_.notify_all();
    }
}

ReadAhead::Taken ReadAhead::take(std::size_t index) {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return done_[index].has_value(); });
    Taken taken = std::move(*done_[index]);
    done_[index].reset();
    consumed_ = index + 1;
    lock.unlock();
    changed_.notify_all();
    return taken;
}

} // namespace cli
