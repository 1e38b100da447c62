// Programming time against the line's own limit: a 1024-byte image into the
// emulated controller pacing every byte as a 10417-baud line (10 bits a
// byte) would. Counters: the measured time from the greeting to
// "Программирование закончено", the time the exchanged bytes need on the
// wire alone, and their ratio. Argument: the controller's pause in ms
// between a reply and its next "ready".

#include "programmer/ProgSession.h"
#include "programmer/sim/ControllerSim.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace {

using namespace tralcon;
using namespace std::chrono_literals;

void BM_Program1024At10417(benchmark::State& state) {
    constexpr unsigned kBaud = 10417;
    constexpr int kBlocks = 64;
    // Greeting, connection request and "ready"; per block a write (21), its
    // acknowledgement (21) and "ready" (5), then a read request (5), the
    // block (21) and "ready" (5).
    constexpr int kBytes = 3 * 5 + kBlocks * (21 + 21 + 5) + kBlocks * (5 + 21 + 5);
    const double wire = kBytes * 10.0 / kBaud;

    std::vector<std::uint8_t> image(1024);
    for (std::size_t i = 0; i < image.size(); ++i)
        image[i] = std::uint8_t(i * 7 + 3);
    double transfer = 0;
    for (auto _ : state) {
        sim::TSimOptions o;
        o.PaceBaud = kBaud;
        o.Gap = std::chrono::milliseconds(state.range(0));
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
        if (!r.Succeeded || controller.Flash()[1023] != image[1023]) {
            state.SkipWithError("programming failed");
            break;
        }
        transfer = std::chrono::duration<double>(done - connected).count();
        state.SetIterationTime(transfer);
    }
    state.counters["measured_s"] = transfer;
    state.counters["wire_s"] = wire;
    state.counters["ratio"] = transfer / wire;
    state.counters["bytes"] = kBytes;
}

BENCHMARK(BM_Program1024At10417)
    ->Arg(5)
    ->Arg(2)
    ->Arg(0)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kSecond);

} // namespace

BENCHMARK_MAIN();
