#include "flash/SignalCheck.h"

#include "flash/Flash.h"
#include "flash/ImageReader.h"
#include "model/Errors.h"
#include "model/Project.h"

#include <algorithm>
#include <array>
#include <map>
#include <set>
#include <tuple>

namespace tralcon {

namespace {

constexpr int kSlotRed = 0;
constexpr int kSlotYellow = 1;
constexpr int kMaxPathSteps = 256; // a transition never has more; a loop is cut there

enum class TAspect { Dark, Red, Yellow, RedYellow, Green, GreenBlink };

const char* AspectName(TAspect a) {
    switch (a) {
    case TAspect::Red:
        return "красный";
    case TAspect::Yellow:
        return "желтый";
    case TAspect::RedYellow:
        return "красный с желтым";
    case TAspect::Green:
        return "зеленый";
    case TAspect::GreenBlink:
        return "зеленый мигающий";
    default:
        return "не горит";
    }
}

bool Permissive(TAspect a) {
    return a == TAspect::Green || a == TAspect::GreenBlink;
}

// A signal row as its lamps show it: which output of which controller's
// image carries each slot of its direction, and what its kind can show.
struct TSignal {
    int Row = -1;
    std::string Name;
    int Kind = 0;
    std::array<int, kOutputSlotCount> Image{};          // -1: unbound
    std::array<std::uint32_t, kOutputSlotCount> Mask{}; // the output's bit
    std::uint8_t GreenSlots = 0;
    bool Visible = false;       // every lamp of its green aspect is bound
    bool UsesRed = false;       // its closed aspect is the red lamp
    bool HasYellow = false;     // it closes through yellow
    bool HasRedYellow = false;  // it opens through red with yellow
    bool HasGreenBlink = false; // green blinking is a state of its own
};

struct TRecordLabel {
    std::string Text;
    int Phase = -1;     // PhaseAt index
    bool Start = false; // a phase record or the all-red state
    bool Blink = false; // yellow flashing
};

class TChecker {
  public:
    TChecker(const TProject& project, const TCheckThresholds& limits) : P(project), L(limits) {}

    std::vector<TFinding> Run(const std::vector<TBytes>& bytes) {
        if (!ReadImages(bytes))
            return std::move(Out);
        BuildSignals();
        LabelRecords();
        CheckBindings();
        CheckConflicts();
        CheckPaths();
        CheckModel();
        return std::move(Out);
    }

  private:
    void Add(TFindingLevel level, std::string text, int phase = -1, int row = -1) {
        Out.push_back({level, std::move(text), phase, row});
    }

    bool ReadImages(const std::vector<TBytes>& bytes) {
        if (bytes.empty()) {
            Add(TFindingLevel::Error, "в проекте нет контроллеров");
            return false;
        }
        for (std::size_t k = 0; k < bytes.size(); ++k) {
            TImageDescription d;
            std::string error;
            if (!ReadFlashImage(bytes[k], &d, &error)) {
                Add(TFindingLevel::Error,
                    "контроллер " + std::to_string(k + 1) + ": прошивка повреждена: " + error);
                return false;
            }
            Images.push_back(std::move(d));
        }
        // Every controller runs the same sequence; the lamps of one signal
        // may hang on several, so the states are compared record by record.
        const auto& first = Images[0].States;
        for (std::size_t k = 1; k < Images.size(); ++k) {
            const auto& s = Images[k].States;
            bool same = s.size() == first.size();
            for (std::size_t i = 0; same && i < s.size(); ++i)
                same = s[i].Offset == first[i].Offset && s[i].NextOffset == first[i].NextOffset &&
                       s[i].Duration == first[i].Duration;
            if (!same) {
                Add(TFindingLevel::Error, "прошивки контроллеров 1 и " + std::to_string(k + 1) +
                                              " расходятся по последовательности состояний");
                return false;
            }
        }
        for (std::size_t i = 0; i < first.size(); ++i)
            IndexOf[first[i].Offset] = static_cast<int>(i);
        return true;
    }

