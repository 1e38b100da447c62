#include "model/YearPlans.h"

#include "model/Project.h"

#include <cmath>
#include <cstring>

namespace tralcon {

namespace {

// Days since 1970-01-01 of a proleptic Gregorian date (eras of 400 years,
// years starting in March so the leap day comes last).
long DaysFromCivil(long y, int m, int d) {
    y -= m <= 2 ? 1 : 0;
    const long era = (y >= 0 ? y : y - 399) / 400;
    const long yoe = y - era * 400;
    const long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468; // days since 1970-01-01
}

constexpr long kDelphiTo1970 = 25569; // 1970-01-01 as a day number

TLinkedObject* RequireWeekPlan(TLinkedObject* link) {
    if (dynamic_cast<TWeekPlan*>(link) == nullptr)
        throw ELinkedObjException("Linked Object not defined");
    return link;
}

} // namespace

double EncodeDate(int year, int month, int day) {
    return static_cast<double>(DaysFromCivil(year, month, day) + kDelphiTo1970);
}

void DecodeDate(double date, int& year, int& month, int& day) {
    long z = static_cast<long>(std::floor(date)) - kDelphiTo1970 + 719468;
    const long era = (z >= 0 ? z : z - 146096) / 146097;
    const long doe = z - era * 146097;
    const long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const long mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(yoe + era * 400 + (month <= 2 ? 1 : 0));
}

TYearPlanItem::TYearPlanItem(double date, TLinkedObject* weekPlan)
    : TLinkedObjItem(kDataSize, &date, RequireWeekPlan(weekPlan)) {}

double TYearPlanItem::Date() const {
    double d = 0;
    GetData(&d);
    return std::trunc(d);
}

bool TYearPlanItem::AcceptsLink(const TLinkedObject* object) const {
    return dynamic_cast<const TWeekPlan*>(object) != nullptr;
}

double TYearPlan::ItemLastDate(int index) const {
    if (index >= ItemCount() - 1)
        return YearEnd;
    return ItemAt(index + 1)->Date() - 1;
}

double TYearPlan::ItemMinDate(int index) const {
    if (index <= 0)
        return YearStart;
    return ItemAt(index - 1)->Date() + 1;
}

bool TYearPlan::CanAddItem(int index) const {
    if (ItemCount() == 0)
        return true;
    if (index < 0 || index >= ItemCount())
        return false;
    return ItemAt(index)->Date() != ItemLastDate(index);
}

TLinkedObjItem* TYearPlan::CreateItem(const void* value, TLinkedObject* link) {
    double d = 0;
    if (value != nullptr)
        std::memcpy(&d, value, sizeof d);
    return new TYearPlanItem(std::trunc(d), link);
}

// ---- Project: the year plan -----------------------------------------------------

void TProject::CreateYearPlan() {
    FYearPlan = std::make_unique<TYearPlan>("");
    const double first = YearStart;
    FYearPlan->AddItem(-1, &first, FWeekPlanList.Items(0));
}

TYearPlanItem* TProject::AddYearPlanItem(int i) {
    if (FYearPlan->ItemCount() >= kMaxYearPlanItems || i < 0 || i >= FYearPlan->ItemCount() ||
        !FYearPlan->CanAddItem(i))
        return nullptr;
    const TYearPlanItem* item = FYearPlan->ItemAt(i);
    const double date = item->Date() + 1;
    return static_cast<TYearPlanItem*>(FYearPlan->AddItem(i, &date, item->WeekPlan()));
}

bool TProject::SetYearItemDate(TYearPlanItem* item, double date) {
    if (item == nullptr || item->Owner() != FYearPlan.get() || !std::isfinite(date))
        return false;
    const int i = FYearPlan->IndexOfItem(item);
    date = std::trunc(date);
    if (date < FYearPlan->ItemMinDate(i) || date > FYearPlan->ItemLastDate(i))
        return false;
    item->SetData(&date);
    return true;
}

bool TProject::SetYearItemWeekPlan(TYearPlanItem* item, TWeekPlan* weekPlan) {
    if (item == nullptr || item->Owner() != FYearPlan.get() || !FWeekPlanList.Contains(weekPlan))
        return false;
    item->SetLink(weekPlan);
    return true;
}

} // namespace tralcon
