#include "ModelTestUtil.h"
#include "model/Errors.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>

namespace tralcon {
namespace {

using test::CatalogueFromText;
using test::ProjectTest;
using S = TSignalState;

std::string OutName(const TControllerOutput* o) {
    return o == nullptr ? "-" : ModelOutputName(o->ModelOutput);
}

class Trends : public ProjectTest {};

TEST_F(Trends, KindTablesAndClasses) {
    struct Case {
        int Kind;
        int Code;
        const char* Caption;
        const char* Short;
        bool Counted, Editable;
    } cases[] = {
        {0, 0, "Транспортное", "Т", true, true},    {1, 10, "Пешеходное", "П", true, true},
        {2, 20, "Пешеходное ЗМ", "Пм", true, true}, {3, 30, "Стрелка", "С", true, true},
        {4, 40, "Трамвай", "Tл", true, true},       {5, 40, "Трамвай", "Тв", true, true},
        {6, 40, "Трамвай", "Тп", true, true},       {7, 40, "Трамвай", "", false, false},
        {8, 50, "ТВП", "ТВП", true, false},         {9, 35, "Стрелка ЗМ", "См", true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Kind);
        EXPECT_EQ(KindCodeOf(c.Kind), c.Code);
        EXPECT_EQ(CaptionOfKind(c.Kind), c.Caption);
        EXPECT_STREQ(TrendShortNames[c.Kind], c.Short);
        TTrend t(nullptr, c.Kind);
        EXPECT_EQ(t.IsCounted(), c.Counted);
        EXPECT_EQ(t.IsEditable(), c.Editable);
    }
    EXPECT_EQ(KindOfCode(35), 9);
    EXPECT_EQ(KindOfCode(40), 4);
    EXPECT_EQ(KindOfCode(41), -1);
    EXPECT_EQ(KindCodeOf(10), -1);
    // Pedestrians have no yellow; only transport has every state.
    EXPECT_FALSE(KindHasState(1, 3));
    EXPECT_TRUE(KindHasState(0, 10));
    EXPECT_FALSE(KindHasState(4, 2));
    EXPECT_TRUE(KindHasState(7, 9));
    EXPECT_FALSE(KindHasState(0, 12));
    EXPECT_STREQ(SignalNames[9], "Все красные");
    EXPECT_STREQ(SlotLetters[6], "н");
}

TEST_F(Trends, NewTransportBindsThreeOutputsAndSwitchesMonitoringOn) {
    EXPECT_EQ(P.AddTrendGroup(0), 0);
    TTrend* t = P.TrendAt(0);
    TTrendGroup* g = t->Group();
    EXPECT_NE(dynamic_cast<TTransport*>(g), nullptr);
    EXPECT_EQ(g->GetCaption(), "Транспортное");
    EXPECT_EQ(OutName(t->GetOutput(0)), "1к");
    EXPECT_EQ(OutName(t->GetOutput(1)), "1ж");
    EXPECT_EQ(OutName(t->GetOutput(2)), "1з");
    for (int s = 0; s < 3; ++s)
        EXPECT_EQ(t->GetOutput(s)->Owner, g);
    EXPECT_TRUE(t->RedControl());
    EXPECT_TRUE(t->GreenControl());
    EXPECT_EQ(t->RedPower(), 0);
    EXPECT_EQ(P.TrendName(0), "1Т");

    // A pedestrian monitors only its green lamp.
    TTrend* w = Add(1);
    EXPECT_FALSE(w->RedControl());
    EXPECT_TRUE(w->GreenControl());
    EXPECT_EQ(P.AddTrendGroup(1), 2); // returns the row of its first signal
}

TEST_F(Trends, SlotsFallBackByColourWhenOutputsRunOut) {
    auto cfg = CatalogueFromText("[Model#0]\nID=1\nCaption=M\nRedOrder=1\nYellowOrder=2,4\n"
                                 "GreenOrder=8,10\n");
    TProject p(*cfg);
    p.CreateController(cfg->ModelList[0]);
    p.AddTrendGroup(0);
    // No red left: the red slot takes a yellow output, so red monitoring
    // stays off; no yellow left: the yellow slot takes a green one.
    TTrend* b = p.TrendAt(p.AddTrendGroup(0));
    EXPECT_EQ(OutName(b->GetOutput(0)), "2ж");
    EXPECT_EQ(OutName(b->GetOutput(1)), "2з");
    EXPECT_EQ(b->GetOutput(2), nullptr);
    EXPECT_FALSE(b->RedControl());
    EXPECT_FALSE(b->GreenControl());
    EXPECT_FALSE(p.HasFreeOutput());
    // Still a direction, just unbound.
    TTrend* c = p.TrendAt(p.AddTrendGroup(0));
    for (int s = 0; s < 3; ++s)
        EXPECT_EQ(c->GetOutput(s), nullptr);
}

TEST_F(Trends, UniversalOutputServesRedBeforeYellow) {
    auto cfg = CatalogueFromText("[Model#0]\nID=1\nCaption=M\nRedOrder=1\nYellowOrder=2\n"
                                 "UniversalOrder=4\nGreenOrder=8\n");
    TProject p(*cfg);
    p.CreateController(cfg->ModelList[0]);
    p.AddTrendGroup(3); // an arrow takes the green output
    TTrend* a = p.TrendAt(p.AddTrendGroup(1));
    EXPECT_EQ(OutName(a->GetOutput(0)), "1к");
    EXPECT_EQ(OutName(a->GetOutput(2)), "1у");
    TTrend* b = p.TrendAt(p.AddTrendGroup(1));
    EXPECT_EQ(OutName(b->GetOutput(0)), "1ж");
    EXPECT_FALSE(b->RedControl());
}

TEST_F(Trends, TramHoldsFourSignalsShowsThreeRowsAndBindsTramSlotsOnly) {
    Add(0);
    EXPECT_EQ(P.AddTrendGroup(5), 1); // any tram kind makes a whole tram
    auto* tram = dynamic_cast<TTram*>(P.TrendGroupAt(1));
    ASSERT_NE(tram, nullptr);
    ASSERT_EQ(tram->Trends().Count(), 4);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(tram->Trends()[i]->Kind(), 4 + i);
    EXPECT_EQ(tram->Kind(), 4);
    EXPECT_EQ(P.TrendCount(), 4);
    EXPECT_EQ(P.TrendName(1), "2Tл");
    EXPECT_EQ(P.TrendName(2), "2Тв");
    EXPECT_EQ(P.TrendName(3), "2Тп");
    EXPECT_EQ(P.TrendAt(4), nullptr);
    EXPECT_EQ(P.TrendName(4), "");
    EXPECT_EQ(P.RowOf(tram->StopTrend()), -1);
    EXPECT_EQ(P.RowOf(tram->Trends()[2]), 3);
    EXPECT_EQ(P.FirstRowOf(tram), 1);
    for (int s = 0; s < 3; ++s)
        EXPECT_EQ(tram->Output(s), nullptr);
    // Tram lamps take yellow outputs first, then red ones.
    EXPECT_EQ(OutName(tram->Output(3)), "2ж");
    EXPECT_EQ(OutName(tram->Output(4)), "3ж");
    EXPECT_EQ(OutName(tram->Output(5)), "4ж");
    EXPECT_EQ(OutName(tram->Output(6)), "2к");
    // All four signals see the shared slots.
    EXPECT_EQ(tram->StopTrend()->GetOutput(4), tram->Output(4));
    EXPECT_EQ(tram->Trends()[1]->GetOutput(6), tram->Output(6));
}

TEST_F(Trends, UnknownKindAddsNothing) {
    EXPECT_EQ(P.AddTrendGroup(10), -1);
    EXPECT_EQ(P.AddTrendGroup(-1), -1);
    EXPECT_TRUE(P.TrendGroupList().Empty());
}

// Closing chain Times[1..4] after each SetTime, starting from green blinking
// 3 s and yellow 3 s (6, 3, 0 in Times[2..4]).
TEST_F(Trends, SetTimeChainRules) {
    struct Case {
        int State, Value;
        std::array<int, 4> Expected; // Times[1..4]
    } cases[] = {
        {4, 5, {6, 6, 5, 5}}, // leading red 5 s pulls yellow down with it
        {2, 0, {6, 0, 0, 0}}, // ExtraGreen stays
        {1, 2, {2, 2, 2, 0}}, {3, 9, {9, 9, 9, 0}}, {3, 3, {6, 6, 3, 0}}, // no change
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "SetTime(" << c.State << ", " << c.Value << ")");
        TTrend* t = Add(0);
        Times(t, {{2, 6}, {3, 3}});
        ASSERT_EQ(t->GetTime(1), 6);
        t->SetTime(c.State, static_cast<std::uint8_t>(c.Value));
        for (int s = 1; s <= 4; ++s)
            EXPECT_EQ(t->GetTime(s), c.Expected[static_cast<std::size_t>(s - 1)]) << "state " << s;
    }
}

TEST_F(Trends, SetTimeOpeningChainAndPlainStates) {
    TTrend* t = Add(0);
    t->SetTime(8, 4);
    EXPECT_EQ(t->GetTime(6), 4);
    EXPECT_EQ(t->GetTime(7), 4);
    EXPECT_EQ(t->GetTime(8), 4);
    t->SetTime(7, 2);
    EXPECT_EQ(t->GetTime(6), 4);
    EXPECT_EQ(t->GetTime(7), 2);
    EXPECT_EQ(t->GetTime(8), 2);
    // States outside the chains are independent.
    t->SetTime(5, 200);
    t->SetTime(11, 7);
    EXPECT_EQ(t->GetTime(5), 200);
    EXPECT_EQ(t->GetTime(11), 7);
    EXPECT_EQ(t->GetTime(4), 0);
    EXPECT_EQ(t->GetTime(12), 0);
    t->SetTime(12, 9); // no such state
    EXPECT_EQ(t->GetTime(12), 0);
}

TEST_F(Trends, SetTimeIgnoresStatesTheKindLacksAndNotifiesOnlyOnChange) {
    int notices = 0;
    auto recalc = P.OnTimesChanged;
    P.OnTimesChanged = [&] {
        ++notices;
        recalc();
    };
    TTrend* w = Add(1);
    w->SetTime(3, 4); // a pedestrian has no yellow
    w->SetTime(7, 4); // nor red with yellow
    EXPECT_EQ(w->GetTime(3), 0);
    EXPECT_EQ(w->GetTime(7), 0);
    EXPECT_EQ(notices, 0);
    w->SetTime(2, 5);
    w->SetTime(2, 5);
    EXPECT_EQ(notices, 1);
    TTrend* tram = Add(4);
    tram->SetTime(2, 5); // trams do not blink
    EXPECT_EQ(tram->GetTime(2), 0);
    EXPECT_EQ(notices, 1);
}

TEST_F(Trends, HasStateOnlyForLastingStatesOfTheKind) {
    TTrend* t = Add(0);
    Times(t, {{2, 6}, {3, 3}});
    EXPECT_TRUE(t->HasState(2));
    EXPECT_TRUE(t->HasState(3));
    EXPECT_FALSE(t->HasState(4));
    t->SetTime(4, 5); // 6, 5, 5: the yellow lasts no time
    EXPECT_FALSE(t->HasState(3));
    EXPECT_TRUE(t->HasState(4));
    for (int s : {0, 1, 5, 6, 9, 10, 11})
        EXPECT_FALSE(t->HasState(s)) << s;
    EXPECT_FALSE(t->HasState(7));
    t->SetTime(8, 2); // 2, 2, 2: red with yellow lasts no time
    EXPECT_FALSE(t->HasState(7));
    EXPECT_TRUE(t->HasState(8));
    t->SetTime(7, 4);
    EXPECT_TRUE(t->HasState(7));
}

TEST_F(Trends, PedestrianNeverShowsAYellowTime) {
    // The chain rules can leave a pedestrian's (unused) yellow time above its
    // leading red; it still has no yellow.
    TTrend* w = Add(1);
    Times(w, {{2, 8}, {4, 3}, {4, 1}});
    EXPECT_EQ(w->GetTime(3), 3);
    EXPECT_EQ(w->GetTime(4), 1);
    EXPECT_FALSE(w->HasState(3));
    EXPECT_TRUE(w->HasState(2));
    EXPECT_TRUE(w->HasState(4));
    EXPECT_FALSE(w->UsesState(3));
}

TEST_F(Trends, GetSignalClosingAndOpening) {
    TTrend* t = Add(0);
    TTrend* w = Add(1);
    Times(t, {{2, 6}, {3, 3}});
    Times(w, {{8, 2}});
    TTrendList with, without;
    with.Add(t);
    with.Add(w);
    struct Case {
        int T;
        S Closing, Opening;
    } cases[] = {
        {8, S::ExtraGreen, S::ExtraRed},
        {6, S::GreenBlink, S::ExtraRed},
        {4, S::GreenBlink, S::ExtraRed},
        {3, S::Yellow, S::ExtraRed},
        {2, S::Yellow, S::LeadingGreen},
        {1, S::Yellow, S::LeadingGreen},
        // No step starts at 0 s; the comparison still holds there and below.
        {0, S::LeadingRed, S::LeadingGreen},
        {-1, S::LeadingRed, S::LeadingGreen},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.T);
        EXPECT_EQ(t->Group()->GetSignal(t, c.T, with, without), c.Closing);
        EXPECT_EQ(w->Group()->GetSignal(w, c.T, without, with), c.Opening);
    }
    EXPECT_EQ(t->Group()->GetSignal(t, 1, with, with), S::ExtraGreen);
    EXPECT_EQ(t->Group()->GetSignal(t, 1, without, without), S::ExtraRed);
}

