// Recomputing every transition is what each edit of a green set, a time or a
// direction costs, so it has to stay well below what a user can notice.

#include "LargeProject.h"
#include "model/Project.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace tralcon {
namespace {

using bench::BuildLargeProject;
using bench::Catalogue;

void BM_RecalcTransitions(benchmark::State& state) {
    auto config = Catalogue();
    TProject p(*config);
    BuildLargeProject(p);
    if (p.TrendGroupList().Count() != 40 || p.PhaseCount() != 12) {
        state.SkipWithError("the project is not the intended size");
        return;
    }
    int steps = 0;
    for (auto _ : state) {
        p.RecalcTransitions();
        benchmark::DoNotOptimize(steps = p.PhaseAt(0)->StepCount());
    }
    state.counters["signals"] = p.TrendCount();
    state.counters["steps_phase1"] = steps;
}
BENCHMARK(BM_RecalcTransitions)->Unit(benchmark::kMicrosecond);

// A user's edit: one time changes, every transition is recomputed.
void BM_SetTimeRecomputes(benchmark::State& state) {
    auto config = Catalogue();
    TProject p(*config);
    BuildLargeProject(p);
    TTrend* s = p.TrendAt(0);
    std::uint8_t v = 0;
    for (auto _ : state)
        s->SetTime(11, ++v); // a state outside the chains, so every call changes it
}
BENCHMARK(BM_SetTimeRecomputes)->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace tralcon
