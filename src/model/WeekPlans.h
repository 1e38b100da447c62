#pragma once
// Week plans: runs of weekdays (0 = Monday .. 6 = Sunday), each running one
// day plan.

#include "model/DayPlans.h"
#include "model/LinkedObjs.h"

#include <cstdint>

namespace tralcon {

inline constexpr int kDaysInWeek = 7;
extern const char* const WeekDayNames[kDaysInWeek]; // "Пн" .. "Вс"

class TWeekPlanItem : public TLinkedObjItem {
  public:
    static constexpr int kDataSize = 1;
    TWeekPlanItem(std::uint8_t day, TLinkedObject* dayPlan);

    int Day() const;
    TDayPlan* DayPlan() const { return static_cast<TDayPlan*>(Link()); }

  protected:
    bool AcceptsLink(const TLinkedObject* object) const override;
};

class TWeekPlan : public TLinkedObject {
  public:
    explicit TWeekPlan(std::string name) : TLinkedObject(std::move(name), true) {}

    // The last day item i covers: Sunday for the last item, else the day
    // before the next item.
    int ItemLastDay(int index) const;
    // The earliest day item i may start on.
    int ItemMinDay(int index) const;

    // True for an empty plan; false when item index covers one day only.
    bool CanAddItem(int index) const override;
    TWeekPlanItem* ItemAt(int index) const {
        return static_cast<TWeekPlanItem*>(TLinkedObject::ItemAt(index));
    }

  protected:
    TLinkedObjItem* CreateItem(const void* value, TLinkedObject* link) override;
};

} // namespace tralcon
