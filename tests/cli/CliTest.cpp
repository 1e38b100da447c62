#include "TestUtil.h"
#include "cli/Cli.h"
#include "cli/CliArgs.h"

#include <gtest/gtest.h>

#include <sstream>

namespace tralcon::cli {
namespace {

struct CliRun {
    int Status;
    std::string Out, Err;
};

CliRun Cli(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    int status = RunCli(args, out, err);
    return {status, out.str(), err.str()};
}

TEST(CliArgs, OptionsValuesAndPositionals) {
    CliArgs a({"--config", "x.cfg", "image", "p.NVT", "--controller=1", "-o", "out", "--set"},
              {"--config", "--controller", "-o"}, {"--set"});
    EXPECT_EQ(a.Command(), "image");
    EXPECT_EQ(a.Positional(), (std::vector<std::string>{"p.NVT"}));
    EXPECT_EQ(a.Value("--config"), "x.cfg");
    EXPECT_EQ(a.Value("--controller"), "1");
    EXPECT_EQ(a.Value("-o"), "out");
    EXPECT_TRUE(a.Flag("--set"));
    EXPECT_FALSE(a.Value("--port"));
    EXPECT_THROW(CliArgs({"--bogus"}, {}, {}), std::invalid_argument);
    EXPECT_THROW(CliArgs({"cmd", "-o"}, {"-o"}, {}), std::invalid_argument);
    CliArgs dashes({"cmd", "--", "-file"}, {}, {});
    EXPECT_EQ(dashes.Positional(), (std::vector<std::string>{"-file"}));
}

TEST(Cli, ModelsPrintsTheBundledCatalogue) {
    CliRun r = Cli({"models"});
    ASSERT_EQ(r.Status, 0) << r.Err;
    EXPECT_NE(r.Out.find("#0  ID 1  ControllerID 3"), std::string::npos) << r.Out;
    EXPECT_NE(r.Out.find("1к    mask 00000001"), std::string::npos);
    EXPECT_NE(r.Out.find("8у    mask 80000000  powered"), std::string::npos);
    EXPECT_NE(r.Out.find("MultiCascade on"), std::string::npos);
    EXPECT_NE(r.Out.find("YBTime 1"), std::string::npos);
}

TEST(Cli, UnusableCatalogueExitsWithStatusTwoAndTheMessage) {
    test::TempDir dir;
    CliRun missing = Cli({"--config", dir.File("NVT-3.cfg"), "models"});
    EXPECT_EQ(missing.Status, 2);
    EXPECT_EQ(missing.Err, "Файл NVT-3.cfg не найден\n");
    EXPECT_TRUE(missing.Out.empty());
    test::WriteBytes(dir.File("other.cfg"), std::string("\x01\x02[Model#0]\x00", 13));
    CliRun bad = Cli({"--config", dir.File("other.cfg"), "models"});
    EXPECT_EQ(bad.Status, 2);
    EXPECT_EQ(bad.Err, "Файл other.cfg имеет неправильный формат\r\nили поврежден\n");
}

TEST(Cli, UsageErrorsAndHelp) {
    EXPECT_EQ(Cli({}).Status, 2);
    EXPECT_EQ(Cli({"frobnicate"}).Status, 2);
    EXPECT_EQ(Cli({"models", "extra"}).Status, 2);
    EXPECT_EQ(Cli({"--config"}).Status, 2);
    CliRun help = Cli({"--help"});
    EXPECT_EQ(help.Status, 0);
    EXPECT_NE(help.Out.find("models"), std::string::npos);
}

} // namespace
} // namespace tralcon::cli
