#include "passport/DataScript.h"

#include "model/Errors.h"
#include "model/Project.h"
#include "platform/Cp1251.h"
#include "platform/FileIO.h"

#include <cstdio>
#include <ctime>

namespace tralcon {

namespace {

// The pages' script knows the direction classes by these codes.
int ClassCode(const TTrendGroup* group) {
    switch (group->KindCode()) {
    case 0:
        return 0; // TTransport
    case 10:
        return 1; // TWalkman
    case 20:
        return 2; // TWalkmanGB
    case 30:
        return 3; // TArrow
    case 40:
        return 4; // TTram
    case 50:
        return 5; // TCall
    case 35:
        return 6; // TArrowGB
    default:
        return -1;
    }
}

int ModelColourCode(const TModelOutput* o) {
    if (o->Flags & ofRed)
        return 0;
    if (o->Flags & ofGreen)
        return 2;
    return 1;
}

// Trim as the passport always did it: every control character and blank.
std::string Trimmed(const std::string& s) {
    std::size_t b = 0, e = s.size();
    while (b < e && static_cast<unsigned char>(s[b]) <= ' ')
        ++b;
    while (e > b && static_cast<unsigned char>(s[e - 1]) <= ' ')
        --e;
    return s.substr(b, e - b);
}

std::string DisplayName(const std::string& name, const char* defaultName, const char* numbered,
                        int index) {
    const std::string trimmed = Trimmed(name);
    if (trimmed.empty() || name == defaultName)
        return Format(numbered, index + 1);
    return trimmed;
}

std::string TwoDigits(int v) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02d", v);
    return buf;
}

// One statement a line, CR LF after each, as the help compiler's pages
// expect on every platform.
class TLines {
  public:
    void Line(const std::string& s) {
        FText += s;
        FText += "\r\n";
    }
    const std::string& Text() const { return FText; }

  private:
    std::string FText;
};

std::string N(long long v) {
    return std::to_string(v);
}

// A name between single quotes. An apostrophe or a backslash in it would end
// or bend the literal and leave the pages without any data at all, so those
// are escaped; the page shows the name as it stands.
std::string Quoted(const std::string& text) {
    std::string q = "'";
    for (char ch : text) {
        const auto u = static_cast<unsigned char>(ch);
        if (ch == '\\' || ch == '\'') {
            q += '\\';
            q += ch;
        } else if (u < 0x20) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\x%02X", u);
            q += buf;
        } else {
            q += ch;
        }
    }
    return q + "'";
}

} // namespace

