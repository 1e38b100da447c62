// tralcon-cli's read and clock commands against the emulated controller.

#include "TestUtil.h"
#include "cli/Cli.h"
#include "platform/FileIO.h"
#include "programmer/sim/ControllerSim.h"
#include "support/ControllerSupport.h"

#include <gtest/gtest.h>

#include <sstream>

namespace tralcon::test {
namespace {

using namespace std::chrono_literals;

struct CliRun {
    int Status;
    std::string Out, Err;
};

CliRun Cli(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    int status = cli::RunCli(args, out, err);
    return {status, out.str(), err.str()};
}

TEST(CliProgrammer, ReadWritesTheFlashToAFile) {
    TempDir dir;
    sim::TSimOptions o = QuickSim();
    for (int i = 0; i < 2048; ++i)
        o.Flash.push_back(std::uint8_t(i * 5 + 1));
    sim::TControllerSim sim(o);
    sim.Start();
    CliRun r = Cli({"read", "--port", sim.DevicePath(), "-o", dir.File("flash.bin")});
    ASSERT_EQ(r.Status, 0) << r.Err;
    EXPECT_EQ(r.Out, "Установка связи\nСвязь установлена\nИдет чтение\nЧтение закончено\n");
    EXPECT_EQ(ReadBytes(dir.File("flash.bin")), std::string(o.Flash.begin(), o.Flash.end()));
}

TEST(CliProgrammer, ClockReadAndSet) {
    sim::TSimOptions o = QuickSim();
    o.Clock = ExampleTime();
    o.FreezeClock = true;
    sim::TControllerSim sim(o);
    sim.Start();
    CliRun read = Cli({"clock", "--port", sim.DevicePath()});
    ASSERT_EQ(read.Status, 0) << read.Err;
    EXPECT_EQ(read.Out, "Установка связи\nСвязь установлена\nИдет чтение времени контроллера\n" +
                            std::string(kExampleClockText) + "\n");

    CliRun set = Cli({"clock", "--port", sim.DevicePath(), "--set"});
    ASSERT_EQ(set.Status, 0) << set.Err;
    EXPECT_NE(set.Out.find("Запись времени в контроллер\nВремя в НВТ: "), std::string::npos)
        << set.Out;
    EXPECT_EQ(sim.Stats().ClockSets, 1);
}

TEST(CliProgrammer, FailuresExitNonZero) {
    TempDir dir;
    CliRun absent = Cli({"read", "--port", dir.File("ttyNone"), "-o", dir.File("out.bin")});
    EXPECT_EQ(absent.Status, 1);
    EXPECT_EQ(absent.Out, "Операция прервана\nОшибка открытия порта!\n");
    EXPECT_EQ(absent.Err, dir.File("ttyNone") + ": Невозможно открыть порт!\n");
    EXPECT_FALSE(FileExists(dir.File("out.bin")));

    EXPECT_EQ(Cli({"clock", "--port", "/dev/null"}).Err, "/dev/null: Задан не COM-порт\n");
    EXPECT_EQ(Cli({"clock"}).Status, 2);
    EXPECT_EQ(Cli({"read", "--port", "/dev/null"}).Status, 2);
    EXPECT_EQ(Cli({"clock", "--port", "/dev/null", "extra"}).Status, 2);
}

} // namespace
} // namespace tralcon::test
