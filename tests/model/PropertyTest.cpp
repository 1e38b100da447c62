// Random sequences of model operations on seeded projects; after every
// operation the model's invariants must hold.

#include "ModelTestUtil.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <set>
#include <sstream>
#include <string>

namespace tralcon {
namespace {

using test::CatalogueFromText;

class RandomProject {
  public:
    explicit RandomProject(unsigned seed)
        : Config(CatalogueFromText(test::kModelCatalogue)), P(*Config), Rng(seed) {
        P.CreateController(Config->ModelList[0]);
    }

    // Runs one random operation; returns its name for failure messages.
    std::string Step() {
        int op = Pick(18);
        // Keep the project small enough for green sets and times to meet.
        if (op <= 1 && P.TrendGroupList().Count() >= 12)
            op = 2;
        if (op >= 15)
            op = 7;
        switch (op) {
        case 0:
        case 1: {
            static const int kinds[] = {0, 0, 1, 2, 3, 4, 5, 6, 7, 9};
            const int kind = kinds[Pick(10)];
            P.AddTrendGroup(kind);
            return "AddTrendGroup " + std::to_string(kind);
        }
        case 2: {
            const int row = RandomRow();
            P.DeleteTrendGroupOf(row);
            return "DeleteTrendGroupOf " + std::to_string(row);
        }
        case 3:
        case 4: {
            // Mostly the chain states, which shape the transitions.
            static const int states[] = {1, 2, 2, 3, 3, 4, 4, 6, 7, 7, 8, 8, 0, 5, 9, 10, 11};
            TTrend* s = RandomTrend();
            const int state = states[Pick(17)];
            const int value = Pick(12);
            if (s != nullptr)
                s->SetTime(state, static_cast<std::uint8_t>(value));
            return "SetTime " + std::to_string(state) + " " + std::to_string(value);
        }
        case 5: {
            const int row = RandomRow();
            const int slot = Pick(8);
            P.SetTrendOutput(row, slot, Pick(3) == 0 ? nullptr : RandomOutput());
            return "SetTrendOutput " + std::to_string(row) + " " + std::to_string(slot);
        }
        case 6: {
            P.SetConflict(RandomTrend(), RandomTrend(), Pick(4) != 0);
            return "SetConflict";
        }
        case 7:
        case 8: {
            TPhase* phase = RandomPhase();
            TTrend* s = RandomTrend();
            const bool flag = Pick(3) != 0;
            // The editors never toggle the call signal.
            if (s != nullptr && s->IsEditable())
                P.SetPhaseTrend(phase, s, flag);
            return "SetPhaseTrend";
        }
        case 9:
            P.CopyPhase(RandomPhase(false));
            return "CopyPhase";
        case 10:
            P.DeletePhase(RandomPhase(false));
            return "DeletePhase";
        case 11:
            P.SetPhaseMinTime(RandomPhase(), static_cast<std::uint8_t>(Pick(20)));
            return "SetPhaseMinTime";
        case 12: {
            const bool on = Pick(2) == 0;
            P.SwitchCallPhases(on);
            return on ? "SwitchCallPhases on" : "SwitchCallPhases off";
        }
        case 13: {
            TTrendGroup* g = P.TrendGroupAt(Pick(std::max(1, P.TrendGroupList().Count())));
            std::array<TControllerOutput*, kOutputSlotCount> outputs{};
            for (auto& o : outputs)
                o = Pick(2) == 0 ? RandomOutput() : nullptr;
            P.RestoreOutputs(g, outputs);
            TTrend* s = RandomTrend();
            if (s != nullptr) {
                s->SetRedControl(Pick(2) == 0);
                s->SetGreenControl(Pick(2) == 0);
            }
            return "RestoreOutputs";
        }
        default:
            if (Pick(2) == 0) {
                P.CreateController(Config->ModelList[Pick(2)]);
                return "CreateController";
            }
            P.DeleteController(Pick(P.ControllerList().Count()));
            return "DeleteController";
        }
    }

