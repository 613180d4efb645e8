#include "reading/ParallelLineReader.h"

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>

namespace engine {

namespace {

// One page's work, shared by the caller and the helper: positions in reading order are handed
// out one at a time; a result per position, absent until recognised.
struct Job {
    const TesseractRecognizer& page;
    const std::vector<std::size_t>& order;
    std::optional<std::size_t> maxLines;

    std::mutex mutex;
    std::condition_variable changed;
    std::size_t next = 0;
    bool stop = false;
    std::vector<std::optional<std::optional<TextLine>>> results;
    bool helperStarted = false;
    bool helperDone = false;
    bool abandoned = false;

    Job(const TesseractRecognizer& p, const std::vector<std::size_t>& o,
        std::optional<std::size_t> m)
        : page(p), order(o), maxLines(m), results(o.size()) {}

    bool take(std::size_t& position) {
        std::lock_guard lock(mutex);
        if (stop || next >= order.size()) {
            return false;
        }
        position = next++;
        return true;
    }

    void put(std::size_t position, std::optional<TextLine> line) {
        std::lock_guard lock(mutex);
        results[position] = std::move(line);
        if (!maxLines) {
            return;
        }
        // Enough lines once the unbroken run of finished positions holds them.
        std::size_t found = 0;
        for (std::size_t p = 0; p < results.size() && results[p].has_value(); ++p) {
            if (*results[p] && ++found >= *maxLines) {
                stop = true;
                return;
            }
        }
    }

    void work() {
        std::size_t position = 0;
        while (take(position)) {
            put(position, page.recognizeLine(order[position]));
        }
    }
};

// A process-wide thread that joins pages being read. Jobs it has not started when their caller
// is done are dropped, so a busy helper never holds a caller up.
class Helper {
public:
    static Helper& shared() {
        static Helper helper;
        return helper;
    }

    void offer(std::shared_ptr<Job> job) {
        {
            std::lock_guard lock(mutex_);
            jobs_.push_back(std::move(job));
        }
        wake_.notify_one();
    }

    ~Helper() {
        {
            std::lock_guard lock(mutex_);
            quitting_ = true;
        }
        wake_.notify_one();
        if (thread_.joinable()) {
            thread_.join();
        }
    }

private:
    Helper() : thread_([this] { run(); }) {}

    void run() {
        for (;;) {
            std::shared_ptr<Job> job;
            {
                std::unique_lock lock(mutex_);
                wake_.wait(lock, [this] { return quitting_ || !jobs_.empty(); });
                if (quitting_) {
                    return;
                }
                job = std::move(jobs_.front());
                jobs_.pop_front();
            }
            {
                std::lock_guard lock(job->mutex);
                if (job->abandoned) {
                    continue;
                }
                job->helperStarted = true;
            }
            job->work();
            {
                std::lock_guard lock(job->mutex);
                job->helperDone = true;
            }
            job->changed.notify_all();
        }
    }

    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::shared_ptr<Job>> jobs_;
    bool quitting_ = false;
    std::thread thread_;
};

thread_local bool helperAllowed = true;

bool helperPays(const std::vector<std::size_t>& order) {
    static const bool severalCores = std::thread::hardware_concurrency() > 1;
    return helperAllowed && severalCores && order.size() > 1;
}

} // namespace

void ParallelLineReader::setHelperAllowedOnThisThread(bool allowed) {
    helperAllowed = allowed;
}

std::vector<TextLine> ParallelLineReader::read(const TesseractRecognizer& page,
                                               const std::vector<std::size_t>& order,
                                               std::optional<std::size_t> maxLines) {
    auto job = std::make_shared<Job>(page, order, maxLines);
    if (helperPays(order)) {
        Helper::shared().offer(job);
    }
    job->work();
    {
        // The helper reads `page`, which lives in the caller's frame: wait for it to let go.
        std::unique_lock lock(job->mutex);
        if (!job->helperStarted) {
            job->abandoned = true;
        } else {
            job->changed.wait(lock, [&] { return job->helperDone; });
        }
    }
    std::vector<TextLine> lines;
    for (auto& result : job->results) {
        if (maxLines && lines.size() >= *maxLines) {
            break;
        }
        if (result && *result) {
            lines.push_back(std::move(**result));
        }
    }
    return lines;
}

} // namespace engine
