#include "persistence/ProjExp.h"
#include "RandomProject.h"
#include "TestUtil.h"
#include "model/Errors.h"
#include "persistence/ByteStream.h"
#include "scheme/SchemeSection.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

namespace tralcon {
namespace {

std::uint32_t U32At(const std::vector<std::uint8_t>& b, std::size_t at) {
    return static_cast<std::uint32_t>(b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) |
                                      (static_cast<std::uint32_t>(b[at + 3]) << 24));
}

class ProjectFile : public ::testing::Test {
  protected:
    std::unique_ptr<TConfiguration> Config = test::CatalogueFromText(test::kRandomCatalogue);

    TLoadedProject Load(const std::vector<std::uint8_t>& bytes) {
        return LoadProjectFromBytes(bytes.data(), bytes.size(), *Config, "x.NVT");
    }

    // A readable account of everything a project file stores, and of the
    // derived steps, to compare projects.
    static std::string Describe(const TProject& p) {
        std::ostringstream o;
        o << p.ProjectName() << "|" << int(p.SystemID()) << "|" << int(p.AllRedTime()) << "|"
          << int(p.ProjectOptions()) << "\n";
        for (const TController* c : p.ControllerList())
            o << "C" << c->Model->ID << "/" << int(c->Flags) << " ";
        o << "\n";
        for (int row = 0; row < p.TrendCount(); ++row) {
            const TTrend* t = p.TrendAt(row);
            o << p.TrendName(row) << ":";
            for (int s = 0; s < kSignalStateCount; ++s)
                o << int(t->GetTime(s)) << ",";
            o << t->RedControl() << t->GreenControl();
            for (int s = 0; s < kOutputSlotCount; ++s)
                o << "," << p.OutputName(t->GetOutput(s));
            std::vector<int> conflicts; // a set: its order is not stored
            for (const TTrend* c : t->Conflicts())
                conflicts.push_back(p.RowOf(c));
            std::sort(conflicts.begin(), conflicts.end());
            for (int c : conflicts)
                o << " x" << c;
            o << "\n";
        }
        auto phases = [&](const TSafeObjList<TPhase>& list) {
            for (const TPhase* ph : list) {
                o << "P" << int(ph->MinTime()) << ":";
                for (const TTrend* t : ph->Trends())
                    o << t->Kind() << "@" << p.TrendGroupList().IndexOf(t->Group()) << " ";
                o << "proms";
                for (int v : ph->TProms())
                    o << " " << v;
                o << " cycles";
                for (int v : ph->Cycles())
                    o << " " << v;
                o << "\n";
            }
        };
        phases(p.PhaseList());
        phases(p.CallPhaseList());
        phases(p.AllRedPhaseList());
        for (const TCycle* c : p.CycleList())
            o << "cycle " << c->Name() << " refs " << c->RefCount() << "\n";
        for (const TDayPlan* d : p.DayPlanList()) {
            o << "day " << d->Name() << " refs " << d->RefCount() << ":";
            for (int i = 0; i < d->ItemCount(); ++i)
                o << " " << d->ItemAt(i)->Time() << "=" << d->ItemAt(i)->Cycle()->Name();
            o << "\n";
        }
        for (const TWeekPlan* w : p.WeekPlanList()) {
            o << "week " << w->Name() << " refs " << w->RefCount() << ":";
            for (int i = 0; i < w->ItemCount(); ++i)
                o << " " << w->ItemAt(i)->Day() << "="
                  << p.DayPlanList().IndexOf(w->ItemAt(i)->DayPlan());
            o << "\n";
        }
        o << "year:";
        for (int i = 0; i < p.YearPlan()->ItemCount(); ++i)
            o << " " << p.YearPlan()->ItemAt(i)->Date() << "="
              << p.WeekPlanList().IndexOf(p.YearPlan()->ItemAt(i)->WeekPlan());
        return o.str();
    }
};

TEST_F(ProjectFile, NewProjectIs223BytesWithTheSectionPositions) {
    auto config = test::CatalogueFromText("[Model#0]\nID=1\nCaption=A\nRedOrder=1\n");
    TProject p(*config);
    p.NewProject(config->ModelList[0]);
    TSchemeDocument scheme;
    auto bytes = SaveProjectToBytes(p, scheme);
    ASSERT_EQ(bytes.size(), 223u);
    EXPECT_EQ(U32At(bytes, 0), 101u);
    EXPECT_EQ(bytes[4], 0xCD);
    EXPECT_EQ(bytes[5], 0xC2);
    EXPECT_EQ(bytes[6], 0xD2);
    EXPECT_EQ(bytes[7], 3);
    EXPECT_EQ(bytes[8], 1);
    const std::uint32_t positions[] = {101, 107, 108, 109, 112, 113, 114, 166, 211};
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ(U32At(bytes, 50 + 4 * static_cast<std::size_t>(i)), positions[i]) << i;
    for (std::size_t i = 86; i < 98; ++i)
        EXPECT_EQ(bytes[i], 0) << i;
    EXPECT_EQ(bytes[100], 3); // all-red time
    EXPECT_EQ(std::string(bytes.begin() + 9, bytes.begin() + 26), ToCp1251("Новый перекресток"));
    EXPECT_EQ(Crc16Kermit(bytes.data(), bytes.size()), 0); // the CRC is bytes 221 and 222
}

TEST_F(ProjectFile, RandomProjectsRoundTripToIdenticalBytesAndModel) {
    for (unsigned seed = 1; seed <= 120; ++seed) {
        SCOPED_TRACE(seed);
        TProject original(*Config);
        TSchemeDocument scheme;
        test::RandomProjectBuilder(original, scheme, seed).Build();
        auto bytes = SaveProjectToBytes(original, scheme);
        TLoadedProject loaded = Load(bytes);
        EXPECT_EQ(Describe(*loaded.Project), Describe(original));
        EXPECT_EQ(loaded.Scheme->Background(), scheme.Background());
        EXPECT_EQ(loaded.Scheme->AttachedCount(), scheme.AttachedCount());
        ASSERT_EQ(SaveProjectToBytes(*loaded.Project, *loaded.Scheme), bytes);
    }
}

TEST_F(ProjectFile, EveryBitFlipAndTruncationIsRefused) {
    TProject p(*Config);
    TSchemeDocument scheme;
    test::RandomProjectBuilder(p, scheme, 7).Build();
    auto bytes = SaveProjectToBytes(p, scheme);
    ASSERT_GT(bytes.size(), 200u);
    const std::string damaged = "Файл x.NVT поврежден или имеет неправильный формат";
    auto refused = [&](const std::vector<std::uint8_t>& b) {
        try {
            Load(b);
        } catch (const EUserError& e) {
            return std::string(e.what()).rfind(damaged, 0) == 0;
        }
        return false;
    };
    for (std::size_t i = 0; i < bytes.size(); ++i)
        for (int bit = 0; bit < 8; ++bit) {
            auto b = bytes;
            b[i] ^= static_cast<std::uint8_t>(1 << bit);
            ASSERT_TRUE(refused(b)) << "byte " << i << " bit " << bit;
        }
    for (std::size_t n = 0; n < bytes.size(); ++n)
        ASSERT_TRUE(
            refused(std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + static_cast<long>(n))))
            << n;
    auto swapped = bytes;
    std::swap(swapped[swapped.size() - 1], swapped[swapped.size() - 2]);
    EXPECT_TRUE(refused(swapped));
}

