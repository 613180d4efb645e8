// The naming pipeline of a real `quillmark --watch`, for one or more builds of the program in
// the same run (argument: the executables; default this build's):
//  - a burst of complete screenshots moved into the watched folder, time to the last rename
//    per file, against one-thread `tesseract FILE -` on the same files;
//  - the same with a scripted model server that answers after a fixed time, and how often
//    the model's state was asked;
//  - CPU of the main thread per change event in a folder of many files.
// libvips before Qt: glib's headers use the word Qt defines as a macro.
#include "TextScreenshot.h"

#include "ScriptedModelServer.h"
#include "app/WatchProcess.h"

#include <QCoreApplication>
#include <QProcess>
#include <QTemporaryDir>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>
#include <utime.h>
#include <vips/vips.h>

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;
using testsupport::ScriptedModelServer;

namespace {

double secondsSince(Clock::time_point start, Clock::time_point end = Clock::now()) {
    return std::chrono::duration<double>(end - start).count();
}

std::string screenshotName(int i) {
    char name[64];
    std::snprintf(name, sizeof name, "Screenshot From 2026-03-14 %02d-%02d-%02d.png", 9 + i / 3600,
                  i / 60 % 60, i % 60);
    return name;
}

// User and system CPU seconds of a process, all its threads.
double processCpu(qint64 pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), {});
    const auto close = text.rfind(')');
    if (close == std::string::npos) {
        return 0;
    }
    std::istringstream fields(text.substr(close + 2));
    std::string field;
    double ticks = 0;
    for (int i = 3; fields >> field && i <= 15; ++i) {
        if (i == 14 || i == 15) {
            ticks += std::stod(field);
        }
    }
    return ticks / static_cast<double>(::sysconf(_SC_CLK_TCK));
}

// Nanoseconds the main thread has run, precise where the tick counts are not.
double mainThreadCpuMs(qint64 pid) {
    std::ifstream schedstat("/proc/" + std::to_string(pid) + "/task/" + std::to_string(pid) +
                            "/schedstat");
    double ns = 0;
    schedstat >> ns;
    return ns / 1e6;
}

double childrenCpu() {
    rusage usage{};
    ::getrusage(RUSAGE_CHILDREN, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

void backdate(const fs::path& file, std::chrono::seconds age) {
    const auto then = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now() - age);
    utimbuf times{then, then};
    ::utime(file.c_str(), &times);
}

struct Home {
    fs::path home;
    fs::path screenshots;
};

Home makeHome(const fs::path& root) {
    Home made{root / "home", root / "home" / "Pictures" / "Screenshots"};
    fs::create_directories(made.screenshots);
    return made;
}

std::unique_ptr<watch_process::WatchProcess> startWatch(const Home& home, const std::string& exe,
                                                        const std::string& modelEndpoint) {
    auto watch = std::make_unique<watch_process::WatchProcess>(
        watch_process::isolatedEnvironment(home.home, home.home / ".config", std::nullopt,
                                           modelEndpoint),
        QString::fromStdString(exe));
    const auto ready = watch->errorLine(20s);
    if (!ready || !ready->starts_with("quillmark: watching")) {
        std::fprintf(stderr, "%s --watch did not start\n", exe.c_str());
        return nullptr;
    }
    return watch;
}

std::size_t historyRecords(const Home& home) {
    std::ifstream in(home.home / ".local" / "share" / "Quillmark" / "history.json");
    const auto json = nlohmann::json::parse(in, nullptr, false);
    return json.is_array() ? json.size() : 0;
}

struct Burst {
    int named = 0;
    double seconds = 0;
    double cpu = 0;
    std::size_t records = 0;
};

// Moves copies of the files into the watched folder at once and waits for every rename.
std::optional<Burst> runBurst(watch_process::WatchProcess& watch, const Home& home,
                              const std::vector<fs::path>& files, const fs::path& staging) {
    fs::create_directories(staging);
    std::vector<fs::path> copies;
    for (std::size_t i = 0; i < files.size(); ++i) {
        copies.push_back(staging / files[i].filename());
        fs::copy_file(files[i], copies.back(), fs::copy_options::overwrite_existing);
        backdate(copies.back(), 5min); // complete for minutes, as the pictures were
    }
    const double cpuBefore = processCpu(watch.pid());
    const auto start = Clock::now();
    for (std::size_t i = 0; i < copies.size(); ++i) {
        fs::rename(copies[i], home.screenshots / screenshotName(static_cast<int>(i)));
    }
    Burst burst;
    auto last = start;
    while (burst.named < static_cast<int>(files.size())) {
        const auto line = watch.outputLine(120s);
        if (!line) {
            std::fprintf(stderr, "only %d of %zu files were named\n", burst.named, files.size());
            return std::nullopt;
        }
        if (line->find(" -> ") != std::string::npos) {
            ++burst.named;
            last = Clock::now();
        }
    }
    burst.seconds = secondsSince(start, last);
    burst.cpu = processCpu(watch.pid()) - cpuBefore;
    burst.records = historyRecords(home);
    return burst;
}

struct Tesseract {
    double seconds = 0;
    double cpu = 0;
};

Tesseract tesseractOn(const std::vector<fs::path>& files) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("OMP_THREAD_LIMIT", "1");
    const double cpuBefore = childrenCpu();
    const auto start = Clock::now();
    for (const auto& file : files) {
        QProcess tesseract;
        tesseract.setProcessEnvironment(environment);
        tesseract.start("tesseract", {QString::fromStdString(file.string()), "-"});
        tesseract.waitForFinished(-1);
    }
    return {secondsSince(start) / static_cast<double>(files.size()),
            (childrenCpu() - cpuBefore) / static_cast<double>(files.size())};
}

