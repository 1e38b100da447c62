#include "cli/SampleProject.h"

#include "model/Errors.h"
#include "scheme/SchemeGif.h"
#include "scheme/SchemeQuantise.h"
#include "scheme/vxArrows.h"

#include <algorithm>
#include <vector>

namespace tralcon::cli {

namespace {

// The plan of the crossroad under the scheme, 200 x 200: ул. Ленина from
// north to south, пр. Мира with the tram from west to east, pavements,
// zebra crossings and lawns. Flat colours only, so the file is the same on
// every machine.
std::string SamplePlan() {
    constexpr int n = 200;
    std::vector<std::uint32_t> px(n * n, 0xB9D7A8); // lawn
    auto fill = [&](int x0, int y0, int x1, int y1, std::uint32_t c) {
        for (int y = std::max(0, y0); y < std::min(n, y1); ++y)
            for (int x = std::max(0, x0); x < std::min(n, x1); ++x)
                px[static_cast<std::size_t>(y * n + x)] = c;
    };
    const std::uint32_t pavement = 0xD8D2C4, asphalt = 0x8C8C8C, white = 0xF4F4F4, rail = 0x4A4A4A;
    fill(66, 0, 134, n, pavement); // ул. Ленина with its pavements
    fill(0, 62, n, 138, pavement); // пр. Мира
    fill(74, 0, 126, n, asphalt);
    fill(0, 70, n, 130, asphalt);
    // Lane markings: dashed centre lines outside the junction.
    for (int y = 0; y < n; y += 12)
        if (y + 6 < 70 || y > 130)
            fill(99, y, 101, y + 6, white);
    for (int x = 0; x < n; x += 12)
        if (x + 6 < 74 || x > 126)
            fill(x, 109, x + 6, 111, white);
    // Tram tracks along the avenue.
    for (int y : {93, 97, 101, 105})
        fill(0, y, n, y + 1, rail);
    // Zebra crossings: across ул. Ленина north of the junction, across
    // пр. Мира west of it.
    for (int x = 76; x < 124; x += 6)
        fill(x, 54, x + 3, 66, white);
    for (int y = 72; y < 128; y += 6)
        fill(54, y, 66, y + 3, white);
    // Stop lines.
    fill(74, 50, 100, 52, white);
    fill(100, 132, 126, 134, white);
    fill(136, 70, 138, 100, white);
    fill(50, 110, 52, 130, white);
    return EncodeGif(QuantiseImage(px, n, n));
}

struct Builder {
    TProject& P;
    TSchemeDocument& S;

    TTrend* Add(int kind) { return P.TrendAt(P.AddTrendGroup(kind)); }

    static void Vehicle(TTrend* t) {
        t->SetTime(2, 6); // 3 s green blinking
        t->SetTime(3, 3); // 3 s yellow
        t->SetTime(7, 2); // 2 s red with yellow
    }
    static void Walk(TTrend* t, int blink) { t->SetTime(2, static_cast<std::uint8_t>(blink)); }

    TDayPlan* DayPlan(TDayPlan* plan, const char* name,
                      std::initializer_list<std::pair<int, TCycle*>> items) {
        plan->SetName(name);
        bool first = true;
        for (auto [minutes, cycle] : items) {
            TDayPlanItem* item =
                first ? plan->ItemAt(0) : P.AddDayPlanItem(plan, plan->ItemCount() - 1);
            if (item == nullptr ||
                !P.SetDayItemTime(item, EncodeDayTime(minutes / 60, minutes % 60)) ||
                !P.SetDayItemCycle(item, cycle))
                throw EModelError("Sample day plan refused");
            first = false;
        }
        return plan;
    }

    // A movement: an arrow head where it goes, a crossing's at both ends;
    // the inner corners rounded by radius.
    void Trajectory(int row, std::initializer_list<TPoint> points, int radius = 0,
                    bool bothWays = false) {
        auto arrow = std::make_unique<TvxArrow>();
        std::size_t i = 0;
        for (TPoint p : points) {
            const bool inner = i != 0 && i + 1 != points.size();
            arrow->Points().AddPoint(p, inner ? radius : 0);
            ++i;
        }
        arrow->Points().SetEndHead(true);
        arrow->Points().SetStartHead(bothWays);
        S.AddObject(std::move(arrow), row);
    }

