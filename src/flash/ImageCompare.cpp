#include "flash/ImageCompare.h"

#include <algorithm>
#include <cstdio>
#include <map>

namespace tralcon {

namespace {

const char* const kInController = " в контроллере, ";
const char* const kInProject = " в проекте";

std::string Hex(std::uint32_t v, int digits) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%0*X", digits, v);
    return buf;
}

// "<what> <a> в контроллере, <b> в проекте"
std::string Both(const std::string& what, const std::string& inController,
                 const std::string& inProject) {
    return what + " " + inController + kInController + inProject + kInProject;
}

std::string Seconds(int v) {
    return std::to_string(v) + " с";
}

std::string Quoted(const std::string& s) {
    return "«" + s + "»";
}

bool IsPhase(const TImageState& s) {
    return s.StateNumber != kStateBlink && s.StateNumber != kStateStep;
}

// What the engineer calls each state record: its phase, the yellow flashing,
// the all-red state, or a step of the transition that follows one of them.
std::vector<std::string> StateLabels(const TImageDescription& img) {
    std::vector<std::string> labels;
    const TImageState* blink = img.StateAt(kBlinkOffset);
    const std::uint16_t allRed = blink != nullptr ? blink->NextOffset : kNoLink;
    std::string owner;
    int step = 0;
    for (const TImageState& s : img.States) {
        if (s.StateNumber == kStateBlink) {
            owner = "переход к состоянию «все красные»";
            step = 0;
            labels.push_back("желтое мигание");
        } else if (s.Offset == allRed) {
            owner = "все красные";
            step = 0;
            labels.push_back(owner);
        } else if (IsPhase(s)) {
            owner = "фаза " + std::to_string(s.StateNumber);
            step = 0;
            labels.push_back(owner);
        } else {
            labels.push_back(owner + ", промтакт " + std::to_string(++step));
        }
    }
    return labels;
}

// The non-step records in order, each with its number of steps.
std::vector<std::pair<std::string, int>> Layout(const TImageDescription& img,
                                                const std::vector<std::string>& labels) {
    std::vector<std::pair<std::string, int>> layout;
    for (std::size_t i = 0; i < img.States.size(); ++i) {
        const bool step = img.States[i].StateNumber == kStateStep &&
                          labels[i].find(", промтакт ") != std::string::npos;
        if (!step || layout.empty())
            layout.emplace_back(labels[i], 0);
        else
            ++layout.back().second;
    }
    return layout;
}

// Why two images cannot be compared record by record; empty when they can.
std::string Foreign(const TImageDescription& c, const TImageDescription& p,
                    const std::vector<std::string>& cl, const std::vector<std::string>& pl) {
    const TImageHeader &ch = c.Header, &ph = p.Header;
    auto num = [](int v) { return std::to_string(v); };
    if (ch.SystemId != ph.SystemId)
        return Both("системный номер", num(ch.SystemId), num(ph.SystemId));
    if (ch.ModelId != ph.ModelId)
        return Both("модель контроллера", num(ch.ModelId), num(ph.ModelId));
    if (ch.ControllerIndex != ph.ControllerIndex || ch.ControllerCount != ph.ControllerCount)
        return Both("контроллер", num(ch.ControllerIndex + 1) + " из " + num(ch.ControllerCount),
                    num(ph.ControllerIndex + 1) + " из " + num(ph.ControllerCount));
    if (ch.PhaseTotal != ph.PhaseTotal)
        return Both("число фаз", num(ch.PhaseTotal), num(ph.PhaseTotal));
    if (c.CycleCount != p.CycleCount)
        return Both("число циклов", num(c.CycleCount), num(p.CycleCount));
    if (cl == pl)
        return "";
    const auto clay = Layout(c, cl), play = Layout(p, pl);
    for (std::size_t i = 0; i < std::min(clay.size(), play.size()); ++i) {
        if (clay[i].first != play[i].first)
            break;
        if (clay[i].second != play[i].second)
            return Both(clay[i].first + ": число промтактов", num(clay[i].second),
                        num(play[i].second));
    }
    return "состояния расположены иначе";
}

std::string LinkName(const std::map<std::uint16_t, std::string>& at, std::uint16_t link) {
    if (link == kNoLink)
        return "нет";
    auto it = at.find(link);
    return it != at.end() ? Quoted(it->second) : "смещение " + std::to_string(link);
}

std::string CycleCodeName(std::uint8_t code) {
    if (code == kCycleCodeFlash)
        return "ЖМ";
    if (code == kCycleCodeOff)
        return "ОС";
    return "цикл " + std::to_string(code);
}

std::string TimeOfDay(std::uint8_t hourBcd, std::uint8_t minuteBcd) {
    return Hex(hourBcd, 2) + ":" + Hex(minuteBcd, 2);
}

const char* const kWeekdays[] = {"понедельник", "вторник", "среда",      "четверг",
                                 "пятница",     "суббота", "воскресенье"};

std::string Weekday(std::uint8_t d) {
    return d < 7 ? kWeekdays[d] : "день " + std::to_string(d);
}

// Plans point at each other by offset; the engineer knows them by number.
template <class TPlan>
std::string PlanNumber(const std::vector<TPlan>& plans, std::uint16_t offset, const char* kind) {
    for (std::size_t i = 0; i < plans.size(); ++i)
        if (plans[i].Offset == offset)
            return std::string(kind) + " " + std::to_string(i + 1);
    return "смещение " + std::to_string(offset);
}

void CompareStates(const TImageDescription& c, const TImageDescription& p,
                   const std::vector<std::string>& labels, std::vector<std::string>& out) {
    std::map<std::uint16_t, std::string> cAt, pAt;
    for (std::size_t i = 0; i < labels.size(); ++i) {
        cAt[c.States[i].Offset] = labels[i];
        pAt[p.States[i].Offset] = labels[i];
    }
    for (std::size_t i = 0; i < labels.size(); ++i) {
        const TImageState &cs = c.States[i], &ps = p.States[i];
        const std::string& name = labels[i];
        const bool phase = IsPhase(cs);
        if (cs.Duration != ps.Duration)
            out.push_back(Both(name + (phase ? ": минимальное время" : ": длительность"),
                               Seconds(cs.Duration), Seconds(ps.Duration)));
        if (cs.LitMask != ps.LitMask)
            out.push_back(Both(name + ": горящие выходы", Hex(cs.LitMask, 8), Hex(ps.LitMask, 8)));
        const std::uint32_t cBlink = cs.LitMask & ~cs.SteadyMask;
        const std::uint32_t pBlink = ps.LitMask & ~ps.SteadyMask;
        if (cBlink != pBlink)
            out.push_back(Both(name + ": мигающие выходы", Hex(cBlink, 8), Hex(pBlink, 8)));
        struct Link {
            const char* What;
            std::uint16_t TImageState::*Field;
        };
        for (const Link& l : {Link{"следующее состояние", &TImageState::NextOffset},
                              Link{"выход из программы", &TImageState::ExitOffset},
                              Link{"переход по вызову", &TImageState::CallOffset}}) {
            const std::string a = LinkName(cAt, cs.*l.Field);
            const std::string b = LinkName(pAt, ps.*l.Field);
            if (a != b)
                out.push_back(Both(name + ": " + l.What, a, b));
        }
        for (std::size_t k = 0; k < cs.CycleExtra.size() && k < ps.CycleExtra.size(); ++k) {
            // The record keeps a cycle's duration as its excess over the
            // minimum time; the engineer set the duration itself.
            const int a = (cs.Duration + cs.CycleExtra[k]) & 0xFF;
            const int b = (ps.Duration + ps.CycleExtra[k]) & 0xFF;
            if (a != b)
                out.push_back(Both(name + ", цикл " + std::to_string(k + 1) + ": длительность",
                                   Seconds(a), Seconds(b)));
        }
    }
}

void CompareHeader(const TImageHeader& c, const TImageHeader& p, std::vector<std::string>& out) {
    if (c.GreenControlMask != p.GreenControlMask)
        out.push_back(
            Both("контроль зеленых", Hex(c.GreenControlMask, 8), Hex(p.GreenControlMask, 8)));
    if (c.RedControlMask != p.RedControlMask)
        out.push_back(Both("контроль красных", Hex(c.RedControlMask, 8), Hex(p.RedControlMask, 8)));
    if (c.CallLampMask != p.CallLampMask)
        out.push_back(Both("лампа вызова", Hex(c.CallLampMask, 8), Hex(p.CallLampMask, 8)));
    auto lamps = [](std::uint8_t f) { return (f & 1) ? "светодиодный" : "ламповый"; };
    auto yesNo = [](bool b) { return b ? "да" : "нет"; };
    if ((c.ControllerFlags ^ p.ControllerFlags) & 1)
        out.push_back(Both("тип", lamps(c.ControllerFlags), lamps(p.ControllerFlags)));
    if ((c.ControllerFlags ^ p.ControllerFlags) & 2)
        out.push_back(Both("мигание красных в ожидании", yesNo(c.ControllerFlags & 2),
                           yesNo(p.ControllerFlags & 2)));
    if ((c.ControllerFlags ^ p.ControllerFlags) & ~3)
        out.push_back(
            Both("флаги контроллера", Hex(c.ControllerFlags, 2), Hex(p.ControllerFlags, 2)));
}

void ComparePlans(const TImageDescription& c, const TImageDescription& p,
                  std::vector<std::string>& out) {
    auto count = [&](const std::string& what, std::size_t a, std::size_t b) {
        if (a != b)
            out.push_back(Both(what, std::to_string(a), std::to_string(b)));
    };
    count("число суточных планов", c.DayPlans.size(), p.DayPlans.size());
    for (std::size_t i = 0; i < std::min(c.DayPlans.size(), p.DayPlans.size()); ++i) {
        const auto &ci = c.DayPlans[i].Items, &pi = p.DayPlans[i].Items;
        const std::string plan = "суточный план " + std::to_string(i + 1);
        count(plan + ": число интервалов", ci.size(), pi.size());
        for (std::size_t j = 0; j < std::min(ci.size(), pi.size()); ++j) {
            const std::string item = plan + ", интервал " + std::to_string(j + 1);
            const std::string a = TimeOfDay(ci[j].Hour, ci[j].Minute);
            const std::string b = TimeOfDay(pi[j].Hour, pi[j].Minute);
            if (a != b)
                out.push_back(Both(item + ":", a, b));
            if (ci[j].CycleCode != pi[j].CycleCode)
                out.push_back(Both(item + ":", CycleCodeName(ci[j].CycleCode),
                                   CycleCodeName(pi[j].CycleCode)));
        }
    }
    count("число недельных планов", c.WeekPlans.size(), p.WeekPlans.size());
    for (std::size_t i = 0; i < std::min(c.WeekPlans.size(), p.WeekPlans.size()); ++i) {
        const auto &ci = c.WeekPlans[i].Items, &pi = p.WeekPlans[i].Items;
        const std::string plan = "недельный план " + std::to_string(i + 1);
        count(plan + ": число интервалов", ci.size(), pi.size());
        for (std::size_t j = 0; j < std::min(ci.size(), pi.size()); ++j) {
            const std::string item = plan + ", интервал " + std::to_string(j + 1);
            if (ci[j].Weekday != pi[j].Weekday)
                out.push_back(
                    Both(item + ": первый день", Weekday(ci[j].Weekday), Weekday(pi[j].Weekday)));
            const std::string a = PlanNumber(c.DayPlans, ci[j].DayPlanOffset, "суточный план");
            const std::string b = PlanNumber(p.DayPlans, pi[j].DayPlanOffset, "суточный план");
            if (a != b)
                out.push_back(Both(item + ":", a, b));
        }
    }
    const auto &ci = c.YearPlan.Items, &pi = p.YearPlan.Items;
    count("годовой план: число интервалов", ci.size(), pi.size());
    for (std::size_t j = 0; j < std::min(ci.size(), pi.size()); ++j) {
        const std::string item = "годовой план, интервал " + std::to_string(j + 1);
        char a[16], b[16];
        std::snprintf(a, sizeof a, "с %02d.%02d", ci[j].Day, ci[j].Month);
        std::snprintf(b, sizeof b, "с %02d.%02d", pi[j].Day, pi[j].Month);
        if (std::string(a) != b)
            out.push_back(Both(item + ":", a, b));
        const std::string wa = PlanNumber(c.WeekPlans, ci[j].WeekPlanOffset, "недельный план");
        const std::string wb = PlanNumber(p.WeekPlans, pi[j].WeekPlanOffset, "недельный план");
        if (wa != wb)
            out.push_back(Both(item + ":", wa, wb));
    }
}

} // namespace