int benchBurst(const fs::path& root, const std::vector<std::string>& exes,
               const std::vector<fs::path>& files) {
    const Tesseract tesseract = tesseractOn(files);
    std::printf("tesseract FILE - (one thread), %zu files: %.3f s a file (%.3f s CPU)\n",
                files.size(), tesseract.seconds, tesseract.cpu);
    for (std::size_t e = 0; e < exes.size(); ++e) {
        const Home home = makeHome(root / ("burst-" + std::to_string(e)));
        watch_process::ClosedPort noModel;
        auto watch = startWatch(home, exes[e], noModel.url());
        if (!watch) {
            return 1;
        }
        const auto burst = runBurst(*watch, home, files, root / ("staging-" + std::to_string(e)));
        watch->stop(SIGTERM, 5s);
        if (!burst) {
            return 1;
        }
        const double perFile = burst->seconds / static_cast<double>(files.size());
        const double cpuPerFile = burst->cpu / static_cast<double>(files.size());
        std::printf("%s: burst of %zu, no model: %d named, %zu records, %.3f s a file = %.2fx "
                    "tesseract (CPU %.3f s a file = %.2fx)\n",
                    exes[e].c_str(), files.size(), burst->named, burst->records, perFile,
                    perFile / tesseract.seconds, cpuPerFile, cpuPerFile / tesseract.cpu);
        std::fflush(stdout);
    }
    return 0;
}

// Waits until the server has had no request for `quiet`: the program's start-up checks and
// its warm-up are over.
void waitForQuiet(const ScriptedModelServer& server, std::chrono::milliseconds quiet) {
    std::size_t seen = server.requests().size();
    auto since = Clock::now();
    while (Clock::now() - since < quiet) {
        std::this_thread::sleep_for(100ms);
        if (const std::size_t now = server.requests().size(); now != seen) {
            seen = now;
            since = Clock::now();
        }
    }
}

int benchModel(const fs::path& root, const std::vector<std::string>& exes,
               const std::vector<fs::path>& files, std::chrono::milliseconds answerTime) {
    for (std::size_t e = 0; e < exes.size(); ++e) {
        ScriptedModelServer server(ScriptedModelServer::Protocol::ollama, {{"bench-vision", true}});
        server.setDefaultReply(
            ScriptedModelServer::Reply::answer("Scripted Name").after(answerTime));
        const Home home = makeHome(root / ("model-" + std::to_string(e)));
        auto watch = startWatch(home, exes[e], server.endpoint());
        if (!watch) {
            return 1;
        }
        waitForQuiet(server, answerTime + 1500ms);
        const std::size_t tags = server.requestsTo("/api/tags").size();
        const std::size_t shows = server.requestsTo("/api/show").size();
        const auto burst =
            runBurst(*watch, home, files, root / ("model-staging-" + std::to_string(e)));
        watch->stop(SIGTERM, 5s);
        if (!burst) {
            return 1;
        }
        std::printf("%s: %zu files, model answering in %.1f s: %.3f s a file, %zu records; "
                    "status checks in the batch: %zu /api/tags, %zu /api/show\n",
                    exes[e].c_str(), files.size(), answerTime.count() / 1000.0,
                    burst->seconds / static_cast<double>(files.size()), burst->records,
                    server.requestsTo("/api/tags").size() - tags,
                    server.requestsTo("/api/show").size() - shows);
        std::fflush(stdout);
    }
    return 0;
}

