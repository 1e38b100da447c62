#pragma once
// Seeded random projects built through the model's own operations, with a
// scheme: for round trips of the project file and for the flash compiler.

#include "TestUtil.h"
#include "model/Project.h"
#include "scheme/SchemeDocument.h"
#include "scheme/SchemeGif.h"
#include "scheme/vxArrows.h"

#include <random>

namespace tralcon::test {

// Two models, one with universal outputs, so bindings vary.
inline const char* kRandomCatalogue = R"([General]
MultiCascade=1
UseYearPlan=1
UseCollisions=1
[Model#0]
ID=7
Caption=Большой
RedOrder=1,2,4,8,10,20,40,80
YellowOrder=100,200,400,800
GreenOrder=1000,2000,4000,8000,10000,20000,40000,80000
UniversalOrder=100000,200000,400000,800000
PowerMask=F00000
[Model#1]
ID=9
Caption=Малый
RedOrder=1,2
YellowOrder=4
GreenOrder=8,10
)";

class RandomProjectBuilder {
  public:
    RandomProjectBuilder(TProject& project, TSchemeDocument& scheme, unsigned seed)
        : P(project), S(scheme), Rng(seed) {}

    int Pick(int n) { return n <= 0 ? 0 : std::uniform_int_distribution<int>(0, n - 1)(Rng); }
    bool Chance(int percent) { return Pick(100) < percent; }

    void Build() {
        const auto& models = P.Config().ModelList;
        P.NewProject(models[Pick(models.Count())]);
        for (int n = Pick(2); n > 0; --n)
            P.CreateController(models[Pick(models.Count())]);
        for (TController* c : P.ControllerList())
            c->Flags = static_cast<std::uint8_t>(Pick(4) == 0 ? 0xF1 : Pick(2));
        static const char* names[] = {"Ленина - Мира", "Перекрёсток №5", "Proj", ""};
        P.SetProjectName(names[Pick(4)]);
        P.SetSystemID(static_cast<std::uint8_t>(1 + Pick(255)));

        static const int kinds[] = {0, 0, 1, 2, 3, 4, 9};
        for (int n = 1 + Pick(8); n > 0; --n)
            P.AddTrendGroup(kinds[Pick(7)]);
        if (Chance(40))
            P.SwitchCallPhases(true);
        for (int row = 0; row < P.TrendCount(); ++row) {
            TTrend* t = P.TrendAt(row);
            for (int k = 0; k < 6; ++k)
                t->SetTime(Pick(12), static_cast<std::uint8_t>(Pick(12)));
            if (Chance(30))
                t->SetRedControl(false);
            if (Chance(20))
                P.SetTrendOutput(row, Pick(7), nullptr);
        }
        for (int n = Pick(6); n > 0 && P.TrendCount() > 1; --n)
            P.SetConflict(RandomTrend(), RandomTrend(), true);

        for (int n = Pick(4); n > 0; --n)
            P.CopyPhase(P.PhaseAt(Pick(P.PhaseCount())));
        for (int i = 0; i < P.PhaseCount(); ++i) {
            TPhase* phase = P.PhaseAt(i);
            for (int n = Pick(4); n > 0 && P.TrendCount() > 0; --n)
                P.SetPhaseTrend(phase, RandomTrend(), Chance(70));
            P.SetPhaseMinTime(phase, static_cast<std::uint8_t>(1 + Pick(30)));
        }

        for (int n = Pick(4); n > 0; --n)
            P.AddCycle()->SetName(Chance(50) ? "Утро" : "Пик вечер");
        for (int c = 0; c < P.CycleList().Count(); ++c)
            for (int i = 0; i < P.PhaseCount(); ++i)
                P.SetPhaseCycleTime(P.PhaseAt(i), c, static_cast<std::uint8_t>(Pick(90)));

        for (int n = Pick(3); n > 0; --n)
            P.AddDayPlan();
        for (TDayPlan* d : P.DayPlanList()) {
            for (int n = Pick(5); n > 0; --n)
                P.AddDayPlanItem(d, Pick(d->ItemCount()));
            for (int i = 0; i < d->ItemCount(); ++i)
                P.SetDayItemCycle(d->ItemAt(i), RandomCycle());
        }
        for (int n = Pick(3); n > 0; --n)
            P.AddWeekPlan();
        for (TWeekPlan* w : P.WeekPlanList()) {
            for (int n = Pick(4); n > 0; --n)
                P.AddWeekPlanItem(w, Pick(w->ItemCount()));
            for (int i = 0; i < w->ItemCount(); ++i)
                P.SetWeekItemDayPlan(w->ItemAt(i), P.DayPlanList()[Pick(P.DayPlanList().Count())]);
        }
        for (int n = Pick(5); n > 0; --n)
            P.AddYearPlanItem(Pick(P.YearPlan()->ItemCount()));
        for (int i = 0; i < P.YearPlan()->ItemCount(); ++i)
            P.SetYearItemWeekPlan(P.YearPlan()->ItemAt(i),
                                  P.WeekPlanList()[Pick(P.WeekPlanList().Count())]);

        P.SetAllRedTime(static_cast<std::uint8_t>(1 + Pick(9)));
        // Quick call without call phases is kept by the editor but not by
        // the file; it means nothing then.
        std::uint8_t options = static_cast<std::uint8_t>(Pick(8));
        if (!P.CallPhasesEnabled())
            options &= static_cast<std::uint8_t>(~poQuickCall);
        P.SetProjectOptions(options);
        BuildScheme();
    }

    TTrend* RandomTrend() { return P.TrendAt(Pick(P.TrendCount())); }

    TCycle* RandomCycle() {
        int n = Pick(P.CycleList().Count() + 2);
        if (n == P.CycleList().Count())
            return P.FlashCycle();
        if (n > P.CycleList().Count())
            return P.OffCycle();
        return P.CycleAt(n);
    }

    void BuildScheme() {
        S.ClearScheme();
        S.RowsInserted(0, P.TrendCount());
        if (Chance(50)) {
            TGifImage img;
            img.Width = 4 + Pick(20);
            img.Height = 4 + Pick(20);
            img.Palette = {{255, 255, 255}, {0, 60, 115}, {200, 0, 0}};
            img.Pixels.resize(static_cast<std::size_t>(img.Width * img.Height));
            for (auto& px : img.Pixels)
                px = static_cast<std::uint8_t>(Pick(3));
            S.LoadSchemeBackground(EncodeGif(img));
        }
        for (int n = Pick(6); n > 0 && P.TrendCount() > 0; --n) {
            const int row = Pick(P.TrendCount());
            if (Chance(60)) {
                auto arrow = std::make_unique<TvxArrow>();
                for (int k = 2 + Pick(4); k > 0; --k)
                    arrow->Points().AddPoint({Pick(200), Pick(200)}, Pick(20));
                S.AddObject(std::move(arrow), row);
            } else {
                auto label = std::make_unique<TvxTrendLabel>();
                label->SetText(P.TrendName(row));
                label->SetBounds({Pick(150), Pick(150), 160 + Pick(30), 160 + Pick(30)});
                S.AddObject(std::move(label), row);
            }
        }
    }

  private:
    TProject& P;
    TSchemeDocument& S;
    std::mt19937 Rng;
};

} // namespace tralcon::test
