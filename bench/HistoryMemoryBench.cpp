// Resident memory of a real --watch process that loaded a big history, idle after its start.
// Usage: quillmark-history-memory-bench [RECORDS [EXECUTABLE]] (another build's program can be
// measured in the same run).
#include "app/WatchProcess.h"
#include "files/HistoryCodec.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <thread>

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

long residentKiB(qint64 pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string key;
    long value = 0;
    while (status >> key) {
        if (key == "VmRSS:" && status >> value) {
            return value;
        }
    }
    return 0;
}

// The resident size once it has held still for a second (at most fifteen seconds).
long settledKiB(qint64 pid) {
    long last = residentKiB(pid);
    int steady = 0;
    for (int i = 0; i < 150 && steady < 10; ++i) {
        std::this_thread::sleep_for(100ms);
        const long now = residentKiB(pid);
        steady = now == last ? steady + 1 : 0;
        last = now;
    }
    return last;
}

// Every record's file exists, so that the start prunes nothing and keeps them all, unless
// `pruned`: then the files of the undone records (one in seven) are gone and the start saves.
bool writeHistory(const fs::path& dataHome, const fs::path& folder, int count, bool pruned) {
    fs::create_directories(dataHome / "Quillmark");
    fs::create_directories(folder);
    std::vector<engine::RenameRecord> records;
    records.reserve(static_cast<std::size_t>(count));
    const auto now = std::chrono::system_clock::now();
    for (int i = 0; i < count; ++i) {
        const std::string n = std::to_string(i);
        records.push_back({engine::RenameRecord::makeId(), folder.string(),
                           "Screenshot From 2026-03-14 09-41-22 " + n + ".png",
                           "Flight to Lisbon Booking " + n + ".png", "Flight to Lisbon Booking",
                           engine::Namer::Source::heuristic, now - std::chrono::minutes(i),
                           i % 7 == 0});
        if (!pruned || !records.back().undone) {
            std::ofstream(records.back().presentPath());
        }
    }
    const auto json = engine::HistoryCodec::encode(records);
    std::ofstream(dataHome / "Quillmark" / "history.json", std::ios::binary) << json.value_or("");
    return json.has_value();
}

} // namespace

int measure(const QString& executable, int count, bool pruned) {
    QTemporaryDir scratch;
    const fs::path root = scratch.path().toStdString();
    const fs::path home = root / "home";
    fs::create_directories(home / "Pictures" / "Screenshots");
    if (!writeHistory(home / ".local" / "share", root / "named", count, pruned)) {
        std::fprintf(stderr, "cannot write the history\n");
        return 1;
    }
    watch_process::ClosedPort modelPort;
    QProcess process;
    process.setProcessEnvironment(
        watch_process::isolatedEnvironment(home, home / ".config", std::nullopt, modelPort.url()));
    process.setReadChannel(QProcess::StandardError);
    process.start(executable, {QStringLiteral("--watch")});
    std::string errors;
    while (errors.find('\n') == std::string::npos && process.waitForReadyRead(60000)) {
        errors += process.readAllStandardError().toStdString();
    }
    if (errors.find("quillmark: watching") == std::string::npos) {
        std::fprintf(stderr, "quillmark --watch did not start: %s\n", errors.c_str());
        return 1;
    }
    const long kib = settledKiB(process.processId());
    std::printf("--watch idle with %d records loaded%s: VmRSS %.1f MiB (goal at most 75 MiB)\n",
                count, pruned ? ", a seventh of them pruned and saved" : "",
                static_cast<double>(kib) / 1024.0);
    process.terminate();
    process.waitForFinished(5000);
    return 0;
}

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    const int count = argc > 1 ? std::stoi(argv[1]) : 50000;
    const QString executable =
        argc > 2 ? QString::fromLocal8Bit(argv[2]) : QStringLiteral(QUILLMARK_EXECUTABLE);
    for (const bool pruned : {false, true}) {
        if (measure(executable, count, pruned) != 0) {
            return 1;
        }
    }
    return 0;
}