    void BuildSignals() {
        const auto& controllers = P.ControllerList();
        for (int row = 0; row < P.TrendCount(); ++row) {
            const TTrend* t = P.TrendAt(row);
            // The call panel's lamp releases no stream.
            if (t == nullptr || t->Kind() == kCallKind || t->Kind() == kTramStopKind)
                continue;
            TSignal s;
            s.Row = row;
            s.Name = P.TrendName(row);
            s.Kind = t->Kind();
            for (int b = 0; b < kOutputSlotCount; ++b) {
                const TControllerOutput* o = t->Group()->Output(b);
                s.Image[b] = o != nullptr ? controllers.IndexOf(o->Controller) : -1;
                s.Mask[b] = o != nullptr ? o->ModelOutput->Mask : 0;
            }
            const auto on = LampOnTable[s.Kind];
            const auto blink = LampBlinkTable[s.Kind];
            s.GreenSlots = on[static_cast<int>(TSignalState::Green)];
            s.Visible = s.GreenSlots != 0;
            for (int b = 0; b < kOutputSlotCount; ++b)
                if ((s.GreenSlots & (1u << b)) && s.Image[b] < 0)
                    s.Visible = false;
            s.UsesRed = (on[static_cast<int>(TSignalState::Red)] & (1u << kSlotRed)) != 0;
            s.HasYellow = (on[static_cast<int>(TSignalState::Yellow)] & (1u << kSlotYellow)) != 0;
            s.HasRedYellow = on[static_cast<int>(TSignalState::RedYellow)] ==
                             ((1u << kSlotRed) | (1u << kSlotYellow));
            s.HasGreenBlink = (blink[static_cast<int>(TSignalState::GreenBlink)] & s.GreenSlots) &&
                              !(blink[static_cast<int>(TSignalState::Green)] & s.GreenSlots);
            Signals.push_back(std::move(s));
        }
    }

    bool Lit(const TSignal& s, int slot, int record, bool steady) const {
        const int k = s.Image[slot];
        if (k < 0)
            return false;
        const TImageState& st =
            Images[static_cast<std::size_t>(k)].States[static_cast<std::size_t>(record)];
        return ((steady ? st.SteadyMask : st.LitMask) & s.Mask[slot]) != 0;
    }

    TAspect Aspect(const TSignal& s, int record) const {
        if (s.Visible) {
            bool all = true, blinking = false;
            for (int b = 0; b < kOutputSlotCount; ++b)
                if (s.GreenSlots & (1u << b)) {
                    all = all && Lit(s, b, record, false);
                    blinking = blinking || !Lit(s, b, record, true);
                }
            if (all)
                return blinking && s.HasGreenBlink ? TAspect::GreenBlink : TAspect::Green;
        }
        const bool red = s.UsesRed && Lit(s, kSlotRed, record, false);
        const bool yellow = s.HasYellow && Lit(s, kSlotYellow, record, false);
        if (red && yellow)
            return TAspect::RedYellow;
        if (yellow)
            return TAspect::Yellow;
        return red ? TAspect::Red : TAspect::Dark;
    }

    // What each record of the image is: the phases and their steps, the
    // all-red state and its entry and exit, yellow flashing.
    void LabelRecords() {
        const auto& states = Images[0].States;
        Labels.resize(states.size());
        const TImageState* blink = Images[0].StateAt(Images[0].Header.BlinkOffset);
        AllRed = blink != nullptr ? blink->NextOffset : kNoLink;
        const int phases = Images[0].Header.PhaseTotal;
        int phase = -1, step = 0;
        bool afterAllRed = false;
        for (std::size_t i = 0; i < states.size(); ++i) {
            const TImageState& s = states[i];
            TRecordLabel& l = Labels[i];
            if (s.StateNumber == kStateBlink) {
                l.Text = "ЖМ";
                l.Blink = true;
            } else if (s.StateNumber >= 1 && s.StateNumber <= phases) {
                phase = s.StateNumber - 1;
                step = 0;
                l.Text = "фаза " + std::to_string(phase + 1);
                l.Phase = phase;
                l.Start = true;
            } else if (s.Offset == AllRed) {
                afterAllRed = true;
                step = 0;
                l.Text = "«Все красные»";
                l.Start = true;
            } else if (phase >= 0) {
                l.Text =
                    "после фазы " + std::to_string(phase + 1) + ", такт " + std::to_string(++step);
                l.Phase = phase;
            } else {
                l.Text =
                    std::string(afterAllRed ? "выход из «Все красные»" : "вход в «Все красные»") +
                    ", такт " + std::to_string(++step);
            }
        }
    }

