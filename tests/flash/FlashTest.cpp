#include "flash/Flash.h"
#include "FlashTestData.h"
#include "RandomProject.h"
#include "TestUtil.h"
#include "flash/ImageFiles.h"
#include "flash/ImageReader.h"
#include "model/Errors.h"

#include <gtest/gtest.h>

#include <random>

namespace tralcon {
namespace {

// One model with ControllerID 3 and enough outputs of every colour.
const char* kCatalogue = R"([General]
MultiCascade=1
[Model#0]
ID=1
Caption=Основной
RedOrder=1,2,4,8,10,20,40,80
YellowOrder=100,200,400,800
GreenOrder=1000,2000,4000,8000,10000,20000,40000,80000
UniversalOrder=100000,200000
)";

class Flash : public ::testing::Test {
  protected:
    std::unique_ptr<TConfiguration> Config = test::CatalogueFromText(kCatalogue);
    TProject P{*Config};

    void SetUp() override { P.NewProject(Config->ModelList[0]); }

    // The project of the smallest image: one cycle run by the day plan.
    void Smallest() {
        P.AddCycle();
        ASSERT_TRUE(P.SetDayItemCycle(P.DayPlanList()[0]->ItemAt(0), P.CycleAt(0)));
    }

    TImageDescription Read(const TBytes& image) {
        TImageDescription d;
        std::string error;
        EXPECT_TRUE(ReadFlashImage(image, &d, &error)) << error;
        return d;
    }

    TTrend* Add(int kind) { return P.TrendAt(P.AddTrendGroup(kind)); }

