// Random sequences of model operations on seeded projects; after every
// operation the model's invariants must hold.

#include "ModelTestUtil.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <set>
#include <sstream>
#include <string>

namespace tralcon {
namespace {

using test::CatalogueFromText;

class RandomProject {
  public:
    explicit RandomProject(unsigned seed)
        : Config(CatalogueFromText(test::kModelCatalogue)), P(*Config), Rng(seed) {
        P.CreateController(Config->ModelList[0]);
    }

    // Runs one random operation; returns its name for failure messages.
    std::string Step() {
        if (WithPlans && Pick(3) == 0)
            return PlanStep();
        int op = Pick(18);
        // Keep the project small enough for green sets and times to meet.
        if (op <= 1 && P.TrendGroupList().Count() >= 12)
            op = 2;
        if (op >= 15)
            op = 7;
        switch (op) {
        case 0:
        case 1: {
            static const int kinds[] = {0, 0, 1, 2, 3, 4, 5, 6, 7, 9};
            const int kind = kinds[Pick(10)];
            P.AddTrendGroup(kind);
            return "AddTrendGroup " + std::to_string(kind);
        }
        case 2: {
            const int row = RandomRow();
            P.DeleteTrendGroupOf(row);
            return "DeleteTrendGroupOf " + std::to_string(row);
        }
        case 3:
        case 4: {
            // Mostly the chain states, which shape the transitions.
            static const int states[] = {1, 2, 2, 3, 3, 4, 4, 6, 7, 7, 8, 8, 0, 5, 9, 10, 11};
            TTrend* s = RandomTrend();
            const int state = states[Pick(17)];
            const int value = Pick(12);
            if (s != nullptr)
                s->SetTime(state, static_cast<std::uint8_t>(value));
            return "SetTime " + std::to_string(state) + " " + std::to_string(value);
        }
        case 5: {
            const int row = RandomRow();
            const int slot = Pick(8);
            P.SetTrendOutput(row, slot, Pick(3) == 0 ? nullptr : RandomOutput());
            return "SetTrendOutput " + std::to_string(row) + " " + std::to_string(slot);
        }
        case 6: {
            P.SetConflict(RandomTrend(), RandomTrend(), Pick(4) != 0);
            return "SetConflict";
        }
        case 7:
        case 8: {
            TPhase* phase = RandomPhase();
            TTrend* s = RandomTrend();
            const bool flag = Pick(3) != 0;
            // The editors never toggle the call signal.
            if (s != nullptr && s->IsEditable())
                P.SetPhaseTrend(phase, s, flag);
            return "SetPhaseTrend";
        }
        case 9:
            P.CopyPhase(RandomPhase(false));
            return "CopyPhase";
        case 10:
            P.DeletePhase(RandomPhase(false));
            return "DeletePhase";
        case 11:
            P.SetPhaseMinTime(RandomPhase(), static_cast<std::uint8_t>(Pick(20)));
            return "SetPhaseMinTime";
        case 12: {
            const bool on = Pick(2) == 0;
            P.SwitchCallPhases(on);
            return on ? "SwitchCallPhases on" : "SwitchCallPhases off";
        }
        case 13: {
            TTrendGroup* g = P.TrendGroupAt(Pick(std::max(1, P.TrendGroupList().Count())));
            std::array<TControllerOutput*, kOutputSlotCount> outputs{};
            for (auto& o : outputs)
                o = Pick(2) == 0 ? RandomOutput() : nullptr;
            P.RestoreOutputs(g, outputs);
            TTrend* s = RandomTrend();
            if (s != nullptr) {
                s->SetRedControl(Pick(2) == 0);
                s->SetGreenControl(Pick(2) == 0);
            }
            return "RestoreOutputs";
        }
        default:
            if (Pick(2) == 0) {
                P.CreateController(Config->ModelList[Pick(2)]);
                return "CreateController";
            }
            P.DeleteController(Pick(P.ControllerList().Count()));
            return "DeleteController";
        }
    }

