#include "persistence/ProjExp.h"

#include "model/Errors.h"
#include "persistence/ByteStream.h"
#include "platform/Cp1251.h"
#include "platform/FileIO.h"
#include "scheme/SchemeSection.h"

#include <algorithm>
#include <array>

namespace tralcon {

namespace {

const char* const kDamaged = "Файл %s поврежден или имеет неправильный формат";
const std::uint8_t kMagic[3] = {0xCD, 0xC2, 0xD2}; // "НВТ" in code page 1251
constexpr std::uint8_t kVersion = 3;
constexpr std::uint8_t kUnbound = 255;

// Header field offsets.
enum : std::size_t {
    hSize = 0,
    hMagic = 4,
    hVersion = 7,
    hSystemID = 8,
    hName = 9,
    hControllers = 50,
    hDirections = 54,
    hConflicts = 58,
    hPhases = 62,
    hCallPhases = 66,
    hCycles = 70,
    hDayPlans = 74,
    hWeekPlans = 78,
    hYearPlan = 82,
    hPictureSize = 86,
    hPicturePos = 90,
    hSchemePos = 94,
    hOptions = 98,
    hAllRedTime = 100,
};

// File option bits, in the order the header keeps them.
constexpr std::uint16_t foQuickCall = 1, foRedBlink = 2, foQuickStart = 4;

std::string NameBytes(const std::string& utf8) {
    std::string bytes = ToCp1251(utf8);
    if (bytes.size() > kProjectNameBytes)
        bytes.resize(kProjectNameBytes);
    return bytes;
}

std::string ReadName(TByteReader& r) {
    return FromCp1251(r.Field(kProjectNameBytes + 1));
}

void CheckCount(std::size_t count, const char* what) {
    if (count > 255)
        throw EUserError(std::string("Проект не помещается в файл: больше 255 (") + what + ")");
}

// ---------------------------------------------------------------- writing

class Writer {
  public:
    Writer(const TProject& project, const TSchemeDocument& scheme) : P(project), S(scheme) {}

    std::vector<std::uint8_t> Run() {
        CheckCounts();
        if (S.RowCount() != P.TrendCount())
            throw EModelError("Scheme rows do not match the project");
        WriteHeader();
        Section(hControllers, &Writer::Controllers);
        Section(hDirections, &Writer::Directions);
        Section(hConflicts, &Writer::Conflicts);
        Section(hPhases, &Writer::WorkingPhases);
        Section(hCallPhases, &Writer::CallPhases);
        Section(hCycles, &Writer::Cycles);
        Section(hDayPlans, &Writer::DayPlans);
        Section(hWeekPlans, &Writer::WeekPlans);
        Section(hYearPlan, &Writer::YearPlan);
        if (S.HasBackground()) {
            W.PatchI32(hPicturePos, static_cast<std::int32_t>(W.Position()));
            W.Bytes(S.Background());
            W.PatchI32(hPictureSize, static_cast<std::int32_t>(S.Background().size()));
        }
        if (SchemeSectionNeeded(S)) {
            W.PatchI32(hSchemePos, static_cast<std::int32_t>(W.Position()));
            std::string section;
            WriteSchemeSection(S, section);
            W.Bytes(section);
        }
        std::uint16_t crc = Crc16Kermit(W.Data().data(), W.Data().size());
        W.U16(crc);
        return W.Take();
    }

  private:
    const TProject& P;
    const TSchemeDocument& S;
    TByteWriter W;