    // Empty when every invariant holds, else what broke.
    std::string Check() {
        std::ostringstream err;
        std::set<const TTrend*> live;
        for (const TTrendGroup* g : P.TrendGroupList())
            for (const TTrend* s : g->Trends())
                live.insert(s);

        // Conflicts: symmetric, irreflexive, between live counted signals.
        for (const TTrend* s : live)
            for (const TTrend* c : s->Conflicts()) {
                if (!live.count(c))
                    err << "conflict with a dead signal; ";
                else if (c == s || !s->IsCounted() || !c->IsCounted())
                    err << "conflict with itself or an uncounted signal; ";
                else if (!c->Conflicts().Contains(s))
                    err << "asymmetric conflict; ";
            }
        if (P.ConflictPairCount() > TProject::kMaxConflictPairs)
            err << "too many conflict pairs; ";

        // Phase lists and their green sets.
        if (P.PhaseList().Empty() || P.CallPhaseList().Count() < 2 ||
            P.AllRedPhaseList().Count() != 3)
            err << "phase list shapes; ";
        std::vector<const TPhase*> phases;
        for (const auto* list : {&P.PhaseList(), &P.CallPhaseList(), &P.AllRedPhaseList()})
            phases.insert(phases.end(), list->begin(), list->end());
        for (const TPhase* phase : phases) {
            std::set<const TTrend*> seen;
            for (const TTrend* s : phase->Trends()) {
                if (!live.count(s))
                    err << "dead signal in a green set; ";
                if (!seen.insert(s).second)
                    err << "signal twice in a green set; ";
            }
            int previous = 0;
            for (int v : phase->TProms()) {
                if (v <= previous)
                    err << "TProms not strictly ascending above 0; ";
                previous = v;
            }
            for (const TTrendGroup* g : P.TrendGroupList())
                if (const auto* tram = dynamic_cast<const TTram*>(g)) {
                    bool moving = false;
                    for (int i = 0; i < 3; ++i)
                        moving = moving || phase->IsGreen(tram->Trends()[i]);
                    if (phase->IsGreen(tram->StopTrend()) == moving)
                        err << "tram stop signal wrong; ";
                }
        }

        // Derived data is never stale: recomputing changes nothing.
        std::vector<std::vector<int>> before;
        std::vector<std::vector<const TTrend*>> greensBefore;
        for (const TPhase* phase : phases) {
            before.emplace_back(phase->TProms().begin(), phase->TProms().end());
            greensBefore.emplace_back(phase->Trends().begin(), phase->Trends().end());
        }
        P.RecalcTransitions();
        for (std::size_t i = 0; i < phases.size(); ++i) {
            if (std::vector<int>(phases[i]->TProms().begin(), phases[i]->TProms().end()) !=
                before[i])
                err << "stale TProms in phase list entry " << i << "; ";
            if (std::vector<const TTrend*>(phases[i]->Trends().begin(),
                                           phases[i]->Trends().end()) != greensBefore[i])
                err << "stale copy of a working phase " << i << "; ";
        }

        // Outputs: each bound once, owners and slots agree.
        std::map<const TControllerOutput*, int> bound;
        for (const TTrendGroup* g : P.TrendGroupList()) {
            unsigned slots = 0;
            for (const TTrend* s : g->Trends())
                slots |= KindSlots(s->Kind());
            for (int slot = 0; slot < kOutputSlotCount; ++slot)
                if (const TControllerOutput* o = g->Output(slot)) {
                    ++bound[o];
                    if (o->Owner != g)
                        err << "slot output owned by another direction; ";
                    if (!P.OwnsOutput(o))
                        err << "slot output of no controller; ";
                    if ((slots & (1u << slot)) == 0)
                        err << "output in a slot the direction does not use; ";
                }
        }
        for (const auto& [o, n] : bound)
            if (n != 1)
                err << "output bound twice; ";
        for (const TController* c : P.ControllerList())
            for (const TControllerOutput* o : c->Outputs)
                if (o->Owner != nullptr && !bound.count(o))
                    err << "output owned by a direction that does not hold it; ";

        // Signal times and monitoring.
        for (const TTrend* s : live) {
            if (!(s->GetTime(1) >= s->GetTime(2) && s->GetTime(2) >= s->GetTime(3) &&
                  s->GetTime(3) >= s->GetTime(4) && s->GetTime(6) >= s->GetTime(7) &&
                  s->GetTime(7) >= s->GetTime(8)))
                err << "time chain out of order; ";
            const TControllerOutput* red = s->GetOutput(0);
            const TControllerOutput* green = s->GetOutput(2);
            if (s->RedControl() && (red == nullptr || !(red->ModelOutput->Flags & ofRed)))
                err << "red monitoring without a red lamp; ";
            if (s->GreenControl() && (green == nullptr || !(green->ModelOutput->Flags & ofGreen)))
                err << "green monitoring without a green lamp; ";
            if (s->RedPower() != 0)
                err << "red power set; ";
        }
        // Call phases come with their direction.
        if (P.CallPhaseList().Count() > 2 && P.CallTrend() == nullptr)
            err << "call phases without a call direction; ";
        return err.str();
    }

    std::unique_ptr<TConfiguration> Config;
    TProject P;

  private:
    int Pick(int n) { return n <= 0 ? 0 : static_cast<int>(Rng() % static_cast<unsigned>(n)); }
    int RandomRow() { return Pick(P.TrendCount() + 1) - (Pick(10) == 0 ? 1 : 0); }
    TTrend* RandomTrend() {
        // Now and then a tram stop signal, which is no row.
        if (Pick(10) == 0)
            for (const TTrendGroup* g : P.TrendGroupList())
                if (const auto* tram = dynamic_cast<const TTram*>(g))
                    return tram->StopTrend();
        return P.TrendAt(Pick(P.TrendCount() + 1));
    }
    TPhase* RandomPhase(bool allRedToo = true) {
        if (allRedToo && Pick(8) == 0)
            return P.AllRedPhase();
        return P.PhaseAt(Pick(P.PhaseCount()));
    }
    TControllerOutput* RandomOutput() {
        const TController* c = P.ControllerAt(Pick(P.ControllerList().Count()));
        if (c == nullptr || c->Outputs.Empty())
            return nullptr;
        return c->Outputs.Items(Pick(c->Outputs.Count()));
    }

    std::mt19937 Rng;
};

class ModelProperties : public ::testing::TestWithParam<unsigned> {};

TEST_P(ModelProperties, InvariantsHoldAfterEveryOperation) {
    const unsigned seed = GetParam();
    RandomProject r(seed);
    for (int step = 0; step < 400; ++step) {
        const std::string op = r.Step();
        const std::string broken = r.Check();
        ASSERT_EQ(broken, "") << "seed " << seed << ", step " << step << ": " << op;
    }
}

INSTANTIATE_TEST_SUITE_P(Seeds, ModelProperties, ::testing::Range(1u, 25u));

} // namespace
} // namespace tralcon