TEST_F(Trends, TramStopSignalIsLitOnlyWhileEveryMovementIsRed) {
    auto* tram = dynamic_cast<TTram*>(Add(4)->Group());
    TTrend* left = tram->Trends()[0];
    TTrend* stop = tram->StopTrend();
    left->SetTime(4, 3); // leading red 3 s
    left->SetTime(8, 2);
    TTrendList none, moving;
    moving.Add(left);
    EXPECT_EQ(tram->GetSignal(stop, 5, none, none), S::ExtraGreen);
    EXPECT_EQ(tram->GetSignal(stop, 5, moving, moving), S::ExtraRed);
    // Closing: dark while the movement is still green, lit from leading red.
    EXPECT_EQ(tram->GetSignal(stop, 4, moving, none), S::ExtraRed);
    EXPECT_EQ(tram->GetSignal(stop, 3, moving, none), S::ExtraGreen);
    // Opening: lit until leading green.
    EXPECT_EQ(tram->GetSignal(stop, 3, none, moving), S::ExtraGreen);
    EXPECT_EQ(tram->GetSignal(stop, 2, none, moving), S::ExtraRed);
}

TEST_F(Trends, OutputBindingRules) {
    TTrend* t = Add(0);
    TTrend* a = Add(3);
    TControllerOutput* red = t->GetOutput(0);
    TControllerOutput* arrowGreen = a->GetOutput(2);

    // A slot the kind lacks, an output another direction holds: refused.
    EXPECT_FALSE(a->SetOutput(0, P.FindFreeOutput(0)));
    EXPECT_FALSE(t->SetOutput(2, arrowGreen));
    EXPECT_EQ(arrowGreen->Owner, a->Group());
    EXPECT_FALSE(t->SetOutput(1, red)); // its own output in another slot
    EXPECT_FALSE(t->SetOutput(7, nullptr));

    // Unbinding red ends red monitoring; binding again does not restore it.
    EXPECT_TRUE(t->SetOutput(0, nullptr));
    EXPECT_EQ(red->Owner, nullptr);
    EXPECT_FALSE(t->RedControl());
    EXPECT_TRUE(t->SetOutput(0, red));
    EXPECT_EQ(red->Owner, t->Group());
    EXPECT_FALSE(t->RedControl());
    t->SetRedControl(true);
    EXPECT_TRUE(t->RedControl());

    // Moving the red slot to a yellow output ends red monitoring too, as a
    // reloaded project would.
    TControllerOutput* yellow = P.FindFreeOutput(1);
    ASSERT_EQ(yellow->ModelOutput->Flags & ofRed, 0);
    EXPECT_TRUE(t->SetOutput(0, yellow));
    EXPECT_EQ(red->Owner, nullptr);
    EXPECT_FALSE(t->RedControl());
    t->SetRedControl(true);
    EXPECT_FALSE(t->RedControl());

    // Green the same way.
    EXPECT_TRUE(t->GreenControl());
    EXPECT_TRUE(P.SetTrendOutput(0, 2, nullptr));
    EXPECT_FALSE(t->GreenControl());
    t->SetGreenControl(true);
    EXPECT_FALSE(t->GreenControl());
    EXPECT_FALSE(P.SetTrendOutput(9, 2, nullptr));
}

