#include "ModelTestUtil.h"

#include <gtest/gtest.h>

namespace tralcon {
namespace {

using test::ProjectTest;

class Conflicts : public ProjectTest {
  protected:
    // The conflicts grid's click on (column c, row r), both 1-based rows.
    void Click(int c, int r) {
        if (c != r && c >= 1 && r >= 1)
            P.SetConflict(P.TrendAt(c - 1), P.TrendAt(r - 1),
                          !P.HasConflict(P.TrendAt(c - 1), P.TrendAt(r - 1)));
    }
};

TEST_F(Conflicts, PairsAreSymmetricAndIrreflexive) {
    for (int i = 0; i < 5; ++i)
        Add(0);
    Click(2, 5);
    EXPECT_TRUE(P.HasConflict(P.TrendAt(1), P.TrendAt(4)));
    EXPECT_TRUE(P.HasConflict(P.TrendAt(4), P.TrendAt(1)));
    EXPECT_EQ(P.ConflictPairCount(), 1);
    Click(5, 2);
    EXPECT_FALSE(P.HasConflict(P.TrendAt(1), P.TrendAt(4)));
    EXPECT_FALSE(P.HasConflict(P.TrendAt(4), P.TrendAt(1)));
    EXPECT_EQ(P.ConflictPairCount(), 0);

    TTrend* t = P.TrendAt(0);
    EXPECT_FALSE(P.SetConflict(t, t, true));
    EXPECT_TRUE(t->Conflicts().Empty());
    // Adding twice keeps one entry each way.
    EXPECT_TRUE(P.SetConflict(t, P.TrendAt(2), true));
    EXPECT_TRUE(P.SetConflict(P.TrendAt(2), t, true));
    EXPECT_EQ(t->Conflicts().Count(), 1);
    EXPECT_EQ(P.TrendAt(2)->Conflicts().Count(), 1);
    EXPECT_FALSE(P.SetConflict(t, nullptr, true));
}

TEST_F(Conflicts, SignalsOfOneTramMayConflictButItsStopSignalNever) {
    auto* tram = dynamic_cast<TTram*>(Add(4)->Group());
    EXPECT_TRUE(P.SetConflict(tram->Trends()[0], tram->Trends()[2], true));
    EXPECT_TRUE(P.HasConflict(tram->Trends()[2], tram->Trends()[0]));
    EXPECT_FALSE(P.SetConflict(tram->Trends()[0], tram->StopTrend(), true));
    EXPECT_TRUE(tram->StopTrend()->Conflicts().Empty());
}

TEST_F(Conflicts, SignalsOfAnotherProjectAreRefused) {
    TProject other(*Config);
    TTrend* foreign = other.TrendAt(other.AddTrendGroup(1));
    TTrend* t = Add(0);
    EXPECT_FALSE(P.SetConflict(t, foreign, true));
    EXPECT_TRUE(t->Conflicts().Empty());
    EXPECT_TRUE(foreign->Conflicts().Empty());
}

TEST_F(Conflicts, The256thPairIsRefusedAndTheMatrixStaysAsItWas) {
    // 23 signals give 253 pairs; unbound directions are fine for this.
    for (int i = 0; i < 23; ++i)
        Add(3);
    int made = 0;
    for (int a = 0; a < 23 && made < TProject::kMaxConflictPairs; ++a)
        for (int b = a + 1; b < 23 && made < TProject::kMaxConflictPairs; ++b) {
            ASSERT_TRUE(P.SetConflict(P.TrendAt(a), P.TrendAt(b), true));
            ++made;
        }
    Add(3);
    Add(3);
    // 253 + 2 = 255 fit; the next one does not.
    ASSERT_TRUE(P.SetConflict(P.TrendAt(23), P.TrendAt(0), true));
    ASSERT_TRUE(P.SetConflict(P.TrendAt(24), P.TrendAt(0), true));
    ASSERT_EQ(P.ConflictPairCount(), 255);
    EXPECT_FALSE(P.SetConflict(P.TrendAt(23), P.TrendAt(24), true));
    EXPECT_FALSE(P.HasConflict(P.TrendAt(23), P.TrendAt(24)));
    EXPECT_FALSE(P.HasConflict(P.TrendAt(24), P.TrendAt(23)));
    EXPECT_EQ(P.ConflictPairCount(), 255);
    // An existing pair is still reported as held; removing one makes room.
    EXPECT_TRUE(P.SetConflict(P.TrendAt(0), P.TrendAt(23), true));
    EXPECT_TRUE(P.SetConflict(P.TrendAt(0), P.TrendAt(1), false));
    EXPECT_TRUE(P.SetConflict(P.TrendAt(23), P.TrendAt(24), true));
    EXPECT_EQ(P.ConflictPairCount(), 255);
    EXPECT_EQ(P.ConflictPairs().size(), 255u);
}

TEST_F(Conflicts, PairsAreListedInFileOrder) {
    TTrend* t = Add(0);
    auto* tram = dynamic_cast<TTram*>(Add(4)->Group());
    TTrend* w = Add(1);
    P.SetConflict(w, t, true);
    P.SetConflict(tram->Trends()[1], t, true);
    P.SetConflict(tram->Trends()[2], w, true);
    P.SetConflict(tram->Trends()[0], tram->Trends()[1], true);
    // Walk signals in order; for each, every signal in order; a pair is
    // written the first time either end is met.
    using Pair = std::pair<TTrend*, TTrend*>;
    std::vector<Pair> expected = {
        {t, tram->Trends()[1]},
        {t, w},
        {tram->Trends()[0], tram->Trends()[1]},
        {tram->Trends()[2], w},
    };
    EXPECT_EQ(P.ConflictPairs(), expected);
}

} // namespace
} // namespace tralcon
