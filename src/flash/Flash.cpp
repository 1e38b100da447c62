#include "flash/Flash.h"

#include "model/Errors.h"

#include <algorithm>
#include <array>
#include <utility>
#include <vector>

namespace tralcon {

const std::uint8_t LampOnTable[kTrendKindCount][kSignalStateCount] = {
    {0x04, 0x04, 0x04, 0x02, 0x01, 0x01, 0x01, 0x03, 0x04, 0x01, 0x02, 0x00},
    {0x04, 0x04, 0x04, 0x00, 0x01, 0x01, 0x01, 0x00, 0x04, 0x01, 0x00, 0x00},
    {0x04, 0x04, 0x04, 0x00, 0x01, 0x01, 0x01, 0x00, 0x04, 0x01, 0x00, 0x00},
    {0x04, 0x04, 0x04, 0x00, 0x00, 0x00, 0x00, 0x00, 0x04, 0x00, 0x00, 0x00},
    {0x48, 0x48, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x48, 0x00, 0x00, 0x00},
    {0x50, 0x50, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x50, 0x00, 0x00, 0x00},
    {0x60, 0x60, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x60, 0x00, 0x00, 0x00},
    {0x38, 0x38, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x38, 0x38, 0x00, 0x00},
    {0x04, 0x04, 0x04, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00},
    {0x04, 0x04, 0x04, 0x00, 0x00, 0x00, 0x00, 0x00, 0x04, 0x00, 0x00, 0x00},
};

const std::uint8_t LampBlinkTable[kTrendKindCount][kSignalStateCount] = {
    {0x00, 0x00, 0x04, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x02, 0x00},
    {0x00, 0x00, 0x04, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00},
    {0x04, 0x04, 0x04, 0x00, 0x00, 0x00, 0x00, 0x00, 0x04, 0x00, 0x00, 0x00},
    {0x00, 0x00, 0x04, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00},
    {},
    {},
    {},
    {},
    {},
    {0x04, 0x04, 0x04, 0x00, 0x00, 0x00, 0x00, 0x00, 0x04, 0x00, 0x00, 0x00},
};

namespace {

class Compiler {
  public:
    Compiler(const TProject& project, int controllerIndex, std::uint8_t options)
        : P(project), Index(controllerIndex) {
        if (controllerIndex < 0 || controllerIndex >= P.ControllerList().Count())
            throw EModelError("Incorrect controller " + std::to_string(controllerIndex));
        Controller = P.ControllerAt(controllerIndex);
        HasCalls = P.CallPhaseList().Count() >= 3;
        // Quick call means nothing without call phases.
        QuickCall = (options & poQuickCall) != 0 && HasCalls;
        QuickStart = (options & poQuickStart) != 0;
        RedBlink = (options & poRedBlink) != 0;
        Cycles = P.CycleList().Count();
        // Every record ORs the lamps of every signal: the masks of each
        // signal in each state are worked out once for the image.
        for (const TTrendGroup* g : P.TrendGroupList()) {
            Groups.push_back({g, Signals.size(), static_cast<std::size_t>(g->Trends().Count())});
            for (const TTrend* t : g->Trends()) {
                SignalIndex.emplace_back(t, Signals.size());
                TSignal& s = Signals.emplace_back();
                std::array<std::uint32_t, kOutputSlotCount> slots{};
                for (int b = 0; b < kOutputSlotCount; ++b)
                    slots[static_cast<std::size_t>(b)] = SlotMask(t, b);
                for (int st = 0; st < kSignalStateCount; ++st) {
                    s.On[static_cast<std::size_t>(st)] =
                        SlotsMask(slots, LampOnTable[t->Kind()][st]);
                    s.Blink[static_cast<std::size_t>(st)] =
                        SlotsMask(slots, LampBlinkTable[t->Kind()][st]);
                }
            }
        }
        std::sort(SignalIndex.begin(), SignalIndex.end());
        Combined.resize(Signals.size());
        GreenSets.reserve(P.PhaseList().Count() + P.CallPhaseList().Count() +
                          P.AllRedPhaseList().Count());
    }

