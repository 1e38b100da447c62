#include "model/Trends.h"

#include "model/Errors.h"
#include "model/Project.h"

namespace tralcon {

// ---- Controllers -----------------------------------------------------------

TController::TController(const TModel* model) : Model(model) {
    CreateOutputs();
}

TController::TController(const TConfiguration& config, std::int32_t modelID, std::uint8_t flags)
    : Model(config.FindModel(modelID)), Flags(flags) {
    if (Model == nullptr)
        throw EModelError("Model not found");
    CreateOutputs();
}

void TController::CreateOutputs() {
    for (int i = 0; i < Model->ModelOutputCount(); ++i)
        Outputs.Add(new TControllerOutput(this, Model->ModelOutputAt(i)));
}

bool TController::ControllerIsFree() const {
    for (const TControllerOutput* o : Outputs)
        if (o->Owner != nullptr)
            return false;
    return true;
}

// ---- Kinds -----------------------------------------------------------------

const char* const SignalNames[kSignalStateCount] = {
    "Зеленый",
    "Доп. зеленый",
    "Зеленый мигающий",
    "Желтый",
    "Опережающий красный",
    "Красный",
    "Доп. красный",
    "Красный с желтым",
    "Опережающий зеленый",
    "Все красные",
    "ЖМ",
    "ОС",
};

const char* const SlotLetters[kOutputSlotCount] = {"к", "ж", "з", "л", "в", "п", "н"};

// Kind 4's name starts with a Latin T, as it always has.
const char* const TrendShortNames[kTrendKindCount] = {"Т",  "П",  "Пм", "С",   "Tл",
                                                      "Тв", "Тп", "",   "ТВП", "См"};

namespace {

constexpr std::uint16_t States(std::initializer_list<int> states) {
    std::uint16_t set = 0;
    for (int s : states)
        set = static_cast<std::uint16_t>(set | (1u << s));
    return set;
}

} // namespace

const std::uint16_t KindStateSets[kTrendKindCount] = {
    0x0FFF,                               // 0 transport: every state
    States({0, 1, 2, 4, 5, 6, 8, 9, 11}), // 1 pedestrian
    States({0, 1, 2, 4, 5, 6, 8, 9, 11}), // 2 pedestrian, green blinking
    States({0, 1, 2, 4, 5, 6, 8, 11}),    // 3 arrow
    States({0, 1, 4, 5, 6, 8, 11}),       // 4 tram left
    States({0, 1, 4, 5, 6, 8, 11}),       // 5 tram straight
    States({0, 1, 4, 5, 6, 8, 11}),       // 6 tram right
    States({0, 1, 4, 5, 6, 8, 9, 11}),    // 7 tram stop signal
    States({0, 1, 4, 5, 6, 8, 11}),       // 8 call panel
    States({0, 1, 2, 4, 5, 6, 8, 11}),    // 9 arrow, green blinking
};

namespace {

constexpr std::uint8_t kKindSlots[kTrendKindCount] = {
    0x07,       // red, yellow, green
    0x05,       // red, green
    0x05, 0x04, // green
    0x48,       // left, bottom
    0x50,       // straight, bottom
    0x60,       // right, bottom
    0x38,       // left, straight, right
    0x06,       // yellow, green
    0x04,
};

constexpr int kKindCodes[kTrendKindCount] = {0, 10, 20, 30, 40, 40, 40, 40, 50, 35};

const char* const kKindCaptions[kTrendKindCount] = {
    "Транспортное", "Пешеходное", "Пешеходное ЗМ", "Стрелка", "Трамвай",
    "Трамвай",      "Трамвай",    "Трамвай",       "ТВП",     "Стрелка ЗМ",
};

bool ValidKind(int kind) {
    return kind >= 0 && kind < kTrendKindCount;
}

} // namespace

std::uint8_t KindSlots(int kind) {
    return ValidKind(kind) ? kKindSlots[kind] : 0;
}

bool KindHasSlot(int kind, int slot) {
    return slot >= 0 && slot < kOutputSlotCount && (KindSlots(kind) & (1u << slot)) != 0;
}

bool IsPermissive(TSignalState s) {
    return s == TSignalState::Green || s == TSignalState::ExtraGreen ||
           s == TSignalState::GreenBlink || s == TSignalState::LeadingGreen;
}

int KindCodeOf(int kind) {
    return ValidKind(kind) ? kKindCodes[kind] : -1;
}

int KindOfCode(int code) {
    for (int k = 0; k < kTrendKindCount; ++k)
        if (kKindCodes[k] == code)
            return k;
    return -1;
}

std::string CaptionOfKind(int kind) {
    return ValidKind(kind) ? kKindCaptions[kind] : "";
}

// ---- Signals -----------------------------------------------------------------

TTrend::TTrend(TTrendGroup* group, int kind)
    : FGroup(group), FKind(static_cast<std::uint8_t>(kind)) {
    FConflicts.SetAllowDuplicates(false);
}

TControllerOutput* TTrend::GetOutput(int slot) const {
    return FGroup->Output(slot);
}

bool TTrend::SetOutput(int slot, TControllerOutput* output) {
    if (!KindHasSlot(FKind, slot))
        return false;
    if (FGroup->FOutputs[static_cast<std::size_t>(slot)] == output)
        return true;
    // Only a free output of this project may be bound: an output held twice
    // would light two directions from one lamp.
    if (output != nullptr && (output->Owner != nullptr || !FGroup->Project().OwnsOutput(output)))
        return false;
    FGroup->BindSlot(slot, output);
    // Monitoring follows the lamp: it ends when the lamp goes, and it cannot
    // stay on for an output that cannot carry the colour (the image would
    // monitor a lamp that is not there).
    if (slot == 0 && (output == nullptr || (output->ModelOutput->Flags & ofRed) == 0)) {
        FRedControl = false;
        if (output == nullptr)
            FRedPower = 0;
    }
    if (slot == 2 && (output == nullptr || (output->ModelOutput->Flags & ofGreen) == 0))
        FGreenControl = false;
    return true;
}

void TTrend::SetTime(int state, std::uint8_t value) {
    if (!UsesState(state) || FTimes[static_cast<std::size_t>(state)] == value)
        return;
    auto chain = [&](int first, int last) {
        // Earlier states of the chain start no later than this one, later
        // states no earlier: raise the ones before, lower the ones after.
        for (int i = state; i >= first && value >= FTimes[static_cast<std::size_t>(i)]; --i)
            FTimes[static_cast<std::size_t>(i)] = value;
        for (int i = state; i <= last && value <= FTimes[static_cast<std::size_t>(i)]; ++i)
            FTimes[static_cast<std::size_t>(i)] = value;
    };
    if (state >= 1 && state <= 4)
        chain(1, 4);
    else if (state >= 6 && state <= 8)
        chain(6, 8);
    else
        FTimes[static_cast<std::size_t>(state)] = value;
    TProject& project = FGroup->Project();
    if (project.OnTimesChanged)
        project.OnTimesChanged();
}

bool TTrend::RestoreTimes(const std::array<std::uint8_t, kSignalStateCount>& times) {
    // Each chain (1..4 closing, 6..8 opening) never increases.
    for (int i : {1, 2, 3, 6, 7})
        if (times[static_cast<std::size_t>(i)] < times[static_cast<std::size_t>(i + 1)])
            return false;
    if (times == FTimes)
        return true;
    FTimes = times;
    TProject& project = FGroup->Project();
    if (project.OnTimesChanged)
        project.OnTimesChanged();
    return true;
}

bool TTrend::HasState(int state) const {
    if (!UsesState(state))
        return false;
    switch (state) {
    case 2:
    case 3:
    case 7:
        return FTimes[static_cast<std::size_t>(state)] >
               FTimes[static_cast<std::size_t>(state + 1)];
    case 4:
    case 8:
        return FTimes[static_cast<std::size_t>(state)] > 0;
    default:
        return false;
    }
}

void TTrend::SetRedControl(bool flag) {
    const TControllerOutput* o = GetOutput(0);
    FRedControl = flag && o != nullptr && (o->ModelOutput->Flags & ofRed) != 0;
}

void TTrend::SetGreenControl(bool flag) {
    const TControllerOutput* o = GetOutput(2);
    FGreenControl = flag && o != nullptr && (o->ModelOutput->Flags & ofGreen) != 0;
}

// ---- Directions ----------------------------------------------------------------

TTrendGroup::~TTrendGroup() {
    for (TControllerOutput*& o : FOutputs) {
        if (o != nullptr && o->Owner == this)
            o->Owner = nullptr;
        o = nullptr;
    }
    // Conflicts are symmetric, so the partners' lists are the only ones that
    // can name these signals.
    for (TTrend* s : FTrends)
        while (!s->FConflicts.Empty()) {
            TTrend* other = s->FConflicts.Items(0);
            other->FConflicts.Remove(s);
            s->FConflicts.Remove(other);
        }
}

TControllerOutput* TTrendGroup::Output(int slot) const {
    if (slot < 0 || slot >= kOutputSlotCount)
        return nullptr;
    return FOutputs[static_cast<std::size_t>(slot)];
}

void TTrendGroup::Create() {
    std::uint8_t slots = 0;
    for (int k = 0; k < kTrendKindCount; ++k)
        if ((TrendKinds() & (1u << k)) != 0) {
            FTrends.Add(new TTrend(this, k));
            slots = static_cast<std::uint8_t>(slots | KindSlots(k));
        }
    for (int s = 0; s < kOutputSlotCount; ++s)
        if ((slots & (1u << s)) != 0)
            if (TControllerOutput* o = FProject->FindFreeOutput(s))
                BindSlot(s, o);
    if (FProject->OnTrendGroupChanged)
        FProject->OnTrendGroupChanged(this, true);
}

void TTrendGroup::BindSlot(int slot, TControllerOutput* output) {
    TControllerOutput*& held = FOutputs[static_cast<std::size_t>(slot)];
    if (held != nullptr && held->Owner == this)
        held->Owner = nullptr;
    held = output;
    if (output != nullptr)
        output->Owner = this;
}

TSignalState TTrendGroup::GetSignal(const TTrend* signal, int t, const TTrendList& current,
                                    const TTrendList& next) const {
    const int i = FTrends.IndexOf(signal);
    if (i < 0)
        return TSignalState::ExtraRed;
    std::array<std::uint8_t, kTrendKindCount> green{};
    for (int j = 0; j < FTrends.Count(); ++j) {
        const TTrend* s = FTrends.Items(j);
        green[static_cast<std::size_t>(j)] = static_cast<std::uint8_t>(
            (current.Contains(s) ? gCurrent : 0) | (next.Contains(s) ? gNext : 0));
    }
    std::array<TSignalState, kTrendKindCount> states{};
    SignalsAt(t, green.data(), states.data());
    return states[static_cast<std::size_t>(i)];
}

void TTrendGroup::SignalsAt(int t, const std::uint8_t* green, TSignalState* states) const {
    for (int i = 0; i < FTrends.Count(); ++i)
        states[i] = BaseSignal(i, t, green);
}

TSignalState TTrendGroup::BaseSignal(int i, int t, const std::uint8_t* green) const {
    const TTrend* signal = FTrends.Items(i);
    const bool inCurrent = (green[i] & gCurrent) != 0;
    const bool inNext = (green[i] & gNext) != 0;
    if (inCurrent && inNext)
        return TSignalState::ExtraGreen;
    if (!inCurrent && !inNext)
        return TSignalState::ExtraRed;
    if (inCurrent) {
        for (int s = 4; s >= 1; --s)
            if (signal->UsesState(s) && t <= signal->GetTime(s))
                return static_cast<TSignalState>(s);
        return TSignalState::ExtraGreen;
    }
    for (int s = 8; s >= 6; --s)
        if (signal->UsesState(s) && t <= signal->GetTime(s))
            return static_cast<TSignalState>(s);
    return TSignalState::ExtraRed;
}

std::string TTransport::GetCaption() const {
    return "Транспортное";
}
std::string TWalkman::GetCaption() const {
    return "Пешеходное";
}
std::string TWalkmanGB::GetCaption() const {
    return "Пешеходное ЗМ";
}
std::string TArrow::GetCaption() const {
    return "Стрелка";
}
std::string TArrowGB::GetCaption() const {
    return "Стрелка ЗМ";
}
std::string TTram::GetCaption() const {
    return "Трамвай";
}
std::string TCall::GetCaption() const {
    return "ТВП";
}

void TTransport::Create() {
    TTrendGroup::Create();
    FirstTrend()->SetRedControl(true);
    FirstTrend()->SetGreenControl(true);
}

void TWalkman::Create() {
    TTrendGroup::Create();
    FirstTrend()->SetGreenControl(true);
}

void TWalkmanGB::Create() {
    TTrendGroup::Create();
    FirstTrend()->SetGreenControl(true);
}

void TTram::UpdatePhaseTrends(TTrendList& greens) const {
    bool moving = false;
    for (int i = 0; i < 3; ++i)
        moving = moving || greens.Contains(Trends().Items(i));
    if (moving)
        greens.Remove(StopTrend());
    else
        greens.Add(StopTrend()); // refused when already there
}

void TTram::SignalsAt(int t, const std::uint8_t* green, TSignalState* states) const {
    // The stop signal is lit exactly while no movement is released.
    bool moving = false;
    for (int m = 0; m < 3; ++m) {
        const TSignalState s = BaseSignal(m, t, green);
        states[m] = s;
        moving = moving || (s != TSignalState::LeadingRed && s != TSignalState::Red &&
                            s != TSignalState::ExtraRed);
    }
    states[3] = moving ? TSignalState::ExtraRed : TSignalState::ExtraGreen;
}

// ---- Project: directions -------------------------------------------------------

TTrendGroup* TProject::NewTrendGroup(int kind) {
    switch (kind) {
    case 0:
        return new TTransport(*this);
    case 1:
        return new TWalkman(*this);
    case 2:
        return new TWalkmanGB(*this);
    case 3:
        return new TArrow(*this);
    case 4:
    case 5:
    case 6:
    case 7:
        return new TTram(*this);
    case 8:
        return new TCall(*this);
    case 9:
        return new TArrowGB(*this);
    default:
        return nullptr;
    }
}

TTrendGroup* TProject::TrendGroupAt(int i) const {
    if (i < 0 || i >= FTrendGroupList.Count())
        return nullptr;
    return FTrendGroupList.Items(i);
}

int TProject::AddTrendGroup(int kind) {
    std::unique_ptr<TTrendGroup> group(NewTrendGroup(kind));
    if (!group)
        return -1;
    const int row = TrendCount();
    group->Create();
    FTrendGroupList.Add(group.release());
    return row;
}

void TProject::FreeTrendGroup(TTrendGroup* group) {
    // The direction is already out of TrendGroupList, so the phases forget
    // its signals for good (a tram would otherwise put its stop signal back).
    if (OnTrendGroupChanged)
        OnTrendGroupChanged(group, false);
    delete group;
}

void TProject::ClearTrendGroups() {
    while (!FTrendGroupList.Empty())
        delete FTrendGroupList.Extract(FTrendGroupList.Count() - 1);
}

int TProject::TrendCount() const {
    int count = 0;
    for (const TTrendGroup* g : FTrendGroupList)
        for (const TTrend* s : g->Trends())
            if (s->IsCounted())
                ++count;
    return count;
}

TTrend* TProject::TrendAt(int row) const {
    if (row < 0)
        return nullptr;
    for (const TTrendGroup* g : FTrendGroupList)
        for (TTrend* s : g->Trends())
            if (s->IsCounted() && row-- == 0)
                return s;
    return nullptr;
}

int TProject::RowOf(const TTrend* signal) const {
    int row = 0;
    for (const TTrendGroup* g : FTrendGroupList)
        for (const TTrend* s : g->Trends())
            if (s->IsCounted()) {
                if (s == signal)
                    return row;
                ++row;
            }
    return -1;
}

int TProject::FirstRowOf(const TTrendGroup* group) const {
    int row = 0;
    for (const TTrendGroup* g : FTrendGroupList) {
        if (g == group)
            return row;
        for (const TTrend* s : g->Trends())
            if (s->IsCounted())
                ++row;
    }
    return -1;
}

TTrendGroup* TProject::TrendGroupOf(int row) const {
    const TTrend* s = TrendAt(row);
    return s == nullptr ? nullptr : s->Group();
}

std::string TProject::TrendName(int row) const {
    const TTrend* s = TrendAt(row);
    if (s == nullptr)
        return {};
    return std::to_string(FTrendGroupList.IndexOf(s->Group()) + 1) + TrendShortNames[s->Kind()];
}

bool TProject::SetTrendOutput(int row, int slot, TControllerOutput* output) {
    TTrend* s = TrendAt(row);
    return s != nullptr && s->SetOutput(slot, output);
}

bool TProject::RestoreOutputs(TTrendGroup* group,
                              const std::array<TControllerOutput*, kOutputSlotCount>& outputs) {
    if (group == nullptr || FTrendGroupList.IndexOf(group) < 0)
        return false;
    for (int slot = 0; slot < kOutputSlotCount; ++slot)
        for (TTrend* s : group->Trends())
            s->SetOutput(slot, nullptr);
    bool all = true;
    for (int slot = 0; slot < kOutputSlotCount; ++slot) {
        TControllerOutput* o = outputs[static_cast<std::size_t>(slot)];
        if (o == nullptr)
            continue;
        bool bound = false;
        for (TTrend* s : group->Trends())
            if (KindHasSlot(s->Kind(), slot)) {
                bound = s->SetOutput(slot, o);
                break;
            }
        all = all && bound;
    }
    return all;
}

bool TProject::DeleteTrendGroupOf(int row) {
    TTrendGroup* g = TrendGroupOf(row);
    if (g == nullptr || !g->Trends().Items(0)->IsEditable())
        return false;
    FreeTrendGroup(FTrendGroupList.Extract(FTrendGroupList.IndexOf(g)));
    return true;
}

void TProject::RemoveCallGroups() {
    for (int i = FTrendGroupList.Count() - 1; i >= 0; --i)
        if (dynamic_cast<TCall*>(FTrendGroupList.Items(i)) != nullptr)
            FreeTrendGroup(FTrendGroupList.Extract(i));
}

int TProject::SlotOf(const TTrendGroup* group, const TControllerOutput* output) const {
    if (group != nullptr && output != nullptr)
        for (int s = 0; s < kOutputSlotCount; ++s)
            if (group->Output(s) == output)
                return s;
    throw EModelError("Incorrect output!");
}

TTrend* TProject::CallTrend() const {
    for (int i = FTrendGroupList.Count() - 1; i >= 0; --i)
        if (auto* call = dynamic_cast<TCall*>(FTrendGroupList.Items(i)))
            return call->Trends().Items(0);
    return nullptr;
}

bool TProject::IsOwnTrend(const TTrend* signal) const {
    return signal != nullptr && &signal->Group()->Project() == this &&
           FTrendGroupList.IndexOf(signal->Group()) >= 0;
}

// ---- Project: conflicts ------------------------------------------------------------

bool TProject::SetConflict(TTrend* a, TTrend* b, bool flag) {
    if (a == b || !IsOwnTrend(a) || !IsOwnTrend(b) || !a->IsCounted() || !b->IsCounted())
        return false;
    if (!flag) {
        a->FConflicts.Remove(b);
        b->FConflicts.Remove(a);
        return true;
    }
    if (HasConflict(a, b))
        return true;
    if (ConflictPairCount() >= kMaxConflictPairs)
        return false;
    a->FConflicts.Add(b);
    b->FConflicts.Add(a);
    return true;
}

bool TProject::HasConflict(const TTrend* a, const TTrend* b) const {
    return a != nullptr && a->Conflicts().Contains(b);
}

int TProject::ConflictPairCount() const {
    int entries = 0;
    for (const TTrendGroup* g : FTrendGroupList)
        for (const TTrend* s : g->Trends())
            entries += s->Conflicts().Count();
    return entries / 2;
}

std::vector<std::pair<TTrend*, TTrend*>> TProject::ConflictPairs() const {
    std::vector<std::pair<TTrend*, TTrend*>> pairs;
    auto written = [&](const TTrend* a, const TTrend* b) {
        for (const auto& p : pairs)
            if ((p.first == a && p.second == b) || (p.first == b && p.second == a))
                return true;
        return false;
    };
    for (const TTrendGroup* ga : FTrendGroupList)
        for (TTrend* a : ga->Trends())
            for (const TTrendGroup* gb : FTrendGroupList)
                for (TTrend* b : gb->Trends())
                    if (a->Conflicts().Contains(b) && !written(a, b))
                        pairs.emplace_back(a, b);
    return pairs;
}

} // namespace tralcon
