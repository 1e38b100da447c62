#include "viewer/ChmArchive.h"
#include "viewer/ChmViewer.h"

#include "TestUtil.h"
#include "cli/Cli.h"
#include "passport/PassportBuilder.h"
#include "persistence/Config.h"
#include "persistence/ProjExp.h"
#include "scheme/SchemeGif.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <sstream>

namespace tralcon {
namespace {

namespace fs = std::filesystem;

const std::string kGif("GIF89a\x01\x00\x01\x00\x80\x00\x00\xff\xff\xff\x00\x00\x00\x21\xf9\x04"
                       "\x01\x00\x00\x00\x00\x2c\x00\x00\x00\x00\x01\x00\x01\x00\x00\x02\x02"
                       "\x44\x01\x00\x3b",
                       43);
const TLocalDateTime kDate{2024, 3, 7, 9, 5, 4};

bool HaveChmcmd() {
    return std::system("command -v chmcmd >/dev/null 2>&1") == 0;
}

// The sample's passport, compiled once for the whole suite.
class CompiledSample : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        if (!HaveChmcmd())
            return;
        const std::string source = TRALCON_SOURCE_DIR;
        Config = LoadConfiguration(source + "/data/NVT-3.cfg").release();
        Loaded = new TLoadedProject(LoadProject(source + "/data/examples/Sample.NVT", *Config));
        Dir = new test::TempDir;
        TPassportOptions o;
        o.TemplateDir = PassportTemplateDir(TRALCON_BIN_DIR);
        o.Now = [] { return kDate; };
        BuildPassport(*Loaded->Project, Chm(),
                      {[] { return kGif; }, [](int) { return kGif; }, nullptr}, o);
    }
    static void TearDownTestSuite() {
        delete Dir;
        delete Loaded;
        delete Config;
    }
    void SetUp() override {
        if (!HaveChmcmd())
            GTEST_SKIP() << "chmcmd (fp-utils) is not installed";
    }
    static std::string Chm() { return Dir->File("Паспорт.chm"); }

    static inline TConfiguration* Config = nullptr;
    static inline TLoadedProject* Loaded = nullptr;
    static inline test::TempDir* Dir = nullptr;
};

TEST_F(CompiledSample, ChmlibListsEveryFileOfThePassport) {
    TChmArchive chm(Chm());
    ASSERT_TRUE(chm.Valid());
    std::vector<std::string> files = chm.Files();
    std::sort(files.begin(), files.end());
    // "/_#_README_#_" is chmcmd's own note in every file it makes.
    const std::vector<std::string> expected = {"/_#_README_#_", "/Conflicts.js", "/General.js",
                                               "/Phase_0.gif",  "/Phase_1.gif",  "/Phase_2.gif",
                                               "/Phase_3.gif",  "/Scheme.gif",   "/index.htm",
                                               "/passport.css", "/passport.js"};
    std::vector<std::string> sorted = expected;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(files, sorted);
    std::string bytes;
    ASSERT_TRUE(chm.Read("/General.js", &bytes));
    EXPECT_EQ(bytes, DataScriptText(*Loaded->Project, kDate));
    ASSERT_TRUE(chm.Read("Phase_3.gif", &bytes));
    EXPECT_EQ(bytes, kGif);
    EXPECT_FALSE(chm.Read("/missing.htm", &bytes));
    EXPECT_FALSE(chm.Read("", &bytes));
}

TEST(ChmArchive, NotAHelpFile) {
    test::TempDir dir;
    test::WriteBytes(dir.File("x.chm"), "ITSF but not really");
    TChmArchive bad(dir.File("x.chm"));
    EXPECT_FALSE(bad.Valid());
    EXPECT_TRUE(bad.Files().empty());
    std::string bytes;
    EXPECT_FALSE(bad.Read("/index.htm", &bytes));
    EXPECT_FALSE(TChmArchive(dir.File("none.chm")).Valid());
}

// The pages printed without a window: an A4 PDF whose first page poppler
// turns into a picture that is not blank.
TEST_F(CompiledSample, PrintsThePagesToPdf) {
    test::TempDir out;
    std::string error;
    ASSERT_TRUE(PrintChmToPdf(Chm(), "index.htm", out.File("p.pdf"), &error)) << error;
    const std::string pdf = test::ReadBytes(out.File("p.pdf"));
    EXPECT_EQ(pdf.substr(0, 5), "%PDF-");
    if (std::system("command -v pdftoppm >/dev/null 2>&1") == 0) {
        const std::string cmd =
            "pdftoppm -r 30 -png -f 1 -l 1 '" + out.File("p.pdf") + "' '" + out.File("page") + "'";
        ASSERT_EQ(std::system(cmd.c_str()), 0);
        // pdftoppm names the page by the page count's digits.
        std::string png;
        for (const auto& e : fs::directory_iterator(out.Path()))
            if (e.path().extension() == ".png")
                png = test::ReadBytes(e.path().string());
        EXPECT_EQ(png.substr(1, 3), "PNG");
        EXPECT_GT(png.size(), 3000u) << "a blank page";
    }

    // A file that is not a help file: the reason, and no PDF.
    test::WriteBytes(out.File("bad.chm"), "not a help file");
    error.clear();
    EXPECT_FALSE(PrintChmToPdf(out.File("bad.chm"), "index.htm", out.File("q.pdf"), &error));
    EXPECT_NE(error.find("не является файлом справки"), std::string::npos) << error;
    EXPECT_FALSE(fs::exists(out.File("q.pdf")));
    // A folder that is not there.
    error.clear();
    EXPECT_FALSE(PrintChmToPdf(Chm(), "index.htm", out.File("no/q.pdf"), &error));
    EXPECT_NE(error.find("Не удалось записать файл"), std::string::npos) << error;
}

// The passport of the command line carries the scheme's own pictures and a
// timing diagram per cycle.
TEST(CommandLinePassport, CarriesTheSchemesPicturesAndTheCyclesDiagrams) {
    if (!HaveChmcmd())
        GTEST_SKIP() << "chmcmd (fp-utils) is not installed";
    test::TempDir dir;
    const std::string out = dir.File("passport.chm");
    std::ostringstream o, e;
    ASSERT_EQ(
        cli::RunCli(
            {"passport", std::string(TRALCON_SOURCE_DIR) + "/data/examples/Sample.NVT", "-o", out},
            o, e),
        0)
        << e.str();
    TChmArchive chm(out);
    ASSERT_TRUE(chm.Valid());
    std::string bytes;
    for (const char* gif : {"/Scheme.gif", "/Phase_0.gif", "/Phase_3.gif"}) {
        ASSERT_TRUE(chm.Read(gif, &bytes)) << gif;
        const std::optional<TGifImage> picture = DecodeGif(bytes);
        ASSERT_TRUE(picture.has_value()) << gif;
        EXPECT_EQ(picture->Width, 200) << gif;
        EXPECT_EQ(picture->Height, 200) << gif;
    }
    for (const char* png : {"/Cycle_0.png", "/Cycle_1.png"}) {
        ASSERT_TRUE(chm.Read(png, &bytes)) << png;
        EXPECT_EQ(bytes.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8)) << png;
    }
    EXPECT_FALSE(chm.Read("/Cycle_2.png", &bytes));
}

} // namespace
} // namespace tralcon
