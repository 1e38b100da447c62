#include "ModelTestUtil.h"

#include <gtest/gtest.h>

#include <cstring>

namespace tralcon {
namespace {

using test::ProjectTest;

TEST(LinkedObjects, ItemsCountTheirReferences) {
    TLinkedObject a("a"), b("b");
    TLinkedObject owner("owner", true);
    const std::int32_t value = 0x01020304;
    TLinkedObjItem* first = owner.AddItem(-1, &value, &a);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->DataSize(), 4);
    EXPECT_EQ(first->Owner(), &owner);
    std::int32_t out = 0;
    first->GetData(&out);
    EXPECT_EQ(out, value);
    EXPECT_EQ(a.RefCount(), 1);

    // Relinking moves one reference; none and the same object are ignored.
    EXPECT_TRUE(first->SetLink(&b));
    EXPECT_EQ(a.RefCount(), 0);
    EXPECT_EQ(b.RefCount(), 1);
    EXPECT_FALSE(first->SetLink(nullptr));
    EXPECT_FALSE(first->SetLink(&b));
    EXPECT_EQ(b.RefCount(), 1);
    EXPECT_EQ(first->Link(), &b);

    // New items go right after the given position, at the end from the last on.
    TLinkedObjItem* last = owner.AddItem(0, &value, &a);
    TLinkedObjItem* middle = owner.AddItem(0, &value, &a);
    TLinkedObjItem* end = owner.AddItem(7, &value, &b);
    ASSERT_EQ(owner.ItemCount(), 4);
    EXPECT_EQ(owner.ItemAt(0), first);
    EXPECT_EQ(owner.ItemAt(1), middle);
    EXPECT_EQ(owner.ItemAt(2), last);
    EXPECT_EQ(owner.ItemAt(3), end);
    EXPECT_EQ(owner.AddItem(-2, &value, &a), nullptr);
    EXPECT_EQ(a.RefCount(), 2);
    EXPECT_EQ(b.RefCount(), 2);

