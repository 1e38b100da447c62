// tralcon-cli's read, clock and compare commands against the emulated
// controller.

#include "TestUtil.h"
#include "cli/Cli.h"
#include "model/Project.h"
#include "persistence/Config.h"
#include "persistence/ProjExp.h"
#include "platform/AppPaths.h"
#include "platform/FileIO.h"
#include "programmer/sim/ControllerSim.h"
#include "support/ControllerSupport.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
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

// The sample crossroad, a copy of it changed by edit, and an emulated
// controller programmed with the sample's controller 0.
struct CompareFixture : ::testing::Test {
    TempDir Dir;
    std::string Sample = Dir.File("sample.NVT");
    std::unique_ptr<TConfiguration> Config =
        LoadConfiguration(DefaultConfigurationPath(ProgramDir()));
    sim::TControllerSim Sim{QuickSim()};

    void SetUp() override {
        ASSERT_EQ(Cli({"sample", "-o", Sample}).Status, 0);
        Sim.Start();
        CliRun r = Cli({"program", Sample, "--controller", "0", "--port", Sim.DevicePath()});
        ASSERT_EQ(r.Status, 0) << r.Out << r.Err;
    }

    std::string Changed(const std::function<void(TProject&)>& edit) {
        TLoadedProject loaded = LoadProject(Sample, *Config);
        edit(*loaded.Project);
        const std::string path = Dir.File("changed.NVT");
        SaveProject(path, *loaded.Project, *loaded.Scheme);
        return path;
    }

    // The same comparison through the port and through a flash read into a
    // file: both must say the same.
    std::vector<CliRun> Compare(const std::string& project) {
        const std::string read = Dir.File("read.bin");
        EXPECT_EQ(Cli({"read", "--port", Sim.DevicePath(), "-o", read}).Status, 0);
        return {Cli({"compare", project, "--controller", "0", "--port", Sim.DevicePath()}),
                Cli({"compare", project, "--controller", "0", "--image", read})};
    }
};

TEST_F(CompareFixture, EqualAfterProgramming) {
    for (const CliRun& r : Compare(Sample)) {
        EXPECT_EQ(r.Status, 0) << r.Err;
        EXPECT_EQ(r.Out, "Контроллер соответствует проекту\n");
    }
}

TEST_F(CompareFixture, AChangedMinimumTimeNamesThePhaseAndBothValues) {
    int before = 0;
    const std::string changed = Changed([&](TProject& p) {
        TPhase* phase = p.PhaseAt(2);
        before = phase->MinTime();
        p.SetPhaseMinTime(phase, std::uint8_t(before + 3));
    });
    const std::string line = "фаза 3: минимальное время " + std::to_string(before) +
                             " с в контроллере, " + std::to_string(before + 3) + " с в проекте";
    for (const CliRun& r : Compare(changed)) {
        EXPECT_EQ(r.Status, 1) << r.Err;
        EXPECT_EQ(r.Out.rfind("Контроллер отличается от проекта:\n", 0), 0u) << r.Out;
        EXPECT_NE(r.Out.find("\n" + line + "\n"), std::string::npos) << r.Out;
        // Nothing else of the phase changed.
        EXPECT_EQ(r.Out.find("фаза 1"), std::string::npos) << r.Out;
    }
}

TEST_F(CompareFixture, AnotherProjectsImageIsNamedAsSuch) {
    int own = 0;
    const std::string other = Changed([&](TProject& p) {
        own = p.SystemID();
        p.SetSystemID(std::uint8_t(own + 1));
    });
    for (const CliRun& r : Compare(other)) {
        EXPECT_EQ(r.Status, 1) << r.Err;
        EXPECT_EQ(r.Out, "Контроллер отличается от проекта:\nобраз другого проекта: "
                         "системный номер " +
                             std::to_string(own) + " в контроллере, " + std::to_string(own + 1) +
                             " в проекте\n");
    }
}

TEST_F(CompareFixture, UnusableInputExitsTwo) {
    const std::string erased = Dir.File("erased.bin");
    WriteBytes(erased, std::string(2048, '\xFF'));
    const std::string garbage = Dir.File("garbage.NVT");
    WriteBytes(garbage, "not a project");
    struct Case {
        std::vector<std::string> Args;
        std::string ErrStart;
    };
    const Case cases[] = {
        {{"compare", Sample, "--image", Dir.File("none.bin")}, "Не удалось прочитать файл"},
        {{"compare", Sample, "--image", erased}, erased + ": Образ поврежден: смещение 0"},
        {{"compare", garbage, "--image", erased}, "Файл"},
        {{"compare", Sample, "--port", Dir.File("ttyNone")},
         Dir.File("ttyNone") + ": Невозможно открыть порт!"},
        {{"compare", Sample}, "tralcon-cli: compare needs either"},
        {{"compare", Sample, "--image", erased, "--port", Sim.DevicePath()},
         "tralcon-cli: compare needs either"},
        {{"compare", Sample, "--controller", "5", "--image", erased}, "tralcon-cli: the project"},
    };
    for (const Case& c : cases) {
        CliRun r = Cli(c.Args);
        EXPECT_EQ(r.Status, 2) << c.Args.back() << ": " << r.Err;
        EXPECT_EQ(r.Err.rfind(c.ErrStart, 0), 0u) << r.Err;
        EXPECT_TRUE(r.Out.empty()) << r.Out;
    }
}

} // namespace
} // namespace tralcon::test
