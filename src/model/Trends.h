#pragma once
// Controllers of a project and their outputs; directions (TTrendGroup) and
// their signals (TTrend), which bind to those outputs and carry the times
// from which the intermediate steps between phases are built.

#include "model/NVTTypes.h"
#include "model/SafeLists.h"

#include <array>
#include <cstdint>
#include <string>

namespace tralcon {

class TController;
class TTrendGroup;
class TTrend;
class TProject;

class TControllerOutput {
  public:
    TControllerOutput(TController* controller, const TModelOutput* modelOutput)
        : Controller(controller), ModelOutput(modelOutput) {}
    TController* Controller;
    TTrendGroup* Owner = nullptr; // the direction bound to this output, if any
    const TModelOutput* ModelOutput;
};

class TController {
  public:
    // A new controller of the model.
    explicit TController(const TModel* model);
    // A stored controller: its model by identifier ("Model not found" when
    // the catalogue lacks it) and its flags byte as stored.
    TController(const TConfiguration& config, std::int32_t modelID, std::uint8_t flags);

    TControllerOutput* ControllerOutputAt(int i) const { return Outputs.Items(i); }
    int OutputIndex(const TControllerOutput* o) const { return Outputs.IndexOf(o); }
    void SetLampType(bool led) {
        Flags = static_cast<std::uint8_t>((Flags & ~1u) | (led ? 1u : 0u));
    }
    bool IsLed() const { return (Flags & 1u) != 0; }
    bool ControllerIsFree() const;

    const TModel* Model;
    TSafeObjList<TControllerOutput> Outputs{true};
    std::uint8_t Flags = 0; // bit 0: LED lamps; the rest kept as stored

  private:
    void CreateOutputs();
};

// The state of a signal at one moment; the value indexes SignalNames.
enum class TSignalState : std::uint8_t {
    Green = 0,
    ExtraGreen = 1, // green continuing through a transition
    GreenBlink = 2,
    Yellow = 3,
    LeadingRed = 4,
    Red = 5,
    ExtraRed = 6, // red continuing through a transition
    RedYellow = 7,
    LeadingGreen = 8,
    AllRed = 9,
    YellowFlash = 10,
    LightsOff = 11,
};

inline constexpr int kSignalStateCount = 12;
inline constexpr int kOutputSlotCount = 7; // red, yellow, green, tram left/straight/right/bottom
inline constexpr int kTrendKindCount = 10;
inline constexpr int kTramStopKind = 7;
inline constexpr int kCallKind = 8;

extern const char* const SignalNames[kSignalStateCount];
extern const char* const SlotLetters[kOutputSlotCount];
extern const char* const TrendShortNames[kTrendKindCount];

// The signal states a kind has (bit s for state s) and the output slots it
// uses (bit s for slot s). Out-of-range kinds have neither.
// Indexed by kind; KindStates is the checked read.
extern const std::uint16_t KindStateSets[kTrendKindCount];
inline std::uint16_t KindStates(int kind) {
    return kind >= 0 && kind < kTrendKindCount ? KindStateSets[kind] : 0;
}
std::uint8_t KindSlots(int kind);
// Inline: the transitions ask it for every signal and state.
inline bool KindHasState(int kind, int state) {
    return state >= 0 && state < kSignalStateCount && (KindStates(kind) & (1u << state)) != 0;
}
bool KindHasSlot(int kind, int slot);
// Green, ExtraGreen, GreenBlink and LeadingGreen release the movement.
bool IsPermissive(TSignalState s);

// The add-direction menu's tag of the direction class that holds signals of
// this kind (0, 10, 20, 30, 35, 40, 50), -1 for no kind. KindOfCode finds the
// first kind whose class has the code, -1 when none has.
int KindCodeOf(int kind);
int KindOfCode(int code);
// "Транспортное", "Пешеходное", ... for the class holding this kind.
std::string CaptionOfKind(int kind);

using TTrendList = TSafeObjList<TTrend>;

// One signal of a direction, one row of the editors (except the tram stop
// signal, which is derived and never shown).
class TTrend {
  public:
    TTrend(TTrendGroup* group, int kind);
    TTrend(const TTrend&) = delete;
    TTrend& operator=(const TTrend&) = delete;