    // Length bytes and 16-bit offsets bound what one image can hold; a
    // project beyond them is refused rather than compiled into a corrupt
    // image.
    void CheckLimits() const {
        auto refuse = [](const std::string& what) {
            throw EUserError("Прошивку нельзя построить: " + what);
        };
        if (Cycles > 255 - static_cast<int>(kStateRecordSize))
            refuse("больше 236 циклов");
        for (const TDayPlan* d : P.DayPlanList())
            if (d->ItemCount() > 84)
                refuse("в суточном плане «" + d->Name() + "» больше 84 интервалов");
        if (P.YearPlan()->ItemCount() > 63)
            refuse("в годовом плане больше 63 периодов");
        if (P.DayPlanList().Count() > 255 || P.WeekPlanList().Count() > 255)
            refuse("слишком много планов");
    }

    TBytes Run() {
        CheckLimits();
        const TPhase* r1 = P.AllRedPhaseList()[0];
        const TPhase* r2 = P.AllRedPhaseList()[1];
        const TPhase* entry = P.CallPhaseList()[0];
        const auto& working = P.PhaseList();
        const auto& calls = P.CallPhaseList();

        // Offsets known before writing: every link that points forward.
        A = static_cast<std::uint16_t>(kEntryOffset + kStateRecordSize * Steps(r1));
        W0 = static_cast<std::uint16_t>(A + kStateRecordSize +
                                        (QuickStart ? 0 : kStateRecordSize * Steps(r2)));
        std::size_t pos = W0;
        for (const TPhase* phase : working)
            pos += PhaseBlockSize(phase);
        std::size_t callStart = pos;
        C0 = kNoLink;
        if (HasCalls) {
            pos += kStateRecordSize * Steps(entry);
            C0 = static_cast<std::uint16_t>(pos);
            for (int j = 1; j + 1 < calls.Count(); ++j)
                pos += PhaseBlockSize(calls[j]);
        }
        std::size_t size = pos;
        for (const TDayPlan* d : P.DayPlanList())
            size += 3 + 3 * static_cast<std::size_t>(d->ItemCount());
        for (const TWeekPlan* w : P.WeekPlanList())
            size += 3 + 3 * static_cast<std::size_t>(w->ItemCount());
        size += 3 + 4 * static_cast<std::size_t>(P.YearPlan()->ItemCount()) + 2;
        if (size > 0xFFFF)
            throw EUserError("Прошивку нельзя построить: образ больше 65535 байт");
        Image.assign(size, 0);

        WriteHeader();
        Cursor = kBlinkOffset;
        WriteBlink();

        // Entering the all-red state from the cycle, and leaving it.
        for (int k = 0; k < Steps(r1); ++k) {
            std::uint16_t following = Following();
            Step(r1, k, following, following, QuickCall ? following : kNoLink);
        }
        {
            std::uint16_t following = Following();
            State(kStateStep, r2, -1, following, kBlinkOffset, QuickCall ? C0 : kNoLink,
                  r2->MinTime(), false);
        }
        if (!QuickStart)
            for (int k = 0; k < Steps(r2); ++k) {
                std::uint16_t following = Following();
                Step(r2, k, following, following, HasCalls ? following : kNoLink);
            }

        // The working cycle.
        for (int i = 0; i < working.Count(); ++i) {
            const TPhase* phase = working[i];
            const bool last = i + 1 == working.Count();
            std::uint16_t following = Following(Cycles);
            std::uint16_t next = last && Steps(phase) == 0 ? W0 : following;
            std::uint16_t exit = last ? kEntryOffset : following;
            std::uint16_t call;
            if (QuickCall)
                call = A;
            else if (!HasCalls)
                call = kNoLink;
            else
                call = static_cast<std::uint16_t>(last ? following + kStateRecordSize * Steps(phase)
                                                       : following);
            State(static_cast<std::uint8_t>(i + 1), phase, -1, next, exit, call, phase->MinTime(),
                  true);
            for (int k = 0; k < Steps(phase); ++k) {
                std::uint16_t n = last && k + 1 == Steps(phase) ? W0 : Following();
                Step(phase, k, n, n, HasCalls ? n : kNoLink);
            }
        }

        // The call sequence, branching off after the last working phase.
        if (HasCalls) {
            if (Cursor != callStart)
                throw EModelError("Flash image layout mismatch");
            for (int k = 0; k < Steps(entry); ++k) {
                std::uint16_t following = Following();
                Step(entry, k, following, following, following);
            }
            const int w = working.Count();
            for (int j = 1; j + 1 < calls.Count(); ++j) {
                const TPhase* phase = calls[j];
                const bool last = j + 2 == calls.Count();
                std::uint16_t following = Following(Cycles);
                std::uint16_t next = last && Steps(phase) == 0 ? W0 : following;
                std::uint16_t call = last && QuickCall ? A : next;
                State(static_cast<std::uint8_t>(w + j), phase, -1, next, next, call,
                      phase->MinTime(), true);
                for (int k = 0; k < Steps(phase); ++k) {
                    std::uint16_t n = last && k + 1 == Steps(phase) ? W0 : Following();
                    Step(phase, k, n, n, n);
                }
            }
        }
        if (Cursor != pos)
            throw EModelError("Flash image layout mismatch");

        WritePlans();
        PutU16(&Image[36], ImageChecksum(Image.data(), 36));
        PutU16(&Image[size - 2], ImageChecksum(Image.data(), static_cast<long>(size - 2)));
        return std::move(Image);
    }