    // Cycles, plans and their items.
    std::string PlanStep() {
        switch (Pick(21)) {
        case 0:
            P.AddCycle();
            return "AddCycle";
        case 1:
            P.DeleteCycle(Pick(P.CycleList().Count() + 1));
            return "DeleteCycle";
        case 2:
            P.SetPhaseCycleTime(RandomPhase(false), Pick(P.CycleList().Count() + 1),
                                static_cast<std::uint8_t>(Pick(30)));
            return "SetPhaseCycleTime";
        case 3:
            P.AddDayPlan();
            return "AddDayPlan";
        case 4:
            P.DeleteDayPlan(Pick(P.DayPlanList().Count()));
            return "DeleteDayPlan";
        case 5: {
            TDayPlan* plan = RandomOf(P.DayPlanList());
            P.AddDayPlanItem(plan, Pick(plan->ItemCount() + 1));
            return "AddDayPlanItem";
        }
        case 6: {
            TDayPlan* plan = RandomOf(P.DayPlanList());
            const int i = Pick(plan->ItemCount());
            // Near the neighbours or anywhere, in whole minutes.
            const double t = Pick(2) == 0 ? Pick(1440) * Minute
                                          : plan->ItemAt(i)->Time() + (Pick(5) - 2) * Minute;
            P.SetDayItemTime(plan->ItemAt(i), t);
            return "SetDayItemTime";
        }
        case 7: {
            TDayPlan* plan = RandomOf(P.DayPlanList());
            TCycle* cycle = Pick(3) == 0   ? P.FlashCycle()
                            : Pick(2) == 0 ? P.OffCycle()
                                           : P.CycleAt(Pick(P.CycleList().Count()));
            P.SetDayItemCycle(plan->ItemAt(Pick(plan->ItemCount())), cycle);
            return "SetDayItemCycle";
        }
        case 8: {
            TDayPlan* plan = RandomOf(P.DayPlanList());
            plan->DeleteItem(Pick(plan->ItemCount()));
            return "DeleteItem (day)";
        }
        case 9:
            P.AddWeekPlan();
            return "AddWeekPlan";
        case 10:
            P.DeleteWeekPlan(Pick(P.WeekPlanList().Count()));
            return "DeleteWeekPlan";
        case 11: {
            TWeekPlan* plan = RandomOf(P.WeekPlanList());
            P.AddWeekPlanItem(plan, Pick(plan->ItemCount()));
            return "AddWeekPlanItem";
        }
        case 12: {
            TWeekPlan* plan = RandomOf(P.WeekPlanList());
            P.SetWeekItemDay(plan->ItemAt(Pick(plan->ItemCount())), Pick(8));
            return "SetWeekItemDay";
        }
        case 13: {
            TWeekPlan* plan = RandomOf(P.WeekPlanList());
            P.SetWeekItemDayPlan(plan->ItemAt(Pick(plan->ItemCount())), RandomOf(P.DayPlanList()));
            return "SetWeekItemDayPlan";
        }
        case 14: {
            TWeekPlan* plan = RandomOf(P.WeekPlanList());
            plan->DeleteItem(Pick(plan->ItemCount()));
            return "DeleteItem (week)";
        }
        case 15:
            P.AddYearPlanItem(Pick(P.YearPlan()->ItemCount()));
            return "AddYearPlanItem";
        case 16:
            P.SetYearItemDate(P.YearPlan()->ItemAt(Pick(P.YearPlan()->ItemCount())),
                              YearStart + Pick(370) - 2);
            return "SetYearItemDate";
        case 17:
            P.SetYearItemWeekPlan(P.YearPlan()->ItemAt(Pick(P.YearPlan()->ItemCount())),
                                  RandomOf(P.WeekPlanList()));
            return "SetYearItemWeekPlan";
        case 18:
            P.YearPlan()->DeleteItem(Pick(P.YearPlan()->ItemCount()));
            return "DeleteItem (year)";
        case 19:
            P.ClearCycles();
            return "ClearCycles";
        default:
            if (Pick(4) == 0) {
                P.ResetPlansAndOptions();
                return "ResetPlansAndOptions";
            }
            P.AddCycle();
            return "AddCycle";
        }
    }

    // Empty when every invariant holds, else what broke.
    std::string Check() {
        std::ostringstream err;
        CheckTrendsAndPhases(err);
        CheckPlans(err);
        return err.str();
    }