    int Record(std::uint16_t offset) const {
        auto it = IndexOf.find(offset);
        return it == IndexOf.end() ? -1 : it->second;
    }

    void CheckBindings() {
        std::set<int> green;
        for (const auto* list : {&P.PhaseList(), &P.CallPhaseList()})
            for (const TPhase* phase : *list)
                for (const TTrend* t : phase->Trends())
                    for (const TSignal& s : Signals)
                        if (P.TrendAt(s.Row) == t)
                            green.insert(s.Row);
        for (const TSignal& s : Signals) {
            if (green.count(s.Row) && !s.Visible)
                Add(TFindingLevel::Error,
                    s.Name + ": разрешен в фазе, но зеленая лампа не подключена", -1, s.Row);
            if (s.UsesRed && s.Image[kSlotRed] < 0)
                Add(TFindingLevel::Error, s.Name + ": не подключена красная лампа", -1, s.Row);
        }
    }

    std::vector<std::pair<const TSignal*, const TSignal*>> ConflictingSignals() const {
        std::vector<std::pair<const TSignal*, const TSignal*>> out;
        for (auto [a, b] : P.ConflictPairs()) {
            const TSignal* sa = nullptr;
            const TSignal* sb = nullptr;
            for (const TSignal& s : Signals) {
                if (P.TrendAt(s.Row) == a)
                    sa = &s;
                if (P.TrendAt(s.Row) == b)
                    sb = &s;
            }
            if (sa != nullptr && sb != nullptr && sa->Visible && sb->Visible)
                out.emplace_back(sa, sb);
        }
        return out;
    }

    void CheckConflicts() {
        // Once per pair and phase block: the first record it shows in.
        std::set<std::tuple<int, int, int>> told;
        for (auto [a, b] : ConflictingSignals())
            for (std::size_t i = 0; i < Labels.size(); ++i) {
                if (Labels[i].Blink)
                    continue;
                const int r = static_cast<int>(i);
                const TAspect x = Aspect(*a, r), y = Aspect(*b, r);
                if (!Permissive(x) || !Permissive(y) ||
                    !told.insert({a->Row, b->Row, Labels[i].Phase}).second)
                    continue;
                Add(TFindingLevel::Error,
                    Labels[i].Text + ": конфликтующие направления " + a->Name + " (" +
                        AspectName(x) + ") и " + b->Name + " (" + AspectName(y) +
                        ") разрешены одновременно",
                    Labels[i].Phase, a->Row);
            }
    }

    // Every way from a phase (or the all-red state) to the next: the steps
    // the controller shows in between, the next phase at the end.
    std::vector<std::vector<int>> Paths() const {
        std::vector<std::vector<int>> paths;
        std::set<std::vector<int>> seen;
        const auto& states = Images[0].States;
        for (std::size_t i = 0; i < states.size(); ++i) {
            if (!Labels[i].Start)
                continue;
            for (std::uint16_t link : {states[i].NextOffset, states[i].ExitOffset}) {
                std::vector<int> path{static_cast<int>(i)};
                int r = Record(link);
                while (r >= 0 && !Labels[static_cast<std::size_t>(r)].Start &&
                       path.size() < kMaxPathSteps) {
                    path.push_back(r);
                    r = Record(states[static_cast<std::size_t>(r)].NextOffset);
                }
                if (r < 0 || !Labels[static_cast<std::size_t>(r)].Start)
                    continue;
                path.push_back(r);
                if (seen.insert(path).second)
                    paths.push_back(std::move(path));
            }
        }
        return paths;
    }

    int Duration(int record) const {
        return Images[0].States[static_cast<std::size_t>(record)].Duration;
    }