  private:
    const TProject& P;
    int Index;
    const TController* Controller = nullptr;
    bool HasCalls = false, QuickCall = false, QuickStart = false, RedBlink = false;
    int Cycles = 0;
    std::uint16_t A = 0, W0 = 0, C0 = kNoLink;
    TBytes Image;
    std::size_t Cursor = 0;

    struct TSignal {
        std::array<std::uint32_t, kSignalStateCount> On{}, Blink{};
    };
    struct TGroup {
        const TTrendGroup* Group;
        std::size_t Start, Count; // its signals in Signals
    };
    std::vector<TSignal> Signals; // all directions' signals in order
    std::vector<TGroup> Groups;
    std::vector<std::pair<const TTrend*, std::size_t>> SignalIndex; // sorted
    // Per phase met so far: 1 for each signal of Signals the phase releases.
    std::vector<std::pair<const TPhase*, std::vector<std::uint8_t>>> GreenSets;
    std::vector<std::uint8_t> Combined; // scratch: current and next membership

    const std::uint8_t* Greens(const TPhase* phase) {
        for (const auto& [known, greens] : GreenSets)
            if (known == phase)
                return greens.data();
        std::vector<std::uint8_t> greens(Signals.size(), 0);
        for (const TTrend* t : phase->Trends()) {
            auto at = std::lower_bound(SignalIndex.begin(), SignalIndex.end(),
                                       std::pair<const TTrend*, std::size_t>(t, 0));
            if (at != SignalIndex.end() && at->first == t)
                greens[at->second] = 1;
        }
        GreenSets.emplace_back(phase, std::move(greens));
        return GreenSets.back().second.data();
    }

    static int Steps(const TPhase* phase) { return phase->StepCount(); }
    std::size_t PhaseBlockSize(const TPhase* phase) const {
        return kStateRecordSize + static_cast<std::size_t>(Cycles) +
               kStateRecordSize * static_cast<std::size_t>(Steps(phase));
    }
    // The offset just after a record about to be written at the cursor.
    std::uint16_t Following(int extra = 0) const {
        return static_cast<std::uint16_t>(Cursor + kStateRecordSize +
                                          static_cast<std::size_t>(extra));
    }

    // This controller's outputs of a signal in a state, by one lamp table.
    std::uint32_t Outputs(const TTrend* signal, TSignalState state,
                          const std::uint8_t (&table)[kTrendKindCount][kSignalStateCount]) const {
        const std::uint8_t slots = table[signal->Kind()][static_cast<int>(state)];
        std::uint32_t mask = 0;
        for (int b = 0; b < kOutputSlotCount; ++b) {
            if (!(slots & (1u << b)))
                continue;
            const TControllerOutput* o = signal->Group()->Output(b);
            if (o != nullptr && o->Controller == Controller)
                mask |= o->ModelOutput->Mask;
        }
        return mask;
    }

    // The OR of the masks of the slots in a lamp table entry.
    static std::uint32_t SlotsMask(const std::array<std::uint32_t, kOutputSlotCount>& masks,
                                   std::uint8_t slots) {
        std::uint32_t mask = 0;
        for (int b = 0; b < kOutputSlotCount; ++b)
            if (slots & (1u << b))
                mask |= masks[static_cast<std::size_t>(b)];
        return mask;
    }