    TTrendGroup* Group() const { return FGroup; }
    int Kind() const { return FKind; }

    // The direction's output in the slot (none outside 0..6).
    TControllerOutput* GetOutput(int slot) const;
    // Binds a free output of this project (or none) to a slot the kind uses.
    // False when the request is refused: a slot the kind lacks, or an output
    // that another slot or direction holds or that belongs to no controller
    // of the project.
    bool SetOutput(int slot, TControllerOutput* output);

    // Seconds before the end of a transition at which the state begins.
    std::uint8_t GetTime(int state) const {
        return state >= 0 && state < kSignalStateCount ? FTimes[static_cast<std::size_t>(state)]
                                                       : 0;
    }
    // Keeps each chain (1..4 closing, 6..8 opening) non-increasing by moving
    // neighbours; ignores states the kind lacks. Recomputes the transitions
    // through the project's OnTimesChanged when the time changes.
    void SetTime(int state, std::uint8_t value);
    // Puts back all twelve stored times at once, those of states the kind
    // lacks included (replaying SetTime cannot restore them: it ignores such
    // states but its chain rules still move them). Refused (false, nothing
    // changed) when a chain would increase.
    bool RestoreTimes(const std::array<std::uint8_t, kSignalStateCount>& times);
    // Whether the kind has the state at all (the cell can be edited).
    bool UsesState(int state) const { return KindHasState(FKind, state); }
    // Whether the state actually lasts: for 2, 3, 7 longer than the next
    // state's time, for 4 and 8 above 0.
    bool HasState(int state) const;

    bool RedControl() const { return FRedControl; }
    bool GreenControl() const { return FGreenControl; }
    std::uint16_t RedPower() const { return FRedPower; }
    // On only when the slot's output can carry that colour.
    void SetRedControl(bool flag);
    void SetGreenControl(bool flag);

    bool IsCounted() const { return FKind != kTramStopKind; }
    bool IsEditable() const { return FKind != kTramStopKind && FKind != kCallKind; }

    // Signals that must never be released together with this one; symmetric,
    // changed only through TProject::SetConflict.
    const TTrendList& Conflicts() const { return FConflicts; }

  private:
    friend class TTrendGroup;
    friend class TProject;

    TTrendGroup* FGroup;
    std::uint8_t FKind;
    std::array<std::uint8_t, kSignalStateCount> FTimes{};
    bool FRedControl = false;
    bool FGreenControl = false;
    std::uint16_t FRedPower = 0; // kept for the file; nothing ever sets it
    TTrendList FConflicts{false};
};

// A direction: one movement with its own signal heads and up to seven
// output slots shared by all its signals. Made only by TProject.
class TTrendGroup {
  public:
    virtual ~TTrendGroup();
    TTrendGroup(const TTrendGroup&) = delete;
    TTrendGroup& operator=(const TTrendGroup&) = delete;

    // The kinds of signal the class holds (bit k for kind k).
    virtual std::uint16_t TrendKinds() const { return 0; }
    virtual std::string GetCaption() const { return {}; }
    virtual int KindCode() const { return 0; }
    // Keeps derived members of a phase's green set right (the tram stop signal).
    virtual void UpdatePhaseTrends(TTrendList& greens) const { (void)greens; }
    // The signal's state at remaining time t of a transition from the phase
    // with green set `current` to the one with `next`.
    TSignalState GetSignal(const TTrend* signal, int t, const TTrendList& current,
                           const TTrendList& next) const;
    // The same for all signals of Trends() at once, into states[0..Count),
    // with the membership of this direction's signals already known:
    // green[j] has gCurrent when signal j is in the current set, gNext when
    // in the next. The compiler asks this for every direction in every step
    // and looks the sets up once per phase.
    enum : std::uint8_t { gCurrent = 1, gNext = 2 };
    virtual void SignalsAt(int t, const std::uint8_t* green, TSignalState* states) const;

