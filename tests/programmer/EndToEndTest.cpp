// The exchange over TComm32 against the emulated controller on a
// pseudo-terminal. Protocol time-outs run at a fifth of their length and
// every call has an overall limit, so no fault can hang a test.

#include "PtyUtil.h"
#include "TestUtil.h"
#include "cli/Cli.h"
#include "programmer/ProgSession.h"
#include "programmer/sim/ControllerSim.h"
#include "support/ControllerSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <functional>
#include <poll.h>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

namespace tralcon::test {
namespace {

using namespace std::chrono_literals;
using sim::TControllerSim;
using sim::TSimOptions;
using Bytes = std::vector<std::uint8_t>;

Bytes Image(std::size_t n, std::uint8_t seed) {
    Bytes image(n);
    for (std::size_t i = 0; i < n; ++i)
        image[i] = std::uint8_t(seed + i * 11 + (i >> 8));
    return image;
}

struct Outcome {
    TSessionResult Result;
    std::vector<std::string> Statuses;
    std::vector<std::pair<int, int>> Progress;

    bool Has(const std::string& s) const {
        return std::find(Statuses.begin(), Statuses.end(), s) != Statuses.end();
    }
    // How often the progress bar reached its maximum.
    int FullBars() const {
        int n = 0;
        for (auto [pos, max] : Progress)
            n += max > 0 && pos == max;
        return n;
    }
};

TSessionOptions Options(const std::string& port, Outcome& run) {
    TSessionOptions o;
    o.Port = port;
    o.TimeScale = 0.2;
    o.Limit = 60s;
    o.OnStatus = [&run](const std::string& s) { run.Statuses.push_back(s); };
    o.OnProgress = [&run](int pos, int max) { run.Progress.emplace_back(pos, max); };
    return o;
}

Outcome Program(TControllerSim& sim, const Bytes& image) {
    Outcome run;
    run.Result = ProgramController(Options(sim.DevicePath(), run), image.data(), image.size());
    return run;
}

// The image as it must stand in the flash: padded with zeros to whole
// blocks, the flash beyond it untouched (0xFF).
void ExpectFlashHolds(const TControllerSim& sim, const Bytes& image) {
    const auto flash = sim.Flash();
    const std::size_t blocks = (std::min<std::size_t>(image.size(), 2048) + 15) / 16;
    Bytes expected(flash.size(), 0xFF);
    std::copy_n(image.begin(), std::min<std::size_t>(image.size(), 2048), expected.begin());
    std::fill(expected.begin() + std::min<std::size_t>(image.size(), 2048),
              expected.begin() + blocks * 16, 0);
    EXPECT_TRUE(std::equal(flash.begin(), flash.end(), expected.begin()));
}

bool WaitFor(const std::function<bool()>& done) {
    return PumpUntil([] {}, done, 5s);
}

TEST(EndToEnd, ProgrammingWritesThenVerifiesEveryBlock) {
    for (std::size_t size : {100u, 1024u, 2048u, 2100u}) {
        SCOPED_TRACE(size);
        TControllerSim sim(QuickSim());
        sim.Start();
        const Bytes image = Image(size, std::uint8_t(size));
        Outcome run = Program(sim, image);
        EXPECT_TRUE(run.Result.Succeeded) << run.Result.Status;
        EXPECT_EQ(run.Result.ResultCode, 0);
        EXPECT_EQ(run.Result.Status, "Программирование закончено");
        ExpectFlashHolds(sim, image);
        const int blocks = int(std::min<std::size_t>(size, 2048) + 15) / 16;
        ASSERT_TRUE(WaitFor([&] { return sim.Stats().Ends == 1; }));
        const sim::TSimStats stats = sim.Stats();
        EXPECT_EQ(stats.BlocksWritten, blocks);
        EXPECT_EQ(stats.BlocksRead, blocks);
        EXPECT_EQ(run.FullBars(), 2); // the write pass and the verify pass
        EXPECT_TRUE(run.Has("Установка связи"));
        EXPECT_TRUE(run.Has("Связь установлена"));
        EXPECT_TRUE(run.Has("Идет программирование"));
        EXPECT_TRUE(run.Has("Идет чтение"));
        EXPECT_FALSE(run.Has("Ошибка верификации!"));
    }
}

TEST(EndToEnd, ProgrammingWithReadBackAcknowledgements) {
    TSimOptions o = QuickSim();
    o.AckWithRead = true;
    TControllerSim sim(o);
    sim.Start();
    const Bytes image = Image(300, 3);
    Outcome run = Program(sim, image);
    EXPECT_TRUE(run.Result.Succeeded) << run.Result.Status;
    ExpectFlashHolds(sim, image);
    EXPECT_EQ(sim.Stats().BlocksRead, 0);
    EXPECT_EQ(run.FullBars(), 1);
}

TEST(EndToEnd, ReadingGivesTheFlashBack) {
    TSimOptions o = QuickSim();
    o.Flash = Image(2048, 77);
    TControllerSim sim(o);
    sim.Start();
    Outcome run;
    std::array<std::uint8_t, 2048> flash{};
    run.Result = ReadController(Options(sim.DevicePath(), run), flash);
    EXPECT_TRUE(run.Result.Succeeded) << run.Result.Status;
    EXPECT_EQ(run.Result.Status, "Чтение закончено");
    EXPECT_EQ(run.Result.ResultCode, 0);
    EXPECT_TRUE(std::equal(flash.begin(), flash.end(), o.Flash.begin()));
    EXPECT_EQ(run.FullBars(), 1);

    // What was programmed reads back, on the same line.
    const Bytes image = Image(500, 9);
    ASSERT_TRUE(Program(sim, image).Result.Succeeded);
    Outcome again;
    again.Result = ReadController(Options(sim.DevicePath(), again), flash);
    ASSERT_TRUE(again.Result.Succeeded) << again.Result.Status;
    EXPECT_TRUE(std::equal(image.begin(), image.end(), flash.begin()));
}

TEST(EndToEnd, ClockBothWays) {
    TSimOptions o = QuickSim();
    o.Clock = ExampleTime();
    o.FreezeClock = true;
    TControllerSim sim(o);
    sim.Start();

    Outcome read;
    read.Result = ControllerClock(Options(sim.DevicePath(), read), false);
    EXPECT_TRUE(read.Result.Succeeded);
    EXPECT_EQ(read.Result.Status, kExampleClockText);
    EXPECT_TRUE(read.Has("Идет чтение времени контроллера"));
    EXPECT_EQ(read.Result.ResultCode, 3);

    TSimOptions other = QuickSim();
    std::tm start = ExampleTime();
    start.tm_year = 111;
    start.tm_hour = 3;
    other.Clock = start;
    other.FreezeClock = true;
    TControllerSim sim2(other);
    sim2.Start();
    Outcome set;
    TSessionOptions options = Options(sim2.DevicePath(), set);
    options.Now = ExampleTime;
    set.Result = ControllerClock(options, true);
    EXPECT_TRUE(set.Result.Succeeded);
    EXPECT_TRUE(set.Has("Запись времени в контроллер"));
    EXPECT_EQ(set.Result.Status, kExampleClockText);
    const Bytes example{0xD3, 0x08, 0x88, 0x30, 0x15, 0x10, 0x00, 0x09, 0x02, 0x08, 0xCB};
    const auto frames = sim2.ReceivedFrames();
    EXPECT_NE(std::find(frames.begin(), frames.end(), example), frames.end());
    EXPECT_EQ(ClockBytes(sim2.ClockNow()), ClockBytes(ClockFieldsFromTm(ExampleTime())));
}

struct Fault {
    const char* Name;
    std::function<void(TSimOptions&)> Make;
    bool Recovers;                // the exchange must still succeed
    const char* Status = nullptr; // the last status, when it is fixed
};

// The image has 20 blocks: block replies 1 to 20 acknowledge writes, 21 to
// 40 are the verify pass.
const Fault kFaults[] = {
    {"silent controller", [](TSimOptions& o) { o.NoHello = true; }, false,
     "Нет связи с контроллером"},
    {"stalls half-way", [](TSimOptions& o) { o.StallAfter = 12; }, false,
     "Нет связи с контроллером"},
    {"three bad verify replies",
     [](TSimOptions& o) {
         o.CorruptReply = 25;
         o.CorruptCount = 3;
     },
     false, "Ошибка верификации!"},
    {"three bad write acknowledgements",
     [](TSimOptions& o) {
         o.CorruptReply = 4;
         o.CorruptCount = 3;
     },
     false, "Ошибка верификации!"},
    {"more than fifty bytes of noise before every frame",
     [](TSimOptions& o) { o.GarbageBytes = 60; }, false, "Нет связи с контроллером"},
    {"two bad verify replies",
     [](TSimOptions& o) {
         o.CorruptReply = 30;
         o.CorruptCount = 2;
     },
     true},
    {"bad write acknowledgement", [](TSimOptions& o) { o.CorruptReply = 7; }, true},
    {"bad checksums",
     [](TSimOptions& o) {
         o.CorruptReply = 3;
         o.CorruptCount = 4;
         o.Corruption = sim::TCorruption::Checksum;
     },
     true},
    {"noise between frames", [](TSimOptions& o) { o.GarbageBytes = 20; }, true},
    {"split frames", [](TSimOptions& o) { o.SplitFrames = true; }, true},
    {"split frames after noise",
     [](TSimOptions& o) {
         o.SplitFrames = true;
         o.GarbageBytes = 12;
         o.Seed = 7;
     },
     true},
    {"lost frames",
     [](TSimOptions& o) {
         o.DropFrame = 6;
         o.DropCount = 2;
     },
     true},
};

TEST(EndToEnd, FaultsNeverEndInFalseSuccess) {
    const Bytes image = Image(20 * 16 - 5, 21);
    for (const Fault& f : kFaults) {
        SCOPED_TRACE(f.Name);
        TSimOptions o = QuickSim();
        f.Make(o);
        TControllerSim sim(o);
        sim.Start();
        Outcome run = Program(sim, image);
        EXPECT_FALSE(run.Result.TimedOut);
        EXPECT_EQ(run.Result.Succeeded, f.Recovers) << run.Result.Status;
        if (f.Status != nullptr) {
            EXPECT_EQ(run.Result.Status, f.Status);
        }
        if (run.Result.Succeeded) {
            ExpectFlashHolds(sim, image);
            EXPECT_EQ(run.Result.ResultCode, 0);
        } else {
            EXPECT_EQ(run.Result.ResultCode, 3);
            EXPECT_FALSE(run.Has("Программирование закончено"));
        }
    }
}

TEST(EndToEnd, ReadingFromAFaultyControllerNeverSucceedsFalsely) {
    TSimOptions o = QuickSim();
    o.Flash = Image(2048, 5);
    o.CorruptReply = 40;
    o.CorruptCount = 3;
    // A wrong data byte cannot be told when reading; a wrong block number can.
    o.Corruption = sim::TCorruption::BlockNumber;
    TControllerSim sim(o);
    sim.Start();
    Outcome run;
    std::array<std::uint8_t, 2048> flash;
    flash.fill(0xAB);
    run.Result = ReadController(Options(sim.DevicePath(), run), flash);
    EXPECT_FALSE(run.Result.Succeeded);
    EXPECT_EQ(run.Result.Status, "Ошибка чтения!");
    // The caller's buffer is left alone when the flash did not come in whole.
    EXPECT_TRUE(std::all_of(flash.begin(), flash.end(), [](auto b) { return b == 0xAB; }));
}

TEST(EndToEnd, APortThatCannotBeOpened) {
    TempDir dir;
    Outcome run;
    const Bytes image = Image(32, 1);
    run.Result = ProgramController(Options(dir.File("ttyNone"), run), image.data(), image.size());
    EXPECT_FALSE(run.Result.Succeeded);
    EXPECT_EQ(run.Result.ResultCode, 4);
    EXPECT_EQ(run.Result.OpenError, "Невозможно открыть порт!");
    EXPECT_EQ(run.Statuses,
              (std::vector<std::string>{"Операция прервана", "Ошибка открытия порта!"}));

    // A device another component holds.
    TControllerSim sim(QuickSim());
    TComm32 holder;
    holder.SetCommPort(sim.DevicePath());
    ASSERT_TRUE(holder.OpenPort());
    Outcome busy;
    busy.Result = ControllerClock(Options(sim.DevicePath(), busy), false);
    EXPECT_EQ(busy.Result.ResultCode, 4);
    EXPECT_EQ(busy.Result.OpenError, "Невозможно открыть порт!");
}

TEST(EndToEnd, TheOverallLimitEndsEvenALiveExchange) {
    // A controller that keeps greeting before anything is done never lets
    // the exchange progress, yet keeps it busy: the caller's bound ends it.
    TSimOptions o = QuickSim();
    o.NoHello = true;
    TControllerSim sim(o);
    sim.Start();
    Outcome run;
    TSessionOptions options = Options(sim.DevicePath(), run);
    options.TimeScale = 1.0;
    options.Limit = 300ms;
    const auto start = std::chrono::steady_clock::now();
    run.Result = ControllerClock(options, false);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
    EXPECT_TRUE(run.Result.TimedOut);
    EXPECT_FALSE(run.Result.Succeeded);
    EXPECT_EQ(run.Result.Status, "Операция прервана");
}

// ---- The simulator as a program ----

class SimProcess {
  public:
    explicit SimProcess(std::vector<std::string> args) {
        int out[2];
        if (pipe(out) != 0)
            throw std::runtime_error("pipe");
        FPid = fork();
        if (FPid == 0) {
            dup2(out[1], 1);
            ::close(out[0]);
            ::close(out[1]);
            std::vector<char*> argv;
            static std::string program = std::string(TRALCON_BIN_DIR) + "/nvt-controller-sim";
            argv.push_back(program.data());
            for (std::string& a : args)
                argv.push_back(a.data());
            argv.push_back(nullptr);
            execv(program.c_str(), argv.data());
            _exit(127);
        }
        ::close(out[1]);
        // The first line is the device path.
        std::string line;
        const auto end = std::chrono::steady_clock::now() + 5s;
        while (line.find('\n') == std::string::npos && std::chrono::steady_clock::now() < end) {
            pollfd p{out[0], POLLIN, 0};
            if (poll(&p, 1, 50) > 0) {
                char buffer[256];
                ssize_t n = ::read(out[0], buffer, sizeof buffer);
                if (n <= 0)
                    break;
                line.append(buffer, std::size_t(n));
            }
        }
        ::close(out[0]);
        FPath = line.substr(0, line.find('\n'));
    }
    ~SimProcess() {
        if (FPid > 0)
            Stop();
    }
    const std::string& Path() const { return FPath; }

