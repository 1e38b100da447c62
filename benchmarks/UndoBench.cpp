// One undo step on the large project: the snapshot taken after a change
// (the project file written to memory) and the snapshot put back (read into
// a fresh project). Counter: the bytes a step keeps (before and after).

#include "LargeProject.h"
#include "persistence/ProjExp.h"

#include <benchmark/benchmark.h>

namespace tralcon {
namespace {

void BM_UndoStep(benchmark::State& state) {
    auto config = bench::Catalogue();
    TProject p(*config);
    bench::BuildLargeProject(p);
    TSchemeDocument scheme;
    scheme.RowsInserted(0, p.TrendCount());
    std::size_t bytes = 0;
    for (auto _ : state) {
        const auto snapshot = SaveProjectToBytes(p, scheme);
        TLoadedProject back =
            LoadProjectFromBytes(snapshot.data(), snapshot.size(), *config, "undo");
        bytes = snapshot.size();
        benchmark::DoNotOptimize(back.Project.get());
    }
    state.counters["step_bytes"] = static_cast<double>(2 * bytes);
    state.counters["history_200_kib"] = 200.0 * 2 * static_cast<double>(bytes) / 1024;
}
BENCHMARK(BM_UndoStep)->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace tralcon

BENCHMARK_MAIN();
