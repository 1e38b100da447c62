#pragma once
// One traffic-light object being edited: every list and value of the project
// lives here, so two projects can coexist in one process. The catalogue and
// the configuration switches are shared read-only.
//
// Lists are read through const accessors and changed only through the
// operations below, which keep the derived data (intermediate steps, tram
// stop signals, reference counts) right after every change.

#include "model/Cycles.h"
#include "model/DayPlans.h"
#include "model/LinkedObjs.h"
#include "model/NVTTypes.h"
#include "model/Phases.h"
#include "model/SafeLists.h"
#include "model/Trends.h"
#include "model/WeekPlans.h"
#include "model/YearPlans.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace tralcon {

// ProjectOptions bits.
enum TProjectOption : std::uint8_t {
    poRedBlink = 1,   // red blinking while waiting for a call
    poQuickStart = 2, // leave the all-red state without intermediate steps
    poQuickCall = 4,  // serve a call without waiting for the cycle's end
};

inline constexpr const char* kDefaultProjectName = "Новый перекресток";

class TProject {
  public:
    // A new project without controllers (as NewProject leaves it).
    explicit TProject(const TConfiguration& config);
    ~TProject();
    TProject(const TProject&) = delete;
    TProject& operator=(const TProject&) = delete;

    const TConfiguration& Config() const { return *FConfig; }

    // ---- New project -------------------------------------------------------

    // Frees the whole content, then: one working phase, empty call list, the
    // all-red sequence, no cycles, default name and system identifier, the
    // default day, week and year plans, options 0, all-red time 3. Adds no
    // controller (the project reader adds the stored ones).
    void NewProject();
    // The same plus one controller of the model (none for a null model).
    void NewProject(const TModel* model);
    // Default plans, ProjectOptions 0 and AllRedTime 3 (applied to the
    // all-red phase).
    void ResetPlansAndOptions();

    // ---- Controllers -------------------------------------------------------

    const TSafeObjList<TController>& ControllerList() const { return FControllerList; }
    TController* CreateController(const TModel* model);
    // A stored controller by model identifier; "Model not found" when the
    // catalogue lacks it (nothing is added then).
    TController* CreateController(std::int32_t modelID, std::uint8_t flags);
    TController* ControllerAt(int i) const;
    bool CanDeleteController(int i) const;
    // Refused (false) unless CanDeleteController: the last controller and
    // controllers with bound outputs stay.
    bool DeleteController(int i);
    bool HasFreeOutput() const;
    // The first free output for a direction's slot (0 red, 2 green, other
    // slots yellow first), by colour preference, controller and output order.
    TControllerOutput* FindFreeOutput(int slot) const;
    // "1к" with one controller, "2-1к" once a project has several.
    std::string OutputName(const TControllerOutput* o) const;
    // Whether the output belongs to a controller of this project.
    bool OwnsOutput(const TControllerOutput* o) const;

    // ---- Directions and signals -------------------------------------------

    const TSafeObjList<TTrendGroup>& TrendGroupList() const { return FTrendGroupList; }
    TTrendGroup* TrendGroupAt(int i) const;
    // Appends a direction of the class holding signals of kind (0..9); returns
    // the row of its first signal, or -1 for an unknown kind.
    int AddTrendGroup(int kind);
    // Number of rows (counted signals) and the signal at a row (none beyond).
    int TrendCount() const;
    TTrend* TrendAt(int row) const;
    // Row of a counted signal of this project, -1 otherwise.
    int RowOf(const TTrend* signal) const;
    // Row of a direction's first signal, -1 when it is not in the project.
    int FirstRowOf(const TTrendGroup* group) const;
    TTrendGroup* TrendGroupOf(int row) const;
    // "2П", "3Тв": the direction's number and the kind's short name.
    std::string TrendName(int row) const;
    bool SetTrendOutput(int row, int slot, TControllerOutput* output);
    // Gives a direction exactly these seven slot bindings (none = unbound):
    // every slot is released first, then each output is bound through a
    // signal whose kind uses the slot. False when some output could not be
    // bound (held by another direction, not of this project, or given twice);
    // that slot stays unbound.
    bool RestoreOutputs(TTrendGroup* group,
                        const std::array<TControllerOutput*, kOutputSlotCount>& outputs);
    // Deletes the direction holding the row. Refused (false) for the call
    // direction, which only switching call phases off removes.
    bool DeleteTrendGroupOf(int row);
    // Deletes every call direction, last first.
    void RemoveCallGroups();
    // The slot of the direction holding output; "Incorrect output!" if none.
    int SlotOf(const TTrendGroup* group, const TControllerOutput* output) const;
    // The call signal: the signal of the last call direction, or none.
    TTrend* CallTrend() const;

