#include "rules/FileRules.h"

#include <benchmark/benchmark.h>

#include <array>
#include <string_view>

namespace {

// Vague and good names in the proportions a mixed folder has; most good names run every
// pattern and the random-identifier scan before they are let go.
constexpr std::array<std::string_view, 24> names = {
    "Screenshot From 2026-03-14 09-41-22",
    "Screenshot 2026-03-14 at 09.41.22",
    "Bildschirmfoto vom 2026-03-14 09-41-22",
    "Screenshot_20260314_094122",
    "IMG_4471",
    "image (2)",
    "Untitled-3 (1)",
    "a8f3k2j9d0x7",
    "Xk9LmQ2pRt",
    "3f2504e0-4f89-11d3-9a0c-0305e82c3301",
    "2026-03-14_09-41",
    "Selection_001",
    "Quarterly report",
    "dentist-appointment",
    "Flight to Lisbon Booking",
    "Report 2026-03-14",
    "holiday2024pics",
    "Kitchen floor plan v2",
    "Rechnung März 2026",
    "会議メモ 第3回",
    "Team offsite agenda final",
    "Invoice ACME-2291",
    "Moodboard colours",
    "Passport scan back side",
};

void isVagueNamePerName(benchmark::State& state) {
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(engine::FileRules::isVagueName(names[i]));
        i = (i + 1) % names.size();
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()));
}
BENCHMARK(isVagueNamePerName)->Unit(benchmark::kMicrosecond);

void isVagueNameGoodNamesOnly(benchmark::State& state) {
    constexpr std::size_t firstGood = 12;
    std::size_t i = firstGood;
    for (auto _ : state) {
        benchmark::DoNotOptimize(engine::FileRules::isVagueName(names[i]));
        i = i + 1 == names.size() ? firstGood : i + 1;
    }
}
BENCHMARK(isVagueNameGoodNamesOnly)->Unit(benchmark::kMicrosecond);

} // namespace