    // Two working phases: a vehicle signal closing with 3 s blinking and
    // 3 s yellow, a pedestrian opening with 2 s leading green.
    void TwoPhases() {
        Smallest();
        TTrend* car = Add(0);
        TTrend* walk = Add(1);
        car->SetTime(2, 6);
        car->SetTime(3, 3);
        car->SetTime(7, 2);
        walk->SetTime(8, 2);
        TPhase* second = P.CopyPhase(P.PhaseAt(0));
        (void)second;
        P.SetPhaseTrend(P.PhaseAt(0), car, true);
        P.SetPhaseTrend(P.PhaseAt(1), walk, true);
    }
};

TEST_F(Flash, SmallestImageIsExactlyTheReferenceBytes) {
    Smallest();
    TBytes image = BuildFlashImage(P, 0, P.ProjectOptions());
    EXPECT_EQ(image, test::SmallestImage());
    // 38 + 19 + 19 + (19 + C) + 6 + 6 + 7 + 2 with C = 1.
    EXPECT_EQ(image.size(), 117u);
}

TEST_F(Flash, ImageDependsOnlyOnTheModelAndLeavesItUnchanged) {
    TwoPhases();
    const auto proms = P.PhaseAt(0)->TProms().Values();
    TBytes a = BuildFlashImage(P, 0, 0);
    TBytes b = BuildFlashImage(P, 0, 0);
    EXPECT_EQ(a, b);
    EXPECT_EQ(P.PhaseAt(0)->TProms().Values(), proms);
}

TEST_F(Flash, StatesFollowThePhasesAndTheirSteps) {
    TwoPhases();
    TImageDescription d = Read(BuildFlashImage(P, 0, 0));
    // blink, all red, phase 1 + 3 steps, phase 2 + its steps back.
    ASSERT_GE(d.States.size(), 7u);
    const TImageState* blink = d.StateAt(38);
    const TImageState* allRed = d.StateAt(blink->NextOffset);
    const TImageState* w0 = d.StateAt(allRed->NextOffset);
    // Steps of the all-red phase into phase 1 come first unless quick start.
    while (w0->StateNumber == kStateStep)
        w0 = d.StateAt(w0->NextOffset);
    EXPECT_EQ(w0->StateNumber, 1);
    // Phase 1: the car is green: red/yellow/green slots are 1к, 1ж, 1з.
    const TControllerOutput* green = P.TrendAt(0)->GetOutput(2);
    ASSERT_NE(green, nullptr);
    EXPECT_TRUE(w0->LitMask & green->ModelOutput->Mask);
    EXPECT_EQ(w0->SteadyMask, w0->LitMask);
    // First step: the car's green flashes, so it is lit but not steady.
    const TImageState* step0 = d.StateAt(w0->NextOffset);
    EXPECT_EQ(step0->StateNumber, kStateStep);
    EXPECT_EQ(step0->Duration, 3);
    EXPECT_TRUE(step0->LitMask & green->ModelOutput->Mask);
    EXPECT_FALSE(step0->SteadyMask & green->ModelOutput->Mask);
}

TEST_F(Flash, QuickStartSendsAllRedStraightToTheFirstPhase) {
    TwoPhases();
    TBytes normal = BuildFlashImage(P, 0, 0);
    TBytes quick = BuildFlashImage(P, 0, poQuickStart);
    const TPhase* r2 = P.AllRedPhaseList()[1];
    ASSERT_GT(r2->StepCount(), 0);
    EXPECT_EQ(normal.size() - quick.size(), 19u * static_cast<unsigned>(r2->StepCount()));
    TImageDescription d = Read(quick);
    const TImageState* allRed = d.StateAt(d.StateAt(38)->NextOffset);
    EXPECT_EQ(d.StateAt(allRed->NextOffset)->StateNumber, 1);
    EXPECT_EQ(allRed->Duration, P.AllRedTime());
}

TEST_F(Flash, WithoutCallPhasesNoCallLinksEvenWithQuickCall) {
    TwoPhases();
    TBytes image = BuildFlashImage(P, 0, poQuickCall);
    EXPECT_EQ(image, BuildFlashImage(P, 0, 0));
    TImageDescription d = Read(image);
    EXPECT_EQ(d.Header.CallLampMask, 0u);
    for (const TImageState& s : d.States)
        EXPECT_EQ(s.CallOffset, kNoLink) << s.Offset;
}

TEST_F(Flash, CallPhasesWithAndWithoutQuickCall) {
    TwoPhases();
    P.SwitchCallPhases(true);
    ASSERT_EQ(P.CallPhaseList().Count(), 3);
    const TTrend* call = P.CallTrend();
    const TControllerOutput* yellow = call->GetOutput(1);
    ASSERT_NE(yellow, nullptr);
    for (std::uint8_t options : {std::uint8_t{0}, std::uint8_t{poQuickCall}}) {
        SCOPED_TRACE(int(options));
        TImageDescription d = Read(BuildFlashImage(P, 0, options));
        EXPECT_EQ(d.Header.PhaseTotal, 3);
        EXPECT_EQ(d.Header.CallLampMask, yellow->ModelOutput->Mask);
        const std::uint16_t allRed = d.StateAt(38)->NextOffset;
        const TImageState* callPhase = nullptr;
        const TImageState* lastWorking = nullptr;
        for (const TImageState& s : d.States) {
            if (s.StateNumber == 3)
                callPhase = &s;
            if (s.StateNumber == 2)
                lastWorking = &s;
        }
        ASSERT_NE(callPhase, nullptr);
        ASSERT_NE(lastWorking, nullptr);
        EXPECT_EQ(lastWorking->ExitOffset, 57);
        // The entry transition has no steps here, so the call sequence
        // starts at the call phase's own record.
        if (options & poQuickCall) {
            EXPECT_EQ(d.StateAt(38)->CallOffset, callPhase->Offset);
            EXPECT_EQ(d.StateAt(allRed)->CallOffset, callPhase->Offset);
            EXPECT_EQ(lastWorking->CallOffset, allRed);
            EXPECT_EQ(callPhase->CallOffset, allRed);
        } else {
            EXPECT_EQ(d.StateAt(38)->CallOffset, kNoLink);
            EXPECT_EQ(d.StateAt(allRed)->CallOffset, kNoLink);
            EXPECT_EQ(callPhase->CallOffset, callPhase->NextOffset);
            // The last working phase branches to the entry steps after its own.
            const TPhase* last = P.PhaseList()[1];
            EXPECT_EQ(lastWorking->CallOffset,
                      lastWorking->Offset + 19 + 1 + 19 * last->StepCount());
        }
        // The call sequence ends back in the first working phase.
        const TImageState* s = callPhase;
        for (int guard = 0; guard < 20 && s->StateNumber != 1; ++guard)
            s = d.StateAt(s->NextOffset);
        EXPECT_EQ(s->StateNumber, 1);
    }
}

TEST_F(Flash, TwoControllersEachGetTheirOwnOutputs) {
    TwoPhases();
    P.CreateController(Config->ModelList[0]);
    // A second vehicle direction takes outputs of the first controller
    // while it has free ones; bind one to the second controller by hand.
    TTrend* other = Add(0);
    TControllerOutput* out2 = P.ControllerAt(1)->ControllerOutputAt(8); // 1з of controller 2
    P.SetTrendOutput(P.RowOf(other), 2, nullptr);
    ASSERT_TRUE(P.SetTrendOutput(P.RowOf(other), 2, out2));
    P.SetPhaseTrend(P.PhaseAt(1), other, true);
    TImageDescription a = Read(BuildFlashImage(P, 0, 0));
    TImageDescription b = Read(BuildFlashImage(P, 1, 0));
    EXPECT_EQ(a.Header.ControllerIndex, 0);
    EXPECT_EQ(b.Header.ControllerIndex, 1);
    EXPECT_EQ(a.Header.ControllerCount, 2);
    EXPECT_EQ(b.Header.ControllerCount, 2);
    std::uint32_t litA = 0, litB = 0;
    for (const TImageState& s : a.States)
        litA |= s.LitMask;
    for (const TImageState& s : b.States)
        litB |= s.LitMask;
    EXPECT_EQ(litB, out2->ModelOutput->Mask); // only its own green lamp
    EXPECT_NE(litA, 0u);
    EXPECT_THROW(BuildFlashImage(P, 2, 0), EModelError);
}

TEST_F(Flash, PlansAreEncodedWithBcdTimesAndImageCycleCodes) {
    P.AddCycle();
    P.AddCycle();
    TDayPlan* plan = P.DayPlanList()[0];
    TDayPlanItem* second = P.AddDayPlanItem(plan, 0);
    ASSERT_NE(second, nullptr);
    ASSERT_TRUE(P.SetDayItemTime(second, EncodeDayTime(7, 30)));
    ASSERT_TRUE(P.SetDayItemCycle(second, P.CycleAt(1)));
    TDayPlanItem* third = P.AddDayPlanItem(plan, 1);
    ASSERT_TRUE(P.SetDayItemTime(third, EncodeDayTime(23, 59)));
    ASSERT_TRUE(P.SetDayItemCycle(third, P.FlashCycle()));
    P.SetPhaseCycleTime(P.PhaseAt(0), 1, 9);
    TImageDescription d = Read(BuildFlashImage(P, 0, 0));
    ASSERT_EQ(d.DayPlans.size(), 1u);
    const auto& items = d.DayPlans[0].Items;
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[0].CycleCode, 255); // the default item runs "ОС"
    EXPECT_EQ(items[1].Hour, 0x07);
    EXPECT_EQ(items[1].Minute, 0x30);
    EXPECT_EQ(items[1].CycleCode, 2);
    EXPECT_EQ(items[2].Hour, 0x23);
    EXPECT_EQ(items[2].Minute, 0x59);
    EXPECT_EQ(items[2].CycleCode, 254);
    const TImageState* phase = nullptr;
    for (const TImageState& s : d.States)
        if (s.StateNumber == 1)
            phase = &s;
    ASSERT_NE(phase, nullptr);
    EXPECT_EQ(phase->CycleExtra, (std::vector<std::uint8_t>{0, 8}));
}

TEST_F(Flash, YearAndWeekPlanRecordsPointAtTheirPlans) {
    P.AddDayPlan();
    TWeekPlan* week = P.WeekPlanList()[0];
    TWeekPlanItem* sat = P.AddWeekPlanItem(week, 0);
    ASSERT_TRUE(P.SetWeekItemDay(sat, 5));
    ASSERT_TRUE(P.SetWeekItemDayPlan(sat, P.DayPlanList()[1]));
    P.AddWeekPlan();
    TYearPlanItem* holiday = P.AddYearPlanItem(0);
    ASSERT_TRUE(P.SetYearItemDate(holiday, EncodeDate(2000, 5, 9)));
    ASSERT_TRUE(P.SetYearItemWeekPlan(holiday, P.WeekPlanList()[1]));
    TImageDescription d = Read(BuildFlashImage(P, 0, 0));
    ASSERT_EQ(d.DayPlans.size(), 2u);
    ASSERT_EQ(d.WeekPlans.size(), 2u);
    EXPECT_EQ(d.WeekPlans[0].Items[1].Weekday, 5);
    EXPECT_EQ(d.WeekPlans[0].Items[1].DayPlanOffset, d.DayPlans[1].Offset);
    ASSERT_EQ(d.YearPlan.Items.size(), 2u);
    EXPECT_EQ(d.YearPlan.Items[1].Month, 5);
    EXPECT_EQ(d.YearPlan.Items[1].Day, 9);
    EXPECT_EQ(d.YearPlan.Items[1].WeekPlanOffset, d.WeekPlans[1].Offset);
}

TEST_F(Flash, ExportOfThreeControllersGivesThreeFiles) {
    Smallest();
    P.CreateController(Config->ModelList[0]);
    P.CreateController(Config->ModelList[0]);
    test::TempDir dir;
    for (const char* chosen : {"Cross.k0", "Cross"}) {
        auto reports = SaveImageFiles(dir.File(chosen), BuildFlashImages(P));
        ASSERT_EQ(reports.size(), 3u);
        for (int i = 0; i < 3; ++i) {
            std::string bytes = test::ReadBytes(dir.File("Cross.k" + std::to_string(i)));
            ASSERT_EQ(bytes.size(), 1024u);
            TImageDescription d = Read(TBytes(bytes.begin(), bytes.end()));
            EXPECT_EQ(d.Header.ControllerIndex, i);
        }
    }
}

} // namespace
} // namespace tralcon

