// nvt-controller-sim: an emulated controller on a pseudo-terminal. Prints the
// device path on the first line of its output, then serves until SIGTERM or
// SIGINT. SIGUSR1 writes the flash to the --flash-out file.

#include "programmer/sim/ControllerSim.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <pthread.h>
#include <string>

using tralcon::sim::TControllerSim;
using tralcon::sim::TSimOptions;

namespace {

const char* const kUsage =
    "Usage: nvt-controller-sim [OPTIONS]\n"
    "An emulated NVT-3 controller on a pseudo-terminal; prints the device path.\n\n"
    "  --flash-in FILE       initial flash content (at most 2048 bytes; the rest 0xFF)\n"
    "  --flash-out FILE      write the flash here after every end frame, on SIGUSR1\n"
    "                        and on exit\n"
    "  --clock 'YYYY-MM-DD HH:MM:SS'   the controller's time at start (default: now)\n"
    "  --freeze-clock        the clock does not run\n"
    "  --baud RATE           pace bytes as a line at RATE baud would (10 bits a byte)\n"
    "  --gap MS              pause between a reply and the next frame (default 5)\n"
    "  --hello-interval MS   greeting repeat while unconnected (default 300)\n"
    "  --resend MS           repeat \"ready\" when no request follows (default 1000)\n"
    "  --ack-read            answer a written block with a read-block reply\n"
    "Misbehaviour:\n"
    "  --no-hello            never greet, never answer\n"
    "  --corrupt-reply N     the N-th block reply (from 1) carries a wrong data byte\n"
    "  --corrupt-count K     ...and so do the K-1 replies after it (default 1)\n"
    "  --corrupt-checksum    corrupt the checksum instead of a data byte\n"
    "  --corrupt-block-number  name the wrong block instead\n"
    "  --drop-frame N        do not send the N-th frame (from 1)\n"
    "  --drop-count K        ...nor the K-1 frames after it (default 1)\n"
    "  --split               send every frame in two pieces\n"
    "  --garbage N           send N random bytes before every frame\n"
    "  --stall-after N       answer N requests, then fall silent\n"
    "  --seed S              seed for split points and garbage (default 1)\n"
    "  --verbose             log frames to stderr\n";

[[noreturn]] void Usage(const std::string& problem) {
    std::cerr << "nvt-controller-sim: " << problem << "\n\n" << kUsage;
    std::exit(2);
}

long Number(const std::string& option, const char* text) {
    char* end = nullptr;
    errno = 0;
    long v = std::strtol(text, &end, 10);
    if (errno != 0 || end == text || *end != '\0' || v < 0 || v > 100000000)
        Usage("bad number for " + option + ": " + text);
    return v;
}

} // namespace

int main(int argc, char** argv) {
    TSimOptions o;
    std::string flashIn;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto value = [&]() -> const char* {
            if (i + 1 >= argc)
                Usage(a + " needs a value");
            return argv[++i];
        };
        auto ms = [&] { return std::chrono::milliseconds(Number(a, value())); };
        if (a == "--help" || a == "-h") {
            std::cout << kUsage;
            return 0;
        } else if (a == "--flash-in") {
            flashIn = value();
        } else if (a == "--flash-out") {
            o.FlashOut = value();
        } else if (a == "--clock") {
            std::tm t{};
            const char* text = value();
            const char* end = strptime(text, "%Y-%m-%d %H:%M:%S", &t);
            if (end == nullptr || *end != '\0')
                Usage(std::string("bad --clock: ") + text);
            o.Clock = t;
        } else if (a == "--freeze-clock") {
            o.FreezeClock = true;
        } else if (a == "--baud") {
            o.PaceBaud = std::uint32_t(Number(a, value()));
        } else if (a == "--gap") {
            o.Gap = ms();
        } else if (a == "--hello-interval") {
            o.HelloInterval = ms();
        } else if (a == "--resend") {
            o.ResendAfter = ms();
        } else if (a == "--ack-read") {
            o.AckWithRead = true;
        } else if (a == "--no-hello") {
            o.NoHello = true;
        } else if (a == "--corrupt-reply") {
            o.CorruptReply = int(Number(a, value()));
        } else if (a == "--corrupt-count") {
            o.CorruptCount = int(Number(a, value()));
        } else if (a == "--corrupt-checksum") {
            o.Corruption = tralcon::sim::TCorruption::Checksum;
        } else if (a == "--corrupt-block-number") {
            o.Corruption = tralcon::sim::TCorruption::BlockNumber;
        } else if (a == "--drop-frame") {
            o.DropFrame = int(Number(a, value()));
        } else if (a == "--drop-count") {
            o.DropCount = int(Number(a, value()));
        } else if (a == "--split") {
            o.SplitFrames = true;
        } else if (a == "--garbage") {
            o.GarbageBytes = int(Number(a, value()));
        } else if (a == "--stall-after") {
            o.StallAfter = int(Number(a, value()));
        } else if (a == "--seed") {
            o.Seed = std::uint32_t(Number(a, value()));
        } else if (a == "--verbose") {
            o.Verbose = true;
        } else {
            Usage("unknown option " + a);
        }
    }
    if (!flashIn.empty()) {
        std::ifstream f(flashIn, std::ios::binary);
        if (!f) {
            std::cerr << "nvt-controller-sim: cannot read " << flashIn << "\n";
            return 1;
        }
        o.Flash.assign(std::istreambuf_iterator<char>(f), {});
        if (o.Flash.size() > tralcon::MaxImageSize) {
            std::cerr << "nvt-controller-sim: " << flashIn << " is larger than the flash\n";
            return 1;
        }
    }

    // Signals are taken by this thread alone, with sigwait; the controller's
    // thread inherits the blocked mask.
    sigset_t signals;
    sigemptyset(&signals);
    for (int s : {SIGINT, SIGTERM, SIGHUP, SIGUSR1})
        sigaddset(&signals, s);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);

    try {
        TControllerSim sim(o);
        std::cout << sim.DevicePath() << std::endl;
        sim.Start();
        std::string error;
        for (;;) {
            int s = 0;
            if (sigwait(&signals, &s) != 0)
                break;
            if (s == SIGUSR1) {
                if (!o.FlashOut.empty() && !sim.SaveFlash(o.FlashOut, &error))
                    std::cerr << "nvt-controller-sim: " << error << "\n";
                continue;
            }
            break;
        }
        sim.Stop();
        if (!o.FlashOut.empty() && !sim.SaveFlash(o.FlashOut, &error)) {
            std::cerr << "nvt-controller-sim: " << error << "\n";
            return 1;
        }
    } catch (const std::exception& e) {
        std::cerr << "nvt-controller-sim: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
