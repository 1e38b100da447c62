// The signal program check reads the compiled images back: seeded faults
// are found with their texts, the bundled sample passes, and over many
// generated projects its verdict on conflicting greens agrees with the same
// rule evaluated on the model's phase rows.

#include "flash/SignalCheck.h"
#include "RandomProject.h"
#include "TestUtil.h"
#include "flash/Flash.h"
#include "model/Project.h"
#include "persistence/ProjExp.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <functional>

namespace tralcon::test {
namespace {

bool Has(const std::vector<TFinding>& findings, TFindingLevel level, const std::string& text) {
    for (const TFinding& f : findings)
        if (f.Level == level && f.Text.find(text) != std::string::npos)
            return true;
    return false;
}

std::string Listed(const std::vector<TFinding>& findings) {
    std::string out;
    for (const TFinding& f : findings)
        out += std::string(FindingLevelName(f.Level)) + ": " + f.Text + "\n";
    return out;
}

// Two conflicting vehicle directions 1Т and 2Т, one phase each, closing
// through green blinking (3 s) and yellow (3 s), opening through red with
// yellow (2 s): a sound program.
struct CheckFixture : ::testing::Test {
    std::unique_ptr<TConfiguration> Config = CatalogueFromText(kRandomCatalogue);
    TProject P{*Config};
    void SetUp() override {
        P.NewProject(Config->ModelList[0]);
        P.AddTrendGroup(0);
        P.AddTrendGroup(0);
        for (int row : {0, 1}) {
            P.TrendAt(row)->SetTime(2, 6);
            P.TrendAt(row)->SetTime(3, 3);
            P.TrendAt(row)->SetTime(7, 2);
        }
        P.SetConflict(P.TrendAt(0), P.TrendAt(1), true);
        P.CopyPhase(P.PhaseAt(0));
        P.SetPhaseTrend(P.PhaseAt(0), P.TrendAt(0), true);
        P.SetPhaseTrend(P.PhaseAt(1), P.TrendAt(1), true);
        TDayPlan* day = P.DayPlanList()[0];
        P.AddCycle();
        P.SetDayItemCycle(day->ItemAt(0), P.CycleAt(0));
    }
    std::vector<TFinding> Check() { return CheckProject(P, Config->Check); }
};

TEST_F(CheckFixture, SoundProgramHasNoErrorAndListsIntergreenTimes) {
    const auto findings = Check();
    EXPECT_FALSE(HasErrors(findings)) << Listed(findings);
    // 1Т's yellow (the last 3 s of the transition) lies between its green
    // and 2Т's, whose red with yellow shows meanwhile: 3 s, both ways.
    EXPECT_TRUE(Has(findings, TFindingLevel::Info, "промежуточное время 1Т → 2Т: 3 с"))
        << Listed(findings);
    EXPECT_TRUE(Has(findings, TFindingLevel::Info, "промежуточное время 2Т → 1Т: 3 с"))
        << Listed(findings);
}

struct Fault {
    const char* Name;
    std::function<void(TProject&)> Seed;
    TFindingLevel Level;
    const char* Text;
};

TEST_F(CheckFixture, SeededFaultsAreFoundWithTheirText) {
    const Fault faults[] = {
        {"conflicting greens in a phase",
         [](TProject& p) { p.SetPhaseTrend(p.PhaseAt(0), p.TrendAt(1), true); },
         TFindingLevel::Error,
         "фаза 1: конфликтующие направления 1Т (зеленый) и 2Т (зеленый) разрешены одновременно"},
        {"a leading green that opens before the other closes",
         [](TProject& p) { p.TrendAt(1)->SetTime(8, 7); }, TFindingLevel::Error,
         "после фазы 1, такт 1: конфликтующие направления 1Т (зеленый) и 2Т (зеленый)"},
        {"an unbound green lamp", [](TProject& p) { p.SetTrendOutput(0, 2, nullptr); },
         TFindingLevel::Error, "1Т: разрешен в фазе, но зеленая лампа не подключена"},
        {"an unbound red lamp", [](TProject& p) { p.SetTrendOutput(1, 0, nullptr); },
         TFindingLevel::Error, "2Т: не подключена красная лампа"},
        {"no red with yellow", [](TProject& p) { p.TrendAt(1)->SetTime(7, 0); },
         TFindingLevel::Error,
         "фаза 1 → фаза 2: 2Т переходит с красного на зеленый без красного с желтым"},
        {"no yellow",
         [](TProject& p) {
             p.TrendAt(0)->SetTime(3, 0);
             p.TrendAt(0)->SetTime(4, 0);
         },
         TFindingLevel::Error, "фаза 1 → фаза 2: 1Т переходит с зеленого на красный без желтого"},
        {"a short yellow", [](TProject& p) { p.TrendAt(0)->SetTime(3, 2); }, TFindingLevel::Warning,
         "фаза 1 → фаза 2: желтый 1Т 2 с, меньше 3 с"},
        {"a short green blinking", [](TProject& p) { p.TrendAt(0)->SetTime(2, 4); },
         TFindingLevel::Warning, "зеленый мигающий 1Т 1 с, меньше 3 с"},
        {"a long red with yellow", [](TProject& p) { p.TrendAt(1)->SetTime(7, 4); },
         TFindingLevel::Warning, "красный с желтым 2Т 4 с, больше 2 с"},
        {"a short intergreen",
         [](TProject& p) {
             p.TrendAt(1)->SetTime(8, 2);
             p.TrendAt(1)->SetTime(7, 4);
         },
         TFindingLevel::Warning, "промежуточное время 1Т → 2Т: 1 с (фаза 1 → фаза 2), меньше 3 с"},
        {"a phase without greens",
         [](TProject& p) {
             p.CopyPhase(p.PhaseAt(0));
             p.SetPhaseTrend(p.PhaseAt(0), p.TrendAt(0), false);
         },
         TFindingLevel::Warning, "фаза 1: ни одно направление не разрешено"},
        {"a direction released in no phase", [](TProject& p) { p.AddTrendGroup(1); },
         TFindingLevel::Warning, "3П: не разрешено ни в одной фазе"},
        {"no cycle to leave yellow flashing",
         [](TProject& p) {
             p.SetDayItemCycle(p.DayPlanList()[0]->ItemAt(0), p.FlashCycle());
             p.DeleteCycle(0);
         },
         TFindingLevel::Warning, "нет ни одного рабочего цикла"},
    };
    for (const Fault& f : faults) {
        SCOPED_TRACE(f.Name);
        TearDown();
        P.ResetPhases();
        SetUp();
        f.Seed(P);
        const auto findings = Check();
        EXPECT_TRUE(Has(findings, f.Level, f.Text)) << Listed(findings);
        if (f.Level != TFindingLevel::Error) {
            EXPECT_FALSE(HasErrors(findings)) << Listed(findings);
        }
        // A finding that names a phase or signal says which.
        for (const TFinding& x : findings) {
            if (x.Text.find(f.Text) != std::string::npos && std::string(f.Text).find("1Т") == 0) {
                EXPECT_EQ(x.Row, 0);
            }
        }
    }
}

TEST_F(CheckFixture, LimitsComeFromTheCatalogue) {
    auto strict = CatalogueFromText(std::string(kRandomCatalogue) +
                                    "[Check]\nYellowMin=4\nIntergreenMin=6\nRedYellowMax=1\n");
    EXPECT_EQ(strict->Check.YellowMin, 4);
    EXPECT_EQ(strict->Check.GreenBlinkMin, 3); // not given: the default
    const auto findings = CheckProject(P, strict->Check);
    EXPECT_TRUE(Has(findings, TFindingLevel::Warning, "желтый 1Т 3 с, меньше 4 с"))
        << Listed(findings);
    EXPECT_TRUE(Has(findings, TFindingLevel::Warning,
                    "промежуточное время 1Т → 2Т: 3 с (фаза 1 → фаза 2), меньше 6 с"))
        << Listed(findings);
    EXPECT_TRUE(Has(findings, TFindingLevel::Warning, "красный с желтым 2Т 2 с, больше 1 с"))
        << Listed(findings);
    // Out of range is ignored.
    auto odd = CatalogueFromText(std::string(kRandomCatalogue) + "[Check]\nYellowMin=-5\n");
    EXPECT_EQ(odd->Check.YellowMin, 3);
}

TEST_F(CheckFixture, ADamagedImageIsAnErrorNotACrash) {
    TBytes image = BuildFlashImage(P, 0, 0);
    image[60] ^= 0x40;
    const auto findings = CheckSignalProgram(P, {image}, Config->Check);
    ASSERT_EQ(findings.size(), 1u);
    EXPECT_TRUE(Has(findings, TFindingLevel::Error, "контроллер 1: прошивка повреждена"));
    EXPECT_TRUE(HasErrors(CheckSignalProgram(P, {TBytes(5, 0)}, Config->Check)));
}

TEST(SignalCheck, BundledSampleHasNoError) {
    auto config = LoadConfiguration(std::string(TRALCON_SOURCE_DIR) + "/data/NVT-3.cfg");
    TLoadedProject sample =
        LoadProject(std::string(TRALCON_SOURCE_DIR) + "/data/examples/Sample.NVT", *config);
    const auto findings = CheckProject(*sample.Project, config->Check);
    EXPECT_FALSE(HasErrors(findings)) << Listed(findings);
}

// The same rule on the model's phase rows: two conflicting signals whose
// green lamps are wired both permissive in one row of the sequence.
bool RowsHaveConflict(const TProject& p) {
    auto visible = [&](const TTrend* t) {
        const std::uint8_t slots = LampOnTable[t->Kind()][static_cast<int>(TSignalState::Green)];
        if (slots == 0 || !t->IsEditable())
            return false;
        for (int b = 0; b < kOutputSlotCount; ++b)
            if ((slots & (1u << b)) && t->Group()->Output(b) == nullptr)
                return false;
        return true;
    };
    auto rowOf = [&](const TTrend* t) {
        for (int r = 0; r < p.TrendCount(); ++r)
            if (p.TrendAt(r) == t)
                return r;
        return -1;
    };
    for (auto [a, b] : p.ConflictPairs()) {
        if (!visible(a) || !visible(b))
            continue;
        const int ra = rowOf(a), rb = rowOf(b);
        for (int k = 0; k < p.RowCount(true); ++k)
            if (IsPermissive(p.RowSignal(k, ra, true)) && IsPermissive(p.RowSignal(k, rb, true)))
                return true;
    }
    return false;
}

bool ImageHasConflict(const std::vector<TFinding>& findings) {
    return Has(findings, TFindingLevel::Error, "конфликтующие направления");
}

// TRALCON_CHECK_PROJECTS sets how many (the figure quoted for a release is
// 100 000; the suite runs fewer).
TEST(SignalCheck, VerdictOnTheImagesAgreesWithThePhaseRows) {
    const char* env = std::getenv("TRALCON_CHECK_PROJECTS");
    const int count = env != nullptr ? std::atoi(env) : 1500;
    auto config = CatalogueFromText(kRandomCatalogue);
    int conflicts = 0;
    const auto start = std::chrono::steady_clock::now();
    for (int seed = 0; seed < count; ++seed) {
        TProject p(*config);
        TSchemeDocument scheme;
        RandomProjectBuilder(p, scheme, static_cast<unsigned>(seed) * 2654435761u).Build();
        // Conflicts wherever greens meet, so the verdict is often yes.
        for (int n = 0; n < 3 && p.TrendCount() > 1; ++n)
            p.SetConflict(p.TrendAt(n % p.TrendCount()), p.TrendAt((n + 1) % p.TrendCount()), true);
        const bool rows = RowsHaveConflict(p);
        const bool images = ImageHasConflict(CheckProject(p, config->Check));
        conflicts += rows ? 1 : 0;
        ASSERT_EQ(images, rows) << "seed " << seed;
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    RecordProperty("projects", count);
    RecordProperty("with_conflicts", conflicts);
    std::printf("%d projects, %d with conflicting greens, %.1f s\n", count, conflicts, seconds);
    EXPECT_GT(conflicts, count / 20); // the property is not vacuous
    EXPECT_LT(conflicts, count);
}

} // namespace
} // namespace tralcon::test
