#include "ModelTestUtil.h"

#include <gtest/gtest.h>

namespace tralcon {
namespace {

using test::CatalogueFromText;
using test::ProjectTest;

class Settings : public ProjectTest {};

TEST_F(Settings, DefaultsAndPlainSetters) {
    EXPECT_EQ(P.ProjectName(), "Новый перекресток");
    EXPECT_EQ(P.SystemID(), 1);
    EXPECT_EQ(P.AllRedTime(), 3);
    EXPECT_EQ(P.ProjectOptions(), 0);
    EXPECT_FALSE(P.CallPhasesEnabled());
    P.SetProjectName("Ленина - Мира");
    P.SetSystemID(200);
    EXPECT_EQ(P.ProjectName(), "Ленина - Мира");
    EXPECT_EQ(P.SystemID(), 200);
}

TEST_F(Settings, OptionBits) {
    P.SetQuickStart(true);
    EXPECT_EQ(P.ProjectOptions(), poQuickStart);
    P.SetRedBlink(true);
    EXPECT_EQ(P.ProjectOptions(), poQuickStart | poRedBlink);
    P.SetQuickStart(false);
    EXPECT_EQ(P.ProjectOptions(), poRedBlink);
    // The reader's quick-call setter needs call phases; the check box does not.
    P.SetQuickCall(true);
    EXPECT_EQ(P.ProjectOptions() & poQuickCall, 0);
    P.SetProjectOptions(poQuickCall);
    EXPECT_EQ(P.ProjectOptions(), poQuickCall);
    P.SetQuickCall(false);
    EXPECT_EQ(P.ProjectOptions(), 0);
    P.SwitchCallPhases(true);
    P.SetQuickCall(true);
    EXPECT_EQ(P.ProjectOptions(), poQuickCall);
}

TEST_F(Settings, AllRedTimeIsTheAllRedPhasesMinimum) {
    P.SetAllRedTime(5);
    EXPECT_EQ(P.AllRedTime(), 5);
    EXPECT_EQ(P.AllRedPhase()->MinTime(), 5);
    P.SetAllRedTime(0);
    EXPECT_EQ(P.AllRedTime(), 0);
    EXPECT_EQ(P.AllRedPhase()->MinTime(), 5);
}

TEST_F(Settings, SwitchingCallPhasesOnMakesTheCallDirectionAndPhase) {
    TTrend* t = Add(0);
    TTrend* w = Add(1);
    ASSERT_NE(P.CopyPhase(Phase(0)), nullptr);
    P.SetPhaseTrend(Phase(0), t, true);
    P.SetPhaseTrend(Phase(1), w, true);
    P.SetPhaseMinTime(Phase(1), 12);

    P.SwitchCallPhases(true);
    EXPECT_TRUE(P.CallPhasesEnabled());
    ASSERT_EQ(P.TrendGroupList().Count(), 3);
    TTrend* call = P.CallTrend();
    ASSERT_NE(call, nullptr);
    EXPECT_EQ(call->Group(), P.TrendGroupAt(2));
    EXPECT_EQ(call->Kind(), kCallKind);
    EXPECT_EQ(P.TrendName(2), "3ТВП");
    // The call panel takes a yellow and a green output.
    EXPECT_NE(call->GetOutput(1), nullptr);
    EXPECT_NE(call->GetOutput(2), nullptr);

    const auto& calls = P.CallPhaseList();
    ASSERT_EQ(calls.Count(), 3);
    EXPECT_EQ(Greens(calls[0]), Greens(Phase(1))); // entry: the last working phase
    EXPECT_EQ(Greens(calls[2]), Greens(Phase(0))); // exit: the first
    EXPECT_EQ(Greens(calls[1]), (std::vector<TTrend*>{w, call}));
    EXPECT_EQ(calls[1]->MinTime(), 12);
    EXPECT_EQ(P.PhaseCount(), 3);

    // The call sequence's transitions are computed: the call signal opens
    // after the last working phase, and closes before the first again.
    call->SetTime(8, 2);
    call->SetTime(4, 1);
    EXPECT_EQ(Proms(calls[0]), (std::vector<int>{2}));
    EXPECT_EQ(Proms(calls[1]), (std::vector<int>{1}));
    // Switching on again changes nothing.
    P.SwitchCallPhases(true);
    EXPECT_EQ(P.TrendGroupList().Count(), 3);
    EXPECT_EQ(calls.Count(), 3);
}

TEST_F(Settings, SwitchingCallPhasesOnWithoutFreeOutputs) {
    auto cfg = CatalogueFromText("[Model#0]\nID=1\nCaption=M\nRedOrder=1\nYellowOrder=2\n"
                                 "GreenOrder=4\n");
    TProject p(*cfg);
    p.CreateController(cfg->ModelList[0]);
    p.AddTrendGroup(0);
    ASSERT_FALSE(p.HasFreeOutput());
    p.SwitchCallPhases(true);
    ASSERT_NE(p.CallTrend(), nullptr);
    EXPECT_EQ(p.CallTrend()->GetOutput(1), nullptr);
    EXPECT_EQ(p.CallTrend()->GetOutput(2), nullptr);
    EXPECT_EQ(p.CallPhaseList().Count(), 3);
    EXPECT_TRUE(p.CallPhaseList()[1]->IsGreen(p.CallTrend()));
}

TEST_F(Settings, SwitchingCallPhasesOffRemovesThemAndRedBlinking) {
    Add(0);
    P.SwitchCallPhases(true);
    P.CopyPhase(P.CallPhaseList()[1]);
    P.SetProjectOptions(poRedBlink | poQuickStart);
    TControllerOutput* callGreen = P.CallTrend()->GetOutput(2);
    P.SwitchCallPhases(false);
    EXPECT_FALSE(P.CallPhasesEnabled());
    EXPECT_EQ(P.CallTrend(), nullptr);
    EXPECT_EQ(P.TrendGroupList().Count(), 1);
    EXPECT_EQ(P.CallPhaseList().Count(), 2);
    EXPECT_EQ(P.PhaseCount(), 1);
    EXPECT_EQ(P.ProjectOptions(), poQuickStart);
    EXPECT_EQ(callGreen->Owner, nullptr);
}

TEST_F(Settings, CallPhasesOnOffOnFollowTheCurrentLastWorkingPhase) {
    TTrend* t = Add(0);
    TTrend* w = Add(1);
    ASSERT_NE(P.CopyPhase(Phase(0)), nullptr);
    P.SetPhaseTrend(Phase(1), t, true);
    P.SwitchCallPhases(true);
    P.SwitchCallPhases(false);
    // The last working phase changes while call phases are off.
    P.SetPhaseTrend(Phase(1), t, false);
    P.SetPhaseTrend(Phase(1), w, true);
    P.SetPhaseMinTime(Phase(1), 4);
    P.SwitchCallPhases(true);
    TTrend* call = P.CallTrend();
    ASSERT_NE(call, nullptr);
    TPhase* callPhase = P.CallPhaseList()[1];
    EXPECT_EQ(Greens(callPhase), (std::vector<TTrend*>{w, call}));
    EXPECT_EQ(callPhase->MinTime(), 4);
    EXPECT_EQ(P.TrendGroupList().Count(), 3);
}

} // namespace
} // namespace tralcon