TEST_F(Trends, OutputOfAnotherProjectIsRefused) {
    TProject other(*Config);
    TController* c = other.CreateController(Config->ModelList[0]);
    TTrend* t = Add(0);
    EXPECT_TRUE(t->SetOutput(0, nullptr));
    EXPECT_FALSE(t->SetOutput(0, c->ControllerOutputAt(0)));
    EXPECT_EQ(c->ControllerOutputAt(0)->Owner, nullptr);
    EXPECT_EQ(t->GetOutput(0), nullptr);
}

TEST_F(Trends, SlotOfFindsTheSlotOrFails) {
    TTrend* t = Add(0);
    TTrendGroup* g = t->Group();
    EXPECT_EQ(P.SlotOf(g, t->GetOutput(1)), 1);
    try {
        P.SlotOf(g, P.FindFreeOutput(0));
        FAIL() << "expected Incorrect output!";
    } catch (const EModelError& e) {
        EXPECT_STREQ(e.what(), "Incorrect output!");
    }
    EXPECT_THROW(P.SlotOf(g, nullptr), EModelError);
}

TEST_F(Trends, RestoreOutputsGivesExactlyTheStoredBindings) {
    TTrend* t = Add(0);
    TTrendGroup* g = t->Group();
    TController* c = P.ControllerAt(0);
    // Stored: red on yellow 1 (which the direction itself holds in its
    // yellow slot right now), yellow on red 1, green unbound.
    std::array<TControllerOutput*, kOutputSlotCount> stored{};
    stored[0] = g->Output(1);
    stored[1] = g->Output(0);
    TControllerOutput* oldGreen = g->Output(2);
    EXPECT_TRUE(P.RestoreOutputs(g, stored));
    EXPECT_EQ(g->Output(0), stored[0]);
    EXPECT_EQ(g->Output(1), stored[1]);
    EXPECT_EQ(g->Output(2), nullptr);
    EXPECT_EQ(oldGreen->Owner, nullptr);

    // A tram's slots are bound through the signals that use them.
    TTrendGroup* tram = Add(4)->Group();
    std::array<TControllerOutput*, kOutputSlotCount> tramSlots{};
    for (int s = 3; s < 7; ++s)
        tramSlots[static_cast<std::size_t>(s)] = c->ControllerOutputAt(10 + s);
    EXPECT_TRUE(P.RestoreOutputs(tram, tramSlots));
    for (int s = 3; s < 7; ++s)
        EXPECT_EQ(tram->Output(s), c->ControllerOutputAt(10 + s));

    // The same output twice: the second slot stays unbound and it says so.
    std::array<TControllerOutput*, kOutputSlotCount> twice{};
    twice[0] = twice[1] = c->ControllerOutputAt(20);
    EXPECT_FALSE(P.RestoreOutputs(g, twice));
    EXPECT_EQ(g->Output(0), c->ControllerOutputAt(20));
    EXPECT_EQ(g->Output(1), nullptr);
}

