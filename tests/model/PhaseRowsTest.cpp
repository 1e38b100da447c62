#include "ModelTestUtil.h"
#include "model/Errors.h"

#include <gtest/gtest.h>

namespace tralcon {
namespace {

using test::ProjectTest;
using S = TSignalState;

// Working phases Ф1 (two intermediate steps) and Ф2 (one step); one call
// phase Ф3 whose entry transition has two steps and whose own transition (to
// Ф1) has one.
class PhaseRows : public ProjectTest {
  protected:
    TTrend* T = nullptr; // 1Т: 3 s green blinking, 3 s yellow
    TTrend* W = nullptr; // 2П: 4 s green blinking
    TTrend* Call = nullptr;

    void SetUp() override {
        ProjectTest::SetUp();
        T = Add(0);
        W = Add(1);
        Times(T, {{2, 6}, {3, 3}});
        Times(W, {{2, 4}});
        P.CopyPhase(Phase(0));
        P.SetPhaseTrend(Phase(0), T, true);
        P.SetPhaseTrend(Phase(1), W, true);
        P.SetPhaseMinTime(Phase(0), 10);
        P.SetPhaseMinTime(Phase(1), 20);
        P.SwitchCallPhases(true);
        Call = P.CallTrend();
        Times(Call, {{8, 2}, {4, 1}});
        // Ф3 releases only the call signal.
        P.SetPhaseTrend(Phase(2), W, false);
        P.SetPhaseMinTime(Phase(2), 5);
        SetUpOk = Proms(Phase(0)) == std::vector<int>{3, 6} &&
                  Proms(Phase(1)) == std::vector<int>{4} &&
                  Proms(P.CallPhaseList()[0]) == std::vector<int>{2, 4} &&
                  Proms(Phase(2)) == std::vector<int>{1};
    }
    bool SetUpOk = false;
};

TEST_F(PhaseRows, TheRowTable) {
    ASSERT_TRUE(SetUpOk);
    struct Row {
        const char* Caption;
        const char* Step;
        int Start, Duration;
    } expanded[] = {
        {"Ф1", "1", 0, 10},  {">>", "2", 10, 3},  {">>", "3", 13, 3},
        {"Ф2", "4", 16, 20}, {">>", "5", 36, 4},  {">>", "5*", 36, 2},
        {">>", "6*", 38, 2}, {"Ф3", "7*", 40, 5}, {">>", "8*", 45, 1},
    };
    ASSERT_EQ(P.RowCount(true), 9);
    for (int r = 0; r < 9; ++r) {
        SCOPED_TRACE(r);
        EXPECT_EQ(P.RowCaption(r, true), expanded[r].Caption);
        EXPECT_EQ(P.RowStepText(r, true), expanded[r].Step);
        EXPECT_EQ(P.RowStartTime(r, true, -1), expanded[r].Start);
        EXPECT_EQ(P.RowDuration(r, true), expanded[r].Duration);
    }
    Row collapsed[] = {
        {"Ф1", "1", 0, 10},     {">>", "2…3", 10, 6}, {"Ф2", "4", 16, 20}, {">>", "5", 36, 4},
        {">>", "5*…6*", 36, 4}, {"Ф3", "7*", 40, 5},  {">>", "8*", 45, 1},
    };
    ASSERT_EQ(P.RowCount(false), 7);
    for (int r = 0; r < 7; ++r) {
        SCOPED_TRACE(r);
        EXPECT_EQ(P.RowCaption(r, false), collapsed[r].Caption);
        EXPECT_EQ(P.RowStepText(r, false), collapsed[r].Step);
        EXPECT_EQ(P.RowStartTime(r, false, -1), collapsed[r].Start);
        EXPECT_EQ(P.RowDuration(r, false), collapsed[r].Duration);
    }
}

TEST_F(PhaseRows, LocatingRowsAndPhases) {
    ASSERT_TRUE(SetUpOk);
    TRowLocation entry = P.LocateRow(6, true, -1);
    EXPECT_EQ(entry.Phase, P.CallPhaseList()[0]);
    EXPECT_TRUE(entry.Entry);
    EXPECT_EQ(entry.SubRow, 2);
    EXPECT_EQ(entry.StepsBefore, 4);
    EXPECT_EQ(entry.BlockStartTime, 36);
    TRowLocation call = P.LocateRow(7, true, -1);
    EXPECT_EQ(call.Phase, Phase(2));
    EXPECT_EQ(call.PhaseNumber, 2);
    EXPECT_EQ(call.SubRow, 0);

    struct Case {
        bool Expanded;
        std::vector<int> PhaseRows; // Ф1, Ф2, Ф3
    } cases[] = {{true, {0, 3, 7}}, {false, {0, 2, 5}}};
    for (const Case& c : cases) {
        for (int i = 0; i < 3; ++i) {
            const int row = c.PhaseRows[static_cast<std::size_t>(i)];
            EXPECT_EQ(P.PhaseRow(Phase(i), c.Expanded), row);
            EXPECT_EQ(P.RowPhase(row, c.Expanded), Phase(i));
            EXPECT_TRUE(P.IsPhaseRow(row, c.Expanded));
            EXPECT_FALSE(P.IsPhaseRow(row + 1, c.Expanded));
        }
        EXPECT_EQ(P.PhaseRow(P.CallPhaseList()[0], c.Expanded), -1);
        EXPECT_EQ(P.PhaseRow(P.AllRedPhase(), c.Expanded), -1);
    }

    for (int bad : {9, -1, 100}) {
        try {
            P.LocateRow(bad, true, -1);
            ADD_FAILURE() << "row " << bad;
        } catch (const EModelError& e) {
            EXPECT_EQ(std::string(e.what()), "Incorrect Step number " + std::to_string(bad));
        }
    }
    EXPECT_THROW(P.RowCaption(7, false), EModelError);
}

TEST_F(PhaseRows, SignalsInRows) {
    ASSERT_TRUE(SetUpOk);
    // Signal rows: 0 = 1Т, 1 = 2П, 2 = the call signal.
    struct Case {
        int Row;
        bool Expanded;
        S Transport, Pedestrian, CallSignal;
    } cases[] = {
        {0, true, S::ExtraGreen, S::ExtraRed, S::ExtraRed},
        {1, true, S::GreenBlink, S::ExtraRed, S::ExtraRed},
        {2, true, S::Yellow, S::ExtraRed, S::ExtraRed},
        {4, true, S::ExtraRed, S::GreenBlink, S::ExtraRed},
        {5, true, S::ExtraRed, S::GreenBlink, S::ExtraRed},
        {6, true, S::ExtraRed, S::GreenBlink, S::LeadingGreen},
        {7, true, S::ExtraRed, S::ExtraRed, S::ExtraGreen},
        {8, true, S::ExtraRed, S::ExtraRed, S::LeadingRed},
        // Collapsed: 11 for closing, 10 for opening.
        {1, false, S::LightsOff, S::YellowFlash, S::ExtraRed},
        {3, false, S::YellowFlash, S::LightsOff, S::ExtraRed},
        {4, false, S::ExtraRed, S::LightsOff, S::YellowFlash},
        {6, false, S::YellowFlash, S::ExtraRed, S::LightsOff},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "row " << c.Row << (c.Expanded ? " expanded" : ""));
        EXPECT_EQ(P.RowSignal(c.Row, 0, c.Expanded), c.Transport);
        EXPECT_EQ(P.RowSignal(c.Row, 1, c.Expanded), c.Pedestrian);
        EXPECT_EQ(P.RowSignal(c.Row, 2, c.Expanded), c.CallSignal);
    }
    EXPECT_EQ(P.RowSignal(0, 3, true), S::ExtraRed);
}

TEST_F(PhaseRows, CycleTimes) {
    ASSERT_TRUE(SetUpOk);
    EXPECT_EQ(P.CycleTimeText(-1), "40 с/46 с");
    P.AddCycle();
    P.SetPhaseCycleTime(Phase(0), 0, 15);
    EXPECT_EQ(P.CycleTimeText(0), "45 с/51 с");
    EXPECT_EQ(P.RowStartTime(3, true, 0), 21);
    EXPECT_EQ(P.RowStartTime(2, true, 0), 18);
    EXPECT_EQ(P.RowCycleDuration(0, 0, true), 15);
    EXPECT_EQ(P.RowCycleDuration(0, -1, true), 10);
    EXPECT_EQ(P.RowCycleDuration(1, 0, false), 6);
    EXPECT_EQ(P.RowDuration(0, true), 10);
    P.SwitchCallPhases(false);
    EXPECT_EQ(P.CycleTimeText(-1), "40 с");
    EXPECT_EQ(P.CycleTimeText(0), "45 с");
    EXPECT_EQ(P.RowCount(true), 5);
    EXPECT_EQ(P.RowCount(false), 4);
}

class PhaseRowEdges : public ProjectTest {};

TEST_F(PhaseRowEdges, APhaseWithoutStepsIsOneRow) {
    TTrend* t = Add(0);
    P.CopyPhase(Phase(0));
    P.CopyPhase(Phase(0));
    P.SetPhaseTrend(Phase(2), t, true);
    t->SetTime(3, 3);
    t->SetTime(8, 2);
    // Ф1 -> Ф2 changes nothing; Ф2 -> Ф3 and Ф3 -> Ф1 have one step each.
    ASSERT_EQ(Phase(0)->StepCount(), 0);
    ASSERT_EQ(Phase(1)->StepCount(), 1);
    ASSERT_EQ(Phase(2)->StepCount(), 1);
    for (bool expanded : {true, false}) {
        EXPECT_EQ(P.RowCount(expanded), 5);
        EXPECT_EQ(P.RowStepText(0, expanded), "1");
        EXPECT_EQ(P.RowStepText(1, expanded), "2"); // Ф2 follows straight on
        EXPECT_EQ(P.RowCaption(1, expanded), "Ф2");
        EXPECT_EQ(P.RowStepText(2, expanded), "3"); // a single step: no range
        EXPECT_EQ(P.RowStepText(3, expanded), "4");
        EXPECT_EQ(P.RowStepText(4, expanded), "5");
    }
    EXPECT_EQ(P.CycleTimeText(-1), "8 с");
}

TEST_F(PhaseRowEdges, ConflictsOnMainRows) {
    TTrend* a = Add(0);
    TTrend* b = Add(0);
    TTrend* c = Add(0);
    P.SetConflict(a, b, true);
    P.SetPhaseTrend(Phase(0), a, true);
    P.SetPhaseTrend(Phase(0), b, true);
    P.SetPhaseTrend(Phase(0), c, true);
    EXPECT_TRUE(P.RowConflict(0, 0, true));
    EXPECT_TRUE(P.RowConflict(0, 1, true));
    EXPECT_FALSE(P.RowConflict(0, 2, true));
    P.SetPhaseTrend(Phase(0), b, false);
    EXPECT_FALSE(P.RowConflict(0, 0, true));
    EXPECT_FALSE(P.RowConflict(0, 1, true));
    EXPECT_FALSE(P.RowConflict(0, 5, true));
}

TEST_F(PhaseRowEdges, ConflictsDuringTransitions) {
    TTrend* closing = Add(0);
    TTrend* opening = Add(0);
    P.SetConflict(closing, opening, true);
    P.CopyPhase(Phase(0));
    P.SetPhaseTrend(Phase(0), closing, true);
    P.SetPhaseTrend(Phase(1), opening, true);

    // Green blinking from 6 s, yellow from 3 s; leading green from 4 s.
    Times(closing, {{2, 6}, {3, 3}});
    Times(opening, {{8, 4}});
    ASSERT_EQ(Proms(Phase(0)), (std::vector<int>{3, 4, 6}));
    // Step 1 (rows 2): GreenBlink against LeadingGreen is marked for both.
    for (int signal : {0, 1}) {
        EXPECT_FALSE(P.RowConflict(1, signal, true));
        EXPECT_TRUE(P.RowConflict(2, signal, true));
        EXPECT_FALSE(P.RowConflict(3, signal, true));
        EXPECT_TRUE(P.RowConflict(1, signal, false)); // the whole transition
    }

    // Yellow against red with yellow is not.
    Times(closing, {{2, 6}, {3, 5}});
    Times(opening, {{7, 5}, {8, 2}});
    ASSERT_EQ(Proms(Phase(0)), (std::vector<int>{2, 5, 6}));
    ASSERT_EQ(P.RowSignal(2, 0, true), S::Yellow);
    ASSERT_EQ(P.RowSignal(2, 1, true), S::RedYellow);
    for (int row = 1; row <= 3; ++row)
        EXPECT_FALSE(P.RowConflict(row, 0, true)) << row;
    EXPECT_FALSE(P.RowConflict(1, 0, false));
}

} // namespace
} // namespace tralcon