    void CheckCounts() {
        CheckCount(static_cast<std::size_t>(P.ControllerList().Count()), "контроллеров");
        CheckCount(static_cast<std::size_t>(P.TrendGroupList().Count()), "направлений");
        CheckCount(static_cast<std::size_t>(P.ConflictPairCount()), "конфликтов");
        CheckCount(static_cast<std::size_t>(P.PhaseList().Count()), "фаз");
        CheckCount(static_cast<std::size_t>(P.CycleList().Count()), "циклов");
        CheckCount(static_cast<std::size_t>(P.DayPlanList().Count()), "суточных планов");
        CheckCount(static_cast<std::size_t>(P.WeekPlanList().Count()), "недельных планов");
        CheckCount(static_cast<std::size_t>(P.YearPlan()->ItemCount()), "элементов годового плана");
        for (const TDayPlan* d : P.DayPlanList())
            CheckCount(static_cast<std::size_t>(d->ItemCount()), "элементов суточного плана");
        for (const TWeekPlan* w : P.WeekPlanList())
            CheckCount(static_cast<std::size_t>(w->ItemCount()), "элементов недельного плана");
    }

    void Section(std::size_t field, void (Writer::*write)()) {
        W.PatchI32(field, static_cast<std::int32_t>(W.Position()));
        (this->*write)();
    }

    void WriteHeader() {
        W.I32(static_cast<std::int32_t>(kProjectHeaderSize));
        for (std::uint8_t b : kMagic)
            W.U8(b);
        W.U8(kVersion);
        W.U8(P.SystemID());
        W.Field(NameBytes(P.ProjectName()), kProjectNameBytes + 1);
        for (std::size_t i = hControllers; i < hOptions; i += 4)
            W.I32(0);
        const std::uint8_t o = P.ProjectOptions();
        W.U16(static_cast<std::uint16_t>(((o & poQuickCall) ? foQuickCall : 0) |
                                         ((o & poRedBlink) ? foRedBlink : 0) |
                                         ((o & poQuickStart) ? foQuickStart : 0)));
        W.U8(P.AllRedTime());
    }

    void Controllers() {
        W.U8(static_cast<std::uint8_t>(P.ControllerList().Count()));
        for (const TController* c : P.ControllerList()) {
            W.I32(c->Model->ID);
            W.U8(c->Flags);
        }
    }

    void Directions() {
        W.U8(static_cast<std::uint8_t>(P.TrendGroupList().Count()));
        for (const TTrendGroup* g : P.TrendGroupList()) {
            W.U8(static_cast<std::uint8_t>(g->Kind()));
            for (int s = 0; s < kOutputSlotCount; ++s) {
                const TControllerOutput* o = g->Output(s);
                if (o == nullptr) {
                    W.U8(kUnbound);
                    W.U8(kUnbound);
                } else {
                    W.U8(static_cast<std::uint8_t>(P.ControllerList().IndexOf(o->Controller)));
                    W.U8(static_cast<std::uint8_t>(o->Controller->OutputIndex(o)));
                }
            }
            int counted = 0;
            for (const TTrend* t : g->Trends())
                counted += t->IsCounted();
            W.U8(static_cast<std::uint8_t>(counted));
            for (const TTrend* t : g->Trends()) {
                if (!t->IsCounted())
                    continue;
                for (int s = 0; s < kSignalStateCount; ++s)
                    W.U8(t->GetTime(s));
                W.U8(t->RedControl() ? 1 : 0);
                W.U8(t->GreenControl() ? 1 : 0);
                W.U16(t->RedPower());
                W.I32(0);
            }
        }
    }

    // A signal as the file names it: its direction and its place there.
    void SignalRef(const TTrend* t) {
        W.U8(static_cast<std::uint8_t>(P.TrendGroupList().IndexOf(t->Group())));
        W.U8(static_cast<std::uint8_t>(t->Group()->Trends().IndexOf(t)));
    }

    void Conflicts() {
        auto pairs = P.ConflictPairs();
        W.U8(static_cast<std::uint8_t>(pairs.size()));
        for (auto& [a, b] : pairs) {
            SignalRef(a);
            SignalRef(b);
        }
    }

