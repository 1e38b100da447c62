#pragma once
// "General.js": the whole project as script statements for the passport's
// pages, which define the constructors and arrays it fills and display them.

#include <functional>
#include <string>

namespace tralcon {

class TProject;
class TCycle;
class TDayPlan;
class TWeekPlan;

// A moment of local time, as the script's creation date shows it.
struct TLocalDateTime {
    int Year = 2000, Month = 1, Day = 1;
    int Hour = 0, Minute = 0, Second = 0;
    static TLocalDateTime Now();
};

// The name the passport shows: the name without surrounding blanks, or a
// numbered one ("Рабочий цикл № 3", 1-based position) while the object still
// has the default name of its kind or nothing but blanks.
std::string CycleDisplayName(const TCycle* cycle, int index);
std::string DayPlanDisplayName(const TDayPlan* plan, int index);
std::string WeekPlanDisplayName(const TWeekPlan* plan, int index);

// "01 января": day and the month's name as a date within the year plan reads.
std::string YearDateText(double date);

// The script's bytes: code page 1251, CR LF line ends.
std::string DataScriptText(const TProject& project, const TLocalDateTime& now);

// Creates or replaces "General.js" in the folder (a delimiter is added when
// missing) and returns its full path. EUserError when it cannot be written;
// the old file then stays as it was.
std::string WriteDataScript(const TProject& project, const std::string& folder,
                            const std::function<TLocalDateTime()>& now = TLocalDateTime::Now);

// "Conflicts.js": the conflicting signal pairs by signal row, which
// General.js does not carry, for the passport's conflict matrix; one line
// "ConflictList[i] = new Conflict(a, b);" per pair.
std::string ConflictScriptText(const TProject& project);
std::string WriteConflictScript(const TProject& project, const std::string& folder);

} // namespace tralcon