    void CheckPaths() {
        const auto conflicts = ConflictingSignals();
        // The shortest intergreen time of each ordered pair, and where.
        std::map<std::pair<const TSignal*, const TSignal*>, std::pair<int, std::string>> intergreen;
        for (const std::vector<int>& path : Paths()) {
            const std::string name = Labels[static_cast<std::size_t>(path.front())].Text + " → " +
                                     Labels[static_cast<std::size_t>(path.back())].Text;
            const int phase = Labels[static_cast<std::size_t>(path.front())].Phase;
            for (const TSignal& s : Signals) {
                std::vector<TAspect> a;
                for (int r : path)
                    a.push_back(Aspect(s, r));
                CheckClearance(s, path, a, name, phase);
            }
            for (auto [x, y] : conflicts)
                for (auto [from, to] : {std::pair{x, y}, std::pair{y, x}}) {
                    const int t = Intergreen(*from, *to, path);
                    if (t < 0)
                        continue;
                    auto& best = intergreen[{from, to}];
                    if (best.second.empty() || t < best.first)
                        best = {t, name};
                }
        }
        for (const auto& [pair, found] : intergreen) {
            const std::string text = "промежуточное время " + pair.first->Name + " → " +
                                     pair.second->Name + ": " + std::to_string(found.first) +
                                     " с (" + found.second + ")";
            if (found.first < L.IntergreenMin)
                Add(TFindingLevel::Warning,
                    text + ", меньше " + std::to_string(L.IntergreenMin) + " с", -1,
                    pair.first->Row);
            else
                Add(TFindingLevel::Info, text, -1, pair.first->Row);
        }
    }

    // From the end of from's release to the start of to's, in the path;
    // -1 when the path does not hand one over to the other.
    int Intergreen(const TSignal& from, const TSignal& to, const std::vector<int>& path) const {
        int last = -1;
        for (std::size_t i = 0; i < path.size(); ++i)
            if (Permissive(Aspect(from, path[i])))
                last = static_cast<int>(i);
        if (last < 0 || last + 1 >= static_cast<int>(path.size()))
            return -1;
        int total = 0;
        for (std::size_t i = static_cast<std::size_t>(last) + 1; i < path.size(); ++i) {
            if (Permissive(Aspect(to, path[i])))
                return total;
            total += Duration(path[i]);
        }
        return -1;
    }

    void CheckClearance(const TSignal& s, const std::vector<int>& path,
                        const std::vector<TAspect>& a, const std::string& name, int phase) {
        bool toldClose = false, toldOpen = false;
        for (std::size_t i = 0; i + 1 < a.size(); ++i) {
            if (Permissive(a[i]) && a[i + 1] == TAspect::Red && s.HasYellow && !toldClose) {
                Add(TFindingLevel::Error,
                    name + ": " + s.Name + " переходит с зеленого на красный без желтого", phase,
                    s.Row);
                toldClose = true;
            }
            if (a[i] == TAspect::Red && Permissive(a[i + 1]) && s.HasRedYellow && !toldOpen) {
                Add(TFindingLevel::Error,
                    name + ": " + s.Name + " переходит с красного на зеленый без красного с желтым",
                    phase, s.Row);
                toldOpen = true;
            }
        }
        // Runs of one aspect over the steps (the phases at both ends last
        // as long as the cycle says and are not clearance).
        for (std::size_t i = 1; i + 1 < a.size();) {
            std::size_t j = i;
            int total = 0;
            while (j + 1 < a.size() && a[j] == a[i]) {
                total += Duration(path[j]);
                ++j;
            }
            const TAspect before = a[i - 1];
            if (a[i] == TAspect::Yellow && Permissive(before) && total < L.YellowMin)
                Add(TFindingLevel::Warning,
                    name + ": желтый " + s.Name + " " + std::to_string(total) + " с, меньше " +
                        std::to_string(L.YellowMin) + " с",
                    phase, s.Row);
            if (a[i] == TAspect::GreenBlink && before == TAspect::Green && total < L.GreenBlinkMin)
                Add(TFindingLevel::Warning,
                    name + ": зеленый мигающий " + s.Name + " " + std::to_string(total) +
                        " с, меньше " + std::to_string(L.GreenBlinkMin) + " с",
                    phase, s.Row);
            if (a[i] == TAspect::RedYellow && total > L.RedYellowMax)
                Add(TFindingLevel::Warning,
                    name + ": красный с желтым " + s.Name + " " + std::to_string(total) +
                        " с, больше " + std::to_string(L.RedYellowMax) + " с",
                    phase, s.Row);
            i = j;
        }
    }

