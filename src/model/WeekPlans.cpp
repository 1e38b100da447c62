#include "model/WeekPlans.h"

#include "model/Project.h"

#include <cstring>

namespace tralcon {

const char* const WeekDayNames[kDaysInWeek] = {"Пн", "Вт", "Ср", "Чт", "Пт", "Сб", "Вс"};

namespace {
TLinkedObject* RequireDayPlan(TLinkedObject* link) {
    if (dynamic_cast<TDayPlan*>(link) == nullptr)
        throw ELinkedObjException("Linked Object not defined");
    return link;
}
} // namespace

TWeekPlanItem::TWeekPlanItem(std::uint8_t day, TLinkedObject* dayPlan)
    : TLinkedObjItem(kDataSize, &day, RequireDayPlan(dayPlan)) {}

int TWeekPlanItem::Day() const {
    std::uint8_t day = 0;
    GetData(&day);
    return day;
}

bool TWeekPlanItem::AcceptsLink(const TLinkedObject* object) const {
    return dynamic_cast<const TDayPlan*>(object) != nullptr;
}

int TWeekPlan::ItemLastDay(int index) const {
    if (index >= ItemCount() - 1)
        return kDaysInWeek - 1;
    return ItemAt(index + 1)->Day() - 1;
}

int TWeekPlan::ItemMinDay(int index) const {
    if (index <= 0)
        return 0;
    return ItemAt(index - 1)->Day() + 1;
}

bool TWeekPlan::CanAddItem(int index) const {
    if (ItemCount() == 0)
        return true;
    if (index < 0 || index >= ItemCount())
        return false;
    return ItemAt(index)->Day() != ItemLastDay(index);
}

TLinkedObjItem* TWeekPlan::CreateItem(const void* value, TLinkedObject* link) {
    std::uint8_t day = 0;
    if (value != nullptr)
        std::memcpy(&day, value, 1);
    return new TWeekPlanItem(day, link);
}

// ---- Project: week plans --------------------------------------------------------

TWeekPlan* TProject::AddWeekPlan() {
    auto* plan = new TWeekPlan("Новый недельный план");
    const std::uint8_t monday = 0;
    plan->AddItem(-1, &monday, FDayPlanList.Items(0));
    FWeekPlanList.Add(plan);
    ++FWeekPlanCounter;
    return plan;
}

bool TProject::DeleteWeekPlan(int i) {
    if (FWeekPlanList.Count() <= 1 || i < 0 || i >= FWeekPlanList.Count() ||
        FWeekPlanList.Items(i)->RefCount() > 0)
        return false;
    FWeekPlanList.Delete(i);
    return true;
}

bool TProject::ClearWeekPlans() {
    for (const TWeekPlan* plan : FWeekPlanList)
        if (plan->RefCount() > 0)
            return false;
    FWeekPlanList.Clear();
    FWeekPlanCounter = 1;
    AddWeekPlan();
    return true;
}

TWeekPlanItem* TProject::AddWeekPlanItem(TWeekPlan* plan, int i) {
    if (plan == nullptr || !FWeekPlanList.Contains(plan) || plan->ItemCount() >= kDaysInWeek ||
        i < 0 || i >= plan->ItemCount())
        return nullptr;
    const TWeekPlanItem* item = plan->ItemAt(i);
    if (item->Day() >= plan->ItemLastDay(i))
        return nullptr;
    const auto day = static_cast<std::uint8_t>(item->Day() + 1);
    return static_cast<TWeekPlanItem*>(plan->AddItem(i, &day, item->DayPlan()));
}

bool TProject::SetWeekItemDay(TWeekPlanItem* item, int day) {
    auto* plan = item == nullptr ? nullptr : dynamic_cast<TWeekPlan*>(item->Owner());
    if (plan == nullptr || !FWeekPlanList.Contains(plan))
        return false;
    const int i = plan->IndexOfItem(item);
    if (day < plan->ItemMinDay(i) || day > plan->ItemLastDay(i))
        return false;
    const auto value = static_cast<std::uint8_t>(day);
    item->SetData(&value);
    return true;
}

bool TProject::SetWeekItemDayPlan(TWeekPlanItem* item, TDayPlan* dayPlan) {
    auto* plan = item == nullptr ? nullptr : dynamic_cast<TWeekPlan*>(item->Owner());
    if (plan == nullptr || !FWeekPlanList.Contains(plan) || !FDayPlanList.Contains(dayPlan))
        return false;
    item->SetLink(dayPlan);
    return true;
}

} // namespace tralcon