std::vector<std::string> CompareFlashImages(const TImageDescription& controller,
                                            const TImageDescription& project) {
    const std::vector<std::string> cl = StateLabels(controller), pl = StateLabels(project);
    if (std::string why = Foreign(controller, project, cl, pl); !why.empty())
        return {std::string(kForeignImage) + ": " + why};
    std::vector<std::string> out;
    CompareHeader(controller.Header, project.Header, out);
    CompareStates(controller, project, cl, out);
    ComparePlans(controller, project, out);
    return out;
}

TComparison CompareWithProject(const TBytes& controller, const TBytes& project) {
    TComparison r;
    TImageDescription c, p;
    if (!ReadFlashImage(controller, &c, &r.Error))
        return r;
    std::string error;
    if (!ReadFlashImage(project, &p, &error)) {
        // The compiler's own output not reading back is a fault of the
        // program, not of the controller; still no comparison is possible.
        r.Error = "Образ проекта: " + error;
        return r;
    }
    r.Differences = CompareFlashImages(c, p);
    // The records say everything the controller uses; bytes they do not
    // cover (the reserved header field) differing still means the flash is
    // not what the project writes.
    if (r.Differences.empty() &&
        (c.Header.ImageSize != p.Header.ImageSize ||
         !std::equal(project.begin(), project.begin() + p.Header.ImageSize, controller.begin())))
        r.Differences.push_back("прочие байты образа отличаются");
    r.Outcome = r.Differences.empty() ? TCompareOutcome::Equal : TCompareOutcome::Different;
    return r;
}

std::string ComparisonReport(const TComparison& comparison) {
    switch (comparison.Outcome) {
    case TCompareOutcome::Equal:
        return kImagesEqual;
    case TCompareOutcome::Unusable:
        return comparison.Error;
    case TCompareOutcome::Different:
        break;
    }
    std::string text = "Контроллер отличается от проекта:";
    for (const std::string& d : comparison.Differences)
        text += "\n" + d;
    return text;
}

} // namespace tralcon
