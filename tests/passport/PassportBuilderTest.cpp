#include "passport/PassportBuilder.h"

#include "TestUtil.h"
#include "model/Errors.h"
#include "model/Project.h"
#include "persistence/Config.h"
#include "persistence/ProjExp.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace tralcon {
namespace {

namespace fs = std::filesystem;

// "{8-4-4-4-12}" upper-case hexadecimal digits, version 4.
bool IsGuid(const std::string& s) {
    if (s.size() != 38 || s.front() != '{' || s.back() != '}' || s[15] != '4')
        return false;
    for (std::size_t i = 1; i < 37; ++i) {
        const bool dash = i == 9 || i == 14 || i == 19 || i == 24;
        const char c = s[i];
        if (dash ? c != '-' : !((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F')))
            return false;
    }
    return true;
}

std::string ReplaceAll(std::string s, const std::string& from, const std::string& to) {
    for (std::size_t at = s.find(from); at != std::string::npos; at = s.find(from, at + to.size()))
        s.replace(at, from.size(), to);
    return s;
}

// The smallest GIF there is (one transparent pixel).
const std::string kGif("GIF89a\x01\x00\x01\x00\x80\x00\x00\xff\xff\xff\x00\x00\x00\x21\xf9\x04"
                       "\x01\x00\x00\x00\x00\x2c\x00\x00\x00\x00\x01\x00\x01\x00\x00\x02\x02"
                       "\x44\x01\x00\x3b",
                       43);

TEST(HelpProject, LinesOfTheTemplateAndTheFileList) {
    test::TempDir t;
    test::WriteBytes(t.File("index.htm"), "<html></html>");
    test::WriteBytes(t.File("passport.js"), "");
    struct Case {
        const char* Name;
        std::string Template;
        std::string Expected; // T stands for the template folder
    };
    const std::vector<Case> cases = {
        {"the worked example",
         "[OPTIONS]\r\nCompiled File=\r\nTitle=\r\n[FILES]\r\nindex.htm\r\n[INFOTYPES]\r\n",
         "[OPTIONS]\r\nCompiled File=OUT\r\nTitle=TITLE\r\n[FILES]\r\nT/index.htm\r\nG1\r\nG2\r\n"
         "[INFOTYPES]\r\n"},
        {"any letter case; a title with a value stays",
         "compiled file=\nTITLE=Old\ntitle=\n[files]\n",
         "compiled file=OUT\r\nTITLE=Old\r\ntitle=TITLE\r\n[files]\r\nG1\r\nG2\r\n"},
        {"a listed file the template lacks is dropped, so are blank lines",
         "[FILES]\rmissing.htm\r\rpassport.js\r[MERGE FILES]\rx.chm\r",
         "[FILES]\r\nT/passport.js\r\nG1\r\nG2\r\n[MERGE FILES]\r\nx.chm\r\n"},
        {"[FILES] last: the generated files end the project", "Title=\r\n[FILES]\r\nindex.htm",
         "Title=TITLE\r\n[FILES]\r\nT/index.htm\r\nG1\r\nG2\r\n"},
        {"only the whole line counts", "Compiled File=x.chm\r\n Title=\r\n[FILES]\r\n",
         "Compiled File=x.chm\r\n Title=\r\n[FILES]\r\nG1\r\nG2\r\n"},
    };
    for (const Case& c : cases) {
        const std::string expected = ReplaceAll(c.Expected, "T/", t.Path() + "/");
        EXPECT_EQ(HelpProjectText(c.Template, t.Path(), "OUT", "TITLE", {"G1", "G2"}), expected)
            << c.Name;
    }
    EXPECT_THROW(HelpProjectText("[OPTIONS]\r\nTitle=\r\n", t.Path(), "OUT", "T", {"G"}),
                 EUserError);
}

TEST(HelpProject, GuidsAreFreshAndInRegistryForm) {
    const std::string a = NewGuidText(), b = NewGuidText();
    EXPECT_TRUE(IsGuid(a)) << a;
    EXPECT_NE(a, b);
}

// A project with three working phases and two call phases, on the small
// catalogue.
class PassportBuild : public ::testing::Test {
  protected:
    std::unique_ptr<TConfiguration> Config = test::CatalogueFromText(test::kSmallCatalogue);
    TProject P{*Config};
    test::TempDir Template, Temp, Out, Log;
    TPassportPictures Pictures{[] { return kGif; }, [](int) { return kGif; }, nullptr};

    void SetUp() override {
        P.NewProject(Config->ModelList[0]);
        P.SetProjectName("Перекресток");
        P.AddTrendGroup(0);
        P.AddPhase();
        P.AddPhase();
        P.SwitchCallPhases(true);
        P.InsertCallPhase();
        test::WriteBytes(Template.File("Temp.Hhp"),
                         "[OPTIONS]\r\nCompiled File=\r\nTitle=\r\n[FILES]\r\nindex.htm\r\n"
                         "gone.htm\r\n[INFOTYPES]\r\n");
        test::WriteBytes(Template.File("index.htm"), "<html></html>");
    }

    // A stand-in compiler: keeps the project and the work folder's listing,
    // then behaves as the script body says.
    void Compiler(const std::string& body) {
        const std::string script =
            "#!/bin/sh\ncp \"$1\" '" + Log.File("project.hhp") + "'\nls \"$(dirname \"$1\")\" > '" +
            Log.File("work.txt") +
            "'\nout=$(sed -n 's/^Compiled File=//p' \"$1\" | tr -d '\\r')\n" + body + "\n";
        test::WriteBytes(Template.File("hhc"), script);
        fs::permissions(Template.File("hhc"), fs::perms::owner_all);
    }

    TPassportOptions Options() const {
        TPassportOptions o;
        o.TemplateDir = Template.Path();
        o.TempDir = Temp.Path();
        o.Now = [] { return TLocalDateTime{2024, 1, 2, 3, 4, 5}; };
        return o;
    }

    // The message of the failed build, or "" when it succeeded.
    std::string Build(const std::string& output) {
        try {
            BuildPassport(P, output, Pictures, Options());
        } catch (const EUserError& e) {
            return e.what();
        }
        return {};
    }

    bool TempIsEmpty() const { return fs::is_empty(Temp.Path()); }
};

TEST_F(PassportBuild, ProjectListsTemplateFilesThenPicturesAndData) {
    ASSERT_EQ(P.PhaseCount(), 5);
    // Two cycles, each with its timing diagram.
    P.AddCycle();
    P.AddCycle();
    ASSERT_EQ(P.CycleList().Count(), 2);
    Pictures.Cycle = [](int i) { return "PNG" + std::to_string(i); };
    Compiler("printf 'ITSF' > \"$out\"");
    const std::string out = Out.File("Cross.chm");
    ASSERT_EQ(Build(out), "");
    EXPECT_EQ(test::ReadBytes(out), "ITSF");
    EXPECT_TRUE(TempIsEmpty()) << "the work folder stays behind";

    const std::string hhp = test::ReadBytes(Log.File("project.hhp"));
    const std::string work = hhp.substr(hhp.find("Compiled File=") + 14);
    const std::string dir = work.substr(0, work.find("/passport.chm"));
    EXPECT_TRUE(IsGuid(fs::path(dir).filename().string())) << dir;
    EXPECT_EQ(fs::path(dir).parent_path().string(), Temp.Path());
    std::string expected = "[OPTIONS]\r\nCompiled File=" + dir +
                           "/passport.chm\r\nTitle=" + ToCp1251("Перекресток") + "\r\n[FILES]\r\n" +
                           Template.File("index.htm") + "\r\n";
    for (int i = 0; i < 5; ++i)
        expected += dir + "/Phase_" + std::to_string(i) + ".gif\r\n";
    expected += dir + "/Cycle_0.png\r\n" + dir + "/Cycle_1.png\r\n";
    expected += dir + "/Scheme.gif\r\n" + dir + "/General.js\r\n" + dir +
                "/Conflicts.js\r\n[INFOTYPES]\r\n";
    EXPECT_EQ(hhp, expected);
    EXPECT_EQ(test::ReadBytes(Log.File("work.txt")),
              "Conflicts.js\nCycle_0.png\nCycle_1.png\nGeneral.js\nPhase_0.gif\nPhase_1.gif\nPhase_"
              "2.gif\nPhase_3.gif\n"
              "Phase_4.gif\nScheme.gif\nTemp.Hhp\n");
}

TEST_F(PassportBuild, NoPicturesWhenThereIsNoneToGive) {
    Compiler("printf 'ITSF' > \"$out\"");
    Pictures = {nullptr, [](int i) { return i == 1 ? kGif : std::string(); }, nullptr};
    ASSERT_EQ(Build(Out.File("a.chm")), "");
    const std::string hhp = test::ReadBytes(Log.File("project.hhp"));
    EXPECT_NE(hhp.find("/Phase_1.gif\r\n"), std::string::npos);
    EXPECT_EQ(hhp.find("/Phase_0.gif"), std::string::npos);
    EXPECT_EQ(hhp.find("Scheme.gif"), std::string::npos);
}

// Each fault has its own message, leaves nothing at the output path (an old
// passport stays as it was) and no work folder.
TEST_F(PassportBuild, FaultsLeaveNoTraceAndSayWhy) {
    struct Case {
        const char* Name;
        std::function<void()> Arrange;
        std::string Output;
        const char* Message;
    };
    const std::vector<Case> cases = {
        {"no template project", [&] { fs::remove(Template.File("Temp.Hhp")); }, "a.chm",
         "Шаблон паспорта"},
        {"no compiler", [&] { fs::remove(Template.File("hhc")); }, "a.chm", "Компилятор справки"},
        {"the compiler fails", [&] { Compiler("echo 'Error: broken page' >&2; exit 3"); }, "a.chm",
         "Компилятор справки завершился с ошибкой (код 3):\nError: broken page"},
        {"the compiler writes nothing", [&] { Compiler("exit 0"); }, "a.chm",
         "Компилятор справки завершился с ошибкой"},
        {"a half file and a failure", [&] { Compiler("printf IT > \"$out\"; exit 217"); }, "a.chm",
         "(код 217)"},
        {"no chmcmd", [&] { Compiler("echo 'hhc: chmcmd not found' >&2; exit 127"); }, "a.chm",
         "Компилятор справки не нашел chmcmd (пакет fp-utils): hhc: chmcmd not found"},
        {"output folder not there", [&] { Compiler("printf 'ITSF' > \"$out\""); }, "missing/a.chm",
         "Не удалось записать файл"},
    };
    for (const Case& c : cases) {
        SetUp();
        Compiler("printf 'ITSF' > \"$out\"");
        c.Arrange();
        test::WriteBytes(Out.File("a.chm"), "old passport");
        const std::string message = Build(Out.File(c.Output));
        EXPECT_NE(message.find(c.Message), std::string::npos) << c.Name << ": " << message;
        EXPECT_EQ(test::ReadBytes(Out.File("a.chm")), "old passport") << c.Name;
        EXPECT_TRUE(TempIsEmpty()) << c.Name;
        std::size_t files = 0;
        for (const auto& e : fs::directory_iterator(Out.Path()))
            files += e.is_regular_file();
        EXPECT_EQ(files, 1u) << c.Name << ": a temporary file beside the output";
    }
}

// The real template and the real compiler, when the machine has chmcmd.
TEST(PassportTemplate, CompilesTheSample) {
    if (std::system("command -v chmcmd >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "chmcmd (fp-utils) is not installed";
    const std::string source = TRALCON_SOURCE_DIR;
    auto config = LoadConfiguration(source + "/data/NVT-3.cfg");
    TLoadedProject loaded = LoadProject(source + "/data/examples/Sample.NVT", *config);
    test::TempDir temp, out;
    TPassportOptions o;
    o.TemplateDir = PassportTemplateDir(TRALCON_BIN_DIR);
    o.TempDir = temp.Path();
    BuildPassport(*loaded.Project, out.File("Паспорт.chm"),
                  {[] { return kGif; }, [](int) { return kGif; }, nullptr}, o);
    const std::string chm = test::ReadBytes(out.File("Паспорт.chm"));
    EXPECT_EQ(chm.substr(0, 4), "ITSF");
    EXPECT_TRUE(fs::is_empty(temp.Path()));
}

// Without chmcmd on the search path the template's compiler says so.
TEST(PassportTemplate, CompilerWithoutChmcmd) {
    const char* path = std::getenv("PATH");
    const std::string saved = path ? path : "";
    test::TempDir empty, temp, out;
    setenv("PATH", empty.Path().c_str(), 1);
    auto config = test::CatalogueFromText(test::kSmallCatalogue);
    TProject p(*config);
    p.NewProject(config->ModelList[0]);
    TPassportOptions o;
    o.TemplateDir = PassportTemplateDir(TRALCON_BIN_DIR);
    o.TempDir = temp.Path();
    std::string message;
    try {
        BuildPassport(p, out.File("a.chm"), {}, o);
    } catch (const EUserError& e) {
        message = e.what();
    }
    setenv("PATH", saved.c_str(), 1);
    EXPECT_NE(message.find("chmcmd"), std::string::npos) << message;
    EXPECT_FALSE(fs::exists(out.File("a.chm")));
    EXPECT_TRUE(fs::is_empty(temp.Path()));
}

} // namespace
} // namespace tralcon
