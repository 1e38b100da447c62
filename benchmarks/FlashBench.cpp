// Compiling the images and saving and reading the project file run on every
// export and every save; on the large project they must stay instant.

#include "LargeProject.h"
#include "flash/Flash.h"
#include "persistence/ProjExp.h"

#include <benchmark/benchmark.h>

namespace tralcon {
namespace {

void BM_BuildFlashImage(benchmark::State& state) {
    auto config = bench::Catalogue();
    TProject p(*config);
    bench::BuildLargeProject(p);
    p.AddCycle();
    p.AddCycle();
    std::size_t bytes = 0;
    for (auto _ : state) {
        TBytes image = BuildFlashImage(p, 0, p.ProjectOptions());
        bytes = image.size();
        benchmark::DoNotOptimize(image.data());
    }
    state.counters["image_bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_BuildFlashImage)->Unit(benchmark::kMicrosecond);

void BM_SaveAndLoadProject(benchmark::State& state) {
    auto config = bench::Catalogue();
    TProject p(*config);
    bench::BuildLargeProject(p);
    TSchemeDocument scheme;
    scheme.RowsInserted(0, p.TrendCount());
    std::size_t bytes = 0;
    for (auto _ : state) {
        auto file = SaveProjectToBytes(p, scheme);
        TLoadedProject loaded =
            LoadProjectFromBytes(file.data(), file.size(), *config, "bench.NVT");
        bytes = file.size();
        benchmark::DoNotOptimize(loaded.Project.get());
    }
    state.counters["file_bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_SaveAndLoadProject)->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace tralcon