TEST_F(Trends, DeletingADirectionFreesOutputsConflictsAndGreens) {
    TTrend* t = Add(0);
    TTrend* w = Add(1);
    TTrend* a = Add(3);
    Times(t, {{2, 6}, {3, 3}});
    Times(w, {{8, 2}});
    ASSERT_NE(P.CopyPhase(Phase(0)), nullptr);
    P.SetPhaseTrend(Phase(0), t, true);
    P.SetPhaseTrend(Phase(0), a, true);
    P.SetPhaseTrend(Phase(1), w, true);
    P.SetConflict(t, w, true);
    P.SetConflict(t, a, true);
    ASSERT_EQ(Proms(Phase(0)), (std::vector<int>{2, 3, 6}));
    std::array<TControllerOutput*, 3> outputs{t->GetOutput(0), t->GetOutput(1), t->GetOutput(2)};

    EXPECT_TRUE(P.DeleteTrendGroupOf(0));
    for (TControllerOutput* o : outputs)
        EXPECT_EQ(o->Owner, nullptr);
    EXPECT_TRUE(w->Conflicts().Empty());
    EXPECT_TRUE(a->Conflicts().Empty());
    std::vector<const TTrend*> live{w, a};
    for (TPhase* phase : AllPhases())
        for (TTrend* s : phase->Trends())
            EXPECT_NE(std::find(live.begin(), live.end(), s), live.end())
                << "freed signal in a phase";
    EXPECT_EQ(Greens(Phase(0)), std::vector<TTrend*>{a});
    // Only the arrow closes and the pedestrian opens now.
    EXPECT_EQ(Proms(Phase(0)), (std::vector<int>{2}));
    EXPECT_EQ(P.TrendName(0), "1П");
    EXPECT_FALSE(P.DeleteTrendGroupOf(5));
}

