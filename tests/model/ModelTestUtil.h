#pragma once
// Fixtures shared by the model suites: a catalogue with plenty of outputs and
// a project with one controller of it.

#include "TestUtil.h"
#include "model/Project.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <utility>
#include <vector>

namespace tralcon::test {

// Model 0: red 1..8, yellow 1..4, green 1..8, universal 1..2 (22 outputs).
// Model 1: one output of each colour, for running out of outputs.
inline const char* kModelCatalogue = R"([General]
MultiCascade=1
UseYearPlan=1
UseCollisions=1
[Model#0]
ID=1
Caption=Большой
RedOrder=1,2,4,8,10,20,40,80
YellowOrder=100,200,400,800
GreenOrder=1000,2000,4000,8000,10000,20000,40000,80000
UniversalOrder=100000,200000
[Model#1]
ID=2
Caption=Малый
RedOrder=1
YellowOrder=2
GreenOrder=4
)";

class ProjectTest : public ::testing::Test {
  protected:
    std::unique_ptr<TConfiguration> Config = CatalogueFromText(kModelCatalogue);
    TProject P{*Config};

    void SetUp() override { P.CreateController(Config->ModelList[0]); }

    TTrend* Add(int kind) { return P.TrendAt(P.AddTrendGroup(kind)); }
    TPhase* Phase(int i) const { return P.PhaseAt(i); }
    static void Times(TTrend* s, std::initializer_list<std::pair<int, int>> times) {
        for (auto [state, value] : times)
            s->SetTime(state, static_cast<std::uint8_t>(value));
    }
    static std::vector<int> Proms(const TPhase* phase) {
        return std::vector<int>(phase->TProms().begin(), phase->TProms().end());
    }
    static std::vector<TTrend*> Greens(const TPhase* phase) {
        return std::vector<TTrend*>(phase->Trends().begin(), phase->Trends().end());
    }
    // Every phase of the three lists.
    std::vector<TPhase*> AllPhases() const {
        std::vector<TPhase*> all;
        for (const auto* list : {&P.PhaseList(), &P.CallPhaseList(), &P.AllRedPhaseList()})
            all.insert(all.end(), list->begin(), list->end());
        return all;
    }
};

} // namespace tralcon::test
