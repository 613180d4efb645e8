// The application model's figures: arrival to enqueue, history saves through the model, and the
// memory of a real --watch process idle and after naming twenty screenshots.
// libvips before Qt: glib's headers use the word Qt defines as a macro.
#include "Summary.h"
#include "TextScreenshot.h"
#include "engine/ReadingTestImages.h"

#include "AppModel.h"
#include "app/WatchProcess.h"
#include "files/HistoryStore.h"
#include "reading/VipsRuntime.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <random>
#include <thread>

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

namespace {

double millisBetween(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double, std::milli>(to - from).count();
}

std::string screenshotName(int second) {
    char name[64];
    std::snprintf(name, sizeof name, "Screenshot From 2026-03-14 09-41-%02d.png", second);
    return name;
}

// Names nothing: only the arrival is measured.
class SilentNamer : public app::NamingService {
public:
    engine::Namer::Engine engine() const override {
        return {engine::Namer::Engine::Kind::textOnly, {}};
    }
    std::optional<engine::Namer::Result>
    suggestName(const fs::path&, const std::vector<engine::Correction>&) const override {
        return std::nullopt;
    }
    void warmUp() const override {}
};

app::AppServices modelServices(const fs::path& root, const fs::path& screenshots) {
    const fs::path settings = root / "Quillmark.conf";
    std::ofstream(settings) << "[General]\nscreenshotFolder=" << screenshots.string() << "\n";
    app::AppServices services;
    services.settingsFile = QString::fromStdString(settings.string());
    services.dataFolder = root / "data";
    services.homeFolder = root;
    services.autostartFolder = root / "autostart";
    services.executablePath = QString::fromStdString((root / "quillmark").string());
    services.namer = std::make_shared<SilentNamer>();
    services.pause = 1ms;
    return services;
}

Summary benchArrival(const fs::path& root, int files) {
    const fs::path screenshots = root / "Screenshots";
    fs::create_directories(screenshots);
    fs::create_directories(root / "staging");
    app::AppModel model(modelServices(root, screenshots));
    std::optional<Clock::time_point> enqueued;
    bool idle = false;
    QObject::connect(&model, &app::AppModel::queuedChanged, [&] {
        if (model.queued() > 0 && !enqueued) {
            enqueued = Clock::now();
        }
    });
    QObject::connect(&model, &app::AppModel::idle, [&] { idle = true; });

    std::vector<double> times;
    for (int i = 0; i < files; ++i) {
        const fs::path staged = root / "staging" / "shot.png";
        std::ofstream(staged) << "not read";
        enqueued.reset();
        idle = false;
        const auto appeared = Clock::now();
        fs::rename(staged, screenshots / screenshotName(i));
        while (!idle) {
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        }
        if (enqueued) {
            times.push_back(millisBetween(appeared, *enqueued));
        }
    }
    if (times.size() != static_cast<std::size_t>(files)) {
        std::fprintf(stderr, "only %zu of %d files were enqueued\n", times.size(), files);
    }
    return Summary::of(times);
}

std::vector<engine::RenameRecord> fullHistory(const fs::path& folder) {
    std::vector<engine::RenameRecord> records;
    const auto now = std::chrono::system_clock::now();
    for (std::size_t i = 0; i < engine::HistoryStore::limit; ++i) {
        const std::string n = std::to_string(i);
        records.push_back({engine::RenameRecord::makeId(), folder.string(), "IMG_" + n + ".png",
                           "Flight to Lisbon Booking " + n + ".png", "Flight to Lisbon Booking",
                           engine::Namer::Source::heuristic, now - std::chrono::minutes(i), false});
        std::ofstream(folder / records.back().currentName) << "x";
    }
    return records;
}

// Each undo renames one file back and saves the whole 500-record history.
Summary benchModelSave(const fs::path& root, int runs) {
    const fs::path folder = root / "named";
    fs::create_directories(folder);
    const auto records = fullHistory(folder);
    engine::HistoryStore("Quillmark", root / "data").save(records);
    app::AppModel model(modelServices(root, folder));
    if (model.history().size() != records.size()) {
        std::fprintf(stderr, "the model loaded %zu records\n", model.history().size());
    }
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const auto start = Clock::now();
        model.undo(model.history()[static_cast<std::size_t>(i)]);
        times.push_back(millisBetween(start, Clock::now()));
    }
    return Summary::of(times);
}

Summary benchStoreSave(const fs::path& root, int runs) {
    const fs::path folder = root / "store";
    fs::create_directories(folder);
    const auto records = fullHistory(folder);
    engine::HistoryStore store("Quillmark", root / "store-data");
    store.save(records);
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const auto start = Clock::now();
        store.save(records);
        times.push_back(millisBetween(start, Clock::now()));
    }
    return Summary::of(times);
}

