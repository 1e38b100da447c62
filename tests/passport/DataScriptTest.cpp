#include "passport/DataScript.h"

#include "TestUtil.h"
#include "model/Project.h"
#include "persistence/Config.h"
#include "persistence/ProjExp.h"
#include "platform/Cp1251.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <vector>

namespace tralcon {
namespace {

const TLocalDateTime kDate{2024, 3, 7, 9, 5, 4};

std::string Script(const TProject& p) {
    return FromCp1251(DataScriptText(p, kDate));
}

// The lines of the script (UTF-8), without their CR LF.
std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t end = text.find("\r\n", at);
        EXPECT_NE(end, std::string::npos) << "a line without CR LF at byte " << at;
        if (end == std::string::npos)
            break;
        lines.push_back(text.substr(at, end - at));
        at = end + 2;
    }
    return lines;
}

bool HasLine(const std::string& text, const std::string& line) {
    for (const std::string& l : Lines(text))
        if (l == line)
            return true;
    return false;
}

int CountPrefix(const std::string& text, const std::string& prefix) {
    int n = 0;
    for (const std::string& l : Lines(text))
        n += l.rfind(prefix, 0) == 0;
    return n;
}

// The bundled sample, byte for byte: regenerate the golden file with
// `tralcon-cli datascript data/examples/Sample.NVT -o ...` and put the date
// line back to 07.03.2024 09:05:04 after a deliberate change.
TEST(DataScript, SampleMatchesTheGoldenFile) {
    const std::string source = TRALCON_SOURCE_DIR;
    auto config = LoadConfiguration(source + "/data/NVT-3.cfg");
    TLoadedProject loaded = LoadProject(source + "/data/examples/Sample.NVT", *config);
    const std::string golden = test::ReadBytes(source + "/tests/passport/golden/Sample-General.js");
    ASSERT_FALSE(golden.empty());
    EXPECT_EQ(DataScriptText(*loaded.Project, kDate), golden);
}

