// Measures the synchronous history save and the folder watcher's reaction time.
#include "FolderWatcher.h"
#include "Summary.h"
#include "files/HistoryCodec.h"
#include "files/HistoryStore.h"

#include <QCoreApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

double millisSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

std::vector<engine::RenameRecord> makeHistory(std::size_t count) {
    std::vector<engine::RenameRecord> records;
    auto now = std::chrono::system_clock::now();
    for (std::size_t i = 0; i < count; ++i) {
        std::string n = std::to_string(i);
        records.push_back({engine::RenameRecord::makeId(), "/home/someone/Pictures/Screenshots",
                           "Screenshot From 2026-03-14 09-41-" + n + ".png",
                           "Flight to Lisbon Booking " + n + ".png", "Flight to Lisbon Booking",
                           engine::Namer::Source::vision, now - std::chrono::minutes(i),
                           i % 7 == 0});
    }
    return records;
}

Summary benchSave(const fs::path& dataHome, int runs) {
    engine::HistoryStore store("Quillmark", dataHome);
    auto records = makeHistory(engine::HistoryStore::limit);
    store.save(records); // first write creates the file
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        auto start = Clock::now();
        store.save(records);
        times.push_back(millisSince(start));
    }
    std::printf("history file: %ju bytes\n",
                static_cast<std::uintmax_t>(fs::file_size(store.fileURL())));
    return Summary::of(times);
}

// The encoding alone, to tell it apart from the disk flushes of a save.
Summary benchEncode(int runs) {
    auto records = makeHistory(engine::HistoryStore::limit);
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        auto start = Clock::now();
        auto json = engine::HistoryCodec::encode(records);
        times.push_back(millisSince(start));
    }
    return Summary::of(times);
}

Summary benchWatcher(const fs::path& folder, int files) {
    bool seen = false;
    Clock::time_point reported;
    app::FolderWatcher watcher(folder, [&](const fs::path&) {
        reported = Clock::now();
        seen = true;
    });
    if (!watcher.start()) {
        std::fprintf(stderr, "cannot watch %s\n", folder.c_str());
        std::exit(1);
    }
    std::vector<double> times;
    for (int i = 0; i < files; ++i) {
        seen = false;
        auto created = Clock::now();
        int fd = ::open((folder / ("shot-" + std::to_string(i) + ".png")).c_str(),
                        O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
        ::close(fd);
        while (!seen) {
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        }
        times.push_back(std::chrono::duration<double, std::milli>(reported - created).count());
    }
    return Summary::of(times);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    // An optional folder to measure on, since the save cost depends on the file system.
    fs::path base = argc > 1 ? fs::path(argv[1]) : fs::temp_directory_path();
    std::string pattern = (base / "quillmark-history-bench-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        std::perror("mkdtemp");
        return 1;
    }
    fs::path scratch = pattern;

    Summary save = benchSave(scratch / "data", 31);
    std::printf("save 500-record history: median %.2f ms (min %.2f, max %.2f, 31 runs)\n",
                save.median, save.low, save.high);
    Summary encode = benchEncode(31);
    std::printf("encode 500-record history: median %.2f ms (min %.2f, max %.2f, 31 runs)\n",
                encode.median, encode.low, encode.high);
    fs::create_directory(scratch / "watched");
    Summary watch = benchWatcher(scratch / "watched", 51);
    std::printf(
        "file creation to watcher callback: median %.3f ms (min %.3f, max %.3f, 51 files)\n",
        watch.median, watch.low, watch.high);

    std::error_code ignored;
    fs::remove_all(scratch, ignored);
    return 0;
}