TEST_F(Trends, CallDirectionCannotBeDeletedLikeOthers) {
    P.SwitchCallPhases(true);
    const int row = P.RowOf(P.CallTrend());
    EXPECT_FALSE(P.DeleteTrendGroupOf(row));
    EXPECT_TRUE(P.CallPhasesEnabled());
    P.RemoveCallGroups();
    EXPECT_EQ(P.CallTrend(), nullptr);
}

TEST_F(Trends, TramStopSignalFollowsTheMovementsInEveryPhase) {
    TTrend* t = Add(0);
    auto* tram = dynamic_cast<TTram*>(Add(4)->Group());
    TTrend* stop = tram->StopTrend();
    // A new tram puts its stop signal into every phase, the all-red one too.
    for (TPhase* phase : AllPhases())
        EXPECT_TRUE(phase->IsGreen(stop));
    TPhase* f = Phase(0);
    P.SetPhaseTrend(f, t, true);
    P.SetPhaseTrend(f, t, false);
    P.SetPhaseTrend(f, stop, false); // taking it out directly does not stick
    EXPECT_EQ(Greens(f), std::vector<TTrend*>{stop});
    P.SetPhaseTrend(f, tram->Trends()[1], true);
    EXPECT_FALSE(f->IsGreen(stop));
    P.SetPhaseTrend(f, tram->Trends()[2], true);
    P.SetPhaseTrend(f, tram->Trends()[1], false);
    EXPECT_FALSE(f->IsGreen(stop));
    P.SetPhaseTrend(f, tram->Trends()[2], false);
    EXPECT_TRUE(f->IsGreen(stop));
    EXPECT_EQ(Greens(f), std::vector<TTrend*>{stop});
    EXPECT_TRUE(P.AllRedPhase()->IsGreen(stop));
}

TEST_F(Trends, EmptyHooksMeanNoRecomputation) {
    TTrend* t = Add(0);
    P.CopyPhase(Phase(0));
    P.SetPhaseTrend(Phase(0), t, true);
    P.OnTimesChanged = nullptr;
    t->SetTime(2, 5);
    EXPECT_TRUE(Proms(Phase(0)).empty());
    P.RecalcTransitions();
    EXPECT_EQ(Proms(Phase(0)), (std::vector<int>{5}));
}

} // namespace
} // namespace tralcon
