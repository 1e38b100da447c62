#include "ModelTestUtil.h"
#include "model/Errors.h"

#include <gtest/gtest.h>

namespace tralcon {
namespace {

using test::ProjectTest;
using S = TSignalState;

class Phases : public ProjectTest {
  protected:
    // Working phases until there are n (copies of the first).
    void WorkingPhases(int n) {
        while (P.PhaseList().Count() < n)
            ASSERT_NE(P.CopyPhase(Phase(0)), nullptr);
    }
    void Green(TPhase* phase, std::initializer_list<TTrend*> signals) {
        for (TTrend* s : signals)
            P.SetPhaseTrend(phase, s, true);
    }
};

// Phase A releases 1Т (3 s green blinking, 3 s yellow), phase B 2П (2 s
// leading green).
TEST_F(Phases, WorkedTransitionExample) {
    TTrend* t = Add(0);
    TTrend* w = Add(1);
    Times(t, {{2, 6}, {3, 3}, {4, 0}});
    Times(w, {{8, 2}});
    WorkingPhases(2);
    TPhase* a = Phase(0);
    TPhase* b = Phase(1);
    Green(a, {t});
    Green(b, {w});

    EXPECT_EQ(Proms(a), (std::vector<int>{2, 3, 6}));
    EXPECT_EQ(a->TransitionLength(), 6);
    ASSERT_EQ(a->StepCount(), 3);
    struct Step {
        int Start, Duration;
        S Transport, Pedestrian;
    } steps[] = {
        {6, 3, S::GreenBlink, S::ExtraRed},
        {3, 1, S::Yellow, S::ExtraRed},
        {2, 2, S::Yellow, S::LeadingGreen},
    };
    for (int k = 0; k < 3; ++k) {
        SCOPED_TRACE(k);
        EXPECT_EQ(a->StepStart(k), steps[k].Start);
        EXPECT_EQ(a->StepDuration(k), steps[k].Duration);
        EXPECT_EQ(P.TrendSignal(a, t, k), steps[k].Transport);
        EXPECT_EQ(P.TrendSignal(a, w, k), steps[k].Pedestrian);
    }
    EXPECT_EQ(P.TrendSignal(a, t, -1), S::ExtraGreen);
    EXPECT_EQ(P.TrendSignal(a, w, -1), S::ExtraRed);
    EXPECT_EQ(a->StepDuration(3), 0);
    EXPECT_THROW(P.TrendSignal(a, t, 3), EModelError);
    // Back from B to A nothing has a time: no intermediate step.
    EXPECT_TRUE(Proms(b).empty());
    EXPECT_EQ(b->TransitionLength(), 0);
}

TEST_F(Phases, TransitionEdgeCases) {
    TTrend* t1 = Add(0);
    TTrend* t2 = Add(0);
    WorkingPhases(2);
    TPhase* a = Phase(0);
    TPhase* b = Phase(1);

    // Identical green sets: no steps.
    Green(a, {t1});
    Green(b, {t1});
    Times(t1, {{2, 6}, {3, 3}});
    EXPECT_TRUE(Proms(a).empty());
    // A closing signal whose times are all 0: the single 0 goes.
    P.SetPhaseTrend(b, t1, false);
    P.SetPhaseTrend(a, t1, false);
    Green(a, {t2});
    EXPECT_TRUE(Proms(a).empty());
    // Two closing signals: yellow from 3 and 4 s, blinking from 5 and 7 s.
    Times(t1, {{2, 5}, {3, 3}, {4, 0}});
    Times(t2, {{2, 7}, {3, 4}});
    Green(a, {t1});
    EXPECT_EQ(Proms(a), (std::vector<int>{3, 4, 5, 7}));
    // Equal thresholds of different signals make one boundary.
    t2->SetTime(2, 5);
    EXPECT_EQ(Proms(a), (std::vector<int>{3, 4, 5}));
}

TEST_F(Phases, OpeningWithEqualRedYellowAndLeadingGreenShowsOnlyLeadingGreen) {
    TTrend* t = Add(0);
    Times(t, {{8, 3}, {7, 3}});
    WorkingPhases(2);
    Green(Phase(1), {t});
    EXPECT_EQ(Proms(Phase(0)), (std::vector<int>{3}));
    EXPECT_EQ(P.TrendSignal(Phase(0), t, 0), S::LeadingGreen);
}

TEST_F(Phases, TramMovementOpeningClosesTheStopSignal) {
    auto* tram = dynamic_cast<TTram*>(Add(4)->Group());
    TTrend* straight = tram->Trends()[1];
    TTrend* stop = tram->StopTrend();
    straight->SetTime(8, 4);
    WorkingPhases(2);
    TPhase* a = Phase(0);
    TPhase* b = Phase(1);
    Green(b, {straight});
    EXPECT_TRUE(a->IsGreen(stop));
    EXPECT_FALSE(b->IsGreen(stop));
    EXPECT_EQ(Proms(a), (std::vector<int>{4}));
    EXPECT_EQ(P.TrendSignal(a, straight, 0), S::LeadingGreen);
    EXPECT_EQ(P.TrendSignal(a, stop, 0), S::ExtraRed);
    EXPECT_EQ(P.TrendSignal(a, stop, -1), S::ExtraGreen);
    EXPECT_EQ(P.TrendSignal(b, stop, -1), S::ExtraRed);
}

TEST_F(Phases, OneWorkingPhaseGoesToItselfWithoutSteps) {
    TTrend* t = Add(0);
    Times(t, {{2, 6}, {3, 3}});
    Green(Phase(0), {t});
    EXPECT_TRUE(Proms(Phase(0)).empty());
    EXPECT_EQ(P.Successor(Phase(0)), Phase(0));
    // The all-red sequence still closes and reopens it.
    const auto& allRed = P.AllRedPhaseList();
    EXPECT_EQ(Proms(allRed[0]), (std::vector<int>{3, 6}));
    EXPECT_TRUE(Proms(allRed[1]).empty()); // t opens without times
    EXPECT_TRUE(allRed[0]->IsGreen(t));
    EXPECT_TRUE(allRed[2]->IsGreen(t));
    EXPECT_TRUE(P.AllRedPhase()->Trends().Empty());
    EXPECT_EQ(P.AllRedPhase()->MinTime(), 3);
}

TEST_F(Phases, EveryTimingChangeRecomputesAtOnce) {
    TTrend* t = Add(0);
    TTrend* w = Add(1);
    WorkingPhases(2);
    Green(Phase(0), {t});
    Green(Phase(1), {w});
    EXPECT_TRUE(Proms(Phase(0)).empty());
    // A signal time.
    t->SetTime(3, 4);
    EXPECT_EQ(Proms(Phase(0)), (std::vector<int>{4}));
    w->SetTime(8, 2);
    EXPECT_EQ(Proms(Phase(0)), (std::vector<int>{2, 4}));
    // A green set.
    P.SetPhaseTrend(Phase(1), t, true);
    EXPECT_EQ(Proms(Phase(0)), (std::vector<int>{2}));
    // A new direction changes nothing until it is green somewhere.
    TTrend* a = Add(3);
    a->SetTime(2, 5);
    EXPECT_EQ(Proms(Phase(0)), (std::vector<int>{2}));
    P.SetPhaseTrend(Phase(0), a, true);
    EXPECT_EQ(Proms(Phase(0)), (std::vector<int>{2, 5}));
    // The copies in the call and all-red lists follow the working phases.
    EXPECT_EQ(Greens(P.AllRedPhaseList()[0]), Greens(Phase(1)));
    EXPECT_EQ(Greens(P.CallPhaseList()[1]), Greens(Phase(0)));
    // A new phase order.
    ASSERT_NE(P.CopyPhase(Phase(1)), nullptr); // [A, B', B]
    EXPECT_EQ(Proms(Phase(0)), (std::vector<int>{2, 5}));
    EXPECT_TRUE(Proms(Phase(1)).empty());
    EXPECT_TRUE(P.DeletePhase(Phase(0)));
    EXPECT_TRUE(Proms(Phase(0)).empty());
    EXPECT_EQ(Greens(P.CallPhaseList()[0]), Greens(Phase(1)));
}

TEST_F(Phases, AHeldRecomputationRunsOnceWhenTheOutermostHoldEnds) {
    TTrend* t = Add(0);
    TTrend* w = Add(1);
    WorkingPhases(2);
    {
        TRecalcHold outer(P);
        {
            TRecalcHold inner(P);
            Green(Phase(0), {t});
            Green(Phase(1), {w});
            t->SetTime(3, 4);
            P.SwitchCallPhases(true);
        }
        // Still held: the steps are those of before the changes.
        EXPECT_TRUE(Proms(Phase(0)).empty());
        w->SetTime(8, 2);
        EXPECT_TRUE(Proms(Phase(0)).empty());
    }
    EXPECT_EQ(Proms(Phase(0)), (std::vector<int>{2, 4}));
    // The copies in the call and all-red lists caught up as well.
    EXPECT_EQ(Greens(P.AllRedPhaseList()[0]), Greens(P.CallPhaseList()[0]));
    EXPECT_EQ(Greens(P.AllRedPhaseList()[2]), Greens(Phase(0)));
    // Unheld again: a change recomputes at once.
    w->SetTime(8, 1);
    EXPECT_EQ(Proms(Phase(0)), (std::vector<int>{1, 4}));
}

TEST_F(Phases, CopyPhaseInsertsTheCopyBeforeTheOriginal) {
    TTrend* t = Add(0);
    WorkingPhases(3);
    TPhase* second = Phase(1);
    Green(second, {t});
    P.SetPhaseMinTime(second, 7);
    TPhase* copy = P.CopyPhase(second);
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(P.PhaseList().Count(), 4);
    EXPECT_EQ(Phase(1), copy);
    EXPECT_EQ(Phase(2), second);
    EXPECT_EQ(copy->MinTime(), 7);
    EXPECT_EQ(Greens(copy), Greens(second));
    EXPECT_EQ(P.PhaseNumberText(copy), "2");
    EXPECT_EQ(P.PhaseNumberText(second), "3");
}

TEST_F(Phases, TwelvePhasesAtMost) {
    P.SwitchCallPhases(true);
    WorkingPhases(11);
    EXPECT_EQ(P.PhaseCount(), 12);
    EXPECT_EQ(P.CopyPhase(Phase(0)), nullptr);
    EXPECT_EQ(P.CopyPhase(Phase(11)), nullptr);
    EXPECT_EQ(P.AddPhase(), nullptr);
    EXPECT_EQ(P.InsertCallPhase(), nullptr);
    EXPECT_EQ(P.PhaseCount(), 12);
    EXPECT_TRUE(P.DeletePhase(Phase(3)));
    EXPECT_NE(P.CopyPhase(Phase(10)), nullptr); // a call phase copy
    EXPECT_EQ(P.CallPhaseList().Count(), 4);
}

TEST_F(Phases, PhasesOutsideTheWorkingAndCallListsHaveNoOwner) {
    TPhase stray;
    for (auto op : {+[](TProject&p, TPhase*ph) { p.CopyPhase(ph); },
                    +[](TProject&p, TPhase*ph) { p.DeletePhase(ph); },
                    +[](TProject&p, TPhase*ph) { p.TrendSignal(ph, nullptr, -1); }}) {
        try {
            op(P, &stray);
            ADD_FAILURE() << "expected Phase have no owner";
        } catch (const EModelError& e) {
            EXPECT_STREQ(e.what(), "Phase have no owner");
        }
    }
    // The all-red phases belong to their own list only.
    EXPECT_THROW(P.CopyPhase(P.AllRedPhase()), EModelError);
    EXPECT_THROW(P.DeletePhase(P.AllRedPhase()), EModelError);
    EXPECT_EQ(P.TrendSignal(P.AllRedPhase(), nullptr, -1), S::ExtraRed);
    // Entry and exit copies are never copied or deleted.
    EXPECT_EQ(P.CopyPhase(P.CallPhaseList()[0]), nullptr);
    EXPECT_FALSE(P.DeletePhase(P.CallPhaseList()[1]));
    EXPECT_EQ(P.CallPhaseList().Count(), 2);
    EXPECT_EQ(P.PhaseCount(), 1);
}

TEST_F(Phases, NumberingAndDeletionRules) {
    WorkingPhases(3);
    P.SwitchCallPhases(true);
    TPhase* call1 = P.CallPhaseList()[1];
    ASSERT_EQ(P.PhaseCount(), 4);
    EXPECT_EQ(P.PhaseAt(3), call1);
    EXPECT_EQ(P.PhaseAt(4), nullptr);
    EXPECT_EQ(P.PhaseAt(-1), nullptr);
    EXPECT_EQ(P.PhaseNumberText(call1), "4");
    EXPECT_EQ(P.PhaseNumberText(P.CallPhaseList()[0]), "?");
    EXPECT_EQ(P.PhaseNumberText(P.AllRedPhase()), "?");
    EXPECT_EQ(P.PhaseNumberText(nullptr), "?");

    // The only call phase stays while call phases are on.
    EXPECT_FALSE(P.CanDeletePhase(call1));
    EXPECT_EQ(P.PhaseAfterDelete(call1), nullptr);
    TPhase* call0 = P.CopyPhase(call1);
    EXPECT_EQ(P.PhaseNumberText(call0), "4");
    EXPECT_EQ(P.PhaseNumberText(call1), "5");
    EXPECT_EQ(P.PhaseAfterDelete(call0), call1);
    EXPECT_EQ(P.PhaseAfterDelete(call1), call0);
    EXPECT_EQ(P.PhaseAfterDelete(P.CallPhaseList()[0]), nullptr);
    EXPECT_TRUE(P.CanDeletePhase(call1));
    EXPECT_FALSE(P.CanDeletePhase(P.CallPhaseList()[0]));

    // Working phases: the next one, the previous for the last, none alone.
    EXPECT_EQ(P.PhaseAfterDelete(Phase(0)), Phase(1));
    EXPECT_EQ(P.PhaseAfterDelete(Phase(2)), Phase(1));
    EXPECT_TRUE(P.DeletePhase(Phase(2)));
    EXPECT_TRUE(P.DeletePhase(Phase(1)));
    EXPECT_FALSE(P.CanDeletePhase(Phase(0)));
    EXPECT_EQ(P.PhaseAfterDelete(Phase(0)), nullptr);
    EXPECT_FALSE(P.DeletePhase(Phase(0)));
    EXPECT_EQ(P.PhaseList().Count(), 1);
}

TEST_F(Phases, MinTimeZeroIsIgnored) {
    P.SetPhaseMinTime(Phase(0), 9);
    EXPECT_EQ(Phase(0)->MinTime(), 9);
    P.SetPhaseMinTime(Phase(0), 0);
    EXPECT_EQ(Phase(0)->MinTime(), 9);
    EXPECT_EQ(P.MinCycleTime(Phase(0)), 255); // no cycles yet
    EXPECT_FALSE(P.SetPhaseCycleTime(Phase(0), 0, 5));
    EXPECT_EQ(P.PhaseCycleTime(Phase(0), -1), 9);
}

TEST_F(Phases, ResetPhasesLeavesTheThreeListsFresh) {
    TTrend* t = Add(0);
    auto* tram = dynamic_cast<TTram*>(Add(4)->Group());
    WorkingPhases(3);
    P.SwitchCallPhases(true);
    P.ResetPhases();
    EXPECT_EQ(P.PhaseList().Count(), 1);
    EXPECT_EQ(P.CallPhaseList().Count(), 2);
    EXPECT_EQ(P.AllRedPhaseList().Count(), 3);
    EXPECT_EQ(P.AllRedPhase()->MinTime(), 3);
    EXPECT_EQ(Phase(0)->MinTime(), 1);
    // New phases hold exactly the derived signals.
    for (TPhase* phase : AllPhases()) {
        EXPECT_FALSE(phase->IsGreen(t));
        EXPECT_TRUE(phase->IsGreen(tram->StopTrend()));
    }
}

} // namespace
} // namespace tralcon
