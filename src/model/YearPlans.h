#pragma once
// The year plan: runs of dates of the reference year 2000, each running one
// week plan. Dates are whole day numbers counted from 1899-12-30 (= 0).

#include "model/LinkedObjs.h"
#include "model/WeekPlans.h"

namespace tralcon {

inline constexpr double YearStart = 36526.0; // 2000-01-01
inline constexpr double YearEnd = 36891.0;   // 2000-12-31
// The year plan holds at most one item per day after the first of January;
// 2000 has 366 days, but the plan has always stopped at 365 items.
inline constexpr int kMaxYearPlanItems = static_cast<int>(YearEnd - YearStart);

// Day number of a calendar date and back (proleptic Gregorian calendar).
double EncodeDate(int year, int month, int day);
void DecodeDate(double date, int& year, int& month, int& day);

class TYearPlanItem : public TLinkedObjItem {
  public:
    static constexpr int kDataSize = 8;
    TYearPlanItem(double date, TLinkedObject* weekPlan);

    // The first date, a whole day number.
    double Date() const;
    TWeekPlan* WeekPlan() const { return static_cast<TWeekPlan*>(Link()); }

  protected:
    bool AcceptsLink(const TLinkedObject* object) const override;
};

class TYearPlan : public TLinkedObject {
  public:
    explicit TYearPlan(std::string name) : TLinkedObject(std::move(name), true) {}

    // YearEnd for the last item, else the day before the next item.
    double ItemLastDate(int index) const;
    // YearStart for the first item, else the day after the previous one.
    double ItemMinDate(int index) const;

    bool CanAddItem(int index) const override;
    TYearPlanItem* ItemAt(int index) const {
        return static_cast<TYearPlanItem*>(TLinkedObject::ItemAt(index));
    }

  protected:
    TLinkedObjItem* CreateItem(const void* value, TLinkedObject* link) override;
};

} // namespace tralcon
