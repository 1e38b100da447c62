#include "cli/Cli.h"
#include "TestUtil.h"
#include "cli/CliArgs.h"
#include "model/Project.h"
#include "persistence/ProjExp.h"
#include "platform/Cp1251.h"
#include "scheme/SchemeDocument.h"

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

namespace tralcon::cli {
namespace {

class CliProject : public ::testing::Test {
  protected:
    test::TempDir Dir;
    std::string File(const std::string& name) const { return Dir.File(name); }
};

TEST_F(CliProject, NewInfoResaveImageExportCheck) {
    ASSERT_EQ(Cli({"new", "--model", "1", "-o", File("a.NVT")}).Status, 0);
    EXPECT_EQ(test::ReadBytes(File("a.NVT")).size(), 223u);

    CliRun info = Cli({"info", File("a.NVT")});
    ASSERT_EQ(info.Status, 0) << info.Err;
    EXPECT_NE(info.Out.find("Проект: Новый перекресток"), std::string::npos) << info.Out;
    EXPECT_NE(info.Out.find("НВТ-3 (32 выхода)"), std::string::npos) << info.Out;

    ASSERT_EQ(Cli({"resave", File("a.NVT"), "-o", File("b.NVT")}).Status, 0);
    EXPECT_EQ(test::ReadBytes(File("a.NVT")), test::ReadBytes(File("b.NVT")));

    ASSERT_EQ(Cli({"image", File("a.NVT"), "--controller", "0", "-o", File("a.bin")}).Status, 0);
    EXPECT_EQ(test::ReadBytes(File("a.bin")).size(), 116u); // no cycle: phase records of 19 bytes
    CliRun dump = Cli({"dump", File("a.bin")});
    EXPECT_EQ(dump.Status, 0) << dump.Err;

    CliRun exported = Cli({"export", File("a.NVT"), "-o", File("Cross")});
    ASSERT_EQ(exported.Status, 0) << exported.Err;
    EXPECT_EQ(test::ReadBytes(File("Cross.k0")).size(), 1024u);

    CliRun check = Cli({"check", File("a.NVT")});
    EXPECT_EQ(check.Status, 0) << check.Err;
    EXPECT_NE(check.Out.find("controller 0: image 116 bytes, OK"), std::string::npos);
}

// A project whose only phase releases two conflicting directions: one line
// per finding, status 1.
TEST_F(CliProject, CheckFindsConflictingGreens) {
    auto config = test::CatalogueFromText(test::kSmallCatalogue);
    TProject p(*config);
    p.NewProject(config->ModelList[0]);
    p.AddTrendGroup(0);
    p.AddTrendGroup(0);
    p.SetConflict(p.TrendAt(0), p.TrendAt(1), true);
    p.SetPhaseTrend(p.PhaseAt(0), p.TrendAt(0), true);
    p.SetPhaseTrend(p.PhaseAt(0), p.TrendAt(1), true);
    TSchemeDocument scheme;
    scheme.RowsInserted(0, p.TrendCount());
    test::WriteBytes(File("small.cfg"), ToCp1251(test::kSmallCatalogue));
    SaveProject(File("c.NVT"), p, scheme);
    CliRun check = Cli({"--config", File("small.cfg"), "check", File("c.NVT")});
    EXPECT_EQ(check.Status, 1);
    EXPECT_NE(check.Out.find("ошибка: фаза 1: конфликтующие направления 1Т (зеленый) и 2Т "
                             "(зеленый) разрешены одновременно\n"),
              std::string::npos)
        << check.Out;
}

TEST_F(CliProject, BadInputGivesTheMessageAndAFailureStatus) {
    test::WriteBytes(File("bad.NVT"), "garbage, not a project");
    CliRun bad = Cli({"info", File("bad.NVT")});
    EXPECT_EQ(bad.Status, 1);
    EXPECT_EQ(bad.Err, "Файл " + File("bad.NVT") + " поврежден или имеет неправильный формат\n");

    CliRun missing = Cli({"info", File("none.NVT")});
    EXPECT_EQ(missing.Status, 1);
    EXPECT_NE(missing.Err.find("не найден"), std::string::npos);

    ASSERT_EQ(Cli({"new", "-o", File("a.NVT")}).Status, 0);
    EXPECT_EQ(Cli({"image", File("a.NVT"), "--controller", "1", "-o", File("x.bin")}).Status, 2);
    EXPECT_EQ(Cli({"image", File("a.NVT"), "--controller", "x", "-o", File("x.bin")}).Status, 2);
    EXPECT_EQ(Cli({"new", "--model", "99", "-o", File("b.NVT")}).Status, 2);
    EXPECT_FALSE(std::filesystem::exists(File("x.bin")));
    EXPECT_FALSE(std::filesystem::exists(File("b.NVT")));

    // A catalogue without the project's model: the model error, nothing else.
    test::WriteBytes(File("other.cfg"), ToCp1251("[Model#0]\nID=77\nCaption=X\nRedOrder=1\n"));
    CliRun other = Cli({"--config", File("other.cfg"), "info", File("a.NVT")});
    EXPECT_EQ(other.Status, 1);
    EXPECT_EQ(other.Err, "Model not found\n");
}

} // namespace
} // namespace tralcon::cli