    TProject& Project() const { return *FProject; }
    const TTrendList& Trends() const { return FTrends; }
    TControllerOutput* Output(int slot) const;
    // The stored kind of a direction: the kind of its first signal.
    int Kind() const { return FTrends.Empty() ? -1 : FTrends.Items(0)->Kind(); }

  protected:
    explicit TTrendGroup(TProject& project) : FProject(&project) {}
    // The body of the virtual constructor: signals, outputs, the creation
    // notice; descendants add their own steps after it.
    virtual void Create();
    TTrend* FirstTrend() const { return FTrends.Items(0); }
    // The base rule of GetSignal for signal i of Trends().
    TSignalState BaseSignal(int i, int t, const std::uint8_t* green) const;

  private:
    friend class TTrend;
    friend class TProject;

    // Base binding step: releases the slot's old output, takes the new one.
    void BindSlot(int slot, TControllerOutput* output);

    TProject* FProject;
    TTrendList FTrends{true};
    std::array<TControllerOutput*, kOutputSlotCount> FOutputs{};
};

class TTransport : public TTrendGroup {
  public:
    explicit TTransport(TProject& project) : TTrendGroup(project) {}
    std::uint16_t TrendKinds() const override { return 1u << 0; }
    std::string GetCaption() const override;
    int KindCode() const override { return 0; }

  protected:
    void Create() override;
};

class TWalkman : public TTrendGroup {
  public:
    explicit TWalkman(TProject& project) : TTrendGroup(project) {}
    std::uint16_t TrendKinds() const override { return 1u << 1; }
    std::string GetCaption() const override;
    int KindCode() const override { return 10; }

  protected:
    void Create() override;
};

class TWalkmanGB : public TTrendGroup {
  public:
    explicit TWalkmanGB(TProject& project) : TTrendGroup(project) {}
    std::uint16_t TrendKinds() const override { return 1u << 2; }
    std::string GetCaption() const override;
    int KindCode() const override { return 20; }

  protected:
    void Create() override;
};

class TArrow : public TTrendGroup {
  public:
    explicit TArrow(TProject& project) : TTrendGroup(project) {}
    std::uint16_t TrendKinds() const override { return 1u << 3; }
    std::string GetCaption() const override;
    int KindCode() const override { return 30; }
};

class TArrowGB : public TTrendGroup {
  public:
    explicit TArrowGB(TProject& project) : TTrendGroup(project) {}
    std::uint16_t TrendKinds() const override { return 1u << 9; }
    std::string GetCaption() const override;
    int KindCode() const override { return 35; }
};

// Left, straight and right movements plus the stop signal, which is lit
// exactly while no movement is released.
class TTram : public TTrendGroup {
  public:
    explicit TTram(TProject& project) : TTrendGroup(project) {}
    std::uint16_t TrendKinds() const override { return 0xF0; } // kinds 4..7
    std::string GetCaption() const override;
    int KindCode() const override { return 40; }
    void UpdatePhaseTrends(TTrendList& greens) const override;
    void SignalsAt(int t, const std::uint8_t* green, TSignalState* states) const override;
    TTrend* StopTrend() const { return Trends().Items(3); }
};

// The pedestrian call panel; exists only while call phases are on.
class TCall : public TTrendGroup {
  public:
    explicit TCall(TProject& project) : TTrendGroup(project) {}
    std::uint16_t TrendKinds() const override { return 1u << kCallKind; }
    std::string GetCaption() const override;
    int KindCode() const override { return 50; }
};

} // namespace tralcon