namespace tralcon {
namespace {

// Every image of every controller of random projects passes the reader:
// links on record starts, checksums right, the size as computed.
TEST(FlashRandom, EveryImagePassesTheReader) {
    auto config = test::CatalogueFromText(test::kRandomCatalogue);
    for (unsigned seed = 1; seed <= 150; ++seed) {
        TProject project(*config);
        TSchemeDocument scheme;
        test::RandomProjectBuilder(project, scheme, seed).Build();
        for (int c = 0; c < project.ControllerList().Count(); ++c) {
            for (std::uint8_t options :
                 {std::uint8_t{0}, project.ProjectOptions(), std::uint8_t{7}}) {
                TBytes image = BuildFlashImage(project, c, options);
                TImageDescription d;
                std::string error;
                ASSERT_TRUE(ReadFlashImage(image, &d, &error))
                    << "seed " << seed << " controller " << c << ": " << error;
                EXPECT_EQ(d.Header.PhaseTotal, project.PhaseCount());
                EXPECT_EQ(d.CycleCount, project.CycleList().Count());
                EXPECT_EQ(d.DayPlans.size(),
                          static_cast<std::size_t>(project.DayPlanList().Count()));
                EXPECT_EQ(d.WeekPlans.size(),
                          static_cast<std::size_t>(project.WeekPlanList().Count()));
            }
        }
    }
}

} // namespace
} // namespace tralcon

