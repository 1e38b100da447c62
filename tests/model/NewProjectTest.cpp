#include "ModelTestUtil.h"

#include <gtest/gtest.h>

#include <sstream>

namespace tralcon {
namespace {

using test::CatalogueFromText;

// Every stored value of a project, as text, so a reset that forgets a field
// shows up as a difference.
std::string Describe(const TProject& p) {
    std::ostringstream out;
    out << "name=" << p.ProjectName() << " id=" << int(p.SystemID())
        << " allred=" << int(p.AllRedTime()) << " options=" << int(p.ProjectOptions()) << "\n";
    for (const TController* c : p.ControllerList()) {
        out << "controller " << c->Model->ID << " flags=" << int(c->Flags) << " free=";
        for (const TControllerOutput* o : c->Outputs)
            out << (o->Owner == nullptr ? '.' : '#');
        out << "\n";
    }
    auto signal = [&](const TTrend* s) {
        const int g = p.TrendGroupList().IndexOf(s->Group());
        return std::to_string(g) + ":" + std::to_string(s->Group()->Trends().IndexOf(s));
    };
    for (const TTrendGroup* g : p.TrendGroupList()) {
        out << "direction kind=" << g->Kind() << " slots=";
        for (int s = 0; s < kOutputSlotCount; ++s)
            out << p.OutputName(g->Output(s)) << ",";
        for (const TTrend* s : g->Trends()) {
            out << " [";
            for (int st = 0; st < kSignalStateCount; ++st)
                out << int(s->GetTime(st)) << " ";
            out << s->RedControl() << s->GreenControl() << s->RedPower() << "]";
        }
        out << "\n";
    }
    for (const auto& [a, b] : p.ConflictPairs())
        out << "conflict " << signal(a) << "-" << signal(b) << "\n";
    auto phases = [&](const char* name, const TSafeObjList<TPhase>& list) {
        for (const TPhase* phase : list) {
            out << name << " min=" << int(phase->MinTime()) << " green=";
            for (const TTrend* s : phase->Trends())
                out << signal(s) << ",";
            out << " cycles=";
            for (int v : phase->Cycles())
                out << v << ",";
            out << " proms=";
            for (int v : phase->TProms())
                out << v << ",";
            out << "\n";
        }
    };
    phases("phase", p.PhaseList());
    phases("call", p.CallPhaseList());
    phases("allred", p.AllRedPhaseList());
    auto cycleCode = [&](const TCycle* c) {
        return c == p.FlashCycle() ? std::string("ЖМ")
               : c == p.OffCycle() ? std::string("ОС")
                                   : std::to_string(p.CycleList().IndexOf(c));
    };
    out << "special refs=" << p.FlashCycle()->RefCount() << "," << p.OffCycle()->RefCount() << "\n";
    for (const TCycle* c : p.CycleList())
        out << "cycle " << c->Name() << " refs=" << c->RefCount() << "\n";
    for (const TDayPlan* d : p.DayPlanList()) {
        out << "day " << d->Name() << " refs=" << d->RefCount();
        for (int i = 0; i < d->ItemCount(); ++i)
            out << " " << d->ItemAt(i)->Time() << "/" << cycleCode(d->ItemAt(i)->Cycle());
        out << "\n";
    }
    for (const TWeekPlan* w : p.WeekPlanList()) {
        out << "week " << w->Name() << " refs=" << w->RefCount();
        for (int i = 0; i < w->ItemCount(); ++i)
            out << " " << w->ItemAt(i)->Day() << "/"
                << p.DayPlanList().IndexOf(w->ItemAt(i)->DayPlan());
        out << "\n";
    }
    out << "year '" << p.YearPlan()->Name() << "'";
    for (int i = 0; i < p.YearPlan()->ItemCount(); ++i)
        out << " " << p.YearPlan()->ItemAt(i)->Date() << "/"
            << p.WeekPlanList().IndexOf(p.YearPlan()->ItemAt(i)->WeekPlan());
    out << "\n";
    return out.str();
}

class NewProject : public ::testing::Test {
  protected:
    std::unique_ptr<TConfiguration> Config = CatalogueFromText(test::kModelCatalogue);
};

TEST_F(NewProject, HoldsOneControllerAndTheDefaults) {
    TProject p(*Config);
    p.NewProject(Config->ModelList[1]);
    ASSERT_EQ(p.ControllerList().Count(), 1);
    EXPECT_EQ(p.ControllerAt(0)->Model, Config->ModelList[1]);
    EXPECT_TRUE(p.TrendGroupList().Empty());
    EXPECT_EQ(p.PhaseList().Count(), 1);
    EXPECT_EQ(p.PhaseAt(0)->MinTime(), 1);
    EXPECT_EQ(p.CallPhaseList().Count(), 2);
    EXPECT_EQ(p.AllRedPhaseList().Count(), 3);
    EXPECT_EQ(p.AllRedPhase()->MinTime(), 3);
    EXPECT_TRUE(p.CycleList().Empty());
    EXPECT_EQ(p.ProjectName(), "Новый перекресток");
    EXPECT_EQ(p.SystemID(), 1);
    EXPECT_EQ(p.AllRedTime(), 3);
    EXPECT_EQ(p.ProjectOptions(), 0);
    EXPECT_FALSE(p.CallPhasesEnabled());
    // The default chain of plans: year -> week -> day -> "ОС".
    ASSERT_EQ(p.DayPlanList().Count(), 1);
    ASSERT_EQ(p.WeekPlanList().Count(), 1);
    const TDayPlan* day = p.DayPlanList()[0];
    const TWeekPlan* week = p.WeekPlanList()[0];
    EXPECT_EQ(day->Name(), "Новый суточный план");
    EXPECT_EQ(week->Name(), "Новый недельный план");
    EXPECT_EQ(day->ItemAt(0)->Cycle(), p.OffCycle());
    EXPECT_EQ(week->ItemAt(0)->DayPlan(), day);
    EXPECT_EQ(week->ItemAt(0)->Day(), 0);
    EXPECT_EQ(p.YearPlan()->ItemAt(0)->WeekPlan(), week);
    EXPECT_EQ(p.YearPlan()->ItemAt(0)->Date(), YearStart);
    EXPECT_EQ(p.OffCycle()->RefCount(), 1);
    EXPECT_EQ(day->RefCount(), 1);
    EXPECT_EQ(week->RefCount(), 1);
    // Without a model there is no controller; the reader adds the stored ones.
    p.NewProject();
    EXPECT_TRUE(p.ControllerList().Empty());
    EXPECT_EQ(p.CreateController(2, 0x81)->Flags, 0x81);
}

TEST_F(NewProject, ForgetsEverythingAnEditedProjectHeld) {
    TProject fresh(*Config);
    fresh.NewProject(Config->ModelList[0]);

    TProject p(*Config);
    p.NewProject(Config->ModelList[0]);
    p.CreateController(Config->ModelList[1]);
    p.SetProjectName("Ленина - Мира");
    p.SetSystemID(77);
    p.SetProjectOptions(poQuickStart | poRedBlink);
    p.SetAllRedTime(9);
    TTrend* t = p.TrendAt(p.AddTrendGroup(0));
    TTrend* w = p.TrendAt(p.AddTrendGroup(1));
    p.AddTrendGroup(4);
    t->SetTime(3, 5);
    p.SetConflict(t, w, true);
    p.CopyPhase(p.PhaseAt(0));
    p.SetPhaseTrend(p.PhaseAt(0), t, true);
    p.SetPhaseMinTime(p.PhaseAt(1), 8);
    p.SwitchCallPhases(true);
    TCycle* c = p.AddCycle();
    p.SetCycleName(c, "Утро");
    TDayPlan* day = p.AddDayPlan();
    p.SetDayItemCycle(day->ItemAt(0), c);
    p.AddDayPlanItem(day, 0);
    TWeekPlan* week = p.AddWeekPlan();
    p.SetWeekItemDayPlan(week->ItemAt(0), day);
    p.SetYearItemWeekPlan(p.YearPlan()->ItemAt(0), week);
    p.AddYearPlanItem(0);
    ASSERT_NE(Describe(p), Describe(fresh));

    p.NewProject(Config->ModelList[0]);
    EXPECT_EQ(Describe(p), Describe(fresh));
}

TEST_F(NewProject, TwoProjectsLiveSideBySide) {
    TProject a(*Config), b(*Config);
    a.NewProject(Config->ModelList[0]);
    b.NewProject(Config->ModelList[0]);
    a.AddTrendGroup(0);
    a.SwitchCallPhases(true);
    a.AddCycle();
    a.SetProjectName("A");
    EXPECT_TRUE(b.TrendGroupList().Empty());
    EXPECT_EQ(b.CallPhaseList().Count(), 2);
    EXPECT_TRUE(b.CycleList().Empty());
    EXPECT_EQ(b.ProjectName(), "Новый перекресток");
    EXPECT_TRUE(b.ControllerAt(0)->ControllerIsFree());
    EXPECT_FALSE(a.ControllerAt(0)->ControllerIsFree());
}

} // namespace
} // namespace tralcon