    // SIGTERM, then a bounded wait; the exit status, or -1.
    int Stop() {
        kill(FPid, SIGTERM);
        int status = 0;
        const auto end = std::chrono::steady_clock::now() + 5s;
        while (std::chrono::steady_clock::now() < end) {
            if (waitpid(FPid, &status, WNOHANG) == FPid) {
                FPid = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            }
            std::this_thread::sleep_for(10ms);
        }
        kill(FPid, SIGKILL);
        waitpid(FPid, &status, 0);
        FPid = -1;
        return -1;
    }

  private:
    pid_t FPid = -1;
    std::string FPath;
};

TEST(SimulatorProgram, ProgramsAndSavesItsFlash) {
    TempDir dir;
    const Bytes image = Image(1024, 42);
    SimProcess sim({"--flash-out", dir.File("flash.bin"), "--hello-interval", "100", "--gap", "2"});
    ASSERT_EQ(sim.Path().rfind("/dev/pts/", 0), 0u) << sim.Path();
    Outcome run;
    run.Result = ProgramController(Options(sim.Path(), run), image.data(), image.size());
    EXPECT_TRUE(run.Result.Succeeded) << run.Result.Status;
    EXPECT_EQ(sim.Stop(), 0);
    const std::string flash = ReadBytes(dir.File("flash.bin"));
    ASSERT_EQ(flash.size(), 2048u);
    EXPECT_TRUE(std::equal(image.begin(), image.end(), flash.begin(),
                           [](std::uint8_t a, char b) { return a == std::uint8_t(b); }));
    EXPECT_TRUE(std::all_of(flash.begin() + 1024, flash.end(),
                            [](char b) { return std::uint8_t(b) == 0xFF; }));
}

// The whole road of a read-back through the command-line tool: the sample's
// image programmed into the simulator program, read back into a 2048-byte
// file (the image, its zero-filled last block, then erased flash), and that
// file checked as an image.
TEST(SimulatorProgram, FlashReadBackThroughTheToolIsAValidImage) {
    TempDir dir;
    auto cli = [](const std::vector<std::string>& args, std::string* out = nullptr) {
        std::ostringstream o, e;
        const int status = cli::RunCli(args, o, e);
        if (out != nullptr)
            *out = o.str();
        EXPECT_EQ(status, 0) << args[0] << ": " << o.str() << e.str();
        return status;
    };
    const std::string project = dir.File("Sample.NVT"), readBack = dir.File("flash.bin");
    ASSERT_EQ(cli({"sample", "-o", project}), 0);
    ASSERT_EQ(cli({"image", project, "--controller", "0", "-o", dir.File("k0.bin")}), 0);
    SimProcess sim({"--hello-interval", "100", "--gap", "2"});
    ASSERT_EQ(sim.Path().rfind("/dev/pts/", 0), 0u) << sim.Path();
    ASSERT_EQ(cli({"program", project, "--controller", "0", "--port", sim.Path()}), 0);
    ASSERT_EQ(cli({"read", "--port", sim.Path(), "-o", readBack}), 0);
    const std::string flash = ReadBytes(readBack), image = ReadBytes(dir.File("k0.bin"));
    ASSERT_EQ(flash.size(), 2048u);
    ASSERT_LT(image.size(), 2000u);
    EXPECT_EQ(flash.substr(0, image.size()), image);
    EXPECT_EQ(std::uint8_t(flash.back()), 0xFF);

    std::string fromFlash, fromImage;
    ASSERT_EQ(cli({"dump", readBack}, &fromFlash), 0);
    ASSERT_EQ(cli({"dump", dir.File("k0.bin")}, &fromImage), 0);
    EXPECT_EQ(fromFlash, fromImage);
}

TEST(SimulatorProgram, ClockAndSilenceSwitches) {
    SimProcess clock(
        {"--clock", "2008-03-10 16:21:48", "--freeze-clock", "--hello-interval", "100"});
    Outcome run;
    run.Result = ControllerClock(Options(clock.Path(), run), false);
    EXPECT_EQ(run.Result.Status, kExampleClockText);

    SimProcess silent({"--no-hello"});
    Outcome none;
    none.Result = ControllerClock(Options(silent.Path(), none), false);
    EXPECT_FALSE(none.Result.Succeeded);
    EXPECT_EQ(none.Result.Status, "Нет связи с контроллером");
}

TEST(SimulatorProgram, RefusesBadSwitches) {
    SimProcess bad({"--corrupt-reply", "x"});
    EXPECT_TRUE(bad.Path().empty());
    EXPECT_EQ(bad.Stop(), 2);
}

} // namespace
} // namespace tralcon::test