    // Installed by the constructor: a new direction puts its derived signals
    // into every phase and recomputes, a deleted one leaves every phase; a
    // time change recomputes. Either may be emptied (nothing is recomputed
    // then); replace them only with wrappers that still call the originals.
    std::function<void(TTrendGroup*, bool created)> OnTrendGroupChanged;
    std::function<void()> OnTimesChanged;

    // ---- Conflicts ---------------------------------------------------------

    // The project file counts the pairs in one byte.
    static constexpr int kMaxConflictPairs = 255;
    // Adds (flag) or removes the pair in both directions. False when refused:
    // the 256th pair, the same signal twice, a tram stop signal, or a signal
    // of another project; the matrix is unchanged then.
    bool SetConflict(TTrend* a, TTrend* b, bool flag);
    bool HasConflict(const TTrend* a, const TTrend* b) const;
    int ConflictPairCount() const;
    // Each pair once, in the order the project file lists them.
    std::vector<std::pair<TTrend*, TTrend*>> ConflictPairs() const;

    // ---- Phases and intermediate steps ------------------------------------

    // Working phases in cycle order; never empty.
    const TSafeObjList<TPhase>& PhaseList() const { return FPhaseList; }
    // [entry (copy of the last working phase), call phases..., exit (copy of
    // the first working phase)].
    const TSafeObjList<TPhase>& CallPhaseList() const { return FCallPhaseList; }
    // [copy of the last working phase, the all-red phase, copy of the first].
    const TSafeObjList<TPhase>& AllRedPhaseList() const { return FAllRedPhaseList; }
    TPhase* AllRedPhase() const { return FAllRedPhaseList.Items(1); }

    void ResetPhases();
    // Working phases plus call phases; PhaseAt numbers them from 0 (none
    // beyond); PhaseNumberText is the 1-based number or "?".
    int PhaseCount() const;
    TPhase* PhaseAt(int i) const;
    int PhaseNumber(const TPhase* phase) const;
    std::string PhaseNumberText(const TPhase* phase) const;
    // For the project reader: a new working phase at the end, a new call
    // phase before the exit. None at 12 phases.
    TPhase* AddPhase();
    TPhase* InsertCallPhase();
    // phase becomes a copy of source: green set, MinTime, Cycles.
    void Assign(TPhase* phase, const TPhase* source);
    // A copy standing just before the phase; none at 12 phases and for the
    // entry and exit of the call list; "Phase have no owner" for a phase in
    // neither PhaseList nor CallPhaseList.
    TPhase* CopyPhase(TPhase* phase);
    bool CanDeletePhase(const TPhase* phase) const;
    // Deletes when CanDeletePhase allows; "Phase have no owner" as CopyPhase.
    bool DeletePhase(TPhase* phase);
    TPhase* PhaseAfterDelete(const TPhase* phase) const;
    void SetPhaseTrend(TPhase* phase, TTrend* signal, bool flag);
    // 0 is ignored; durations below the new minimum are raised to it.
    void SetPhaseMinTime(TPhase* phase, std::uint8_t value);
    // The duration in cycle i, never below MinTime; false for no such cycle.
    bool SetPhaseCycleTime(TPhase* phase, int i, std::uint8_t value);
    int MinCycleTime(const TPhase* phase) const;
    // The duration in cycle i; MinTime for i = -1 or no such cycle.
    int PhaseCycleTime(const TPhase* phase, int i) const;

    void ComputeTransition(TPhase* phase, const TPhase* next);
    // Recomputes every transition, or only notes that it is due while a
    // TRecalcHold is in force.
    void RecalcTransitions();
    // The next phase in the phase's own list (the first after the last).
    TPhase* Successor(const TPhase* phase) const;
    // The signal's state in step k of the transition from the phase to its
    // successor; for k < 0 its state in the phase itself. "Phase have no
    // owner" for a phase in none of the three lists.
    TSignalState TrendSignal(const TPhase* phase, const TTrend* signal, int k) const;
    // A signal's state in a phase itself, by whether the phase releases it.
    static TSignalState PhaseSignal(bool green) {
        return green ? TSignalState::ExtraGreen : TSignalState::ExtraRed;
    }

    // ---- Phase rows (the phases and cycles grids, the passport) ----------

