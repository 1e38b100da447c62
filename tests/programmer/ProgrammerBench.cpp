// Programming time against the line's own limit: an image into the emulated
// controller pacing every byte as a 10417-baud line (10 bits a byte) would.
// Counters: the measured time from the greeting to "Программирование
// закончено", the time the exchanged bytes need on the wire alone, and their
// ratio. Arguments: the image size (591 bytes is the sample crossroad's) and
// the controller's pause in ms between a reply and its next "ready".

#include "programmer/ProgSession.h"
#include "programmer/sim/ControllerSim.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace {

using namespace tralcon;
using namespace std::chrono_literals;

void BM_ProgramAt10417(benchmark::State& state) {
    constexpr unsigned kBaud = 10417;
    const std::size_t size = std::size_t(state.range(0));
    const int kBlocks = int((size + 15) / 16);
    // What crosses the line between the greeting's arrival and the last
    // block read back: the connection request and "ready"; per block a write
    // (21), its acknowledgement (21) and "ready" (5), then a read request
    // (5), the block (21) and, but for the last block, "ready" (5).
    const int kBytes = 2 * 5 + kBlocks * (21 + 21 + 5) + kBlocks * (5 + 21 + 5) - 5;
    const double wire = kBytes * 10.0 / kBaud;

    std::vector<std::uint8_t> image(size);
    for (std::size_t i = 0; i < image.size(); ++i)
        image[i] = std::uint8_t(i * 7 + 3);
    double total = 0;
    int runs = 0;
    for (auto _ : state) {
        sim::TSimOptions o;
        o.PaceBaud = kBaud;
        o.Gap = std::chrono::milliseconds(state.range(1));
        o.HelloInterval = 20ms;
        sim::TControllerSim controller(o);
        controller.Start();

        using Clock = std::chrono::steady_clock;
        Clock::time_point connected, done;
        TSessionOptions options;
        options.Port = controller.DevicePath();
        options.Limit = 60s;
        options.OnStatus = [&](const std::string& s) {
            if (s == "Связь установлена")
                connected = Clock::now();
            if (s == "Программирование закончено")
                done = Clock::now();
        };
        TSessionResult r = ProgramController(options, image.data(), image.size());
        if (!r.Succeeded || controller.Flash()[size - 1] != image[size - 1]) {
            state.SkipWithError("programming failed");
            break;
        }
        const double transfer = std::chrono::duration<double>(done - connected).count();
        state.SetIterationTime(transfer);
        total += transfer;
        ++runs;
    }
    // The mean of the runs: one run is at the mercy of the scheduler.
    const double transfer = runs > 0 ? total / runs : 0;
    state.counters["measured_s"] = transfer;
    state.counters["wire_s"] = wire;
    state.counters["ratio"] = transfer / wire;
    state.counters["bytes"] = kBytes;
}

BENCHMARK(BM_ProgramAt10417)
    ->ArgNames({"bytes", "gap_ms"})
    ->Args({591, 5})
    ->Args({1024, 5})
    ->Args({1024, 2})
    ->Args({1024, 0})
    ->Iterations(3)
    ->UseManualTime()
    ->Unit(benchmark::kSecond);

} // namespace

BENCHMARK_MAIN();