namespace tralcon {
namespace {

TEST(FlashLimits, YearPlanBeyondTheRecordIsRefusedNotCorrupted) {
    auto config = test::CatalogueFromText(test::kRandomCatalogue);
    TProject p(*config);
    p.NewProject(config->ModelList[0]);
    while (p.YearPlan()->ItemCount() < 63)
        ASSERT_NE(p.AddYearPlanItem(p.YearPlan()->ItemCount() - 1), nullptr);
    TImageDescription d;
    std::string error;
    ASSERT_TRUE(ReadFlashImage(BuildFlashImage(p, 0, 0), &d, &error)) << error;
    EXPECT_EQ(d.YearPlan.Items.size(), 63u);
    p.AddYearPlanItem(p.YearPlan()->ItemCount() - 1);
    EXPECT_THROW(BuildFlashImage(p, 0, 0), EUserError);
}

TEST(FlashCallLamp, IsThePanelsEvenWhenADirectionFollowsIt) {
    auto config = test::CatalogueFromText(test::kRandomCatalogue);
    TProject p(*config);
    p.NewProject(config->ModelList[0]);
    p.SwitchCallPhases(true);
    p.AddTrendGroup(0); // now the last direction, but not the panel
    const TControllerOutput* yellow = p.CallTrend()->GetOutput(1);
    ASSERT_NE(yellow, nullptr);
    TImageDescription d;
    std::string error;
    ASSERT_TRUE(ReadFlashImage(BuildFlashImage(p, 0, 0), &d, &error)) << error;
    EXPECT_EQ(d.Header.CallLampMask, yellow->ModelOutput->Mask);
}

} // namespace
} // namespace tralcon
