#include "cli/SampleProject.h"

#include "model/Errors.h"
#include "scheme/vxArrows.h"

namespace tralcon::cli {

namespace {

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

    void Trajectory(int row, std::initializer_list<TPoint> points, int radius = 25) {
        auto arrow = std::make_unique<TvxArrow>();
        for (TPoint p : points)
            arrow->Points().AddPoint(p, radius);
        S.AddObject(std::move(arrow), row);
    }

    void Label(int row, int x, int y) {
        auto label = std::make_unique<TvxTrendLabel>();
        label->SetText(P.TrendName(row));
        label->SetBounds({x, y, x + 40, y + 20});
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

        // The scheme: a trajectory and a label for every movement.
        S.ClearScheme();
        S.RowsInserted(0, P.TrendCount());
        Trajectory(P.RowOf(lenina), {{190, 20}, {190, 380}});
        Trajectory(P.RowOf(mira), {{20, 210}, {380, 210}});
        Trajectory(P.RowOf(left), {{20, 190}, {170, 190}, {170, 20}});
        Trajectory(P.RowOf(crossL), {{150, 120}, {250, 120}}, 0);
        Trajectory(P.RowOf(crossM), {{120, 150}, {120, 270}}, 0);
        Trajectory(tramRow, {{380, 230}, {230, 230}, {230, 380}});
        Trajectory(tramRow + 1, {{380, 240}, {20, 240}});
        Label(P.RowOf(lenina), 200, 40);
        Label(P.RowOf(mira), 40, 215);
        Label(P.RowOf(left), 175, 60);
        Label(P.RowOf(crossL), 255, 110);
        Label(P.RowOf(crossM), 85, 275);
        Label(tramRow, 300, 250);
        Label(tramRow + 1, 300, 270);
    }
};

} // namespace

void BuildSampleProject(TProject& project, TSchemeDocument& scheme) {
    Builder{project, scheme}.Run();
}

} // namespace tralcon::cli