    std::uint32_t SlotMask(const TTrend* signal, int slot) const {
        const TControllerOutput* o = signal->Group()->Output(slot);
        return o != nullptr && o->Controller == Controller ? o->ModelOutput->Mask : 0;
    }

    void WriteHeader() {
        std::uint8_t* h = Image.data();
        h[0] = static_cast<std::uint8_t>(kImageHeaderSize);
        h[1] = 'N';
        h[2] = 'V';
        h[3] = 'T';
        h[4] = Controller->Model->ControllerID;
        PutU16(h + 5, static_cast<std::uint16_t>(Image.size()));
        PutU16(h + 9, kEntryOffset);
        PutU16(h + 11, kEntryOffset);
        PutU16(h + 13, kBlinkOffset);
        h[15] = static_cast<std::uint8_t>(P.PhaseCount());
        h[16] = P.SystemID();
        h[17] = static_cast<std::uint8_t>(Index);
        h[18] = static_cast<std::uint8_t>(P.ControllerList().Count());
        std::uint32_t green = 0, red = 0;
        for (const TTrendGroup* g : P.TrendGroupList())
            for (const TTrend* t : g->Trends()) {
                if (t->GreenControl())
                    green |= SlotMask(t, 2);
                if (t->RedControl())
                    red |= SlotMask(t, 0);
            }
        PutU32(h + 19, green);
        PutU32(h + 23, red);
        // The call panel's own lamp; a direction added after the panel
        // must not take its place.
        std::uint32_t callLamp = 0;
        if (HasCalls && P.CallTrend() != nullptr)
            callLamp = Outputs(P.CallTrend(), TSignalState::Yellow, LampOnTable);
        PutU32(h + 31, callLamp);
        h[35] = static_cast<std::uint8_t>(Controller->Flags | (RedBlink ? 2 : 0));
    }

    // Writes a state record at the cursor and moves past it.
    void Record(std::uint8_t number, std::uint32_t lit, std::uint32_t steady, std::uint16_t next,
                std::uint16_t exit, std::uint16_t call, std::uint8_t duration,
                const TPhase* cyclesOf) {
        const std::size_t extra = cyclesOf ? static_cast<std::size_t>(Cycles) : 0;
        std::uint8_t* r = &Image[Cursor];
        const std::size_t len = kStateRecordSize + extra;
        r[0] = static_cast<std::uint8_t>(len);
        r[1] = number;
        PutU32(r + 2, lit);
        PutU32(r + 6, steady);
        PutU16(r + 10, next);
        PutU16(r + 12, exit);
        PutU16(r + 14, call);
        r[16] = duration;
        for (std::size_t c = 0; c < extra; ++c)
            r[17 + c] = static_cast<std::uint8_t>(P.PhaseCycleTime(cyclesOf, static_cast<int>(c)) -
                                                  cyclesOf->MinTime());
        PutU16(r + len - 2, ImageChecksum(r, static_cast<long>(len - 2)));
        Cursor += len;
    }

    // A state of the programme: step k of the phase's transition, or (k < 0)
    // the phase itself.
    void State(std::uint8_t number, const TPhase* phase, int k, std::uint16_t next,
               std::uint16_t exit, std::uint16_t call, std::uint8_t duration, bool phaseRecord) {
        const std::uint8_t* current = Greens(phase);
        std::uint8_t* combined = Combined.data();
        const std::size_t n = Signals.size();
        int t = 0;
        if (k >= 0) {
            const std::uint8_t* following = Greens(P.Successor(phase));
            for (std::size_t i = 0; i < n; ++i)
                combined[i] = static_cast<std::uint8_t>((current[i] ? TTrendGroup::gCurrent : 0) |
                                                        (following[i] ? TTrendGroup::gNext : 0));
            t = phase->StepStart(k);
        }
        std::uint32_t lit = 0, flashing = 0;
        const TSignal* signals = Signals.data();
        std::array<TSignalState, kTrendKindCount> states{};
        for (const TGroup& g : Groups) {
            if (k < 0)
                for (std::size_t j = 0; j < g.Count; ++j)
                    states[j] = TProject::PhaseSignal(current[g.Start + j] != 0);
            else
                g.Group->SignalsAt(t, combined + g.Start, states.data());
            for (std::size_t j = 0; j < g.Count; ++j) {
                const TSignal& signal = signals[g.Start + j];
                lit |= signal.On[static_cast<std::size_t>(states[j])];
                flashing |= signal.Blink[static_cast<std::size_t>(states[j])];
            }
        }
        Record(number, lit, lit & ~flashing, next, exit, call, duration,
               phaseRecord ? phase : nullptr);
    }