int benchChanges(const fs::path& root, const std::vector<std::string>& exes, int folderFiles,
                 int changes) {
    for (std::size_t e = 0; e < exes.size(); ++e) {
        const Home home = makeHome(root / ("changes-" + std::to_string(e)));
        for (int i = 0; i < folderFiles; ++i) {
            char name[32];
            std::snprintf(name, sizeof name, "note-%06d.txt", i);
            ::close(
                ::open((home.screenshots / name).c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644));
        }
        const fs::path staging = root / ("changes-staging-" + std::to_string(e));
        fs::create_directories(staging);
        watch_process::ClosedPort noModel;
        auto watch = startWatch(home, exes[e], noModel.url());
        if (!watch) {
            return 1;
        }
        std::this_thread::sleep_for(1s);
        // Each change alone, as they come in use: far enough apart that none is merged.
        const auto gap = 150ms;
        const double idleStart = mainThreadCpuMs(watch->pid());
        std::this_thread::sleep_for(gap * changes);
        const double idle = mainThreadCpuMs(watch->pid()) - idleStart;
        const double start = mainThreadCpuMs(watch->pid());
        for (int i = 0; i < changes; ++i) {
            const fs::path staged = staging / ("change-" + std::to_string(i) + ".txt");
            std::ofstream(staged) << "x";
            fs::rename(staged, home.screenshots / staged.filename()); // one entry event
            std::this_thread::sleep_for(gap);
        }
        const double busy = mainThreadCpuMs(watch->pid()) - start;
        watch->stop(SIGTERM, 5s);
        std::printf("%s: %d files in the folder, %d changes: %.3f ms main-thread CPU per change "
                    "event (%.1f ms idle over the same time subtracted)\n",
                    exes[e].c_str(), folderFiles, changes, (busy - idle) / changes, idle);
        std::fflush(stdout);
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    if (VIPS_INIT(argv[0]) != 0) {
        std::fprintf(stderr, "libvips did not start\n");
        return 1;
    }
    int burstFiles = 100;
    int modelFiles = 20;
    int folderFiles = 50000;
    int changes = 40;
    std::vector<std::string> exes;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--burst" && i + 1 < argc) {
            burstFiles = std::atoi(argv[++i]);
        } else if (arg == "--model" && i + 1 < argc) {
            modelFiles = std::atoi(argv[++i]);
        } else if (arg == "--folder" && i + 1 < argc) {
            folderFiles = std::atoi(argv[++i]);
        } else {
            exes.push_back(arg);
        }
    }
    if (exes.empty()) {
        exes.emplace_back(QUILLMARK_EXECUTABLE);
    }
    QTemporaryDir scratch;
    const fs::path root = scratch.path().toStdString();
    fs::create_directories(root / "shots");
    std::vector<fs::path> files;
    for (int i = 0; i < std::max(burstFiles, modelFiles); ++i) {
        files.push_back(root / "shots" / ("shot-" + std::to_string(i) + ".png"));
        if (!text_screenshot::save(files.back(),
                                   text_screenshot::headings[static_cast<std::size_t>(i) %
                                                             std::size(text_screenshot::headings)],
                                   static_cast<unsigned>(i))) {
            std::fprintf(stderr, "cannot write %s\n", files.back().c_str());
            return 1;
        }
    }
    const std::vector<fs::path> burst(files.begin(), files.begin() + burstFiles);
    const std::vector<fs::path> model(files.begin(), files.begin() + modelFiles);
    if (burstFiles > 0 && benchBurst(root, exes, burst) != 0) {
        return 1;
    }
    if (modelFiles > 0 && benchModel(root, exes, model, 2000ms) != 0) {
        return 1;
    }
    if (folderFiles > 0 && benchChanges(root, exes, folderFiles, changes) != 0) {
        return 1;
    }
    return 0;
}