    // Deleting gives the reference back; the last item stays.
    EXPECT_TRUE(owner.DeleteItem(1));
    EXPECT_EQ(a.RefCount(), 1);
    EXPECT_FALSE(owner.DeleteItem(5));
    EXPECT_TRUE(owner.DeleteItem(0));
    EXPECT_TRUE(owner.DeleteItem(0));
    EXPECT_FALSE(owner.DeleteItem(0));
    EXPECT_EQ(owner.ItemCount(), 1);
    EXPECT_EQ(a.RefCount(), 0);
    EXPECT_EQ(b.RefCount(), 1);
}

TEST(LinkedObjects, AnItemNeedsALinkOfTheRightClass) {
    TLinkedObject owner("owner", true);
    const std::int32_t value = 1;
    try {
        owner.AddItem(-1, &value, nullptr);
        FAIL() << "expected ELinkedObjException";
    } catch (const ELinkedObjException& e) {
        EXPECT_STREQ(e.what(), "Linked Object not defined");
    }
    EXPECT_EQ(owner.ItemCount(), 0);
    // A day plan item names a cycle, never another plan.
    // The cycle outlives the plan whose item names it.
    TCycle cycle("c");
    TDayPlan plan("p"), other("q");
    const double t = 0;
    EXPECT_THROW(plan.AddItem(-1, &t, &other), ELinkedObjException);
    EXPECT_EQ(other.RefCount(), 0);
    TLinkedObjItem* item = plan.AddItem(-1, &t, &cycle);
    ASSERT_NE(item, nullptr);
    EXPECT_FALSE(item->SetLink(&other));
    EXPECT_EQ(item->Link(), &cycle);
    // An object without items takes none.
    TCycle noItems("n");
    EXPECT_EQ(noItems.AddItem(-1, &t, &cycle), nullptr);
}

class Cycles : public ProjectTest {
  protected:
    std::vector<int> Durations(const TPhase* phase) {
        return std::vector<int>(phase->Cycles().begin(), phase->Cycles().end());
    }
};

TEST_F(Cycles, SpecialCyclesStandOutsideTheList) {
    EXPECT_EQ(P.FlashCycle()->Name(), "ЖМ");
    EXPECT_EQ(P.OffCycle()->Name(), "ОС");
    EXPECT_TRUE(P.CycleList().Empty());
    EXPECT_TRUE(P.IsProjectCycle(P.FlashCycle()));
    EXPECT_FALSE(P.IsProjectCycle(nullptr));
    // The default day plan runs "ОС".
    EXPECT_EQ(P.OffCycle()->RefCount(), 1);
    EXPECT_EQ(P.FlashCycle()->RefCount(), 0);
}

TEST_F(Cycles, NewCyclesGiveEveryPhaseItsMinimumTime) {
    P.SwitchCallPhases(true);
    P.CopyPhase(Phase(0));
    P.SetPhaseMinTime(Phase(0), 4);
    P.SetPhaseMinTime(Phase(2), 6); // the call phase
    TCycle* c1 = P.AddCycle();
    TCycle* c2 = P.AddCycle();
    EXPECT_EQ(c1->Name(), "Новый цикл");
    EXPECT_EQ(c2->Name(), "Новый цикл");
    EXPECT_EQ(P.CycleAt(1), c2);
    EXPECT_EQ(P.CycleAt(2), nullptr);
    EXPECT_EQ(Durations(Phase(0)), (std::vector<int>{4, 4}));
    EXPECT_EQ(Durations(Phase(1)), (std::vector<int>{1, 1}));
    EXPECT_EQ(Durations(Phase(2)), (std::vector<int>{6, 6}));
    for (TPhase* phase : P.CallPhaseList()) // entry and exit too
        EXPECT_EQ(phase->Cycles().Count(), 2);
    P.SetCycleName(c2, "Утро");
    EXPECT_EQ(c2->Name(), "Утро");
}

TEST_F(Cycles, DurationsStayAtLeastTheMinimum) {
    P.AddCycle();
    P.AddCycle();
    TPhase* f = Phase(0);
    EXPECT_TRUE(P.SetPhaseCycleTime(f, 0, 30));
    EXPECT_TRUE(P.SetPhaseCycleTime(f, 1, 0));
    EXPECT_EQ(Durations(f), (std::vector<int>{30, 1}));
    EXPECT_FALSE(P.SetPhaseCycleTime(f, 2, 9));
    EXPECT_EQ(P.MinCycleTime(f), 1);
    P.SetPhaseMinTime(f, 10);
    EXPECT_EQ(Durations(f), (std::vector<int>{30, 10}));
    EXPECT_EQ(P.MinCycleTime(f), 10);
    EXPECT_EQ(P.PhaseCycleTime(f, 0), 30);
    EXPECT_EQ(P.PhaseCycleTime(f, -1), 10);
    // Phases made later get a duration for every cycle, copies copy them.
    TPhase* copy = P.CopyPhase(f);
    EXPECT_EQ(Durations(copy), (std::vector<int>{30, 10}));
    TPhase* added = P.AddPhase();
    EXPECT_EQ(Durations(added), (std::vector<int>{1, 1}));
    P.SwitchCallPhases(true);
    EXPECT_EQ(P.CallPhaseList()[1]->Cycles().Count(), 2);
}

TEST_F(Cycles, DeletingTheFirstOfTwoKeepsTheSecondsDurations) {
    P.AddCycle();
    TCycle* second = P.AddCycle();
    P.SetPhaseCycleTime(Phase(0), 0, 20);
    P.SetPhaseCycleTime(Phase(0), 1, 25);
    EXPECT_TRUE(P.DeleteCycle(0));
    EXPECT_EQ(P.CycleAt(0), second);
    EXPECT_EQ(Durations(Phase(0)), (std::vector<int>{25}));
    EXPECT_EQ(P.CallPhaseList()[0]->Cycles().Count(), 1);
    EXPECT_FALSE(P.DeleteCycle(1));
    EXPECT_FALSE(P.DeleteCycle(-1));
}

TEST_F(Cycles, AReferencedCycleCannotBeDeletedOrCleared) {
    TCycle* c = P.AddCycle();
    TDayPlanItem* item = P.DayPlanList()[0]->ItemAt(0);
    EXPECT_TRUE(P.SetDayItemCycle(item, c));
    EXPECT_EQ(c->RefCount(), 1);
    EXPECT_EQ(P.OffCycle()->RefCount(), 0);
    EXPECT_FALSE(P.DeleteCycle(0));
    EXPECT_FALSE(P.ClearCycles());
    EXPECT_EQ(P.CycleList().Count(), 1);
    EXPECT_EQ(Phase(0)->Cycles().Count(), 1);
    EXPECT_TRUE(P.SetDayItemCycle(item, P.FlashCycle()));
    EXPECT_EQ(c->RefCount(), 0);
    EXPECT_TRUE(P.DeleteCycle(0));
    EXPECT_TRUE(Phase(0)->Cycles().Empty());
    P.AddCycle();
    EXPECT_TRUE(P.ClearCycles());
    EXPECT_TRUE(P.CycleList().Empty());
    EXPECT_TRUE(Phase(0)->Cycles().Empty());
}

TEST_F(Cycles, CyclesOfAnotherProjectCannotBeNamed) {
    TProject other(*Config);
    TCycle* foreign = other.AddCycle();
    TDayPlanItem* item = P.DayPlanList()[0]->ItemAt(0);
    EXPECT_FALSE(P.SetDayItemCycle(item, foreign));
    EXPECT_FALSE(P.SetDayItemCycle(item, other.OffCycle()));
    EXPECT_EQ(item->Cycle(), P.OffCycle());
    EXPECT_EQ(foreign->RefCount(), 0);
}

} // namespace
} // namespace tralcon
