#pragma once
// Day plans: intervals of the day, each running one cycle. Times of day are
// fractions of a day (0 = 00:00, Minute = one minute).

#include "model/Cycles.h"
#include "model/LinkedObjs.h"

namespace tralcon {

inline constexpr double Minute = 1.0 / 1440.0;
inline constexpr double Hour = 1.0 / 24.0;
// Times are doubles read from files and pickers: differences this small are
// rounding, not a real gap between two items.
inline constexpr double kTimeEpsilon = 1e-9;

// t + Hour when more than an hour is left before limit, else t + Minute when
// more than a minute is left, else t.
double NextTime(double limit, double t);

// Splits a time of day into whole hours, minutes and seconds (rounded to the
// nearest second, so 10:30 never reads as 10:29:59.999).
void DecodeDayTime(double time, int& hour, int& minute, int& second);
double EncodeDayTime(int hour, int minute, int second = 0);

class TDayPlanItem : public TLinkedObjItem {
  public:
    static constexpr int kDataSize = 8;
    TDayPlanItem(double time, TLinkedObject* cycle);

    double Time() const;
    TCycle* Cycle() const { return static_cast<TCycle*>(Link()); }

  protected:
    bool AcceptsLink(const TLinkedObject* object) const override;
};

class TDayPlan : public TLinkedObject {
  public:
    explicit TDayPlan(std::string name) : TLinkedObject(std::move(name), true) {}

    // True for an empty plan; after the last item while it starts before
    // 23:59; between two items more than a minute apart.
    bool CanAddItem(int index) const override;
    TDayPlanItem* ItemAt(int index) const {
        return static_cast<TDayPlanItem*>(TLinkedObject::ItemAt(index));
    }

  protected:
    TLinkedObjItem* CreateItem(const void* value, TLinkedObject* link) override;
};

} // namespace tralcon