namespace tralcon::cli {
namespace {

// The bundled sample is what the sample command builds: regenerate it with
// `tralcon-cli sample -o data/examples/Sample.NVT` after a deliberate change.
TEST_F(CliProject, BundledSampleIsUpToDateAndCompiles) {
    ASSERT_EQ(Cli({"sample", "-o", File("s.NVT")}).Status, 0);
    const std::string bundled =
        test::ReadBytes(std::string(TRALCON_SOURCE_DIR) + "/data/examples/Sample.NVT");
    EXPECT_EQ(test::ReadBytes(File("s.NVT")), bundled);
    CliRun check = Cli({"check", File("s.NVT")});
    EXPECT_EQ(check.Status, 0) << check.Err;
    // No error; its warnings (short intergreen times) fail a strict check.
    EXPECT_EQ(check.Out.find("ошибка:"), std::string::npos) << check.Out;
    EXPECT_NE(check.Out.find("предупреждение: "), std::string::npos) << check.Out;
    EXPECT_EQ(Cli({"check", "--strict", File("s.NVT")}).Status, 1);
    CliRun info = Cli({"info", File("s.NVT")});
    EXPECT_NE(info.Out.find("Ф4  мин. 15 с  зеленые: 7ТВП 4П 5Пм"), std::string::npos) << info.Out;
    EXPECT_NE(info.Out.find("Схема: 16 объектов, фоновый рисунок"), std::string::npos);
}

} // namespace
} // namespace tralcon::cli

namespace tralcon::cli {
namespace {

// The sample's data script is the golden one but for the moment it was made.
TEST_F(CliProject, DataScriptOfTheSample) {
    const std::string source = TRALCON_SOURCE_DIR;
    CliRun r = Cli({"datascript", source + "/data/examples/Sample.NVT", "-o", File("General.js")});
    ASSERT_EQ(r.Status, 0) << r.Err;
    std::string written = test::ReadBytes(File("General.js"));
    std::string golden = test::ReadBytes(source + "/tests/passport/golden/Sample-General.js");
    auto dropDate = [](std::string& s) {
        const std::size_t at = s.find("CreationDate = '");
        ASSERT_NE(at, std::string::npos);
        s.erase(at, s.find("\r\n", at) - at);
    };
    dropDate(written);
    dropDate(golden);
    EXPECT_EQ(written, golden);

    CliRun missing = Cli({"datascript", File("none.NVT"), "-o", File("x.js")});
    EXPECT_EQ(missing.Status, 1);
    EXPECT_NE(missing.Err.find("не найден"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(File("x.js")));
    CliRun noFolder =
        Cli({"datascript", source + "/data/examples/Sample.NVT", "-o", File("no/General.js")});
    EXPECT_EQ(noFolder.Status, 1);
    EXPECT_NE(noFolder.Err.find("Не удалось записать файл"), std::string::npos) << noFolder.Err;
    EXPECT_EQ(Cli({"datascript", File("none.NVT")}).Status, 2);
}

} // namespace
} // namespace tralcon::cli