// Rewrites the CRC so that a deliberately wrong value reaches the reader.
std::vector<std::uint8_t> Resealed(std::vector<std::uint8_t> b) {
    b.resize(b.size() - 2);
    const std::uint16_t crc = Crc16Kermit(b.data(), b.size());
    b.push_back(static_cast<std::uint8_t>(crc));
    b.push_back(static_cast<std::uint8_t>(crc >> 8));
    return b;
}

TEST_F(ProjectFile, IndexesOutsideTheirListsAreRefusedEvenWithAValidCrc) {
    TProject p(*Config);
    p.NewProject(Config->ModelList[0]);
    p.AddTrendGroup(0);
    p.AddTrendGroup(1);
    p.SetPhaseTrend(p.PhaseAt(0), p.TrendAt(0), true);
    TSchemeDocument scheme;
    scheme.RowsInserted(0, p.TrendCount());
    const auto bytes = SaveProjectToBytes(p, scheme);
    const std::size_t directions = U32At(bytes, 54), phases = U32At(bytes, 62);
    struct Case {
        const char* What;
        std::size_t At;
        std::uint8_t Value;
    } cases[] = {
        {"controller of a slot", directions + 2, 5},
        {"output of a controller", directions + 3, 200},
        {"direction kind", directions + 1, 7},
        {"signal count", directions + 16, 2},
        {"direction of a green signal", phases + 3, 9},
        {"signal of a green signal", phases + 4, 1},
        {"phase count", phases, 0},
    };
    for (const Case& c : cases) {
        auto b = bytes;
        b[c.At] = c.Value;
        EXPECT_THROW(Load(Resealed(b)), EUserError) << c.What;
    }
    auto b = bytes;
    b[101 + 1] = 99; // a model the catalogue lacks
    try {
        Load(Resealed(b));
        FAIL();
    } catch (const EModelError& e) {
        EXPECT_STREQ(e.what(), "Model not found");
    }
}

TEST_F(ProjectFile, OlderShortHeaderOpensWithDefaultOptions) {
    TProject p(*Config);
    p.NewProject(Config->ModelList[0]);
    p.SetAllRedTime(7);
    p.SetQuickStart(true);
    TSchemeDocument scheme;
    auto bytes = SaveProjectToBytes(p, scheme);
    bytes[0] = 94;
    TLoadedProject loaded = Load(Resealed(bytes));
    EXPECT_EQ(loaded.Project->AllRedTime(), 3);
    EXPECT_EQ(loaded.Project->ProjectOptions(), 0);
    EXPECT_EQ(loaded.Project->AllRedPhase()->MinTime(), 3);
}

