// The scheme section of the project file: exact records, round trips, and
// a reader that refuses damaged bytes without touching the scheme.
#include "scheme/SchemeSection.h"
#include "SchemeTestUtil.h"

#include <gtest/gtest.h>

namespace tralcon {
namespace {

using test::NewArrow;
using test::NewLabel;

std::string Hex(const std::string& bytes) {
    static const char* digits = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : bytes) {
        if (!out.empty())
            out += ' ';
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

std::string Record(const TvxSchemeObject& object) {
    std::string out;
    TSchemeStreamWriter w(out);
    object.SaveToStream(w);
    return out;
}

std::string Section(const TSchemeDocument& doc) {
    std::string out;
    WriteSchemeSection(doc, out);
    return out;
}

const char* kPedestrianRecord = "64 00 03 02 00 00 00 14 00 00 00 64 00 00 00 00 00 "
                                "14 00 00 00 0A 00 00 00 00 00 03";

TEST(SchemeRecords, PedestrianPresetIs28Bytes) {
    auto arrow = NewArrow({{{20, 100, 0}, {20, 10, 0}}, true, true});
    std::string bytes = Record(*arrow);
    EXPECT_EQ(bytes.size(), 28u);
    EXPECT_EQ(Hex(bytes), kPedestrianRecord);
    // Selected at the time of saving: Flags 7.
    arrow->SetSelected(true);
    EXPECT_EQ(Hex(Record(*arrow)).substr(0, 8), "64 00 07");
}

TEST(SchemeRecords, LabelWithOneByteTextIs12Bytes) {
    auto label = NewLabel(30, 40, "Н");
    std::string bytes = Record(*label);
    EXPECT_EQ(bytes.size(), 12u);
    EXPECT_EQ(Hex(bytes), "C8 00 1E 00 00 00 28 00 00 00 01 CD");
}

TEST(SchemeRecords, PointEntriesAreSignExtendedAndReadBackExactly) {
    auto arrow = NewArrow({{{-5, 300, 7}, {32767, -32768, 0}}, false, false});
    std::string bytes = Record(*arrow);
    EXPECT_EQ(Hex(bytes), "64 00 03 02 00 00 00 FB FF FF FF 2C 01 00 00 07 00 "
                          "FF 7F 00 00 00 80 FF FF 00 00 00");
    // Only the low 16 bits of a stored coordinate count.
    bytes[9] = 0x01; // X of the first point: 0x0001FFFB
    TSchemeStreamReader r(bytes);
    ASSERT_EQ(r.ReadUInt16(), TvxArrow::KindCode);
    TvxArrow back;
    back.LoadFromStream(r);
    EXPECT_TRUE(r.AtEnd());
    ASSERT_EQ(back.Points().Count(), 2);
    EXPECT_EQ(back.Points().Items(0)->Pos(), (TPoint{-5, 300}));
    EXPECT_EQ(back.Points().Items(0)->Radius(), 7);
    EXPECT_EQ(back.Points().Items(1)->Pos(), (TPoint{32767, -32768}));
}

TEST(SchemeRecords, LabelTextIsCutToOneByteOfLengthAndCodePage1251) {
    auto label = NewLabel(1, 2, std::string(300, 'a'));
    std::string bytes = Record(*label);
    EXPECT_EQ(bytes.size(), 11u + 255u);
    EXPECT_EQ(static_cast<unsigned char>(bytes[10]), 255);
    label->SetText("Т★");
    EXPECT_EQ(Hex(Record(*label)).substr(30), "02 D2 3F");
}

TEST(SchemeRecords, LabelReadsBackAtItsPlaceWithinSixteenBits) {
    auto read = [](const std::string& record) {
        TSchemeStreamReader r(record);
        r.ReadUInt16();
        TvxTrendLabel label;
        label.LoadFromStream(r);
        EXPECT_TRUE(r.AtEnd());
        EXPECT_EQ(label.Flags(), 3);
        return label.Rect();
    };
    EXPECT_EQ(read(Record(*NewLabel(30, 40, "Н"))), (TRect{30, 40, 30, 40}));
    EXPECT_EQ(read(Record(*NewLabel(0x7FFFFFF0, -100000, "x"))),
              (TRect{32767, -32768, 32767, -32768}));
}

// Rows 0..4 with objects only under the third.
TEST(SchemeSection, EmptyRowsStillGetTheirBlocks) {
    TSchemeDocument doc;
    doc.RowsInserted(0, 5);
    doc.AddObject(NewArrow({{{20, 100, 0}, {20, 10, 0}}, true, true}), 2);
    EXPECT_EQ(Hex(Section(doc)), std::string("05 00 00 00 "
                                             "00 00 00 00 00 00 00 00 "
                                             "01 00 00 00 00 00 00 00 "
                                             "02 00 00 00 01 00 00 00 ") +
                                     kPedestrianRecord +
                                     " 03 00 00 00 00 00 00 00 "
                                     "04 00 00 00 00 00 00 00");
}

TEST(SchemeSection, OnlyRowObjectsAndRealTrajectoriesAreWritten) {
    TSchemeDocument doc;
    EXPECT_FALSE(SchemeSectionNeeded(doc));
    doc.RowsInserted(0, 2);
    doc.AddObject(NewLabel(0, 0, "loose")); // no row: not part of the scheme
    EXPECT_FALSE(SchemeSectionNeeded(doc));
    doc.AddObject(NewArrow({{{5, 5, 0}}, false, true}), 1); // one point
    EXPECT_FALSE(SchemeSectionNeeded(doc));
    EXPECT_EQ(Hex(Section(doc)), "02 00 00 00 00 00 00 00 00 00 00 00 01 00 00 00 00 00 00 00");
    doc.AddObject(NewLabel(0, 0, "x"), 0);
    EXPECT_TRUE(SchemeSectionNeeded(doc));
}

// A scheme with a bit of everything: rounded corners, both head kinds, an
// invisible trajectory, labels with Russian captions, empty rows.
class SchemeRoundTrip : public ::testing::Test {
  protected:
    SchemeRoundTrip() {
        Source.RowsInserted(0, 6);
        Source.AddObject(NewArrow({{{50, 50, 0}, {10, 50, 20}, {10, 10, 0}}}), 0);
        Source.AddObject(NewLabel(30, 40, "Н1 Красный"), 0);
        Source.AddObject(NewArrow({{{20, 100, 0}, {20, 10, 0}}, true, true}), 2);
        auto hidden =
            NewArrow({{{10, 150, 0}, {10, 60, 25}, {80, 20, 15}, {150, 60, 30}, {190, 190, 0}},
                      true,
                      false});
        hidden->SetVisible(false);
        Source.AddObject(std::move(hidden), 2);
        Source.AddObject(NewLabel(-3, 250, ""), 5);
    }
    TSchemeDocument Source;
};

TEST_F(SchemeRoundTrip, ReadingAndWritingAgainGivesTheSameBytesAndGeometry) {
    std::string first = Section(Source);
    TSchemeDocument loaded;
    loaded.RowsInserted(0, 6);
    ReadSchemeSection(loaded, first);
    EXPECT_EQ(Section(loaded), first);
    ASSERT_EQ(loaded.Count(), 5);
    for (int row = 0; row < 6; ++row) {
        const auto& a = Source.RowObjects(row);
        const auto& b = loaded.RowObjects(row);
        ASSERT_EQ(a.size(), b.size()) << "row " << row;
        for (std::size_t i = 0; i < a.size(); ++i) {
            EXPECT_EQ(a[i]->Kind(), b[i]->Kind());
            EXPECT_EQ(a[i]->Flags(), b[i]->Flags());
            auto* pa = dynamic_cast<TvxArrow*>(a[i]);
            auto* pb = dynamic_cast<TvxArrow*>(b[i]);
            if (pa == nullptr) {
                EXPECT_EQ(dynamic_cast<TvxTrendLabel*>(a[i])->Text(),
                          dynamic_cast<TvxTrendLabel*>(b[i])->Text());
                EXPECT_EQ(b[i]->GetBounds().Left, a[i]->GetBounds().Left);
                EXPECT_EQ(b[i]->GetBounds().Top, a[i]->GetBounds().Top);
                continue;
            }
            const TvxArrowPoints& x = pa->Points();
            const TvxArrowPoints& y = pb->Points();
            ASSERT_EQ(x.Count(), y.Count());
            for (int k = 0; k < x.Count(); ++k) {
                EXPECT_EQ(x.Items(k)->Pos(), y.Items(k)->Pos());
                EXPECT_EQ(x.Items(k)->Radius(), y.Items(k)->Radius());
                EXPECT_EQ(x.Items(k)->ActualRadius(), y.Items(k)->ActualRadius());
                EXPECT_EQ(x.Items(k)->Center(), y.Items(k)->Center());
                EXPECT_EQ(x.Items(k)->TangentIn(), y.Items(k)->TangentIn());
                EXPECT_EQ(x.Items(k)->TangentOut(), y.Items(k)->TangentOut());
            }
            EXPECT_EQ(x.HeadFlags(), y.HeadFlags());
            EXPECT_EQ(x.StartHeadPolygon(), y.StartHeadPolygon());
            EXPECT_EQ(x.EndHeadPolygon(), y.EndHeadPolygon());
        }
    }
    // Objects come back row by row, in row order, back to front.
    EXPECT_EQ(loaded.Items(0), loaded.RowObjects(0)[0]);
    EXPECT_EQ(loaded.Items(4), loaded.RowObjects(5)[0]);
}

TEST_F(SchemeRoundTrip, ReadObjectsFollowThoseTheRowsAlreadyHold) {
    TSchemeDocument loaded;
    loaded.RowsInserted(0, 6);
    TvxSchemeObject* existing = loaded.AddObject(NewLabel(0, 0, "old"), 0);
    ReadSchemeSection(loaded, Section(Source));
    ASSERT_EQ(loaded.RowObjects(0).size(), 3u);
    EXPECT_EQ(loaded.RowObjects(0)[0], existing);
}

TEST_F(SchemeRoundTrip, NothingIsSelectedAfterReading) {
    Source.RowObjects(0)[0]->SetSelected(true);
    Source.RowObjects(0)[1]->SetSelected(true);
    std::string bytes = Section(Source);
    TSchemeDocument loaded;
    loaded.RowsInserted(0, 6);
    ReadSchemeSection(loaded, bytes);
    for (int i = 0; i < loaded.Count(); ++i)
        EXPECT_FALSE(loaded.Items(i)->Selected()) << i;
    EXPECT_EQ(loaded.RowObjects(0)[0]->Flags(), 3);
    EXPECT_EQ(loaded.RowObjects(2)[1]->Flags(), 2); // the invisible one stays so
}

// A document whose state after a refused read must be exactly as before.
class SchemeReaderFailure : public ::testing::Test {
  protected:
    SchemeReaderFailure() {
        Doc.RowsInserted(0, 2);
        Doc.AddObject(NewLabel(1, 1, "keep"), 1);
    }
    void ExpectRefused(const std::string& bytes, const char* message) {
        try {
            ReadSchemeSection(Doc, bytes);
            ADD_FAILURE() << "read succeeded: " << Hex(bytes);
        } catch (const ESchemeError& e) {
            if (message != nullptr) {
                EXPECT_STREQ(e.what(), message) << Hex(bytes);
            }
        }
        ExpectUnchanged();
    }
    void ExpectUnchanged() {
        ASSERT_EQ(Doc.Count(), 1);
        EXPECT_TRUE(Doc.RowObjects(0).empty());
        ASSERT_EQ(Doc.RowObjects(1).size(), 1u);
    }
    TSchemeDocument Doc;
};

std::string Int32(std::int32_t v) {
    std::string out;
    TSchemeStreamWriter(out).WriteInt32(v);
    return out;
}

std::string Int16(std::int16_t v) {
    std::string out;
    TSchemeStreamWriter(out).WriteInt16(v);
    return out;
}

// Two rows; the first holds the given record bytes as its one object.
std::string TwoRows(const std::string& record) {
    return Int32(2) + Int32(0) + Int32(1) + record + Int32(1) + Int32(0);
}

TEST_F(SchemeReaderFailure, DamagedSectionsAreRefusedWithTheirReason) {
    const std::string label = Record(*NewLabel(30, 40, "Н"));
    const std::string arrowHead = Int16(100) + "\x03";
    const std::string point = Int32(10) + Int32(20) + Int16(0);
    struct TCase {
        const char* Name;
        std::string Bytes;
        const char* Message;
    } cases[] = {
        {"unknown kind", TwoRows(Int16(300) + label.substr(2)), "Unknown Scheme Object"},
        {"kind 0", TwoRows(Int16(0) + label.substr(2)), "Unknown Scheme Object"},
        {"more rows than the project", Int32(3) + TwoRows(label).substr(4) + Int32(2) + Int32(0),
         "Scheme section does not match the signal rows"},
        {"fewer rows than the project", Int32(1) + Int32(0) + Int32(0),
         "Scheme section does not match the signal rows"},
        {"rows out of order", Int32(2) + Int32(1) + Int32(0) + Int32(0) + Int32(0),
         "Scheme section rows are out of order"},
        {"negative object count", Int32(2) + Int32(0) + Int32(-1) + Int32(1) + Int32(0),
         "Scheme section has a negative object count"},
        {"one point", TwoRows(arrowHead + Int32(1) + point + "\x01"),
         "Trajectory has fewer than two points"},
        {"negative point count", TwoRows(arrowHead + Int32(-2) + "\x01"),
         "Trajectory has fewer than two points"},
        {"huge point count", TwoRows(arrowHead + Int32(0x7FFFFFFF) + point + point + "\x01"),
         "Scheme section is truncated"},
        {"huge object count", Int32(2) + Int32(0) + Int32(0x7FFFFFFF) + label,
         "Scheme section is truncated"},
        {"label text beyond the end", Int32(2) + Int32(0) + Int32(1) + label.substr(0, 10) + "\x7F",
         "Scheme section is truncated"},
        {"a byte too many", TwoRows(label) + "x", "Scheme section has bytes after its last row"},
        {"empty", "", "Scheme section is truncated"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        ExpectRefused(c.Bytes, c.Message);
    }
    // The same bytes with a known kind are fine.
    ReadSchemeSection(Doc, TwoRows(label));
    EXPECT_EQ(Doc.Count(), 2);
}

TEST_F(SchemeReaderFailure, EveryTruncationIsRefused) {
    TSchemeDocument source;
    source.RowsInserted(0, 2);
    source.AddObject(NewArrow({{{50, 50, 0}, {10, 50, 20}, {10, 10, 0}}, true, true}), 0);
    source.AddObject(NewLabel(30, 40, "Н1"), 1);
    std::string bytes = Section(source);
    for (std::size_t n = 0; n < bytes.size(); ++n) {
        SCOPED_TRACE(n);
        ExpectRefused(bytes.substr(0, n), "Scheme section is truncated");
    }
}

TEST_F(SchemeReaderFailure, EveryBitFlipIsReadOrRefusedCleanly) {
    TSchemeDocument source;
    source.RowsInserted(0, 2);
    source.AddObject(NewArrow({{{50, 50, 0}, {10, 50, 20}, {10, 10, 0}}, true, true}), 0);
    source.AddObject(NewLabel(30, 40, "Н1"), 1);
    const std::string bytes = Section(source);
    int refused = 0;
    for (std::size_t i = 0; i < bytes.size() * 8; ++i) {
        std::string flipped = bytes;
        flipped[i / 8] = static_cast<char>(flipped[i / 8] ^ (1 << (i % 8)));
        TSchemeDocument doc;
        doc.RowsInserted(0, 2);
        try {
            ReadSchemeSection(doc, flipped);
        } catch (const ESchemeError&) {
            ++refused;
            EXPECT_EQ(doc.Count(), 0) << "bit " << i;
            continue;
        }
        // What was read writes out as a section that reads back the same.
        std::string again = Section(doc);
        TSchemeDocument doc2;
        doc2.RowsInserted(0, 2);
        ReadSchemeSection(doc2, again);
        EXPECT_EQ(Section(doc2), again) << "bit " << i;
    }
    EXPECT_GT(refused, 0);
}

} // namespace
} // namespace tralcon