// ---- the real process

struct Memory {
    long residentKiB = 0;
    long peakKiB = 0;
};

Memory memoryOf(qint64 pid) {
    Memory memory;
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string key;
    long value = 0;
    while (status >> key) {
        if (key == "VmRSS:" && status >> value) {
            memory.residentKiB = value;
        } else if (key == "VmHWM:" && status >> value) {
            memory.peakKiB = value;
        }
    }
    return memory;
}

// Waits until the resident size holds still for half a second, at most five seconds.
Memory settledMemory(qint64 pid) {
    Memory last = memoryOf(pid);
    int steady = 0;
    for (int i = 0; i < 50 && steady < 5; ++i) {
        std::this_thread::sleep_for(100ms);
        const Memory now = memoryOf(pid);
        steady = now.residentKiB == last.residentKiB ? steady + 1 : 0;
        last = now;
    }
    return last;
}

double mib(long kib) {
    return static_cast<double>(kib) / 1024.0;
}

int benchProcess(const fs::path& root, int files) {
    const fs::path home = root / "home";
    const fs::path screenshots = home / "Pictures" / "Screenshots";
    fs::create_directories(screenshots);
    fs::create_directories(root / "staging");
    std::vector<fs::path> staged;
    for (int i = 0; i < files; ++i) {
        staged.push_back(root / "staging" / ("shot-" + std::to_string(i) + ".png"));
        if (!text_screenshot::save(
                staged.back(), text_screenshot::headings[i % std::size(text_screenshot::headings)],
                static_cast<unsigned>(i))) {
            std::fprintf(stderr, "cannot write %s\n", staged.back().c_str());
            return 1;
        }
    }

    watch_process::ClosedPort modelPort;
    watch_process::WatchProcess watch(
        watch_process::isolatedEnvironment(home, home / ".config", std::nullopt, modelPort.url()));
    const auto ready = watch.errorLine(10s);
    if (!ready || !ready->starts_with("quillmark: watching")) {
        std::fprintf(stderr, "quillmark --watch did not start\n");
        return 1;
    }
    const Memory idle = settledMemory(watch.pid());
    std::printf("--watch idle after start: VmRSS %.1f MiB, VmHWM %.1f MiB (goal at most 60 MB)\n",
                mib(idle.residentKiB), mib(idle.peakKiB));

    const auto start = Clock::now();
    for (int i = 0; i < files; ++i) {
        fs::rename(staged[static_cast<std::size_t>(i)], screenshots / screenshotName(i));
    }
    int named = 0;
    while (named < files) {
        const auto line = watch.outputLine(60s);
        if (!line) {
            std::fprintf(stderr, "only %d of %d files were named\n", named, files);
            return 1;
        }
        if (line->find(" -> ") != std::string::npos) {
            ++named;
        } else {
            std::fprintf(stderr, "message: %s\n", line->c_str());
        }
    }
    const double seconds = millisBetween(start, Clock::now()) / 1000.0;
    const Memory after = memoryOf(watch.pid());
    std::printf("--watch after naming %d screenshots (%.1f s, %.2f s each with the 0.6 s pause): "
                "VmRSS %.1f MiB, VmHWM %.1f MiB (goal at most 300 MB)\n",
                files, seconds, seconds / files, mib(after.residentKiB), mib(after.peakKiB));
    if (watch.stop(SIGTERM, 5s) != 0) {
        std::fprintf(stderr, "quillmark --watch did not stop cleanly\n");
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    if (!engine::VipsRuntime::ensureStarted()) {
        std::fprintf(stderr, "libvips did not start\n");
        return 1;
    }
    QTemporaryDir scratch;
    const fs::path root = scratch.path().toStdString();

    const Summary arrival = benchArrival(root / "arrival", 50);
    std::printf("file appearance to enqueue: median %.2f ms (min %.2f, max %.2f, 50 files; goal at "
                "most 50 ms)\n",
                arrival.median, arrival.low, arrival.high);
    const Summary modelSave = benchModelSave(root / "model", 21);
    std::printf(
        "undo with a 500-record history save: median %.2f ms (min %.2f, max %.2f, 21 runs)\n",
        modelSave.median, modelSave.low, modelSave.high);
    const Summary storeSave = benchStoreSave(root / "store", 21);
    std::printf("HistoryStore save of 500 records: median %.2f ms (min %.2f, max %.2f, 21 runs)\n",
                storeSave.median, storeSave.low, storeSave.high);
    std::fflush(stdout);
    return benchProcess(root / "process", 20);
}