TEST_F(ProjectFile, TramStoresThreeSignalsAndGetsItsStopSignalBack) {
    TProject p(*Config);
    p.NewProject(Config->ModelList[0]);
    p.AddTrendGroup(4);
    TPhase* second = p.CopyPhase(p.PhaseAt(0));
    p.SetPhaseTrend(second, p.TrendAt(1), true);
    TSchemeDocument scheme;
    scheme.RowsInserted(0, p.TrendCount());
    auto bytes = SaveProjectToBytes(p, scheme);
    const std::size_t directions = U32At(bytes, 54);
    EXPECT_EQ(bytes[directions + 16], 3); // three signal records follow
    EXPECT_EQ(U32At(bytes, 58) - directions, 1 + 16 + 3 * 20u);
    TLoadedProject loaded = Load(bytes);
    const TTrendGroup* tram = loaded.Project->TrendGroupAt(0);
    ASSERT_EQ(tram->Trends().Count(), 4);
    const TTrend* stop = tram->Trends()[3];
    // The copy stands before the phase it copies: the straight movement is
    // green in the first phase, the stop signal in the second.
    EXPECT_TRUE(loaded.Project->PhaseAt(0)->IsGreen(tram->Trends()[1]));
    EXPECT_FALSE(loaded.Project->PhaseAt(0)->IsGreen(stop));
    EXPECT_TRUE(loaded.Project->PhaseAt(1)->IsGreen(stop));
}

TEST_F(ProjectFile, CallPhaseKeepsExactlyItsStoredSignals) {
    TProject p(*Config);
    p.NewProject(Config->ModelList[0]);
    TTrend* car = p.TrendAt(p.AddTrendGroup(0));
    p.SetPhaseTrend(p.PhaseAt(0), car, true);
    p.SwitchCallPhases(true);
    TPhase* call = p.CallPhaseList()[1];
    ASSERT_TRUE(call->IsGreen(car)); // copied from the last working phase
    p.SetPhaseTrend(call, car, false);
    p.SetPhaseMinTime(call, 9);
    TSchemeDocument scheme;
    scheme.RowsInserted(0, p.TrendCount());
    TLoadedProject loaded = Load(SaveProjectToBytes(p, scheme));
    const TPhase* back = loaded.Project->CallPhaseList()[1];
    EXPECT_FALSE(back->IsGreen(loaded.Project->TrendAt(0)));
    EXPECT_TRUE(back->IsGreen(loaded.Project->CallTrend()));
    EXPECT_EQ(back->MinTime(), 9);
    EXPECT_TRUE(loaded.Project->CallPhasesEnabled());
}

TEST_F(ProjectFile, LongAndForeignNamesAreCutAndReplacedNeverCorrupted) {
    TProject p(*Config);
    p.NewProject(Config->ModelList[0]);
    p.SetProjectName(std::string(45, 'x') + "漢");
    std::string longName = "Цикл 漢字 ";
    for (int i = 0; i < 50; ++i)
        longName += "ы";
    p.AddCycle()->SetName(longName);
    TSchemeDocument scheme;
    auto bytes = SaveProjectToBytes(p, scheme);
    TLoadedProject loaded = Load(bytes);
    EXPECT_EQ(loaded.Project->ProjectName(), std::string(40, 'x'));
    const std::string cycle = loaded.Project->CycleList()[0]->Name();
    EXPECT_EQ(cycle.rfind("Цикл ?? ыы", 0), 0u) << cycle;
    EXPECT_EQ(ToCp1251(cycle).size(), 40u);
}

TEST_F(ProjectFile, SaveGoesThroughATemporaryFileAndLoadNamesMissingFiles) {
    test::TempDir dir;
    TProject p(*Config);
    p.NewProject(Config->ModelList[0]);
    TSchemeDocument scheme;
    const std::string path = dir.File("Cross.NVT");
    test::WriteBytes(path, "old content");
    SaveProject(path, p, scheme);
    EXPECT_EQ(test::ReadBytes(path).size(), SaveProjectToBytes(p, scheme).size());
    EXPECT_EQ(LoadProject(path, *Config).Project->ProjectName(), "Новый перекресток");
    // A save that cannot be written leaves the old file.
    EXPECT_THROW(SaveProject(dir.File("missing/Cross.NVT"), p, scheme), EUserError);
    try {
        LoadProject(dir.File("none.NVT"), *Config);
        FAIL();
    } catch (const EUserError& e) {
        EXPECT_EQ(std::string(e.what()), "Файл " + dir.File("none.NVT") + " не найден");
    }
}

TEST_F(ProjectFile, SchemeMustMatchTheProjectRows) {
    TProject p(*Config);
    p.NewProject(Config->ModelList[0]);
    p.AddTrendGroup(0);
    TSchemeDocument scheme; // no rows
    EXPECT_THROW(SaveProjectToBytes(p, scheme), EModelError);
}

} // namespace
} // namespace tralcon
