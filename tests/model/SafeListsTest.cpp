#include "model/SafeLists.h"

#include <gtest/gtest.h>

#include <vector>

namespace tralcon {
namespace {

// Counts live instances, so ownership mistakes show up as wrong counts.
struct Tracked {
    static inline int Alive = 0;
    Tracked() { ++Alive; }
    ~Tracked() { --Alive; }
};

struct TrackedChild : Tracked {};

template <class T> std::vector<T*> Contents(const TSafeObjList<T>& l) {
    return std::vector<T*>(l.begin(), l.end());
}

TEST(TSafeObjList, OwningListFreesOnDeleteRemoveClearAndDestruction) {
    Tracked::Alive = 0;
    {
        TSafeObjList<Tracked> list(true);
        auto* a = new Tracked;
        auto* b = new TrackedChild; // a descendant passes the class test
        auto* c = new Tracked;
        EXPECT_EQ(list.Add(a), 0);
        EXPECT_EQ(list.Add(b), 1);
        EXPECT_EQ(list.Add(c), 2);
        list.Delete(0);
        EXPECT_EQ(Tracked::Alive, 2);
        EXPECT_EQ(list.Remove(c), 1);
        EXPECT_EQ(Tracked::Alive, 1);
        list.Add(new Tracked);
    }
    EXPECT_EQ(Tracked::Alive, 0);
}

TEST(TSafeObjList, ReferencingListNeverFrees) {
    Tracked::Alive = 0;
    {
        auto* a = new Tracked;
        auto* b = new Tracked;
        {
            TSafeObjList<Tracked> list(false);
            list.Add(a);
            list.Add(b);
            list.Delete(0);
            EXPECT_EQ(Tracked::Alive, 2);
            list.Add(a);
            list.Clear();
            EXPECT_EQ(Tracked::Alive, 2);
            list.Add(a);
        } // destroyed while holding one
        EXPECT_EQ(Tracked::Alive, 2);
        delete a;
        delete b;
    }
    EXPECT_EQ(Tracked::Alive, 0);
}

TEST(TSafeObjList, RefusedDuplicateLeavesOneEntryAndRemoveEmpties) {
    Tracked a;
    TSafeObjList<Tracked> list;
    list.SetAllowDuplicates(false);
    EXPECT_EQ(list.Add(&a), 0);
    EXPECT_EQ(list.Add(&a), -1);
    list.Insert(0, &a);
    EXPECT_EQ(list.Count(), 1);
    list.Remove(&a);
    EXPECT_EQ(list.Count(), 0);
}

TEST(TSafeObjList, EmptyReferencesAreAlwaysAccepted) {
    TSafeObjList<Tracked> list;
    list.SetAllowDuplicates(false);
    EXPECT_EQ(list.Add(nullptr), 0);
    EXPECT_EQ(list.Add(nullptr), 1);
}

TEST(TSafeObjList, TurningDuplicatesOffKeepsFirstOccurrencesInOrder) {
    Tracked a, b, c;
    TSafeObjList<Tracked> list;
    for (Tracked* t : {&a, &b, &a, &c, &b})
        list.Add(t);
    list.Add(nullptr);
    list.Add(nullptr);
    list.SetAllowDuplicates(false);
    EXPECT_EQ(Contents(list), (std::vector<Tracked*>{&a, &b, &c, nullptr, nullptr}));
}

TEST(TSafeObjList, OwningListWithDuplicatesFreesEachObjectOnce) {
    Tracked::Alive = 0;
    {
        TSafeObjList<Tracked> list(true);
        auto* a = new Tracked;
        list.Add(a);
        list.Add(a);
        list.Delete(0); // still held at the other position: must survive
        EXPECT_EQ(Tracked::Alive, 1);
        list.Add(a);
    }
    EXPECT_EQ(Tracked::Alive, 0);
}

TEST(TSafeObjList, IndexOutsideTheListThrows) {
    TSafeObjList<Tracked> list;
    EXPECT_THROW(list.Items(0), std::out_of_range);
    EXPECT_THROW(list.Delete(-1), std::out_of_range);
    EXPECT_THROW(list.Insert(1, nullptr), std::out_of_range);
    EXPECT_NO_THROW(list.Insert(0, nullptr));
}

TEST(TIntegerList, SortedUniqueListKeepsAscendingDistinctValues) {
    TIntegerList l;
    l.SetAllowDuplicates(false);
    l.SetSorted(true);
    for (int v : {5, 3, 5, 0})
        l.Add(v);
    EXPECT_EQ(l.Values(), (std::vector<std::int32_t>{0, 3, 5}));
}

TEST(TIntegerList, SortedListInsertsAfterEqualValuesAndComparesSigned) {
    TIntegerList l;
    l.SetSorted(true);
    for (int v : {2, -1, 2, 7, -2147483647 - 1})
        l.Add(v);
    EXPECT_EQ(l.Values(), (std::vector<std::int32_t>{-2147483647 - 1, -1, 2, 2, 7}));
}

TEST(TIntegerList, PutOfPresentValueIntoUniqueListIsIgnored) {
    TIntegerList l{1, 2, 3};
    l.SetAllowDuplicates(false);
    l.Put(0, 3);
    EXPECT_EQ(l.Values(), (std::vector<std::int32_t>{1, 2, 3}));
    l.Put(0, 9);
    EXPECT_EQ(l.Values(), (std::vector<std::int32_t>{9, 2, 3}));
}

TEST(TIntegerList, TurningDuplicatesOffRemovesLaterOnes) {
    TIntegerList l{4, 1, 4, 2, 1};
    l.SetAllowDuplicates(false);
    EXPECT_EQ(l.Values(), (std::vector<std::int32_t>{4, 1, 2}));
    EXPECT_EQ(l.Add(2), -1);
}

TEST(TIntegerList, SetSortedSortsAtOnce) {
    TIntegerList l{3, 1, 2};
    l.SetSorted(true);
    EXPECT_EQ(l.Values(), (std::vector<std::int32_t>{1, 2, 3}));
    EXPECT_EQ(l.Add(0), 0);
}

} // namespace
} // namespace tralcon