    int RowCount(bool expanded) const;
    // "Incorrect Step number %d" for a row outside the sequence.
    TRowLocation LocateRow(int row, bool expanded, int cycle) const;
    int PhaseRow(const TPhase* phase, bool expanded) const;
    TPhase* RowPhase(int row, bool expanded) const;
    bool IsPhaseRow(int row, bool expanded) const;
    std::string RowCaption(int row, bool expanded) const;
    std::string RowStepText(int row, bool expanded) const;
    // Main rows: ExtraGreen or ExtraRed; expanded transition rows: the
    // signal's state in that step; collapsed ones: ExtraGreen or ExtraRed when
    // the signal does not change, LightsOff (11) when it closes and
    // YellowFlash (10) when it opens (the grid's two images). An unknown
    // signal row reads ExtraRed.
    TSignalState RowSignal(int row, int trendRow, bool expanded) const;
    int RowDuration(int row, bool expanded) const;
    int RowCycleDuration(int row, int cycle, bool expanded) const;
    bool RowConflict(int row, int trendRow, bool expanded) const;
    int RowStartTime(int row, bool expanded, int cycle) const;
    // "%d с", or "%d с/%d с" without and with the call sequence.
    std::string CycleTimeText(int cycle) const;

    // ---- Project settings and call phases ----------------------------------

    const std::string& ProjectName() const { return FProjectName; }
    void SetProjectName(std::string name) { FProjectName = std::move(name); }
    std::uint8_t SystemID() const { return FSystemID; }
    void SetSystemID(std::uint8_t v) { FSystemID = v; }
    std::uint8_t AllRedTime() const { return FAllRedTime; }
    // Also the all-red phase's MinTime (0 changes only the setting).
    void SetAllRedTime(std::uint8_t v);
    std::uint8_t ProjectOptions() const { return FProjectOptions; }
    // Plain assignment, as the option check boxes do.
    void SetProjectOptions(std::uint8_t v) { FProjectOptions = v; }
    void SetRedBlink(bool flag);
    void SetQuickStart(bool flag);
    // For the project reader: sets the bit only while call phases exist.
    void SetQuickCall(bool flag);

    // A call direction exists and CallPhaseList holds a call phase.
    bool CallPhasesEnabled() const;
    // On: entry and exit refreshed, one call phase (the last working phase
    // plus the call signal) made when there is none. Off: every call phase
    // deleted.
    void EnableCallPhases(bool flag);
    // The whole switch: on adds the call direction then EnableCallPhases;
    // off removes the call directions, clears red blinking, then
    // EnableCallPhases(false). Switching to the current state does nothing.
    void SwitchCallPhases(bool on);

    // ---- Cycles ------------------------------------------------------------

    const TSafeObjList<TCycle>& CycleList() const { return FCycleList; }
    TCycle* FlashCycle() const { return FFlashCycle.get(); } // "ЖМ"
    TCycle* OffCycle() const { return FOffCycle.get(); }     // "ОС"
    TCycle* CycleAt(int i) const;
    // A new cycle "Новый цикл"; every phase gets its MinTime as duration.
    TCycle* AddCycle();
    // Refused (false) while a day plan item names the cycle.
    bool DeleteCycle(int i);
    // Refused (false) while any cycle is named by a day plan item.
    bool ClearCycles();
    void SetCycleName(TCycle* cycle, std::string name);
    // A cycle of CycleList, FlashCycle or OffCycle.
    bool IsProjectCycle(const TLinkedObject* object) const;

    // ---- Day plans ---------------------------------------------------------

    const TSafeObjList<TDayPlan>& DayPlanList() const { return FDayPlanList; }
    // "Новый суточный план" with one item at 00:00 running "ОС".
    TDayPlan* AddDayPlan();
    // Refused (false) for the last plan and for a plan a week plan names.
    bool DeleteDayPlan(int i);
    // One default plan; refused (false) while a week plan names a day plan.
    bool ClearDayPlans();
    static double DayItemMinTime(const TDayPlan* plan, int i);
    static double DayItemMaxTime(const TDayPlan* plan, int i);
    // A new item after item i (an hour later when there is room, else a
    // minute), running the same cycle; none when refused.
    TDayPlanItem* AddDayPlanItem(TDayPlan* plan, int i);
    // Refused (false) outside DayItemMinTime..DayItemMaxTime.
    bool SetDayItemTime(TDayPlanItem* item, double time);
    // Refused (false) for a cycle of no project list.
    bool SetDayItemCycle(TDayPlanItem* item, TCycle* cycle);

    // ---- Week plans --------------------------------------------------------

