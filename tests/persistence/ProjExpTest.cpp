#include "persistence/ProjExp.h"
#include "RandomProject.h"
#include "TestUtil.h"
#include "model/Errors.h"
#include "persistence/ByteStream.h"
#include "scheme/SchemeSection.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
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
        {"direction kind", directions + 1, 10},
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

// A file of one direction of the class that holds signals of `kind`, with
// the first signal's stored kind byte and times replaced.
struct StoredDirection {
    std::vector<std::uint8_t> Bytes;
    std::size_t KindAt = 0, TimesAt = 0;
};

StoredDirection OneDirectionFile(const TConfiguration& config, int kind) {
    TProject p(config);
    p.NewProject(config.ModelList[0]);
    if (kind == kCallKind)
        p.SwitchCallPhases(true);
    else
        p.AddTrendGroup(kind);
    TSchemeDocument scheme;
    scheme.RowsInserted(0, p.TrendCount());
    StoredDirection d;
    d.Bytes = SaveProjectToBytes(p, scheme);
    d.KindAt = U32At(d.Bytes, 54) + 1;
    d.TimesAt = d.KindAt + 16;
    return d;
}

TEST_F(ProjectFile, BrokenTimeChainsAreEnteredStateByStateAndTheFileOpens) {
    using Times = std::array<std::uint8_t, kSignalStateCount>;
    struct Case {
        const char* What;
        int Kind;
        Times Stored, Expected;
    } cases[] = {
        // Each state in turn through the chain rules: a later, larger time
        // raises the ones before it; states the kind lacks are skipped.
        {"transport, both chains broken",
         0,
         {0, 2, 5, 3, 1, 0, 1, 4, 2, 0, 0, 0},
         {0, 5, 5, 3, 1, 0, 4, 4, 2, 0, 0, 0}},
        {"pedestrian without yellow",
         1,
         {0, 0, 4, 9, 6, 0, 0, 5, 0, 0, 0, 0},
         {0, 6, 6, 6, 6, 0, 0, 0, 0, 0, 0, 0}},
        {"tram: the lacking states move with the chains",
         4,
         {0, 1, 0, 0, 3, 0, 0, 0, 2, 0, 0, 0},
         {0, 3, 3, 3, 3, 0, 2, 2, 2, 0, 0, 0}},
        {"call panel keeps its free states but not AllRed",
         kCallKind,
         {7, 0, 0, 0, 2, 9, 0, 0, 0, 1, 0, 3},
         {7, 2, 2, 2, 2, 9, 0, 0, 0, 0, 0, 3}},
        {"arrow with green blinking, opening chain broken",
         9,
         {0, 3, 2, 0, 0, 0, 1, 0, 5, 0, 0, 0},
         {0, 3, 2, 0, 0, 0, 5, 5, 5, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.What);
        StoredDirection d = OneDirectionFile(*Config, c.Kind);
        std::copy(c.Stored.begin(), c.Stored.end(), d.Bytes.begin() + static_cast<long>(d.TimesAt));
        TLoadedProject loaded = Load(Resealed(d.Bytes));
        const TTrend* t = loaded.Project->TrendAt(0);
        Times back{};
        for (int s = 0; s < kSignalStateCount; ++s)
            back[static_cast<std::size_t>(s)] = t->GetTime(s);
        EXPECT_EQ(back, c.Expected);
        // The repaired times are what a resave writes, and they come back
        // exactly from then on.
        auto resaved = SaveProjectToBytes(*loaded.Project, *loaded.Scheme);
        auto expected = d.Bytes;
        std::copy(c.Expected.begin(), c.Expected.end(),
                  expected.begin() + static_cast<long>(d.TimesAt));
        EXPECT_EQ(resaved, Resealed(expected));
        TLoadedProject again = Load(resaved);
        EXPECT_EQ(SaveProjectToBytes(*again.Project, *again.Scheme), resaved);
        EXPECT_EQ(Describe(*again.Project), Describe(*loaded.Project));
    }
}

TEST_F(ProjectFile, AnyTramKindOpensAsATramAndIsWrittenBackAsFour) {
    StoredDirection d = OneDirectionFile(*Config, 4);
    TLoadedProject reference = Load(d.Bytes);
    for (std::uint8_t kind : {5, 6, 7}) {
        SCOPED_TRACE(int(kind));
        auto b = d.Bytes;
        b[d.KindAt] = kind;
        TLoadedProject loaded = Load(Resealed(b));
        const TTrendGroup* g = loaded.Project->TrendGroupAt(0);
        ASSERT_NE(dynamic_cast<const TTram*>(g), nullptr);
        EXPECT_EQ(g->Trends().Count(), 4);
        EXPECT_EQ(Describe(*loaded.Project), Describe(*reference.Project));
        EXPECT_EQ(SaveProjectToBytes(*loaded.Project, *loaded.Scheme), d.Bytes);
    }
}

TEST_F(ProjectFile, RefusalsNameWhatIsWrongAndWhere) {
    StoredDirection d = OneDirectionFile(*Config, 0);
    struct Case {
        const char* What;
        std::size_t At;
        std::uint8_t Value;
        std::string Detail;
    } cases[] = {
        {"unknown kind", d.KindAt, 10,
         "(смещение " + std::to_string(d.KindAt + 1) + ": неизвестный вид направления 10)"},
        // A tram kind on a one-signal record: the tram wants three.
        {"tram kind with one record", d.KindAt, 6,
         "(смещение " + std::to_string(d.KindAt + 16) + ": неверное число сигналов направления)"},
        {"signal count", d.KindAt + 15, 0,
         "(смещение " + std::to_string(d.KindAt + 16) + ": неверное число сигналов направления)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.What);
        auto b = d.Bytes;
        b[c.At] = c.Value;
        try {
            Load(Resealed(b));
            ADD_FAILURE() << "opened";
        } catch (const EUserError& e) {
            const std::string message = e.what();
            EXPECT_EQ(message.rfind("Файл x.NVT поврежден или имеет неправильный формат\n", 0), 0u)
                << message;
            EXPECT_NE(message.find(c.Detail), std::string::npos) << message;
        }
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