    void Phase(const TPhase* phase) {
        W.U8(phase->MinTime());
        int stored = 0;
        for (const TTrend* t : phase->Trends())
            stored += t->IsCounted();
        W.U8(static_cast<std::uint8_t>(stored));
        for (const TTrend* t : phase->Trends())
            if (t->IsCounted())
                SignalRef(t);
    }

    void WorkingPhases() {
        W.U8(static_cast<std::uint8_t>(P.PhaseList().Count()));
        for (const TPhase* phase : P.PhaseList())
            Phase(phase);
    }

    void CallPhases() {
        const auto& list = P.CallPhaseList();
        W.U8(static_cast<std::uint8_t>(list.Count() - 2));
        for (int i = 1; i + 1 < list.Count(); ++i)
            Phase(list[i]);
    }

    void Cycles() {
        W.U8(static_cast<std::uint8_t>(P.CycleList().Count()));
        for (int c = 0; c < P.CycleList().Count(); ++c) {
            W.Field(NameBytes(P.CycleList()[c]->Name()), kProjectNameBytes + 1);
            for (int i = 0; i < P.PhaseCount(); ++i)
                W.U8(static_cast<std::uint8_t>(P.PhaseCycleTime(P.PhaseAt(i), c)));
        }
    }

    std::uint8_t CycleCode(const TCycle* cycle) const {
        if (cycle == P.FlashCycle())
            return 255;
        if (cycle == P.OffCycle())
            return 254;
        return static_cast<std::uint8_t>(P.CycleList().IndexOf(cycle));
    }

    void DayPlans() {
        W.U8(static_cast<std::uint8_t>(P.DayPlanList().Count()));
        for (const TDayPlan* d : P.DayPlanList()) {
            W.Field(NameBytes(d->Name()), kProjectNameBytes + 1);
            W.U8(static_cast<std::uint8_t>(d->ItemCount()));
            for (int i = 0; i < d->ItemCount(); ++i) {
                W.F64(d->ItemAt(i)->Time());
                W.U8(CycleCode(d->ItemAt(i)->Cycle()));
            }
        }
    }

    void WeekPlans() {
        W.U8(static_cast<std::uint8_t>(P.WeekPlanList().Count()));
        for (const TWeekPlan* w : P.WeekPlanList()) {
            W.Field(NameBytes(w->Name()), kProjectNameBytes + 1);
            W.U8(static_cast<std::uint8_t>(w->ItemCount()));
            for (int i = 0; i < w->ItemCount(); ++i) {
                W.U8(static_cast<std::uint8_t>(w->ItemAt(i)->Day()));
                W.U8(static_cast<std::uint8_t>(P.DayPlanList().IndexOf(w->ItemAt(i)->DayPlan())));
            }
        }
    }

    void YearPlan() {
        const TYearPlan* y = P.YearPlan();
        W.U8(static_cast<std::uint8_t>(y->ItemCount()));
        for (int i = 0; i < y->ItemCount(); ++i) {
            W.F64(y->ItemAt(i)->Date());
            W.U8(static_cast<std::uint8_t>(P.WeekPlanList().IndexOf(y->ItemAt(i)->WeekPlan())));
        }
    }
};

// ---------------------------------------------------------------- reading

// Damage found after the integrity checks: where, and what.
struct Damaged {
    std::size_t Offset;
    std::string What;
};

class Reader {
  public:
    Reader(const std::uint8_t* data, std::size_t size, const TConfiguration& config)
        : R(data, size - 2), Data(data), Size(size), Config(config) {}

