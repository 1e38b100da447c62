#include "ModelTestUtil.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>

namespace tralcon {
namespace {

using test::ProjectTest;

std::string Hhmm(double t) {
    int h = 0, m = 0, s = 0;
    DecodeDayTime(t, h, m, s);
    char text[8];
    std::snprintf(text, sizeof text, "%02d:%02d", h, m);
    return text;
}

class Plans : public ProjectTest {
  protected:
    TDayPlan* Day() const { return P.DayPlanList()[0]; }
    TWeekPlan* Week() const { return P.WeekPlanList()[0]; }
    // A day plan with items at the given times (the first stays at 00:00
    // unless the list starts elsewhere).
    TDayPlan* DayPlanAt(std::initializer_list<std::pair<int, int>> times) {
        TDayPlan* plan = P.AddDayPlan();
        int i = 0;
        for (auto [h, m] : times) {
            TDayPlanItem* item = i == 0 ? plan->ItemAt(0) : P.AddDayPlanItem(plan, i - 1);
            EXPECT_NE(item, nullptr);
            EXPECT_TRUE(P.SetDayItemTime(item, EncodeDayTime(h, m)));
            ++i;
        }
        return plan;
    }
    std::vector<std::string> Times(const TDayPlan* plan) {
        std::vector<std::string> out;
        for (int i = 0; i < plan->ItemCount(); ++i)
            out.push_back(Hhmm(plan->ItemAt(i)->Time()));
        return out;
    }
    std::vector<int> Days(const TWeekPlan* plan) {
        std::vector<int> out;
        for (int i = 0; i < plan->ItemCount(); ++i)
            out.push_back(plan->ItemAt(i)->Day());
        return out;
    }
};

TEST(PlanTime, DaysAndDatesConvert) {
    EXPECT_EQ(EncodeDate(2000, 1, 1), YearStart);
    EXPECT_EQ(EncodeDate(2000, 12, 31), YearEnd);
    EXPECT_EQ(EncodeDate(1899, 12, 30), 0);
    EXPECT_EQ(kMaxYearPlanItems, 365);
    int y = 0, m = 0, d = 0;
    DecodeDate(EncodeDate(2000, 2, 29), y, m, d);
    EXPECT_EQ(y * 10000 + m * 100 + d, 20000229);
    DecodeDate(EncodeDate(2000, 3, 1) + 0.9, y, m, d);
    EXPECT_EQ(y * 10000 + m * 100 + d, 20000301);
    DecodeDate(YearEnd, y, m, d);
    EXPECT_EQ(y * 10000 + m * 100 + d, 20001231);
    // 10:30 stored as a fraction must not read back as 10:29.
    int h = 0, mi = 0, s = 0;
    DecodeDayTime(630.0 / 1440.0, h, mi, s);
    EXPECT_EQ(h * 10000 + mi * 100 + s, 103000);
    DecodeDayTime(1 - Minute, h, mi, s);
    EXPECT_EQ(h * 100 + mi, 2359);
    EXPECT_EQ(Hhmm(NextTime(1 - Minute, EncodeDayTime(22, 0))), "23:00");
    EXPECT_EQ(Hhmm(NextTime(1 - Minute, EncodeDayTime(22, 59))), "23:00");
    EXPECT_EQ(Hhmm(NextTime(1 - Minute, EncodeDayTime(23, 58))), "23:58");
}

TEST_F(Plans, NewDayPlanAndItsFirstFollower) {
    TDayPlan* plan = P.AddDayPlan();
    EXPECT_EQ(plan->Name(), "Новый суточный план");
    ASSERT_EQ(plan->ItemCount(), 1);
    EXPECT_EQ(plan->ItemAt(0)->Time(), 0);
    EXPECT_EQ(plan->ItemAt(0)->Cycle(), P.OffCycle());
    TDayPlanItem* next = P.AddDayPlanItem(plan, 0);
    ASSERT_NE(next, nullptr);
    EXPECT_EQ(Hhmm(next->Time()), "01:00");
    EXPECT_EQ(next->Cycle(), P.OffCycle());
    EXPECT_EQ(P.OffCycle()->RefCount(), 3); // the default plan's item too
}

TEST_F(Plans, DayItemsNeedRoomAfterThem) {
    struct Case {
        std::initializer_list<std::pair<int, int>> Items;
        int After;
        const char* Expected; // none when refused
    } cases[] = {
        {{{10, 0}, {10, 30}}, 0, "10:01"},
        {{{10, 0}, {10, 1}}, 0, nullptr},
        {{{10, 0}, {10, 2}}, 0, "10:01"},
        {{{0, 0}, {23, 59}}, 1, nullptr},
        {{{0, 0}, {23, 58}}, 1, "23:59"},
        {{{0, 0}, {23, 30}}, 1, "23:31"},
        {{{0, 0}, {22, 0}}, 1, "23:00"},
        {{{0, 0}, {8, 0}, {12, 0}}, 1, "09:00"},
        {{{0, 0}}, 1, nullptr},
        {{{0, 0}}, -1, nullptr},
    };
    for (const Case& c : cases) {
        TDayPlan* plan = DayPlanAt(c.Items);
        SCOPED_TRACE(testing::PrintToString(Times(plan)) + " after " + std::to_string(c.After));
        const bool can = c.After >= 0 && c.After < plan->ItemCount() && plan->CanAddItem(c.After);
        TDayPlanItem* item = P.AddDayPlanItem(plan, c.After);
        if (c.Expected == nullptr) {
            EXPECT_EQ(item, nullptr);
            EXPECT_EQ(plan->ItemCount(), static_cast<int>(c.Items.size()));
            if (c.After == 1 && c.Items.size() == 2) {
                EXPECT_FALSE(can);
            }
        } else {
            ASSERT_NE(item, nullptr);
            EXPECT_TRUE(can);
            EXPECT_EQ(Hhmm(item->Time()), c.Expected);
            EXPECT_EQ(plan->ItemAt(c.After + 1), item);
        }
    }
    // 10:00 and 10:01 cannot be split.
    EXPECT_FALSE(DayPlanAt({{10, 0}, {10, 1}})->CanAddItem(0));
}

TEST_F(Plans, DayItemTimesStayInOrder) {
    TDayPlan* plan = DayPlanAt({{0, 0}, {6, 0}, {12, 0}});
    TDayPlanItem* middle = plan->ItemAt(1);
    EXPECT_EQ(Hhmm(P.DayItemMinTime(plan, 1)), "00:01");
    EXPECT_EQ(Hhmm(P.DayItemMaxTime(plan, 1)), "11:59");
    EXPECT_EQ(Hhmm(P.DayItemMaxTime(plan, 2)), "23:59");
    EXPECT_EQ(P.DayItemMinTime(plan, 0), 0);
    EXPECT_FALSE(P.SetDayItemTime(middle, EncodeDayTime(12, 0)));
    EXPECT_FALSE(P.SetDayItemTime(middle, 0));
    EXPECT_FALSE(P.SetDayItemTime(middle, std::nan("")));
    EXPECT_TRUE(P.SetDayItemTime(middle, EncodeDayTime(11, 59)));
    EXPECT_TRUE(P.SetDayItemTime(middle, EncodeDayTime(0, 1)));
    EXPECT_EQ(Times(plan), (std::vector<std::string>{"00:00", "00:01", "12:00"}));
    EXPECT_FALSE(P.SetDayItemTime(plan->ItemAt(2), 1.0));
    // Deleting the first item leaves a plan that starts later.
    TDayPlan* two = DayPlanAt({{0, 0}, {6, 0}});
    EXPECT_TRUE(two->DeleteItem(0));
    EXPECT_EQ(Times(two), (std::vector<std::string>{"06:00"}));
    EXPECT_FALSE(two->DeleteItem(0));
    // An item of a plan outside the project is not touched.
    TDayPlan stray("x");
    const double t = 0;
    auto* item = static_cast<TDayPlanItem*>(stray.AddItem(-1, &t, P.OffCycle()));
    EXPECT_FALSE(P.SetDayItemTime(item, 0.5));
    EXPECT_EQ(P.AddDayPlanItem(&stray, 0), nullptr);
}

TEST_F(Plans, WeekPlanItems) {
    EXPECT_EQ(Week()->Name(), "Новый недельный план");
    EXPECT_EQ(Days(Week()), std::vector<int>{0});
    EXPECT_EQ(Week()->ItemAt(0)->DayPlan(), Day());
    // Monday and Wednesday: after Monday comes Tuesday, then nothing fits.
    TWeekPlanItem* wednesday = P.AddWeekPlanItem(Week(), 0);
    ASSERT_NE(wednesday, nullptr);
    EXPECT_TRUE(P.SetWeekItemDay(wednesday, 2));
    EXPECT_EQ(P.WeekItemLastDay(Week(), 0), 1);
    TWeekPlanItem* tuesday = P.AddWeekPlanItem(Week(), 0);
    ASSERT_NE(tuesday, nullptr);
    EXPECT_EQ(tuesday->Day(), 1);
    EXPECT_EQ(P.AddWeekPlanItem(Week(), 1), nullptr);
    EXPECT_FALSE(Week()->CanAddItem(1));
    EXPECT_EQ(Days(Week()), (std::vector<int>{0, 1, 2}));
    // Days keep their order.
    EXPECT_FALSE(P.SetWeekItemDay(wednesday, 1));
    EXPECT_FALSE(P.SetWeekItemDay(wednesday, 7));
    EXPECT_TRUE(P.SetWeekItemDay(wednesday, 6));
    EXPECT_EQ(P.WeekItemMinDay(Week(), 2), 2);
    EXPECT_EQ(P.WeekItemLastDay(Week(), 2), 6);
    // A plan with one item per day takes no more.
    EXPECT_TRUE(P.SetWeekItemDay(wednesday, 2));
    for (int i = 2; i < 6; ++i)
        ASSERT_NE(P.AddWeekPlanItem(Week(), i), nullptr) << i;
    EXPECT_EQ(Days(Week()), (std::vector<int>{0, 1, 2, 3, 4, 5, 6}));
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(P.AddWeekPlanItem(Week(), i), nullptr) << i;
    EXPECT_STREQ(WeekDayNames[6], "Вс");
}

TEST_F(Plans, YearPlanItems) {
    TYearPlan* year = P.YearPlan();
    ASSERT_EQ(year->ItemCount(), 1);
    EXPECT_EQ(year->Name(), "");
    EXPECT_EQ(year->ItemAt(0)->Date(), YearStart);
    EXPECT_EQ(year->ItemAt(0)->WeekPlan(), Week());
    TWeekPlan* other = P.AddWeekPlan();
    EXPECT_TRUE(P.SetYearItemWeekPlan(year->ItemAt(0), other));
    TYearPlanItem* second = P.AddYearPlanItem(0);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->Date(), EncodeDate(2000, 1, 2));
    EXPECT_EQ(second->WeekPlan(), other);
    EXPECT_EQ(other->RefCount(), 2);
    EXPECT_EQ(P.AddYearPlanItem(0), nullptr); // 1 January covers one day only
    // Dates are whole days and stay in order within the year.
    EXPECT_TRUE(P.SetYearItemDate(second, EncodeDate(2000, 6, 1) + 0.75));
    EXPECT_EQ(second->Date(), EncodeDate(2000, 6, 1));
    EXPECT_FALSE(P.SetYearItemDate(second, YearStart));
    EXPECT_FALSE(P.SetYearItemDate(second, YearEnd + 1));
    EXPECT_FALSE(P.SetYearItemDate(year->ItemAt(0), EncodeDate(2000, 6, 1)));
    EXPECT_EQ(P.YearItemLastDate(0), EncodeDate(2000, 5, 31));
    EXPECT_EQ(P.YearItemMinDate(1), YearStart + 1);
    EXPECT_EQ(P.YearItemLastDate(1), YearEnd);
}

TEST_F(Plans, YearPlanHolds365ItemsAtMost) {
    for (int i = 0; i < 364; ++i)
        ASSERT_NE(P.AddYearPlanItem(i), nullptr) << i;
    TYearPlan* year = P.YearPlan();
    EXPECT_EQ(year->ItemCount(), 365);
    EXPECT_EQ(year->ItemAt(364)->Date(), EncodeDate(2000, 12, 30));
    // 31 December is still free, but the plan is full.
    EXPECT_TRUE(year->CanAddItem(364));
    EXPECT_EQ(P.AddYearPlanItem(364), nullptr);
    EXPECT_EQ(Week()->RefCount(), 365);
}

TEST_F(Plans, ReferencedPlansStayAndFreedPlansGiveReferencesBack) {
    TCycle* c1 = P.AddCycle();
    TCycle* c2 = P.AddCycle();
    TDayPlan* plan = P.AddDayPlan();
    TDayPlanItem* a = plan->ItemAt(0);
    TDayPlanItem* b = P.AddDayPlanItem(plan, 0);
    P.SetDayItemCycle(a, c1);
    P.SetDayItemCycle(b, c1);
    EXPECT_EQ(c1->RefCount(), 2);
    // Relinking moves one reference.
    EXPECT_TRUE(P.SetDayItemCycle(b, c2));
    EXPECT_EQ(c1->RefCount(), 1);
    EXPECT_EQ(c2->RefCount(), 1);

    // The week plan names the new day plan: it cannot go.
    EXPECT_TRUE(P.SetWeekItemDayPlan(Week()->ItemAt(0), plan));
    EXPECT_EQ(plan->RefCount(), 1);
    EXPECT_EQ(Day()->RefCount(), 0);
    EXPECT_FALSE(P.DeleteDayPlan(1));
    EXPECT_FALSE(P.ClearDayPlans());
    EXPECT_EQ(P.DayPlanList().Count(), 2);
    // Neither can the week plan the year plan names, nor the last one.
    EXPECT_FALSE(P.DeleteWeekPlan(0));
    EXPECT_FALSE(P.ClearWeekPlans());
    TWeekPlan* spare = P.AddWeekPlan();
    EXPECT_EQ(spare->ItemAt(0)->DayPlan(), Day());
    EXPECT_TRUE(P.DeleteWeekPlan(1));
    EXPECT_EQ(Day()->RefCount(), 0);

    // Freed, the plan gives back every reference its items held.
    EXPECT_TRUE(P.SetWeekItemDayPlan(Week()->ItemAt(0), Day()));
    EXPECT_TRUE(P.DeleteDayPlan(1));
    EXPECT_EQ(c1->RefCount(), 0);
    EXPECT_EQ(c2->RefCount(), 0);
    EXPECT_FALSE(P.DeleteDayPlan(0)); // the last day plan stays
    EXPECT_TRUE(P.DeleteCycle(1));
    EXPECT_TRUE(P.DeleteCycle(0));
    // Links to objects outside the lists are refused.
    TDayPlan stray("x");
    EXPECT_FALSE(P.SetWeekItemDayPlan(Week()->ItemAt(0), &stray));
    EXPECT_FALSE(P.SetYearItemWeekPlan(P.YearPlan()->ItemAt(0), nullptr));
    EXPECT_EQ(Week()->ItemAt(0)->DayPlan(), Day());
}

TEST_F(Plans, ResetPlansAndOptionsReplacesEveryPlan) {
    TCycle* c = P.AddCycle();
    TDayPlan* plan = P.AddDayPlan();
    P.SetDayItemCycle(plan->ItemAt(0), c);
    P.SetWeekItemDayPlan(Week()->ItemAt(0), plan);
    P.AddWeekPlan();
    P.AddYearPlanItem(0);
    P.SetProjectOptions(poQuickStart);
    P.SetAllRedTime(9);
    P.ResetPlansAndOptions();
    EXPECT_EQ(c->RefCount(), 0);
    EXPECT_EQ(P.DayPlanList().Count(), 1);
    EXPECT_EQ(P.WeekPlanList().Count(), 1);
    EXPECT_EQ(P.YearPlan()->ItemCount(), 1);
    EXPECT_EQ(Week()->ItemAt(0)->DayPlan(), Day());
    EXPECT_EQ(P.YearPlan()->ItemAt(0)->WeekPlan(), Week());
    EXPECT_EQ(P.ProjectOptions(), 0);
    EXPECT_EQ(P.AllRedTime(), 3);
    EXPECT_EQ(P.AllRedPhase()->MinTime(), 3);
    EXPECT_TRUE(P.DeleteCycle(0));
}

} // namespace
} // namespace tralcon