class DataScriptProject : public ::testing::Test {
  protected:
    // Three models; only the second is used.
    std::unique_ptr<TConfiguration> Config = test::CatalogueFromText(R"([General]
MultiCascade=1
[Model#0]
ID=10
Caption=Первый
RedOrder=1
[Model#1]
ID=20
Caption=Второй
RedOrder=1,2
YellowOrder=4
GreenOrder=8,10
UniversalOrder=20
[Model#2]
ID=30
Caption=Третий
GreenOrder=1
)");
    TProject P{*Config};
    void SetUp() override { P.NewProject(Config->ModelList[1]); }
};

TEST_F(DataScriptProject, HeaderLinesAndLineEnds) {
    P.SetProjectName("Перекресток");
    P.SetSystemID(200);
    const std::string bytes = DataScriptText(P, kDate);
    // Code page 1251 on the way out, CR LF after every line, the last too.
    EXPECT_EQ(bytes.substr(0, 26), ToCp1251("Description = 'Перекресток';\r\n").substr(0, 26));
    ASSERT_GE(bytes.size(), 2u);
    EXPECT_EQ(bytes.substr(bytes.size() - 2), "\r\n");
    const std::vector<std::string> lines = Lines(FromCp1251(bytes));
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[0], "Description = 'Перекресток';");
    EXPECT_EQ(lines[1], "CreationDate = '07.03.2024 09:05:04';");
    EXPECT_EQ(lines[2], "SystemID = 200;");
}

TEST_F(DataScriptProject, OnlyUsedModelsByCatalogueIndex) {
    const std::string s = Script(P);
    EXPECT_EQ(CountPrefix(s, "ModelList["), 1);
    EXPECT_TRUE(HasLine(s, "ModelList[1] = new Model('Второй');"));
    EXPECT_TRUE(HasLine(s, "with (ModelList[1]) {"));
    // Red 0, yellow 1, green 2; a universal output counts as red.
    for (const char* line :
         {"\tOutputs[0] = new ModelOutput(0);", "\tOutputs[1] = new ModelOutput(0);",
          "\tOutputs[2] = new ModelOutput(1);", "\tOutputs[3] = new ModelOutput(2);",
          "\tOutputs[5] = new ModelOutput(0);"})
        EXPECT_TRUE(HasLine(s, line)) << line;
    P.CreateController(Config->ModelList[1]);
    const std::string two = Script(P);
    EXPECT_TRUE(HasLine(two, "ControllerList[0] = new Controller(1,0,1);"));
    EXPECT_TRUE(HasLine(two, "ControllerList[1] = new Controller(1,0,1);"));
    EXPECT_EQ(CountPrefix(two, "ModelList["), 1);
}

TEST_F(DataScriptProject, ControllerOutputsListOnlyBoundOnesWithTheirPositions) {
    P.ControllerAt(0)->SetLampType(true);
    P.AddTrendGroup(1); // pedestrian: red and green
    TTrend* walk = P.TrendAt(0);
    TController* c = P.ControllerAt(0);
    // Bind the second red and the second green, leaving gaps before them.
    ASSERT_TRUE(P.SetTrendOutput(0, 0, c->ControllerOutputAt(1)));
    ASSERT_TRUE(P.SetTrendOutput(0, 2, c->ControllerOutputAt(4)));
    (void)walk;
    const std::string s = Script(P);
    EXPECT_TRUE(HasLine(s, "ControllerList[0] = new Controller(1,1,1);"));
    EXPECT_TRUE(HasLine(s, "\tOutputs[1] = new ControllerOutput(0, 0);"));
    EXPECT_TRUE(HasLine(s, "\tOutputs[4] = new ControllerOutput(0, 2);"));
    EXPECT_EQ(CountPrefix(s, "\tOutputs[0] = new ControllerOutput"), 0);
    EXPECT_TRUE(HasLine(s, "TrendGroupList[0] = new TrendGroup(1);"));
    EXPECT_TRUE(HasLine(s, "\t\tOutputs[0] = new TrendOutput(0, 1);"));
    EXPECT_TRUE(HasLine(s, "\t\tOutputs[2] = new TrendOutput(0, 4);"));
}

TEST_F(DataScriptProject, DirectionClassCodesAndTheTramStopSignalLeftOut) {
    for (int kind : {0, 1, 2, 3, 4, 9})
        P.AddTrendGroup(kind);
    P.SwitchCallPhases(true);
    const std::string s = Script(P);
    const char* expected[] = {
        "TrendGroupList[0] = new TrendGroup(0);", "TrendGroupList[1] = new TrendGroup(1);",
        "TrendGroupList[2] = new TrendGroup(2);", "TrendGroupList[3] = new TrendGroup(3);",
        "TrendGroupList[4] = new TrendGroup(4);", "TrendGroupList[5] = new TrendGroup(6);",
        "TrendGroupList[6] = new TrendGroup(5);"};
    for (const char* line : expected)
        EXPECT_TRUE(HasLine(s, line)) << line;
    // The tram has three counted signals (kinds 4, 5, 6); its stop signal
    // (kind 7) is derived and not written.
    EXPECT_TRUE(HasLine(s, "\tTrends[2] = new Trend(6, 0, 0);"));
    EXPECT_EQ(s.find("new Trend(7,"), std::string::npos);
    EXPECT_TRUE(HasLine(s, "\tTrends[0] = new Trend(8, 0, 0);"));
}

TEST_F(DataScriptProject, OnlyTimesThatLastAreWritten) {
    P.AddTrendGroup(0);
    TTrend* t = P.TrendAt(0);
    t->SetTime(2, 0);
    t->SetTime(3, 3);
    t->SetTime(7, 2);
    t->SetTime(8, 0);
    const std::string s = Script(P);
    EXPECT_TRUE(HasLine(s, "\t\tTimes[3] = " + std::to_string(t->GetTime(3)) + ";"));
    EXPECT_TRUE(HasLine(s, "\t\tTimes[7] = 2;"));
    EXPECT_EQ(s.find("\t\tTimes[2] ="), std::string::npos);
    EXPECT_EQ(s.find("\t\tTimes[8] ="), std::string::npos);
    // A time equal to the next state's time adds nothing of its own.
    t->SetTime(2, t->GetTime(3));
    EXPECT_EQ(Script(P).find("\t\tTimes[2] ="), std::string::npos);
}

TEST_F(DataScriptProject, DisplayNamesOfCyclesAndPlans) {
    struct Case {
        std::string Stored, Written;
    };
    const std::vector<Case> cases = {
        {"  Пик  ", "Пик"},
        {"Ночь", "Ночь"},
        {"Новый цикл", "Рабочий цикл № 3"},
        {"   ", "Рабочий цикл № 4"},
        // Only the exact default name is replaced; with a blank it is a name.
        {"Новый цикл ", "Новый цикл"},
        {"O'Brien", "O\\'Brien"},
    };
    for (const Case& c : cases) {
        TCycle* cycle = P.AddCycle();
        P.SetCycleName(cycle, c.Stored);
    }
    const std::string s = Script(P);
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const std::string line =
            "CycleList[" + std::to_string(i + 1) + "] = '" + cases[i].Written + "';";
        EXPECT_TRUE(HasLine(s, line)) << line << "\n" << s;
    }
    EXPECT_EQ(CycleDisplayName(P.CycleAt(5), 5), "O'Brien");

    // The default plans of a new project carry the default names.
    EXPECT_TRUE(HasLine(s, "DayPlanList[0] = new DayPlan('Суточный план № 1');"));
    EXPECT_TRUE(HasLine(s, "WeekPlanList[0] = new WeekPlan('Недельный план № 1');"));
    P.AddDayPlan()->SetName(" Будни ");
    P.AddWeekPlan();
    const std::string plans = Script(P);
    EXPECT_TRUE(HasLine(plans, "DayPlanList[1] = new DayPlan('Будни');"));
    EXPECT_TRUE(HasLine(plans, "WeekPlanList[1] = new WeekPlan('Недельный план № 2');"));
}

TEST_F(DataScriptProject, ApostropheAndBackslashKeepTheScriptValid) {
    P.SetProjectName("ул. Д'Артаньяна \\ 5");
    EXPECT_TRUE(HasLine(Script(P), "Description = 'ул. Д\\'Артаньяна \\\\ 5';"));
}

TEST_F(DataScriptProject, DayPlanItemsWithCycleCodes) {
    TCycle* first = P.AddCycle();
    TCycle* second = P.AddCycle();
    (void)first;
    TDayPlan* plan = P.DayPlanList()[0];
    TDayPlanItem* flash = P.AddDayPlanItem(plan, 0);
    ASSERT_TRUE(P.SetDayItemTime(flash, EncodeDayTime(6, 30)));
    ASSERT_TRUE(P.SetDayItemCycle(flash, P.FlashCycle()));
    TDayPlanItem* work = P.AddDayPlanItem(plan, 1);
    ASSERT_TRUE(P.SetDayItemTime(work, EncodeDayTime(21, 15)));
    ASSERT_TRUE(P.SetDayItemCycle(work, second));
    const std::string s = Script(P);
    EXPECT_TRUE(HasLine(s, "\tItems[0] = new DayPlanItem('00:00:00', -2);")) << s;
    EXPECT_TRUE(HasLine(s, "\tItems[1] = new DayPlanItem('06:30:00', -1);"));
    EXPECT_TRUE(HasLine(s, "\tItems[2] = new DayPlanItem('21:15:00', 2);"));
}

TEST_F(DataScriptProject, WeekAndYearPlanItems) {
    TDayPlan* second = P.AddDayPlan();
    TWeekPlan* week = P.WeekPlanList()[0];
    TWeekPlanItem* sat = P.AddWeekPlanItem(week, 0);
    ASSERT_TRUE(P.SetWeekItemDay(sat, 5));
    ASSERT_TRUE(P.SetWeekItemDayPlan(sat, second));
    TWeekPlan* holidays = P.AddWeekPlan();
    TYearPlanItem* may = P.AddYearPlanItem(0);
    ASSERT_TRUE(P.SetYearItemDate(may, EncodeDate(2000, 5, 9)));
    ASSERT_TRUE(P.SetYearItemWeekPlan(may, holidays));
    const std::string s = Script(P);
    EXPECT_TRUE(HasLine(s, "\tItems[1] = new WeekPlanItem(5, 1);"));
    EXPECT_TRUE(HasLine(s, "\tYearPlan[0] = new YearPlanItem('01 января', 0);"));
    EXPECT_TRUE(HasLine(s, "\tYearPlan[1] = new YearPlanItem('09 мая', 1);"));
    // The year plan is the last section and has no braces of its own.
    const std::vector<std::string> lines = Lines(s);
    EXPECT_EQ(lines.back(), "\tYearPlan[1] = new YearPlanItem('09 мая', 1);");
    EXPECT_EQ(YearDateText(EncodeDate(2000, 12, 31)), "31 декабря");
}

TEST_F(DataScriptProject, PhasesAndStepsWithAndWithoutCallPhases) {
    P.AddTrendGroup(0);
    P.AddTrendGroup(0);
    P.AddCycle();
    P.SetPhaseTrend(P.PhaseAt(0), P.TrendAt(0), true);
    TPhase* second = P.AddPhase();
    P.SetPhaseTrend(second, P.TrendAt(1), true);
    for (int row : {0, 1})
        P.TrendAt(row)->SetTime(3, 3); // yellow: a step between the phases
    ASSERT_GT(P.PhaseAt(0)->StepCount(), 0);
    const std::string plain = Script(P);
    EXPECT_EQ(CountPrefix(plain, "PhaseList["), 2);
    EXPECT_EQ(plain.find("new Step(1,"), std::string::npos);
    EXPECT_EQ(CountPrefix(plain, "StepList["), P.RowCount(true));
    EXPECT_TRUE(HasLine(plain, "StepList[0] = new Step(0, 0, " +
                                   std::to_string(P.RowDuration(0, true)) + ");"));
    EXPECT_TRUE(HasLine(plain, "StepList[1] = new Step(0, -1, " +
                                   std::to_string(P.RowDuration(1, true)) + ");"));
    // Phase 1 releases signal 0: ExtraGreen (1); signal 1 stays red (6).
    EXPECT_NE(plain.find("StepList[0] = new Step(0, 0, " + std::to_string(P.RowDuration(0, true)) +
                         ");\r\nwith (StepList[0]){\r\n\tTProms[0] = 1;\r\n\tTProms[1] = 6;\r\n}"),
              std::string::npos);

    P.SwitchCallPhases(true);
    const std::string calls = Script(P);
    // Two working phases and the one call phase, numbered on from them.
    EXPECT_EQ(CountPrefix(calls, "PhaseList["), 3);
    EXPECT_EQ(CountPrefix(calls, "StepList["), P.RowCount(true));
    const int callRow = P.PhaseRow(P.PhaseAt(2), true);
    EXPECT_TRUE(HasLine(calls, "StepList[" + std::to_string(callRow) + "] = new Step(1, 2, " +
                                   std::to_string(P.RowDuration(callRow, true)) + ");"))
        << calls;
    EXPECT_EQ(CountPrefix(calls, "\tCycles[0] = "), 3);
}

TEST_F(DataScriptProject, WriteDataScriptIntoAFolder) {
    test::TempDir dir;
    const std::string path = WriteDataScript(P, dir.Path(), [] { return kDate; });
    EXPECT_EQ(path, dir.Path() + "/General.js");
    EXPECT_EQ(test::ReadBytes(path), DataScriptText(P, kDate));
    EXPECT_EQ(WriteDataScript(P, dir.Path() + "/", [] { return kDate; }), path);
    // A folder that is not there: the message names the file, nothing is made.
    EXPECT_THROW(WriteDataScript(P, dir.File("missing"), [] { return kDate; }), std::exception);
    EXPECT_FALSE(std::filesystem::exists(dir.File("missing")));
}

} // namespace
} // namespace tralcon