    void CheckPlans(std::ostringstream& err) {
        // Every reference count equals the number of live items naming it.
        std::map<const TLinkedObject*, int> refs;
        if (P.DayPlanList().Empty() || P.WeekPlanList().Empty() || P.YearPlan() == nullptr)
            err << "a plan list is empty; ";
        for (const TDayPlan* d : P.DayPlanList()) {
            if (d->ItemCount() == 0)
                err << "day plan without items; ";
            for (int i = 0; i < d->ItemCount(); ++i) {
                const TDayPlanItem* item = d->ItemAt(i);
                ++refs[item->Cycle()];
                if (!P.IsProjectCycle(item->Cycle()))
                    err << "day item names a cycle outside the project; ";
                if (item->Time() < -kTimeEpsilon || item->Time() > 1 - Minute + kTimeEpsilon)
                    err << "day item time out of the day; ";
                if (i > 0 && item->Time() - d->ItemAt(i - 1)->Time() < Minute - kTimeEpsilon)
                    err << "day items not ascending a minute apart; ";
            }
        }
        for (const TWeekPlan* w : P.WeekPlanList()) {
            if (w->ItemCount() == 0 || w->ItemCount() > kDaysInWeek)
                err << "week plan item count; ";
            for (int i = 0; i < w->ItemCount(); ++i) {
                const TWeekPlanItem* item = w->ItemAt(i);
                ++refs[item->DayPlan()];
                if (!P.DayPlanList().Contains(item->DayPlan()))
                    err << "week item names a freed day plan; ";
                if (item->Day() < 0 || item->Day() > 6 ||
                    (i > 0 && item->Day() <= w->ItemAt(i - 1)->Day()))
                    err << "week items out of order; ";
            }
        }
        const TYearPlan* y = P.YearPlan();
        if (y != nullptr) {
            if (y->ItemCount() == 0 || y->ItemCount() > kMaxYearPlanItems)
                err << "year plan item count; ";
            for (int i = 0; i < y->ItemCount(); ++i) {
                const TYearPlanItem* item = y->ItemAt(i);
                ++refs[item->WeekPlan()];
                if (!P.WeekPlanList().Contains(item->WeekPlan()))
                    err << "year item names a freed week plan; ";
                if (item->Date() < YearStart || item->Date() > YearEnd ||
                    (i > 0 && item->Date() <= y->ItemAt(i - 1)->Date()))
                    err << "year items out of order; ";
            }
        }
        auto counted = [&](const TLinkedObject* o, const char* what) {
            if (o->RefCount() != refs[o])
                err << what << " RefCount " << o->RefCount() << " for " << refs[o] << " items; ";
        };
        counted(P.FlashCycle(), "flash cycle");
        counted(P.OffCycle(), "off cycle");
        for (const TCycle* c : P.CycleList())
            counted(c, "cycle");
        for (const TDayPlan* d : P.DayPlanList())
            counted(d, "day plan");
        for (const TWeekPlan* w : P.WeekPlanList())
            counted(w, "week plan");

        // One duration per cycle in every working and call phase.
        for (const auto* list : {&P.PhaseList(), &P.CallPhaseList()})
            for (const TPhase* phase : *list) {
                if (phase->Cycles().Count() != P.CycleList().Count())
                    err << "phase durations do not match the cycles; ";
                for (int v : phase->Cycles())
                    if (v < phase->MinTime())
                        err << "duration below the phase's minimum; ";
            }
    }

    void CheckTrendsAndPhases(std::ostringstream& err) {
        std::set<const TTrend*> live;
        for (const TTrendGroup* g : P.TrendGroupList())
            for (const TTrend* s : g->Trends())
                live.insert(s);

        // Conflicts: symmetric, irreflexive, between live counted signals.
        for (const TTrend* s : live)
            for (const TTrend* c : s->Conflicts()) {
                if (!live.count(c))
                    err << "conflict with a dead signal; ";
                else if (c == s || !s->IsCounted() || !c->IsCounted())
                    err << "conflict with itself or an uncounted signal; ";
                else if (!c->Conflicts().Contains(s))
                    err << "asymmetric conflict; ";
            }
        if (P.ConflictPairCount() > TProject::kMaxConflictPairs)
            err << "too many conflict pairs; ";

        // Phase lists and their green sets.
        if (P.PhaseList().Empty() || P.CallPhaseList().Count() < 2 ||
            P.AllRedPhaseList().Count() != 3)
            err << "phase list shapes; ";
        std::vector<const TPhase*> phases;
        for (const auto* list : {&P.PhaseList(), &P.CallPhaseList(), &P.AllRedPhaseList()})
            phases.insert(phases.end(), list->begin(), list->end());
        for (const TPhase* phase : phases) {
            std::set<const TTrend*> seen;
            for (const TTrend* s : phase->Trends()) {
                if (!live.count(s))
                    err << "dead signal in a green set; ";
                if (!seen.insert(s).second)
                    err << "signal twice in a green set; ";
            }
            int previous = 0;
            for (int v : phase->TProms()) {
                if (v <= previous)
                    err << "TProms not strictly ascending above 0; ";
                previous = v;
            }
            for (const TTrendGroup* g : P.TrendGroupList())
                if (const auto* tram = dynamic_cast<const TTram*>(g)) {
                    bool moving = false;
                    for (int i = 0; i < 3; ++i)
                        moving = moving || phase->IsGreen(tram->Trends()[i]);
                    if (phase->IsGreen(tram->StopTrend()) == moving)
                        err << "tram stop signal wrong; ";
                }
        }

        // Derived data is never stale: recomputing changes nothing.
        std::vector<std::vector<int>> before;
        std::vector<std::vector<const TTrend*>> greensBefore;
        for (const TPhase* phase : phases) {
            before.emplace_back(phase->TProms().begin(), phase->TProms().end());
            greensBefore.emplace_back(phase->Trends().begin(), phase->Trends().end());
        }
        P.RecalcTransitions();
        for (std::size_t i = 0; i < phases.size(); ++i) {
            if (std::vector<int>(phases[i]->TProms().begin(), phases[i]->TProms().end()) !=
                before[i])
                err << "stale TProms in phase list entry " << i << "; ";
            if (std::vector<const TTrend*>(phases[i]->Trends().begin(),
                                           phases[i]->Trends().end()) != greensBefore[i])
                err << "stale copy of a working phase " << i << "; ";
        }

        // Outputs: each bound once, owners and slots agree.
        std::map<const TControllerOutput*, int> bound;
        for (const TTrendGroup* g : P.TrendGroupList()) {
            unsigned slots = 0;
            for (const TTrend* s : g->Trends())
                slots |= KindSlots(s->Kind());
            for (int slot = 0; slot < kOutputSlotCount; ++slot)
                if (const TControllerOutput* o = g->Output(slot)) {
                    ++bound[o];
                    if (o->Owner != g)
                        err << "slot output owned by another direction; ";
                    if (!P.OwnsOutput(o))
                        err << "slot output of no controller; ";
                    if ((slots & (1u << slot)) == 0)
                        err << "output in a slot the direction does not use; ";
                }
        }
        for (const auto& [o, n] : bound)
            if (n != 1)
                err << "output bound twice; ";
        for (const TController* c : P.ControllerList())
            for (const TControllerOutput* o : c->Outputs)
                if (o->Owner != nullptr && !bound.count(o))
                    err << "output owned by a direction that does not hold it; ";

        // Signal times and monitoring.
        for (const TTrend* s : live) {
            if (!(s->GetTime(1) >= s->GetTime(2) && s->GetTime(2) >= s->GetTime(3) &&
                  s->GetTime(3) >= s->GetTime(4) && s->GetTime(6) >= s->GetTime(7) &&
                  s->GetTime(7) >= s->GetTime(8)))
                err << "time chain out of order; ";
            const TControllerOutput* red = s->GetOutput(0);
            const TControllerOutput* green = s->GetOutput(2);
            if (s->RedControl() && (red == nullptr || !(red->ModelOutput->Flags & ofRed)))
                err << "red monitoring without a red lamp; ";
            if (s->GreenControl() && (green == nullptr || !(green->ModelOutput->Flags & ofGreen)))
                err << "green monitoring without a green lamp; ";
            if (s->RedPower() != 0)
                err << "red power set; ";
        }
        // Call phases come with their direction.
        if (P.CallPhaseList().Count() > 2 && P.CallTrend() == nullptr)
            err << "call phases without a call direction; ";
    }