    // What the model says of the program beyond the lamps.
    void CheckModel() {
        for (int i = 0; i < P.PhaseCount(); ++i) {
            const TPhase* phase = P.PhaseAt(i);
            bool any = false;
            for (const TTrend* t : phase->Trends())
                any = any || t->IsEditable();
            if (!any)
                Add(TFindingLevel::Warning,
                    "фаза " + std::to_string(i + 1) + ": ни одно направление не разрешено", i);
            for (int c = 0; c < P.CycleList().Count(); ++c)
                if (P.PhaseCycleTime(phase, c) < phase->MinTime())
                    Add(TFindingLevel::Warning,
                        "цикл «" + P.CycleAt(c)->Name() + "»: фаза " + std::to_string(i + 1) +
                            " короче своего минимального времени",
                        i);
        }
        for (const TSignal& s : Signals) {
            bool released = false;
            for (int i = 0; i < P.PhaseCount() && !released; ++i)
                released = P.PhaseAt(i)->IsGreen(P.TrendAt(s.Row));
            if (!released)
                Add(TFindingLevel::Warning, s.Name + ": не разрешено ни в одной фазе", -1, s.Row);
        }
        if (P.CycleList().Empty())
            Add(TFindingLevel::Warning,
                "нет ни одного рабочего цикла: контроллер не выйдет из ЖМ/ОС");
        for (const TDayPlan* d : P.DayPlanList()) {
            bool works = false;
            for (int i = 0; i < d->ItemCount(); ++i) {
                const TCycle* c = d->ItemAt(i)->Cycle();
                works = works || (c != P.FlashCycle() && c != P.OffCycle());
            }
            if (!works)
                Add(TFindingLevel::Warning,
                    "суточный план «" + d->Name() + "»: весь день ЖМ или ОС");
        }
        for (const TWeekPlan* w : P.WeekPlanList())
            if (w->ItemCount() == 0 || w->ItemAt(0)->Day() != 0)
                Add(TFindingLevel::Warning,
                    "недельный план «" + w->Name() + "»: не все дни недели запланированы");
        if (const TYearPlan* y = P.YearPlan();
            y == nullptr || y->ItemCount() == 0 || y->ItemAt(0)->Date() != YearStart)
            Add(TFindingLevel::Warning, "годовой план: не все дни года запланированы");
    }

    const TProject& P;
    const TCheckThresholds& L;
    std::vector<TImageDescription> Images;
    std::map<std::uint16_t, int> IndexOf;
    std::vector<TSignal> Signals;
    std::vector<TRecordLabel> Labels;
    std::uint16_t AllRed = kNoLink;
    std::vector<TFinding> Out;
};

} // namespace

const char* FindingLevelName(TFindingLevel level) {
    switch (level) {
    case TFindingLevel::Error:
        return "ошибка";
    case TFindingLevel::Warning:
        return "предупреждение";
    default:
        return "сведение";
    }
}

std::vector<TFinding> CheckSignalProgram(const TProject& project, const std::vector<TBytes>& images,
                                         const TCheckThresholds& limits) {
    return TChecker(project, limits).Run(images);
}

std::vector<TFinding> CheckProject(const TProject& project, const TCheckThresholds& limits) {
    std::vector<TBytes> images;
    try {
        for (int k = 0; k < project.ControllerList().Count(); ++k)
            images.push_back(BuildFlashImage(project, k, project.ProjectOptions()));
    } catch (const std::exception& e) {
        return {{TFindingLevel::Error, e.what(), -1, -1}};
    }
    return CheckSignalProgram(project, images, limits);
}

bool HasErrors(const std::vector<TFinding>& findings) {
    return std::any_of(findings.begin(), findings.end(),
                       [](const TFinding& f) { return f.Level == TFindingLevel::Error; });
}

} // namespace tralcon