    void Step(const TPhase* phase, int k, std::uint16_t next, std::uint16_t exit,
              std::uint16_t call) {
        State(kStateStep, phase, k, next, exit, call,
              static_cast<std::uint8_t>(phase->StepDuration(k)), false);
    }

    void WriteBlink() {
        std::uint32_t lit = 0;
        for (const TSignal& s : Signals)
            lit |= s.On[static_cast<std::size_t>(TSignalState::YellowFlash)];
        Record(kStateBlink, lit, 0, A, kBlinkOffset, QuickCall ? C0 : kNoLink, P.Config().YBTime,
               nullptr);
    }

    std::uint8_t CycleCode(const TCycle* cycle) const {
        if (cycle == P.FlashCycle())
            return kCycleCodeFlash;
        if (cycle == P.OffCycle())
            return kCycleCodeOff;
        return static_cast<std::uint8_t>(P.CycleList().IndexOf(cycle) + 1);
    }

    // Starts a plan record of n items of itemSize bytes; returns its offset.
    std::size_t BeginPlan(int n, int itemSize) {
        const std::size_t at = Cursor;
        Image[at] = static_cast<std::uint8_t>(3 + itemSize * n);
        Cursor += 1;
        return at;
    }
    void EndPlan(std::size_t at) {
        const std::size_t len = Image[at];
        PutU16(&Image[at + len - 2], ImageChecksum(&Image[at], static_cast<long>(len - 2)));
        Cursor = at + len;
    }

    void WritePlans() {
        std::vector<std::uint16_t> dayOffsets, weekOffsets;
        for (const TDayPlan* d : P.DayPlanList()) {
            std::size_t at = BeginPlan(d->ItemCount(), 3);
            dayOffsets.push_back(static_cast<std::uint16_t>(at));
            for (int i = 0; i < d->ItemCount(); ++i) {
                int hour, minute, second;
                DecodeDayTime(d->ItemAt(i)->Time(), hour, minute, second);
                Image[Cursor++] = ToBcd(static_cast<unsigned>(hour));
                Image[Cursor++] = ToBcd(static_cast<unsigned>(minute));
                Image[Cursor++] = CycleCode(d->ItemAt(i)->Cycle());
            }
            EndPlan(at);
        }
        for (const TWeekPlan* w : P.WeekPlanList()) {
            std::size_t at = BeginPlan(w->ItemCount(), 3);
            weekOffsets.push_back(static_cast<std::uint16_t>(at));
            for (int i = 0; i < w->ItemCount(); ++i) {
                Image[Cursor++] = static_cast<std::uint8_t>(w->ItemAt(i)->Day());
                PutU16(&Image[Cursor], dayOffsets.at(static_cast<std::size_t>(
                                           P.DayPlanList().IndexOf(w->ItemAt(i)->DayPlan()))));
                Cursor += 2;
            }
            EndPlan(at);
        }
        const TYearPlan* y = P.YearPlan();
        std::size_t at = BeginPlan(y->ItemCount(), 4);
        PutU16(&Image[7], static_cast<std::uint16_t>(at));
        for (int i = 0; i < y->ItemCount(); ++i) {
            int year, month, day;
            DecodeDate(y->ItemAt(i)->Date(), year, month, day);
            Image[Cursor++] = static_cast<std::uint8_t>(month);
            Image[Cursor++] = static_cast<std::uint8_t>(day);
            PutU16(&Image[Cursor], weekOffsets.at(static_cast<std::size_t>(
                                       P.WeekPlanList().IndexOf(y->ItemAt(i)->WeekPlan()))));
            Cursor += 2;
        }
        EndPlan(at);
    }
};

} // namespace

TBytes BuildFlashImage(const TProject& project, int controllerIndex, std::uint8_t options) {
    return Compiler(project, controllerIndex, options).Run();
}

std::vector<TBytes> BuildFlashImages(const TProject& project) {
    std::vector<TBytes> images;
    for (int i = 0; i < project.ControllerList().Count(); ++i)
        images.push_back(BuildFlashImage(project, i, project.ProjectOptions()));
    return images;
}

} // namespace tralcon