    std::unique_ptr<TConfiguration> Config;
    TProject P;
    bool WithPlans = false;

  private:
    int Pick(int n) { return n <= 0 ? 0 : static_cast<int>(Rng() % static_cast<unsigned>(n)); }
    int RandomRow() { return Pick(P.TrendCount() + 1) - (Pick(10) == 0 ? 1 : 0); }
    TTrend* RandomTrend() {
        // Now and then a tram stop signal, which is no row.
        if (Pick(10) == 0)
            for (const TTrendGroup* g : P.TrendGroupList())
                if (const auto* tram = dynamic_cast<const TTram*>(g))
                    return tram->StopTrend();
        return P.TrendAt(Pick(P.TrendCount() + 1));
    }
    TPhase* RandomPhase(bool allRedToo = true) {
        if (allRedToo && Pick(8) == 0)
            return P.AllRedPhase();
        return P.PhaseAt(Pick(P.PhaseCount()));
    }
    template <class T> T* RandomOf(const TSafeObjList<T>& list) {
        return list.Items(Pick(list.Count()));
    }
    TControllerOutput* RandomOutput() {
        const TController* c = P.ControllerAt(Pick(P.ControllerList().Count()));
        if (c == nullptr || c->Outputs.Empty())
            return nullptr;
        return c->Outputs.Items(Pick(c->Outputs.Count()));
    }

    std::mt19937 Rng;
};

class ModelProperties : public ::testing::TestWithParam<unsigned> {
  protected:
    static void Run(unsigned seed, bool withPlans) {
        RandomProject r(seed);
        r.WithPlans = withPlans;
        for (int step = 0; step < 400; ++step) {
            const std::string op = r.Step();
            const std::string broken = r.Check();
            ASSERT_EQ(broken, "") << "seed " << seed << ", step " << step << ": " << op;
        }
    }
};

TEST_P(ModelProperties, InvariantsHoldAfterEveryOperation) {
    Run(GetParam(), false);
}

TEST_P(ModelProperties, InvariantsHoldWithCyclesAndPlansToo) {
    Run(GetParam(), true);
}

INSTANTIATE_TEST_SUITE_P(Seeds, ModelProperties, ::testing::Range(1u, 25u));

} // namespace
} // namespace tralcon
