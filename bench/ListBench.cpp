#include "BenchFolder.h"
#include "rules/FileRules.h"

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>

extern char** environ;

namespace {

constexpr std::size_t fileCount = 10000;

const bench::BenchFolder& folder() {
    static const bench::BenchFolder generated(bench::BenchFolder::realisticNames(fileCount));
    return generated;
}

void listCandidates10000(benchmark::State& state) {
    const auto& path = folder().path();
    std::size_t found = 0;
    for (auto _ : state) {
        const auto listing = engine::FileRules::listCandidates(path, false);
        found = listing.files.size();
        benchmark::DoNotOptimize(found);
    }
    state.counters["candidates"] = static_cast<double>(found);
}
BENCHMARK(listCandidates10000)->Unit(benchmark::kMillisecond);

// The whole `quillmark --list` process, output thrown away: start-up, listing, printing.
void listProcess10000(benchmark::State& state) {
    const std::string folderPath = folder().path().string();
    for (auto _ : state) {
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
        char program[] = QUILLMARK_EXECUTABLE;
        char list[] = "--list";
        std::string operand = folderPath;
        char* argv[] = {program, list, operand.data(), nullptr};
        const auto start = std::chrono::steady_clock::now();
        pid_t pid = 0;
        int status = 0;
        const bool ran = posix_spawn(&pid, program, &actions, nullptr, argv, environ) == 0 &&
                         waitpid(pid, &status, 0) == pid;
        const auto elapsed = std::chrono::steady_clock::now() - start;
        posix_spawn_file_actions_destroy(&actions);
        if (!ran || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            state.SkipWithError("quillmark --list did not run");
            break;
        }
        state.SetIterationTime(std::chrono::duration<double>(elapsed).count());
    }
}
BENCHMARK(listProcess10000)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace
