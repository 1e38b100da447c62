// The scheme document: objects kept with their signal rows while directions
// come and go, their back-to-front order, and the background picture.
#include "scheme/SchemeDocument.h"
#include "SchemeTestUtil.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace tralcon {
namespace {

using test::NewLabel;

// Five rows with one label per row whose text names the row it was made
// for, so a shift shows as a wrong text.
class SchemeRows : public ::testing::Test {
  protected:
    SchemeRows() {
        Doc.RowsInserted(0, 5);
        for (int row = 0; row < 5; ++row)
            Doc.AddObject(NewLabel(0, 0, "row" + std::to_string(row)), row);
    }
    // The texts row by row ("-" for an empty row).
    std::vector<std::string> Texts() const {
        std::vector<std::string> out;
        for (int row = 0; row < Doc.RowCount(); ++row) {
            std::string s;
            for (TvxSchemeObject* o : Doc.RowObjects(row))
                s += (s.empty() ? "" : "+") + dynamic_cast<TvxTrendLabel*>(o)->Text();
            out.push_back(s.empty() ? "-" : s);
        }
        return out;
    }
    TSchemeDocument Doc;
};

TEST_F(SchemeRows, InsertedRowsShiftTheFollowingRowsWithTheirObjects) {
    // A tram direction of three rows arrives between rows 1 and 2.
    Doc.RowsInserted(2, 3);
    EXPECT_EQ(Texts(),
              (std::vector<std::string>{"row0", "row1", "-", "-", "-", "row2", "row3", "row4"}));
    EXPECT_EQ(Doc.Count(), 5);
    // Deleting it again removes exactly those rows.
    Doc.RowsRemoved(2, 3);
    EXPECT_EQ(Texts(), (std::vector<std::string>{"row0", "row1", "row2", "row3", "row4"}));
    EXPECT_EQ(Doc.Count(), 5);
}

TEST_F(SchemeRows, RemovedRowsTakeTheirObjectsAlong) {
    TvxSchemeObject* extra = Doc.AddObject(NewLabel(0, 0, "row3b"), 3);
    TvxSchemeObject* loose = Doc.AddObject(NewLabel(0, 0, "loose"));
    Doc.RowsRemoved(3, 1);
    EXPECT_EQ(Texts(), (std::vector<std::string>{"row0", "row1", "row2", "row4"}));
    EXPECT_EQ(Doc.Count(), 5); // four labels with rows and the loose one
    EXPECT_EQ(Doc.IndexOf(extra), -1);
    EXPECT_EQ(Doc.RowOf(loose), -1);
    EXPECT_EQ(Doc.IndexOf(loose), 4);
}

TEST_F(SchemeRows, RowRangesAreClippedAndNegativesRefused) {
    Doc.RowsInserted(99, 2); // beyond the end: appended
    EXPECT_EQ(Doc.RowCount(), 7);
    Doc.RowsRemoved(4, 100); // as far as rows exist
    EXPECT_EQ(Texts(), (std::vector<std::string>{"row0", "row1", "row2", "row3"}));
    Doc.RowsRemoved(10, 1);
    Doc.RowsInserted(1, 0);
    EXPECT_EQ(Doc.RowCount(), 4);
    EXPECT_THROW(Doc.RowsInserted(-1, 1), std::out_of_range);
    EXPECT_THROW(Doc.RowsRemoved(0, -1), std::out_of_range);
    EXPECT_EQ(Doc.RowCount(), 4);
}

TEST_F(SchemeRows, CallDirectionRowsRemovedOneByOneFromTheLast) {
    // Rows 1 and 3 belong to call directions; removing from the last keeps
    // the earlier positions valid.
    Doc.RowsRemoved(3, 1);
    Doc.RowsRemoved(1, 1);
    EXPECT_EQ(Texts(), (std::vector<std::string>{"row0", "row2", "row4"}));
}

TEST_F(SchemeRows, AttachingMovesObjectsBetweenRowsAndWithinARow) {
    TvxSchemeObject* a = Doc.RowObjects(0)[0];
    Doc.AttachObject(a, 2, 0);
    EXPECT_EQ(Texts(), (std::vector<std::string>{"-", "row1", "row0+row2", "row3", "row4"}));
    Doc.AttachObject(a, 2); // to the end of its own row
    EXPECT_EQ(Texts()[2], "row2+row0");
    Doc.AttachObject(a, -1);
    EXPECT_EQ(Doc.RowOf(a), -1);
    EXPECT_EQ(Doc.AttachedCount(), 4);
    EXPECT_EQ(Doc.Count(), 5);
    Doc.AttachObject(a, 5); // no such row: nothing
    EXPECT_EQ(Doc.RowOf(a), -1);
    EXPECT_TRUE(Doc.RowObjects(5).empty());
    EXPECT_TRUE(Doc.RowObjects(-1).empty());
}

TEST_F(SchemeRows, BackToFrontOrderIsIndependentOfRows) {
    TvxSchemeObject* first = Doc.Items(0);
    TvxSchemeObject* last = Doc.Items(4);
    Doc.SendToBack(last);
    EXPECT_EQ(Doc.Items(0), last);
    EXPECT_EQ(Doc.Items(1), first);
    Doc.BringToFront(first);
    EXPECT_EQ(Doc.Items(4), first);
    EXPECT_EQ(Doc.RowOf(first), 0);
    EXPECT_EQ(Doc.RowOf(last), 4);
    EXPECT_THROW(Doc.Items(5), std::out_of_range);
}

TEST_F(SchemeRows, RemovingAndClearing) {
    TvxSchemeObject* o = Doc.RowObjects(1)[0];
    Doc.RemoveObject(o);
    EXPECT_EQ(Texts()[1], "-");
    EXPECT_EQ(Doc.Count(), 4);
    Doc.RemoveObject(o); // already gone: nothing
    EXPECT_EQ(Doc.Count(), 4);

    ASSERT_TRUE(Doc.LoadSchemeBackground(EncodeGif(test::Picture(8, 8, 2))));
    Doc.ClearSchemeContent();
    EXPECT_EQ(Doc.Count(), 0);
    EXPECT_FALSE(Doc.HasBackground());
    EXPECT_EQ(Doc.RowCount(), 5);
    EXPECT_EQ(Doc.AttachedCount(), 0);
    Doc.ClearScheme();
    EXPECT_EQ(Doc.RowCount(), 0);
}

TEST_F(SchemeRows, MovingADocumentKeepsObjectsRowsAndPicture) {
    ASSERT_TRUE(Doc.LoadSchemeBackground(EncodeGif(test::Picture(8, 8, 2))));
    TvxSchemeObject* o = Doc.RowObjects(3)[0];
    TSchemeDocument other;
    other = std::move(Doc);
    EXPECT_EQ(other.RowCount(), 5);
    EXPECT_EQ(other.RowOf(o), 3);
    EXPECT_EQ(other.Count(), 5);
    EXPECT_TRUE(other.HasBackground());
}

TEST(SchemeBackground, ReadableBlobIsKeptAndAnUnreadableOneDropped) {
    TSchemeDocument doc;
    std::string gif = EncodeGif(test::Picture(200, 200, 16));
    EXPECT_TRUE(doc.LoadSchemeBackground(gif));
    EXPECT_EQ(doc.Background(), gif);
    // A damaged blob replaces nothing: the scheme simply has no background.
    EXPECT_FALSE(doc.LoadSchemeBackground(gif.substr(0, gif.size() / 2)));
    EXPECT_FALSE(doc.HasBackground());
    EXPECT_TRUE(doc.Background().empty());
    EXPECT_FALSE(doc.LoadSchemeBackground(""));
    EXPECT_TRUE(doc.LoadSchemeBackground(gif));
    doc.ClearBackground();
    EXPECT_FALSE(doc.HasBackground());
}

} // namespace
} // namespace tralcon
