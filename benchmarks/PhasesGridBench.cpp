// One edit on the phases page of the largest sensible project (40
// directions with trams and the call panel, 12 phases with call phases,
// steps expanded): a green toggled by a click, every transition recomputed,
// the table laid out and painted whole off screen. It has to stay within a
// frame (16 ms).

#include "LargeProject.h"
#include "mainwindow/PhasesPage.h"
#include "support/PageContext.h"
#include "widgets/DrawGrid.h"

#include <QApplication>

#include <benchmark/benchmark.h>

namespace tralcon {
namespace {

void BM_PhasesGridToggleGreen(benchmark::State& state) {
    test::TStandalonePageContext ctx(bench::Catalogue());
    bench::BuildLargeProject(ctx.Project());
    TPhasesPage page(ctx);
    page.resize(4000, 1200); // every column and row on show
    page.Reset();
    if (state.range(0) != 0)
        page.ToggleSteps();
    page.Layout();
    const int columns = page.dgPhases->ColCount();
    int row = 0;
    for (auto _ : state) {
        // Alternating signals of the first phase, in and out of its greens.
        page.CellClick(1, 5 + (row++ % 36));
        QImage image = page.dgPhases->RenderImage();
        benchmark::DoNotOptimize(image.bits());
    }
    state.counters["columns"] = columns;
    state.counters["rows"] = page.dgPhases->RowCount();
}
BENCHMARK(BM_PhasesGridToggleGreen)
    ->Arg(0)
    ->Arg(1)
    ->ArgName("expanded")
    ->Unit(benchmark::kMillisecond);

} // namespace
} // namespace tralcon

int main(int argc, char** argv) {
    // Off screen: no display is needed to measure the painting.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