    void Label(int row, int x, int y) {
        auto label = std::make_unique<TvxTrendLabel>();
        label->SetText(P.TrendName(row));
        label->SetBounds({x, y, x, y});
        S.AddObject(std::move(label), row);
    }

    void Run() {
        const TConfiguration& cfg = P.Config();
        const TModel* model = nullptr;
        for (const TModel* m : cfg.ModelList)
            if (model == nullptr || m->ModelOutputCount() > model->ModelOutputCount())
                model = m;
        if (model == nullptr)
            throw EModelError("Model not found");
        P.NewProject(model);
        P.SetProjectName("ул. Ленина — пр. Мира");
        P.SetSystemID(12);

        // Directions: two roads, a left-turn arrow, two crossings, a tram
        // along the avenue and a pedestrian call panel.
        TTrend* lenina = Add(0);                // 1Т
        TTrend* mira = Add(0);                  // 2Т
        TTrend* left = Add(3);                  // 3С
        TTrend* crossL = Add(1);                // 4П: across ул. Ленина
        TTrend* crossM = Add(2);                // 5Пм: across пр. Мира
        const int tramRow = P.AddTrendGroup(4); // 6Tл, 6Тв, 6Тп
        TTrend* tramLeft = P.TrendAt(tramRow);
        TTrend* tramStraight = P.TrendAt(tramRow + 1);
        Vehicle(lenina);
        Vehicle(mira);
        left->SetTime(2, 3);
        Walk(crossL, 4);
        Walk(crossM, 5);
        for (TTrend* t : {tramLeft, tramStraight, P.TrendAt(tramRow + 2)})
            t->SetTime(4, 2); // 2 s leading red before the stop signal

        // Signals that must never be released together.
        for (auto [a, b] :
             std::initializer_list<std::pair<TTrend*, TTrend*>>{{lenina, mira},
                                                                {lenina, left},
                                                                {lenina, crossL},
                                                                {lenina, tramLeft},
                                                                {lenina, tramStraight},
                                                                {mira, crossM},
                                                                {left, crossM},
                                                                {left, crossL},
                                                                {tramLeft, crossM},
                                                                {tramStraight, crossM}})
            P.SetConflict(a, b, true);

        // Phases: Ф1 along Ленина, Ф2 along Мира with the tram, Ф3 the turns.
        TPhase* f1 = P.PhaseAt(0);
        TPhase* f2 = P.AddPhase();
        TPhase* f3 = P.AddPhase();
        for (auto [phase, signal] :
             std::initializer_list<std::pair<TPhase*, TTrend*>>{{f1, lenina},
                                                                {f1, crossM},
                                                                {f2, mira},
                                                                {f2, crossL},
                                                                {f2, tramStraight},
                                                                {f3, left},
                                                                {f3, tramLeft}})
            P.SetPhaseTrend(phase, signal, true);
        P.SetPhaseMinTime(f1, 12);
        P.SetPhaseMinTime(f2, 10);
        P.SetPhaseMinTime(f3, 6);

        // The call panel: pedestrians cross both roads at once.
        P.SwitchCallPhases(true);
        TPhase* call = P.CallPhaseList()[1];
        for (TTrend* t : std::vector<TTrend*>(call->Trends().begin(), call->Trends().end()))
            if (t->IsEditable())
                P.SetPhaseTrend(call, t, false);
        P.SetPhaseTrend(call, crossL, true);
        P.SetPhaseTrend(call, crossM, true);
        P.SetPhaseMinTime(call, 15);

        // Cycles: the ordinary one and the peak hours'.
        TCycle* normal = P.AddCycle();
        P.SetCycleName(normal, "Обычный");
        TCycle* peak = P.AddCycle();
        P.SetCycleName(peak, "Часы пик");
        const int durations[2][4] = {{25, 20, 8, 15}, {40, 30, 12, 15}};
        for (int c = 0; c < 2; ++c)
            for (int i = 0; i < P.PhaseCount(); ++i)
                P.SetPhaseCycleTime(P.PhaseAt(i), c, static_cast<std::uint8_t>(durations[c][i]));

        // Day plans: working days with morning and evening peaks, and days
        // off; yellow flashing at night.
        TDayPlan* workday = DayPlan(P.DayPlanList()[0], "Будни",
                                    {{0, P.FlashCycle()},
                                     {6 * 60, normal},
                                     {7 * 60 + 30, peak},
                                     {9 * 60 + 30, normal},
                                     {17 * 60, peak},
                                     {19 * 60 + 30, normal},
                                     {23 * 60, P.FlashCycle()}});
        TDayPlan* dayOff =
            DayPlan(P.AddDayPlan(), "Выходные",
                    {{0, P.FlashCycle()}, {8 * 60, normal}, {23 * 60, P.FlashCycle()}});

        // Week plans: the ordinary week and the holidays.
        TWeekPlan* week = P.WeekPlanList()[0];
        week->SetName("Рабочая неделя");
        P.SetWeekItemDayPlan(week->ItemAt(0), workday);
        TWeekPlanItem* saturday = P.AddWeekPlanItem(week, 0);
        if (saturday == nullptr || !P.SetWeekItemDay(saturday, 5) ||
            !P.SetWeekItemDayPlan(saturday, dayOff))
            throw EModelError("Sample week plan refused");
        TWeekPlan* holidays = P.AddWeekPlan();
        holidays->SetName("Праздники");
        P.SetWeekItemDayPlan(holidays->ItemAt(0), dayOff);

        // Year plan: public holidays run the holiday week.
        const int periods[][3] = {{1, 1, 1},  {1, 9, 0},  {3, 8, 1},  {3, 9, 0},  {5, 1, 1},
                                  {5, 3, 0},  {5, 9, 1},  {5, 10, 0}, {6, 12, 1}, {6, 13, 0},
                                  {11, 4, 1}, {11, 5, 0}, {12, 31, 1}};
        TYearPlan* year = P.YearPlan();
        for (std::size_t i = 0; i < std::size(periods); ++i) {
            TYearPlanItem* item =
                i == 0 ? year->ItemAt(0) : P.AddYearPlanItem(year->ItemCount() - 1);
            if (item == nullptr ||
                !P.SetYearItemDate(item, EncodeDate(2000, periods[i][0], periods[i][1])) ||
                !P.SetYearItemWeekPlan(item, P.WeekPlanList()[periods[i][2]]))
                throw EModelError("Sample year plan refused");
        }
        P.SetProjectOptions(poRedBlink);

        // The scheme over a drawn plan of the crossroad: a trajectory and a
        // label for every movement.
        S.ClearScheme();
        S.RowsInserted(0, P.TrendCount());
        S.LoadSchemeBackground(SamplePlan());
        const int tramRight = tramRow + 2;
        Trajectory(P.RowOf(lenina), {{88, 8}, {88, 188}});
        Trajectory(P.RowOf(mira), {{8, 118}, {188, 118}});
        Trajectory(P.RowOf(left), {{8, 110}, {110, 110}, {110, 12}}, 25);
        Trajectory(P.RowOf(crossL), {{70, 60}, {130, 60}}, 0, true);
        Trajectory(P.RowOf(crossM), {{60, 66}, {60, 134}}, 0, true);
        Trajectory(tramRow, {{192, 98}, {96, 98}, {96, 188}}, 20);
        Trajectory(tramRow + 1, {{192, 102}, {12, 102}});
        Trajectory(tramRight, {{192, 94}, {122, 94}, {122, 12}}, 20);
        Label(P.RowOf(lenina), 64, 10);
        Label(P.RowOf(mira), 10, 124);
        Label(P.RowOf(left), 112, 30);
        Label(P.RowOf(crossL), 134, 52);
        Label(P.RowOf(crossM), 30, 140);
        Label(tramRow, 100, 170);
        Label(tramRow + 1, 160, 76);
        Label(tramRight, 132, 10);
    }
};

} // namespace

void BuildSampleProject(TProject& project, TSchemeDocument& scheme) {
    Builder{project, scheme}.Run();
}

} // namespace tralcon::cli
