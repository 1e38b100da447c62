#include "TestUtil.h"
#include "model/Errors.h"
#include "model/Project.h"

#include <gtest/gtest.h>

namespace tralcon {
namespace {

using test::CatalogueFromText;

// Stands in for a direction: only its address matters to output binding.
TTrendGroup* Direction(int n) { return reinterpret_cast<TTrendGroup*>(static_cast<std::uintptr_t>(0x1000 * n)); }

class Controllers : public ::testing::Test {
protected:
    std::unique_ptr<TConfiguration> Config = CatalogueFromText(test::kSmallCatalogue);
    TProject Project{*Config};
    const TModel* Small() const { return Config->ModelList[0]; }
    void BindAll(TController* c, const char* names) {
        for (TControllerOutput* o : c->Outputs)
            if (std::string(names).find(ModelOutputName(o->ModelOutput)) != std::string::npos)
                o->Owner = Direction(1);
    }
};

TEST_F(Controllers, ModelOutputsFollowListOrderWithFlagsNumbersAndPower) {
    const TModel* m = Small();
    ASSERT_EQ(m->ModelOutputCount(), 8);
    struct Expect {
        const char* Name;
        std::uint32_t Mask;
        std::uint8_t Flags;
    } expected[] = {
        {"1к", 0x1, 4},  {"2к", 0x2, 4},  {"3к", 0x4, 4},  {"1ж", 0x8, 1},
        {"1з", 0x10, 2}, {"2з", 0x20, 2}, {"3з", 0x40, 2}, {"1у", 0x80, 6 | 8},
    };
    for (int i = 0; i < 8; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(ModelOutputName(m->ModelOutputAt(i)), expected[i].Name);
        EXPECT_EQ(m->ModelOutputAt(i)->Mask, expected[i].Mask);
        EXPECT_EQ(m->ModelOutputAt(i)->Flags, expected[i].Flags);
    }
}

TEST_F(Controllers, ZeroMaskIsAlwaysPowered) {
    TIntegerList red{0, 1};
    TModel m("m", 3, 1, &red, nullptr, nullptr, nullptr, 0);
    EXPECT_EQ(m.ModelOutputAt(0)->Flags, 4 | 8);
    EXPECT_EQ(m.ModelOutputAt(1)->Flags, 4);
}

TEST_F(Controllers, FindFreeOutputPreferences) {
    TController* c = Project.CreateController(Small());
    EXPECT_EQ(ModelOutputName(Project.FindFreeOutput(0)->ModelOutput), "1к");
    EXPECT_EQ(ModelOutputName(Project.FindFreeOutput(2)->ModelOutput), "1з");
    EXPECT_EQ(ModelOutputName(Project.FindFreeOutput(1)->ModelOutput), "1ж");
    EXPECT_EQ(ModelOutputName(Project.FindFreeOutput(4)->ModelOutput), "1ж");

    // Reds gone: the universal output comes before the yellow one.
    BindAll(c, "1к2к3к");
    EXPECT_EQ(ModelOutputName(Project.FindFreeOutput(0)->ModelOutput), "1у");

    // Only yellow left: red and green both fall back to it.
    BindAll(c, "1у1з2з3з");
    EXPECT_EQ(ModelOutputName(Project.FindFreeOutput(0)->ModelOutput), "1ж");
    EXPECT_EQ(ModelOutputName(Project.FindFreeOutput(2)->ModelOutput), "1ж");

    // Yellow gone too: a tram lamp takes a red output first, then a green one.
    BindAll(c, "1ж");
    EXPECT_EQ(Project.FindFreeOutput(3), nullptr);
    EXPECT_FALSE(Project.HasFreeOutput());
}

TEST_F(Controllers, FindFreeOutputSearchesCapabilityBeforeController) {
    TController* first = Project.CreateController(Small());
    TController* second = Project.CreateController(Small());
    BindAll(first, "1к2к3к");
    // A universal output carries the red bit, so the first controller's 1у
    // is found before the second controller's plain 1к.
    TControllerOutput* o = Project.FindFreeOutput(0);
    EXPECT_EQ(o->Controller, first);
    EXPECT_EQ(ModelOutputName(o->ModelOutput), "1у");
    BindAll(first, "1у");
    o = Project.FindFreeOutput(0);
    EXPECT_EQ(o->Controller, second);
    EXPECT_EQ(ModelOutputName(o->ModelOutput), "1к");
}

TEST_F(Controllers, OutputNameChangesWithSecondController) {
    TController* c = Project.CreateController(Small());
    TControllerOutput* o = c->ControllerOutputAt(0);
    EXPECT_EQ(Project.OutputName(o), "1к");
    EXPECT_EQ(Project.OutputName(nullptr), "");
    Project.CreateController(Config->ModelList[1]);
    EXPECT_EQ(Project.OutputName(o), "1-1к");
    EXPECT_EQ(Project.OutputName(Project.ControllerAt(1)->ControllerOutputAt(1)), "2-2у");
    Project.DeleteController(1);
    EXPECT_EQ(Project.OutputName(o), "1к");
}

TEST_F(Controllers, DeletionRules) {
    TController* only = Project.CreateController(Small());
    EXPECT_FALSE(Project.CanDeleteController(0)); // the last one stays, bound or not
    TController* second = Project.CreateController(Small());
    EXPECT_TRUE(Project.CanDeleteController(1));
    second->ControllerOutputAt(3)->Owner = Direction(2);
    EXPECT_FALSE(Project.CanDeleteController(1));
    EXPECT_TRUE(Project.CanDeleteController(0));
    EXPECT_FALSE(Project.CanDeleteController(2));
    EXPECT_FALSE(Project.CanDeleteController(-1));
    Project.DeleteController(0);
    EXPECT_EQ(Project.ControllerList().Count(), 1);
    EXPECT_EQ(Project.ControllerAt(0), second);
    (void)only;
}

TEST_F(Controllers, ModelWithoutOutputsGivesControllersThatAreAlwaysFree) {
    auto cfg = CatalogueFromText("[Model#0]\nID=1\nCaption=Пустой\nRedOrder=\n");
    TProject p(*cfg);
    TController* c = p.CreateController(cfg->ModelList[0]);
    EXPECT_EQ(c->Outputs.Count(), 0);
    EXPECT_TRUE(c->ControllerIsFree());
    EXPECT_FALSE(p.HasFreeOutput());
    EXPECT_EQ(p.FindFreeOutput(0), nullptr);
}

TEST_F(Controllers, StoredControllerFindsFirstModelWithIdOrFails) {
    auto cfg = CatalogueFromText("[Model#0]\nID=5\nCaption=A\nRedOrder=1\n"
                                 "[Model#1]\nID=5\nCaption=B\nRedOrder=1,2\n");
    TController c(*cfg, 5, 0xF3);
    EXPECT_EQ(c.Model->Caption, "A");
    EXPECT_EQ(c.Flags, 0xF3);
    EXPECT_TRUE(c.IsLed());
    c.SetLampType(false);
    EXPECT_EQ(c.Flags, 0xF2);
    try {
        TController missing(*cfg, 6, 0);
        FAIL() << "expected Model not found";
    } catch (const EModelError& e) {
        EXPECT_STREQ(e.what(), "Model not found");
    }
}

} // namespace
} // namespace tralcon