    TLoadedProject Run() {
        ReadHeader();
        Out.Project = std::make_unique<TProject>(Config);
        Out.Scheme = std::make_unique<TSchemeDocument>();
        P = Out.Project.get(); // a new project without controllers
        // Every replayed operation would recompute all transitions; once at
        // the end gives the same steps.
        {
            TRecalcHold hold(*P);
            P->SetProjectName(ProjectName);
            P->SetSystemID(Header[hSystemID]);
            At(hControllers), Controllers();
            At(hDirections), Directions();
            Out.Scheme->RowsInserted(0, P->TrendCount());
            At(hConflicts), Conflicts();
            At(hPhases), WorkingPhases();
            At(hCallPhases), CallPhases();
            At(hCycles), Cycles();
            At(hDayPlans), DayPlans();
            At(hWeekPlans), WeekPlans();
            At(hYearPlan), YearPlan();
            Scheme();
            if (HeaderSize >= kProjectHeaderSize) {
                const std::uint16_t o =
                    static_cast<std::uint16_t>(Header[hOptions] | (Header[hOptions + 1] << 8));
                P->SetQuickCall((o & foQuickCall) != 0);
                P->SetAllRedTime(Header[hAllRedTime]);
                P->SetRedBlink((o & foRedBlink) != 0);
                P->SetQuickStart((o & foQuickStart) != 0);
            }
        }
        return std::move(Out);
    }

  private:
    TByteReader R; // the file without its CRC trailer
    const std::uint8_t* Data;
    std::size_t Size;
    const TConfiguration& Config;
    std::array<std::uint8_t, kProjectHeaderSize> Header{};
    std::size_t HeaderSize = 0;
    std::string ProjectName;
    TLoadedProject Out;
    TProject* P = nullptr;

    [[noreturn]] void Fail(const std::string& what) const { throw Damaged{R.Position(), what}; }

    std::int32_t HeaderI32(std::size_t at) const {
        return static_cast<std::int32_t>(static_cast<std::uint32_t>(Header[at]) |
                                         (static_cast<std::uint32_t>(Header[at + 1]) << 8) |
                                         (static_cast<std::uint32_t>(Header[at + 2]) << 16) |
                                         (static_cast<std::uint32_t>(Header[at + 3]) << 24));
    }

    void ReadHeader() {
        const std::int32_t size = R.I32();
        // A header must at least reach the year plan's position; older files
        // end it after the picture fields or the scheme position.
        if (size < static_cast<std::int32_t>(hPictureSize) ||
            static_cast<std::size_t>(size) > R.Size())
            throw Damaged{0, "неверный размер заголовка"};
        HeaderSize = std::min<std::size_t>(static_cast<std::size_t>(size), kProjectHeaderSize);
        std::copy(Data, Data + HeaderSize, Header.begin());
        if (!std::equal(std::begin(kMagic), std::end(kMagic), Header.begin() + hMagic) ||
            Header[hVersion] != kVersion)
            throw Damaged{hMagic, "это не файл проекта НВТ-3 версии 3"};
        std::string name(reinterpret_cast<const char*>(&Header[hName]), kProjectNameBytes + 1);
        name = name.substr(0, name.find('\0'));
        auto first = name.find_first_not_of(' ');
        auto last = name.find_last_not_of(' ');
        ProjectName =
            first == std::string::npos ? "" : FromCp1251(name.substr(first, last - first + 1));
    }

    void At(std::size_t field) {
        const std::int32_t pos = HeaderI32(field);
        if (pos < static_cast<std::int32_t>(HeaderSize) ||
            static_cast<std::size_t>(pos) >= R.Size())
            throw Damaged{field, "раздел вне файла"};
        R.Seek(static_cast<std::size_t>(pos));
    }

    TController* ControllerIndex(int i) {
        if (i >= P->ControllerList().Count())
            Fail("нет контроллера " + std::to_string(i + 1));
        return P->ControllerAt(i);
    }

    TTrendGroup* GroupIndex(int i) {
        if (i >= P->TrendGroupList().Count())
            Fail("нет направления " + std::to_string(i + 1));
        return P->TrendGroupAt(i);
    }

    // A counted signal named by direction and position.
    TTrend* SignalRef() {
        TTrendGroup* g = GroupIndex(R.U8());
        const int i = R.U8();
        if (i >= g->Trends().Count() || !g->Trends()[i]->IsCounted())
            Fail("нет сигнала " + std::to_string(i + 1) + " направления");
        return g->Trends()[i];
    }