TLocalDateTime TLocalDateTime::Now() {
    const std::time_t t = std::time(nullptr);
    std::tm tm{};
    localtime_r(&t, &tm);
    return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

std::string CycleDisplayName(const TCycle* cycle, int index) {
    return DisplayName(cycle->Name(), "Новый цикл", "Рабочий цикл № %d", index);
}

std::string DayPlanDisplayName(const TDayPlan* plan, int index) {
    return DisplayName(plan->Name(), "Новый суточный план", "Суточный план № %d", index);
}

std::string WeekPlanDisplayName(const TWeekPlan* plan, int index) {
    return DisplayName(plan->Name(), "Новый недельный план", "Недельный план № %d", index);
}

std::string YearDateText(double date) {
    // A day and a month read as "1 of January": the genitive forms.
    static const char* const months[12] = {"января",   "февраля", "марта",  "апреля",
                                           "мая",      "июня",    "июля",   "августа",
                                           "сентября", "октября", "ноября", "декабря"};
    int y = 0, m = 1, d = 1;
    DecodeDate(date, y, m, d);
    return TwoDigits(d) + " " + months[(m - 1) % 12];
}

std::string DataScriptText(const TProject& p, const TLocalDateTime& now) {
    TLines out;

    // 1. Header.
    out.Line("Description = " + Quoted(p.ProjectName()) + ";");
    out.Line("CreationDate = '" + TwoDigits(now.Day) + "." + TwoDigits(now.Month) + "." +
             N(now.Year) + " " + TwoDigits(now.Hour) + ":" + TwoDigits(now.Minute) + ":" +
             TwoDigits(now.Second) + "';");
    out.Line("SystemID = " + N(p.SystemID()) + ";");

    // 2. The catalogue models the controllers use, by catalogue position.
    const TSafeObjList<TModel>& models = p.Config().ModelList;
    for (int i = 0; i < models.Count(); ++i) {
        const TModel* m = models[i];
        bool used = false;
        for (const TController* c : p.ControllerList())
            used = used || c->Model == m;
        if (!used)
            continue;
        out.Line("ModelList[" + N(i) + "] = new Model(" + Quoted(m->Caption) + ");");
        out.Line("with (ModelList[" + N(i) + "]) {");
        for (int j = 0; j < m->ModelOutputCount(); ++j)
            out.Line("\tOutputs[" + N(j) + "] = new ModelOutput(" +
                     N(ModelColourCode(m->ModelOutputAt(j))) + ");");
        out.Line("}");
    }

    // 3. Controllers and their bound outputs.
    const auto& groups = p.TrendGroupList();
    for (int i = 0; i < p.ControllerList().Count(); ++i) {
        const TController* c = p.ControllerList()[i];
        out.Line("ControllerList[" + N(i) + "] = new Controller(" + N(models.IndexOf(c->Model)) +
                 "," + N(c->IsLed() ? 1 : 0) + "," + N(p.SystemID()) + ");");
        out.Line("with (ControllerList[" + N(i) + "]){");
        for (int j = 0; j < c->Outputs.Count(); ++j) {
            const TControllerOutput* o = c->ControllerOutputAt(j);
            if (o->Owner == nullptr)
                continue;
            out.Line("\tOutputs[" + N(j) + "] = new ControllerOutput(" +
                     N(groups.IndexOf(o->Owner)) + ", " + N(p.SlotOf(o->Owner, o)) + ");");
        }
        out.Line("}");
    }

    // 4. Directions, their counted signals, outputs and the times that last.
    for (int i = 0; i < groups.Count(); ++i) {
        const TTrendGroup* g = groups[i];
        out.Line("TrendGroupList[" + N(i) + "] = new TrendGroup(" + N(ClassCode(g)) + ");");
        out.Line("with (TrendGroupList[" + N(i) + "]){");
        int j = 0;
        for (const TTrend* t : g->Trends()) {
            if (!t->IsCounted())
                continue;
            out.Line("\tTrends[" + N(j) + "] = new Trend(" + N(t->Kind()) + ", " +
                     N(t->RedControl() ? 1 : 0) + ", " + N(t->GreenControl() ? 1 : 0) + ");");
            out.Line("\twith (Trends[" + N(j) + "]){");
            for (int k = 0; k < kOutputSlotCount; ++k) {
                const TControllerOutput* o = t->GetOutput(k);
                if (!KindHasSlot(t->Kind(), k) || o == nullptr)
                    continue;
                out.Line("\t\tOutputs[" + N(k) + "] = new TrendOutput(" +
                         N(p.ControllerList().IndexOf(o->Controller)) + ", " +
                         N(o->Controller->OutputIndex(o)) + ");");
            }
            for (int k : {2, 3, 4, 7, 8}) {
                const int time = t->GetTime(k);
                if (time != 0 && time != t->GetTime(k + 1))
                    out.Line("\t\tTimes[" + N(k) + "] = " + N(time) + ";");
            }
            out.Line("\t}");
            ++j;
        }
        out.Line("}");
    }

    // 5. Phases (working, then call phases) with their duration per cycle.
    const int cycles = p.CycleList().Count();
    for (int i = 0; i < p.PhaseCount(); ++i) {
        const TPhase* phase = p.PhaseAt(i);
        out.Line("PhaseList[" + N(i) + "] = new Phase();");
        out.Line("with (PhaseList[" + N(i) + "]){");
        for (int j = 0; j < cycles; ++j) {
            const int v = j < phase->Cycles().Count() ? phase->Cycles().Items(j) : phase->MinTime();
            out.Line("\tCycles[" + N(j) + "] = " + N(v) + ";");
        }
        out.Line("}");
    }

    // 6. The phase table with its intermediate steps: what each signal shows.
    const int rows = p.RowCount(true);
    const int signals = p.TrendCount();
    const int working = p.PhaseList().Count();
    for (int r = 0; r < rows; ++r) {
        const TRowLocation loc = p.LocateRow(r, true, -1);
        const bool main = !loc.Entry && loc.SubRow == 0;
        const int call = main && loc.PhaseNumber >= working ? 1 : 0;
        const int number = main ? loc.PhaseNumber : -1;
        out.Line("StepList[" + N(r) + "] = new Step(" + N(call) + ", " + N(number) + ", " +
                 N(p.RowDuration(r, true)) + ");");
        out.Line("with (StepList[" + N(r) + "]){");
        for (int t = 0; t < signals; ++t)
            out.Line("\tTProms[" + N(t) + "] = " + N(static_cast<int>(p.RowSignal(r, t, true))) +
                     ";");
        out.Line("}");
    }

    // 7. Cycles, numbered from 1 as the day plans' codes count them.
    for (int i = 0; i < cycles; ++i)
        out.Line("CycleList[" + N(i + 1) + "] = " + Quoted(CycleDisplayName(p.CycleAt(i), i)) +
                 ";");

    // 8. Day plans.
    const auto& days = p.DayPlanList();
    for (int i = 0; i < days.Count(); ++i) {
        const TDayPlan* plan = days[i];
        out.Line("DayPlanList[" + N(i) + "] = new DayPlan(" + Quoted(DayPlanDisplayName(plan, i)) +
                 ");");
        out.Line("with (DayPlanList[" + N(i) + "]){");
        for (int j = 0; j < plan->ItemCount(); ++j) {
            const TDayPlanItem* item = plan->ItemAt(j);
            int h = 0, m = 0, s = 0;
            DecodeDayTime(item->Time(), h, m, s);
            const TCycle* cycle = item->Cycle();
            const int code = cycle == p.FlashCycle() ? -1
                             : cycle == p.OffCycle() ? -2
                                                     : p.CycleList().IndexOf(cycle) + 1;
            out.Line("\tItems[" + N(j) + "] = new DayPlanItem('" + TwoDigits(h) + ":" +
                     TwoDigits(m) + ":" + TwoDigits(s) + "', " + N(code) + ");");
        }
        out.Line("}");
    }

    // 9. Week plans.
    const auto& weeks = p.WeekPlanList();
    for (int i = 0; i < weeks.Count(); ++i) {
        const TWeekPlan* plan = weeks[i];
        out.Line("WeekPlanList[" + N(i) + "] = new WeekPlan(" +
                 Quoted(WeekPlanDisplayName(plan, i)) + ");");
        out.Line("with (WeekPlanList[" + N(i) + "]){");
        for (int j = 0; j < plan->ItemCount(); ++j) {
            const TWeekPlanItem* item = plan->ItemAt(j);
            out.Line("\tItems[" + N(j) + "] = new WeekPlanItem(" + N(item->Day()) + ", " +
                     N(days.IndexOf(item->DayPlan())) + ");");
        }
        out.Line("}");
    }

    // 10. The year plan: no block of its own around the items.
    if (const TYearPlan* year = p.YearPlan()) {
        for (int i = 0; i < year->ItemCount(); ++i) {
            const TYearPlanItem* item = year->ItemAt(i);
            out.Line("\tYearPlan[" + N(i) + "] = new YearPlanItem('" + YearDateText(item->Date()) +
                     "', " + N(weeks.IndexOf(item->WeekPlan())) + ");");
        }
    }
    return ToCp1251(out.Text());
}

namespace {

std::string WriteScript(const std::string& folder, const char* name, const std::string& text) {
    std::string dir = folder.empty() ? std::string(".") : folder;
    if (dir.back() != '/')
        dir += '/';
    const std::string path = dir + name;
    std::string error;
    if (!WriteFileAtomically(path, text, &error))
        throw EUserError(Format("Не удалось записать файл %s", path) + ": " + error);
    return path;
}

} // namespace

std::string ConflictScriptText(const TProject& p) {
    TLines out;
    int i = 0;
    for (const auto& [a, b] : p.ConflictPairs())
        out.Line("ConflictList[" + N(i++) + "] = new Conflict(" + N(p.RowOf(a)) + ", " +
                 N(p.RowOf(b)) + ");");
    return out.Text();
}

std::string WriteConflictScript(const TProject& project, const std::string& folder) {
    return WriteScript(folder, "Conflicts.js", ConflictScriptText(project));
}

std::string WriteDataScript(const TProject& project, const std::string& folder,
                            const std::function<TLocalDateTime()>& now) {
    return WriteScript(folder, "General.js",
                       DataScriptText(project, now ? now() : TLocalDateTime::Now()));
}

} // namespace tralcon
