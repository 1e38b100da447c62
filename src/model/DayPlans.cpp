#include "model/DayPlans.h"

#include "model/Project.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace tralcon {

double NextTime(double limit, double t) {
    if (limit - t > Hour + kTimeEpsilon)
        return t + Hour;
    if (limit - t > Minute + kTimeEpsilon)
        return t + Minute;
    return t;
}

void DecodeDayTime(double time, int& hour, int& minute, int& second) {
    long seconds = std::lround(time * 86400.0);
    seconds = std::clamp(seconds, 0L, 86399L);
    hour = static_cast<int>(seconds / 3600);
    minute = static_cast<int>(seconds / 60 % 60);
    second = static_cast<int>(seconds % 60);
}

double EncodeDayTime(int hour, int minute, int second) {
    return (hour * 3600.0 + minute * 60.0 + second) / 86400.0;
}

namespace {
TLinkedObject* RequireCycle(TLinkedObject* link) {
    if (dynamic_cast<TCycle*>(link) == nullptr)
        throw ELinkedObjException("Linked Object not defined");
    return link;
}
} // namespace

TDayPlanItem::TDayPlanItem(double time, TLinkedObject* cycle)
    : TLinkedObjItem(kDataSize, &time, RequireCycle(cycle)) {}

double TDayPlanItem::Time() const {
    double t = 0;
    GetData(&t);
    return t;
}

bool TDayPlanItem::AcceptsLink(const TLinkedObject* object) const {
    return dynamic_cast<const TCycle*>(object) != nullptr;
}

bool TDayPlan::CanAddItem(int index) const {
    const int n = ItemCount();
    if (n == 0)
        return true;
    if (index < 0 || index >= n)
        return false;
    const double t = ItemAt(index)->Time();
    if (index == n - 1)
        return t < 1.0 - Minute - kTimeEpsilon;
    return ItemAt(index + 1)->Time() - t > Minute + kTimeEpsilon;
}

TLinkedObjItem* TDayPlan::CreateItem(const void* value, TLinkedObject* link) {
    double t = 0;
    if (value != nullptr)
        std::memcpy(&t, value, sizeof t);
    return new TDayPlanItem(t, link);
}

// ---- Project: day plans ---------------------------------------------------------

TDayPlan* TProject::AddDayPlan() {
    auto* plan = new TDayPlan("Новый суточный план");
    const double midnight = 0;
    plan->AddItem(-1, &midnight, FOffCycle.get());
    FDayPlanList.Add(plan);
    ++FDayPlanCounter;
    return plan;
}

bool TProject::DeleteDayPlan(int i) {
    if (FDayPlanList.Count() <= 1 || i < 0 || i >= FDayPlanList.Count() ||
        FDayPlanList.Items(i)->RefCount() > 0)
        return false;
    FDayPlanList.Delete(i);
    return true;
}

bool TProject::ClearDayPlans() {
    for (const TDayPlan* plan : FDayPlanList)
        if (plan->RefCount() > 0)
            return false;
    FDayPlanList.Clear();
    FDayPlanCounter = 1;
    AddDayPlan();
    return true;
}

double TProject::DayItemMinTime(const TDayPlan* plan, int i) {
    if (i <= 0)
        return 0;
    return plan->ItemAt(i - 1)->Time() + Minute;
}

double TProject::DayItemMaxTime(const TDayPlan* plan, int i) {
    if (i >= plan->ItemCount() - 1)
        return 1 - Minute;
    return plan->ItemAt(i + 1)->Time() - Minute;
}

TDayPlanItem* TProject::AddDayPlanItem(TDayPlan* plan, int i) {
    if (plan == nullptr || !FDayPlanList.Contains(plan))
        return nullptr;
    const int n = plan->ItemCount();
    if (n == 0) {
        const double midnight = 0;
        return static_cast<TDayPlanItem*>(plan->AddItem(-1, &midnight, FOffCycle.get()));
    }
    if (i < 0 || i >= n)
        return nullptr;
    const double t = plan->ItemAt(i)->Time();
    double next = 0;
    if (i == n - 1) {
        if (t > 1 - 2 * Minute + kTimeEpsilon)
            return nullptr;
        next = NextTime(1 - Minute, t);
        // At 23:58 exactly one minute is left, which NextTime does not count
        // as room; the item still fits at 23:59 and must not repeat 23:58.
        if (next < t + Minute - kTimeEpsilon)
            next = t + Minute;
    } else {
        const double following = plan->ItemAt(i + 1)->Time();
        if (following - t < 2 * Minute - kTimeEpsilon)
            return nullptr;
        next = NextTime(following, t);
    }
    return static_cast<TDayPlanItem*>(plan->AddItem(i, &next, plan->ItemAt(i)->Cycle()));
}

bool TProject::SetDayItemTime(TDayPlanItem* item, double time) {
    auto* plan = item == nullptr ? nullptr : dynamic_cast<TDayPlan*>(item->Owner());
    if (plan == nullptr || !FDayPlanList.Contains(plan))
        return false;
    const int i = plan->IndexOfItem(item);
    // Items stay strictly ascending, a minute apart at least.
    if (!(time >= DayItemMinTime(plan, i) - kTimeEpsilon &&
          time <= DayItemMaxTime(plan, i) + kTimeEpsilon))
        return false;
    item->SetData(&time);
    return true;
}

bool TProject::SetDayItemCycle(TDayPlanItem* item, TCycle* cycle) {
    auto* plan = item == nullptr ? nullptr : dynamic_cast<TDayPlan*>(item->Owner());
    if (plan == nullptr || !FDayPlanList.Contains(plan) || !IsProjectCycle(cycle))
        return false;
    item->SetLink(cycle);
    return true;
}

} // namespace tralcon