    void Controllers() {
        for (int n = R.U8(); n > 0; --n) {
            const std::int32_t id = R.I32();
            const std::uint8_t flags = R.U8();
            P->CreateController(id, flags); // "Model not found" propagates
        }
    }

    void Directions() {
        for (int n = R.U8(); n > 0; --n) {
            // Any tram kind (4..7) stands for a tram direction; it is written
            // back as the kind of its first signal, 4.
            const int kind = R.U8();
            if (kind >= kTrendKindCount)
                Fail("неизвестный вид направления " + std::to_string(kind));
            std::array<TControllerOutput*, kOutputSlotCount> outputs{};
            for (int s = 0; s < kOutputSlotCount; ++s) {
                const int c = R.U8(), o = R.U8();
                if (c == kUnbound)
                    continue;
                TController* controller = ControllerIndex(c);
                if (o >= controller->Outputs.Count())
                    Fail("нет выхода " + std::to_string(o + 1) + " контроллера " +
                         std::to_string(c + 1));
                outputs[static_cast<std::size_t>(s)] = controller->ControllerOutputAt(o);
            }
            TTrendGroup* g = nullptr;
            if (kind == kCallKind) {
                // A call panel switches call phases on, as it does in the editor.
                if (P->CallTrend() != nullptr)
                    Fail("второе направление ТВП");
                P->SwitchCallPhases(true);
                g = P->TrendGroupAt(P->TrendGroupList().Count() - 1);
            } else {
                P->AddTrendGroup(kind);
                g = P->TrendGroupAt(P->TrendGroupList().Count() - 1);
            }
            const int stored = R.U8();
            int counted = 0;
            for (const TTrend* t : g->Trends())
                counted += t->IsCounted();
            if (stored != counted)
                Fail("неверное число сигналов направления");
            if (!P->RestoreOutputs(g, outputs))
                Fail("выход занят другим направлением");
            for (int i = 0; i < stored; ++i) {
                TTrend* t = g->Trends()[i];
                std::array<std::uint8_t, kSignalStateCount> times;
                for (auto& v : times)
                    v = R.U8();
                const std::uint8_t red = R.U8(), green = R.U8();
                R.U16(); // red lamp power: always 0 in the model
                R.I32(); // reserved
                t->SetRedControl(red != 0);
                t->SetGreenControl(green != 0);
                // Times whose chains hold come back exactly; a record with a
                // broken chain is entered state by state as the editor would,
                // and the chain rules put it in order.
                if (!t->RestoreTimes(times))
                    for (int s = 0; s < kSignalStateCount; ++s)
                        t->SetTime(s, times[static_cast<std::size_t>(s)]);
            }
        }
    }

    void Conflicts() {
        for (int n = R.U8(); n > 0; --n) {
            TTrend* a = SignalRef();
            TTrend* b = SignalRef();
            if (!P->SetConflict(a, b, true))
                Fail("неверная пара конфликта");
        }
    }

    // Fills a phase from its record. The phase's green set is replaced, not
    // merged: a phase made for the file already holds signals of its own.
    void Phase(TPhase* phase) {
        const std::uint8_t minTime = R.U8();
        std::vector<TTrend*> greens;
        for (int n = R.U8(); n > 0; --n)
            greens.push_back(SignalRef());
        std::vector<TTrend*> old(phase->Trends().begin(), phase->Trends().end());
        for (TTrend* t : old)
            if (t->IsCounted())
                P->SetPhaseTrend(phase, t, false);
        P->SetPhaseMinTime(phase, minTime);
        for (TTrend* t : greens)
            P->SetPhaseTrend(phase, t, true);
    }

