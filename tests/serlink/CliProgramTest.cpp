// tralcon-cli program: a project's controller image into the emulated
// controller over a pseudo-terminal, without a window.

#include "SerlinkTestUtil.h"
#include "cli/Cli.h"

#include <gtest/gtest.h>

#include <sstream>

namespace tralcon::test {
namespace {

struct CliRun {
    int Status;
    std::string Out, Err;
};

CliRun Cli(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    const int status = cli::RunCli(args, out, err);
    return {status, out.str(), err.str()};
}

// The sample crossroad and its controller's image, made by the tool itself.
struct TSample {
    TempDir Dir;
    std::string Project = Dir.File("Sample.NVT");
    Bytes Image;
    TSample() {
        EXPECT_EQ(Cli({"sample", "-o", Project}).Status, 0);
        EXPECT_EQ(Cli({"image", Project, "--controller", "0", "-o", Dir.File("k0.bin")}).Status, 0);
        const std::string bytes = ReadBytes(Dir.File("k0.bin"));
        Image.assign(bytes.begin(), bytes.end());
    }
};

TEST(CliProgram, ProgramsTheControllersImage) {
    TSample sample;
    ASSERT_GT(sample.Image.size(), 16u);
    sim::TControllerSim sim(QuickSim());
    sim.Start();
    const CliRun r =
        Cli({"program", sample.Project, "--controller", "0", "--port", sim.DevicePath()});
    ASSERT_EQ(r.Status, 0) << r.Out << r.Err;
    EXPECT_EQ(r.Out, "Установка связи\nСвязь установлена\nИдет программирование\nИдет чтение\n"
                     "Программирование закончено\n");
    EXPECT_EQ(FlashOf(sim), ExpectedFlash(sample.Image));
}

TEST(CliProgram, FailuresEndWithAnErrorStatus) {
    TSample sample;
    // Every block comes back wrong: three rejections end the exchange.
    sim::TSimOptions o = QuickSim();
    o.CorruptReply = 1;
    o.CorruptCount = 1000;
    sim::TControllerSim bad(o);
    bad.Start();
    CliRun r = Cli({"program", sample.Project, "--port", bad.DevicePath()});
    EXPECT_EQ(r.Status, 1);
    EXPECT_NE(r.Out.find("Ошибка верификации!"), std::string::npos);
    EXPECT_EQ(r.Out.find("Программирование закончено"), std::string::npos);

    r = Cli({"program", sample.Project, "--port", sample.Dir.File("no-such-port")});
    EXPECT_EQ(r.Status, 1);
    EXPECT_NE(r.Out.find("Ошибка открытия порта!"), std::string::npos);
    EXPECT_NE(r.Err.find("no-such-port"), std::string::npos);

    r = Cli({"program", sample.Dir.File("missing.NVT"), "--port", bad.DevicePath()});
    EXPECT_EQ(r.Status, 1);
    EXPECT_NE(r.Err.find("missing.NVT"), std::string::npos);
}

TEST(CliProgram, UsageErrors) {
    TSample sample;
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"program", sample.Project},
             {"program", "--port", "/dev/null"},
             {"program", sample.Project, sample.Project, "--port", "/dev/null"},
             {"program", sample.Project, "--controller", "1", "--port", "/dev/null"},
             {"program", sample.Project, "--controller", "x", "--port", "/dev/null"},
         }) {
        const CliRun r = Cli(args);
        EXPECT_EQ(r.Status, 2) << args.size() << " " << r.Err;
        EXPECT_TRUE(r.Out.empty());
    }
}

} // namespace
} // namespace tralcon::test