    const TSafeObjList<TWeekPlan>& WeekPlanList() const { return FWeekPlanList; }
    // "Новый недельный план" with one item from Monday running the first day plan.
    TWeekPlan* AddWeekPlan();
    // Refused (false) for the last plan and for a plan the year plan names.
    bool DeleteWeekPlan(int i);
    // One default plan; refused (false) while the year plan names a week
    // plan (ResetPlansAndOptions replaces all plans at once).
    bool ClearWeekPlans();
    static int WeekItemLastDay(const TWeekPlan* plan, int i) { return plan->ItemLastDay(i); }
    static int WeekItemMinDay(const TWeekPlan* plan, int i) { return plan->ItemMinDay(i); }
    // The next day after item i, same day plan; none at 7 items or when item
    // i covers one day only.
    TWeekPlanItem* AddWeekPlanItem(TWeekPlan* plan, int i);
    // Refused (false) outside WeekItemMinDay..WeekItemLastDay.
    bool SetWeekItemDay(TWeekPlanItem* item, int day);
    bool SetWeekItemDayPlan(TWeekPlanItem* item, TDayPlan* dayPlan);

    // ---- Year plan ---------------------------------------------------------

    TYearPlan* YearPlan() const { return FYearPlan.get(); }
    // A new year plan with one item from 1 January running the first week plan.
    void CreateYearPlan();
    double YearItemLastDate(int i) const { return FYearPlan->ItemLastDate(i); }
    double YearItemMinDate(int i) const { return FYearPlan->ItemMinDate(i); }
    // The day after item i, same week plan; none at 365 items or when item i
    // covers one day only.
    TYearPlanItem* AddYearPlanItem(int i);
    // Truncated to whole days; refused (false) outside the item's bounds.
    bool SetYearItemDate(TYearPlanItem* item, double date);
    bool SetYearItemWeekPlan(TYearPlanItem* item, TWeekPlan* weekPlan);

  private:
    TTrendGroup* NewTrendGroup(int kind);
    void FreeTrendGroup(TTrendGroup* group);
    void ClearTrendGroups();
    void TrendGroupChanged(TTrendGroup* group, bool created);
    TPhase* NewPhase();
    void ComputeTransitions(const TSafeObjList<TPhase>& list);
    const TSafeObjList<TPhase>* ListOf(const TPhase* phase) const;
    void FreeContent();
    bool IsOwnTrend(const TTrend* signal) const;
    int MainDuration(const TPhase* phase, int cycle) const;
    int RowsOf(const TPhase* phase, bool expanded) const;

    const TConfiguration* FConfig;

    // Declared in dependency order: members are destroyed last to first, so
    // items go before the objects they name and directions before the
    // controllers whose outputs they hold.
    TSafeObjList<TController> FControllerList{true};
    TSafeObjList<TTrendGroup> FTrendGroupList{true};
    TSafeObjList<TPhase> FPhaseList{true};
    TSafeObjList<TPhase> FCallPhaseList{true};
    TSafeObjList<TPhase> FAllRedPhaseList{true};
    std::unique_ptr<TCycle> FFlashCycle;
    std::unique_ptr<TCycle> FOffCycle;
    TSafeObjList<TCycle> FCycleList{true};
    TSafeObjList<TDayPlan> FDayPlanList{true};
    TSafeObjList<TWeekPlan> FWeekPlanList{true};
    std::unique_ptr<TYearPlan> FYearPlan;

    int FCycleCounter = 1;
    int FDayPlanCounter = 1;
    int FWeekPlanCounter = 1;

    friend class TRecalcHold;
    int FRecalcHolds = 0;
    bool FRecalcDue = false;

    std::string FProjectName = kDefaultProjectName;
    std::uint8_t FSystemID = 1;
    std::uint8_t FAllRedTime = 3;
    std::uint8_t FProjectOptions = 0;
};

// Holds the recomputation of the transitions while a batch of changes is
// made (the project reader replays a whole file through the operations,
// each of which would recompute everything). Holds nest; the end of the
// outermost one recomputes once if any change asked for it. Nothing may read
// the intermediate steps while a hold is in force.
class TRecalcHold {
  public:
    explicit TRecalcHold(TProject& project) : FProject(project) { ++FProject.FRecalcHolds; }
    ~TRecalcHold() {
        if (--FProject.FRecalcHolds == 0 && FProject.FRecalcDue)
            FProject.RecalcTransitions();
    }
    TRecalcHold(const TRecalcHold&) = delete;
    TRecalcHold& operator=(const TRecalcHold&) = delete;

  private:
    TProject& FProject;
};

} // namespace tralcon