    void WorkingPhases() {
        const int n = R.U8();
        if (n == 0)
            Fail("нет рабочих фаз");
        for (int i = 0; i < n; ++i) {
            TPhase* phase = i == 0 ? P->PhaseList()[0] : P->AddPhase();
            if (phase == nullptr)
                Fail("больше 12 фаз");
            Phase(phase);
        }
    }

    void CallPhases() {
        const int n = R.U8();
        if (n == 0)
            return;
        if (P->CallPhaseList().Count() < 3)
            P->EnableCallPhases(true);
        for (int i = 0; i < n; ++i) {
            TPhase* phase = i == 0 ? P->CallPhaseList()[1] : P->InsertCallPhase();
            if (phase == nullptr)
                Fail("больше 12 фаз");
            Phase(phase);
        }
    }

    void Cycles() {
        for (int n = R.U8(); n > 0; --n) {
            TCycle* cycle = P->AddCycle();
            cycle->SetName(ReadName(R));
            const int index = P->CycleList().Count() - 1;
            for (int i = 0; i < P->PhaseCount(); ++i)
                P->SetPhaseCycleTime(P->PhaseAt(i), index, R.U8());
        }
    }

    TCycle* CycleOfCode(int code) {
        if (code == 255)
            return P->FlashCycle();
        if (code == 254)
            return P->OffCycle();
        if (code >= P->CycleList().Count())
            Fail("нет цикла " + std::to_string(code + 1));
        return P->CycleList()[code];
    }

    static bool ValidTime(double t) { return t >= 0.0 && t < 1.0; }

    void DayPlans() {
        const int n = R.U8();
        if (n == 0)
            Fail("нет суточных планов");
        for (int p = 0; p < n; ++p) {
            TDayPlan* plan = p == 0 ? P->DayPlanList()[0] : P->AddDayPlan();
            plan->SetName(ReadName(R));
            const int items = R.U8();
            if (items == 0)
                Fail("суточный план без интервалов");
            double previous = -1;
            for (int i = 0; i < items; ++i) {
                const double time = R.F64();
                TCycle* cycle = CycleOfCode(R.U8());
                if (!ValidTime(time) || time <= previous)
                    Fail("неверное время интервала суточного плана");
                previous = time;
                TDayPlanItem* item = i == 0 ? plan->ItemAt(0) : P->AddDayPlanItem(plan, i - 1);
                if (item == nullptr || !P->SetDayItemTime(item, time) ||
                    !P->SetDayItemCycle(item, cycle))
                    Fail("интервалы суточного плана слишком близки");
            }
        }
    }

    void WeekPlans() {
        const int n = R.U8();
        if (n == 0)
            Fail("нет недельных планов");
        for (int p = 0; p < n; ++p) {
            TWeekPlan* plan = p == 0 ? P->WeekPlanList()[0] : P->AddWeekPlan();
            plan->SetName(ReadName(R));
            const int items = R.U8();
            if (items == 0 || items > kDaysInWeek)
                Fail("неверное число дней недельного плана");
            int previous = -1;
            for (int i = 0; i < items; ++i) {
                const int day = R.U8();
                const int index = R.U8();
                if (day >= kDaysInWeek || day <= previous)
                    Fail("неверный день недельного плана");
                if (index >= P->DayPlanList().Count())
                    Fail("нет суточного плана " + std::to_string(index + 1));
                previous = day;
                TDayPlan* dayPlan = P->DayPlanList()[index];
                TWeekPlanItem* item = i == 0 ? plan->ItemAt(0) : P->AddWeekPlanItem(plan, i - 1);
                if (item == nullptr || !P->SetWeekItemDay(item, day) ||
                    !P->SetWeekItemDayPlan(item, dayPlan))
                    Fail("неверный день недельного плана");
            }
        }
    }

