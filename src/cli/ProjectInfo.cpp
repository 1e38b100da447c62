#include "cli/ProjectInfo.h"

#include <cstdio>
#include <sstream>

namespace tralcon::cli {

namespace {

std::string TimeText(double time) {
    int h, m, s;
    DecodeDayTime(time, h, m, s);
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02d:%02d", h, m);
    return buf;
}

std::string DateText(double date) {
    int y, m, d;
    DecodeDate(date, y, m, d);
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02d.%02d", d, m);
    return buf;
}

} // namespace

std::string DescribeProject(const TProject& p, const TSchemeDocument& scheme) {
    std::ostringstream o;
    o << "Проект: " << p.ProjectName() << "\n"
      << "Системный идентификатор: " << int(p.SystemID()) << "\n"
      << "Все красные: " << int(p.AllRedTime()) << " с\n"
      << "Параметры: " << int(p.ProjectOptions())
      << ((p.ProjectOptions() & poRedBlink) ? " (красный мигающий при ожидании)" : "")
      << ((p.ProjectOptions() & poQuickStart) ? " (быстрый запуск)" : "")
      << ((p.ProjectOptions() & poQuickCall) ? " (быстрый переход в ТВП)" : "") << "\n";

    o << "Контроллеры:\n";
    for (int i = 0; i < p.ControllerList().Count(); ++i) {
        const TController* c = p.ControllerAt(i);
        o << "  " << i + 1 << ". " << c->Model->Caption << " (ID " << c->Model->ID << "), "
          << (c->IsLed() ? "светодиодный" : "ламповый") << "\n";
    }

    o << "Направления:\n";
    for (int row = 0; row < p.TrendCount(); ++row) {
        const TTrend* t = p.TrendAt(row);
        o << "  " << p.TrendName(row) << "  " << t->Group()->GetCaption() << "  выходы:";
        for (int s = 0; s < kOutputSlotCount; ++s)
            if (KindHasSlot(t->Kind(), s))
                o << " " << SlotLetters[s] << "="
                  << (t->GetOutput(s) ? p.OutputName(t->GetOutput(s)) : "-");
        o << "  времена:";
        for (int s : {2, 3, 4, 7, 8})
            if (t->HasState(s))
                o << " " << SignalNames[s] << " " << int(t->GetTime(s));
        if (t->RedControl())
            o << "  контроль красного";
        if (t->GreenControl())
            o << "  контроль зеленого";
        if (!t->Conflicts().Empty()) {
            o << "  конфликты:";
            for (const TTrend* c : t->Conflicts())
                o << " " << p.TrendName(p.RowOf(c));
        }
        o << "\n";
    }

    o << "Фазы:\n";
    for (int i = 0; i < p.PhaseCount(); ++i) {
        const TPhase* ph = p.PhaseAt(i);
        o << "  Ф" << p.PhaseNumberText(ph) << "  мин. " << int(ph->MinTime()) << " с  зеленые:";
        for (const TTrend* t : ph->Trends())
            if (t->IsCounted())
                o << " " << p.TrendName(p.RowOf(t));
        o << "  промтакты:";
        if (ph->StepCount() == 0)
            o << " нет";
        for (int k = 0; k < ph->StepCount(); ++k)
            o << " " << ph->StepDuration(k) << " с";
        o << "\n";
    }

    o << "Циклы:\n";
    for (int c = 0; c < p.CycleList().Count(); ++c) {
        o << "  " << c + 1 << ". " << p.CycleAt(c)->Name() << " (" << p.CycleTimeText(c) << "):";
        for (int i = 0; i < p.PhaseCount(); ++i)
            o << " Ф" << i + 1 << "=" << p.PhaseCycleTime(p.PhaseAt(i), c);
        o << "\n";
    }

    o << "Суточные планы:\n";
    for (const TDayPlan* d : p.DayPlanList()) {
        o << "  " << d->Name() << ":";
        for (int i = 0; i < d->ItemCount(); ++i)
            o << " " << TimeText(d->ItemAt(i)->Time()) << " " << d->ItemAt(i)->Cycle()->Name();
        o << "\n";
    }
    o << "Недельные планы:\n";
    for (const TWeekPlan* w : p.WeekPlanList()) {
        o << "  " << w->Name() << ":";
        for (int i = 0; i < w->ItemCount(); ++i)
            o << " " << WeekDayNames[w->ItemAt(i)->Day()] << " " << w->ItemAt(i)->DayPlan()->Name();
        o << "\n";
    }
    o << "Годовой план:";
    for (int i = 0; i < p.YearPlan()->ItemCount(); ++i)
        o << " с " << DateText(p.YearPlan()->ItemAt(i)->Date()) << " "
          << p.YearPlan()->ItemAt(i)->WeekPlan()->Name() << ";";
    o << "\n";
    o << "Схема: " << scheme.AttachedCount() << " объектов"
      << (scheme.HasBackground()
              ? ", фоновый рисунок " + std::to_string(scheme.Background().size()) + " байт"
              : "")
      << "\n";
    return o.str();
}

} // namespace tralcon::cli
