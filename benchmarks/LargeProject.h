#pragma once
// The large project every benchmark measures: 40 directions (4 trams and the
// call panel among them), 9 working phases and 3 call phases, on two
// controllers.

#include "model/Project.h"

#include <memory>

namespace tralcon::bench {

inline std::unique_ptr<TConfiguration> Catalogue() {
    auto config = std::make_unique<TConfiguration>();
    TIntegerList red, yellow, green;
    for (int i = 0; i < 32; ++i) {
        red.Add(1 << (i % 31));
        yellow.Add(1 << ((i + 7) % 31));
        green.Add(1 << ((i + 13) % 31));
    }
    config->ModelList.Add(new TModel("Bench", 3, 1, &red, &yellow, &green, nullptr, 0));
    return config;
}

// 40 directions (4 trams and the call panel among them), 9 working phases
// and 3 call phases, with times that make several steps per transition.
inline void BuildLargeProject(TProject& p) {
    p.CreateController(p.Config().ModelList[0]);
    p.CreateController(p.Config().ModelList[0]);
    static const int kinds[] = {4, 0, 0, 0, 1, 1, 2, 3, 9, 0};
    for (int i = 0; i < 39; ++i)
        p.AddTrendGroup(kinds[i % 10]);
    for (int row = 0; row < p.TrendCount(); ++row) {
        TTrend* s = p.TrendAt(row);
        s->SetTime(2, static_cast<std::uint8_t>(3 + row % 5));
        s->SetTime(3, static_cast<std::uint8_t>(1 + row % 3));
        s->SetTime(4, static_cast<std::uint8_t>(row % 2));
        s->SetTime(8, static_cast<std::uint8_t>(1 + row % 4));
        s->SetTime(7, static_cast<std::uint8_t>(2 + row % 4));
    }
    while (p.PhaseList().Count() < 9)
        p.CopyPhase(p.PhaseAt(0));
    for (int row = 0; row < p.TrendCount(); ++row)
        for (int phase = 0; phase < 9; ++phase)
            if ((row + phase) % 3 == 0)
                p.SetPhaseTrend(p.PhaseAt(phase), p.TrendAt(row), true);
    p.SwitchCallPhases(true);
    p.CopyPhase(p.PhaseAt(9));
    p.CopyPhase(p.PhaseAt(9));
}

} // namespace tralcon::bench