    void YearPlan() {
        const int items = R.U8();
        if (items == 0)
            Fail("пустой годовой план");
        TYearPlan* plan = P->YearPlan();
        double previous = YearStart - 1;
        for (int i = 0; i < items; ++i) {
            const double date = R.F64();
            const int index = R.U8();
            if (!(date >= YearStart && date <= YearEnd) || date <= previous)
                Fail("неверная дата годового плана");
            if (index >= P->WeekPlanList().Count())
                Fail("нет недельного плана " + std::to_string(index + 1));
            previous = date;
            TWeekPlan* weekPlan = P->WeekPlanList()[index];
            TYearPlanItem* item = i == 0 ? plan->ItemAt(0) : P->AddYearPlanItem(i - 1);
            if (item == nullptr || !P->SetYearItemDate(item, date) ||
                !P->SetYearItemWeekPlan(item, weekPlan))
                Fail("неверная дата годового плана");
        }
    }

    void Scheme() {
        const std::size_t end = Size - 2;
        if (HeaderSize >= hSchemePos) {
            const std::int32_t size = HeaderI32(hPictureSize), pos = HeaderI32(hPicturePos);
            if (size > 0) {
                if (pos < static_cast<std::int32_t>(HeaderSize) ||
                    static_cast<std::size_t>(pos) > end ||
                    static_cast<std::size_t>(size) > end - static_cast<std::size_t>(pos))
                    throw Damaged{hPictureSize, "рисунок вне файла"};
                // An unreadable picture is dropped; the project still opens.
                Out.Scheme->LoadSchemeBackground(std::string_view(
                    reinterpret_cast<const char*>(Data + pos), static_cast<std::size_t>(size)));
            }
        }
        if (HeaderSize >= hOptions) {
            const std::int32_t pos = HeaderI32(hSchemePos);
            if (pos > 0) {
                if (pos < static_cast<std::int32_t>(HeaderSize) ||
                    static_cast<std::size_t>(pos) > end)
                    throw Damaged{hSchemePos, "схема вне файла"};
                try {
                    ReadSchemeSection(*Out.Scheme,
                                      std::string_view(reinterpret_cast<const char*>(Data + pos),
                                                       end - static_cast<std::size_t>(pos)));
                } catch (const std::exception& e) {
                    throw Damaged{static_cast<std::size_t>(pos), e.what()};
                }
            }
        }
    }
};

} // namespace

std::vector<std::uint8_t> SaveProjectToBytes(const TProject& project,
                                             const TSchemeDocument& scheme) {
    return Writer(project, scheme).Run();
}

void SaveProject(const std::string& path, const TProject& project, const TSchemeDocument& scheme) {
    const std::vector<std::uint8_t> bytes = SaveProjectToBytes(project, scheme);
    std::string error;
    if (!WriteFileAtomically(
            path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()),
            &error))
        throw EUserError(Format("Не удалось записать файл %s", path) + ": " + error);
}

TLoadedProject LoadProjectFromBytes(const std::uint8_t* data, std::size_t size,
                                    const TConfiguration& config, const std::string& path) {
    const std::string damaged = Format(kDamaged, path);
    // Integrity first: the CRC over the whole file, trailer included, is 0.
    if (size < hPictureSize + 2 || Crc16Kermit(data, size) != 0)
        throw EUserError(damaged);
    try {
        return Reader(data, size, config).Run();
    } catch (const Damaged& d) {
        throw EUserError(damaged + "\n(смещение " + std::to_string(d.Offset) + ": " + d.What + ")");
    } catch (const EByteStreamError& e) {
        throw EUserError(damaged + "\n(смещение " + std::to_string(e.Offset) +
                         ": данные обрываются)");
    }
}

TLoadedProject LoadProject(const std::string& path, const TConfiguration& config) {
    std::string bytes, error;
    if (!FileExists(path))
        throw EUserError(Format("Файл %s не найден", path));
    if (!ReadWholeFile(path, &bytes, &error))
        throw EUserError(Format("Не удалось прочитать файл %s", path) + ": " + error);
    return LoadProjectFromBytes(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(),
                                config, path);
}

} // namespace tralcon
