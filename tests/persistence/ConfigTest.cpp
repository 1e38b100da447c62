#include "persistence/Config.h"
#include "TestUtil.h"
#include "model/Errors.h"

#include <gtest/gtest.h>

#include <random>
#include <set>

namespace tralcon {
namespace {

using test::CatalogueFromText;

std::vector<std::int32_t> Values(const TIntegerList& l) {
    return l.Values();
}

TEST(ParseHex, DigitsBothCasesAndFailures) {
    EXPECT_EQ(ParseHex(""), 0u);
    EXPECT_EQ(ParseHex("ff"), 255u);
    EXPECT_EQ(ParseHex("FF"), 255u);
    EXPECT_EQ(ParseHex("80000000"), 0x80000000u);
    EXPECT_EQ(ParseHex(" 1"), 0u);
    EXPECT_EQ(ParseHex("1 "), 0u);
    EXPECT_EQ(ParseHex("12g"), 0u);
    // 64 bits; higher digits shift out.
    EXPECT_EQ(ParseHex("123456789abcdef01"), 0x23456789abcdef01u);
}

TEST(ParseHexList, BlanksAroundCommas) {
    struct Case {
        const char* Value;
        std::vector<std::int32_t> Expected;
    } cases[] = {
        {"1,2,4,8,10,20", {1, 2, 4, 8, 0x10, 0x20}},
        {"1, 2", {1, 2}},
        {"1 ,2", {0, 2}},
        {"1,x,4", {1, 0, 4}},
        {",4", {0, 4}},
        {"4,", {4}},
        {"1,1", {1, 1}},
        {"FFFFFFFF", {-1}},
        {" 7 ", {7}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Values(ParseHexList(c.Value)), c.Expected) << c.Value;
}

TEST(LoadConfiguration, PresenceSwitchesCountEvenWithValueZero) {
    auto on = CatalogueFromText("[General]\nMultiCascade=0\nUseYearPlan=\nUseCollisions=1\n"
                                "[Model#0]\nID=1\nCaption=A\nRedOrder=1\n");
    EXPECT_TRUE(on->MultiCascade);
    EXPECT_TRUE(on->UseYearPlan);
    EXPECT_TRUE(on->UseCollisions);
    auto off = CatalogueFromText("[General]\n[Model#0]\nID=1\nCaption=A\nRedOrder=1\n");
    EXPECT_FALSE(off->MultiCascade);
    EXPECT_FALSE(off->UseYearPlan);
    EXPECT_FALSE(off->UseCollisions);
    EXPECT_EQ(off->YBTime, 1);
    EXPECT_EQ(off->AllRedTime, 3);
}

TEST(LoadConfiguration, ByteValuesWrapAndZeroAllRedKeepsDefault) {
    auto c = CatalogueFromText("[General]\nYBTime=258\nAllRedTime=5\n"
                               "[Model#0]\nID=1\nCaption=A\nRedOrder=1\nControllerID=$104\n");
    EXPECT_EQ(c->YBTime, 2);
    EXPECT_EQ(c->AllRedTime, 5);
    EXPECT_EQ(c->ModelList[0]->ControllerID, 4);
    auto z =
        CatalogueFromText("[General]\nAllRedTime=256\n[Model#0]\nID=1\nCaption=A\nRedOrder=1\n");
    EXPECT_EQ(z->AllRedTime, 3);
}

TEST(LoadConfiguration, SectionsZeroTo255AreReadAnd256IsNot) {
    auto c = CatalogueFromText("[Model#256]\nID=3\nCaption=C\nRedOrder=1\n"
                               "[Model#255]\nID=2\nCaption=B\nRedOrder=1\n"
                               "[Model#7]\nID=9\nCaption=G\nRedOrder=1\n"
                               "[Model#0]\nID=1\nCaption=A\nRedOrder=1\n");
    ASSERT_EQ(c->ModelList.Count(), 3);
    // File order does not matter: section numbers do.
    EXPECT_EQ(c->ModelList[0]->ID, 1);
    EXPECT_EQ(c->ModelList[1]->ID, 9);
    EXPECT_EQ(c->ModelList[2]->ID, 2);
    // Only the number as written plainly names a model; the first of two
    // sections of one name counts.
    auto d = CatalogueFromText("[Model#07]\nID=7\nCaption=Z\nRedOrder=1\n"
                               "[Model#+1]\nID=8\nCaption=P\nRedOrder=1\n"
                               "[Model# 2]\nID=6\nCaption=S\nRedOrder=1\n"
                               "[Model#]\nID=5\nCaption=E\nRedOrder=1\n"
                               "[MODEL#12]\nID=12\nCaption=U\nRedOrder=1\n"
                               "[Model#12]\nID=13\nCaption=V\nRedOrder=1\n"
                               "[Model#3]\nID=3\nCaption=T\nRedOrder=1\n");
    ASSERT_EQ(d->ModelList.Count(), 2);
    EXPECT_EQ(d->ModelList[0]->ID, 3);
    EXPECT_EQ(d->ModelList[1]->ID, 12);
}

TEST(LoadConfiguration, SectionTakenOnlyWithIdCaptionAndAnOrderKey) {
    auto c = CatalogueFromText("[Model#0]\nCaption=NoID\nRedOrder=1\n"
                               "[Model#1]\nID=1\nRedOrder=1\n" // no Caption
                               "[Model#2]\nID=2\nCaption=NoOrder\nPowerMask=1\n"
                               "[Model#3]\nID=3\nCaption=\nYellowOrder=\n" // empty values
                               "[model#4]\nid=4\ncaption=Lower\nuniversalorder=1,2\n");
    ASSERT_EQ(c->ModelList.Count(), 2);
    EXPECT_EQ(c->ModelList[0]->ID, 3);
    EXPECT_EQ(c->ModelList[0]->Caption, "");
    EXPECT_EQ(c->ModelList[0]->ModelOutputCount(), 0);
    EXPECT_EQ(c->ModelList[1]->Caption, "Lower");
    EXPECT_EQ(c->ModelList[1]->ModelOutputCount(), 2);
}

TEST(LoadConfiguration, DefaultsForMalformedNumbers) {
    auto c = CatalogueFromText("[Model#0]\nID=abc\nCaption=Модель\nControllerID=\n"
                               "GreenOrder=10, 20\nPowerMask=1F\n");
    const TModel* m = c->ModelList[0];
    EXPECT_EQ(m->ID, -1);
    EXPECT_EQ(m->ControllerID, 3);
    EXPECT_EQ(m->Caption, "Модель");
    EXPECT_EQ(m->PowerMask, 0x1Fu);
    ASSERT_EQ(m->ModelOutputCount(), 2);
    EXPECT_EQ(m->ModelOutputAt(0)->Flags, 2 | 8);
    EXPECT_EQ(m->ModelOutputAt(1)->Flags, 2);
}

TEST(LoadConfiguration, NoUsableSectionGivesFormatMessage) {
    for (const char* text : {"", "[General]\nMultiCascade=1\n", "[Model#0]\nID=1\nRedOrder=1\n"}) {
        try {
            CatalogueFromText(text);
            FAIL() << "accepted: " << text;
        } catch (const EUserError& e) {
            EXPECT_STREQ(e.what(), "Файл NVT-3.cfg имеет неправильный формат\r\nили поврежден");
        }
    }
}

TEST(LoadConfiguration, MissingFileGivesNotFoundWithBareName) {
    test::TempDir dir;
    try {
        LoadConfiguration(dir.File("NVT-3.cfg"));
        FAIL();
    } catch (const EUserError& e) {
        EXPECT_STREQ(e.what(), "Файл NVT-3.cfg не найден");
    }
}

TEST(LoadConfiguration, GarbageAndHugeLinesGiveTheMessageNotACrash) {
    test::TempDir dir;
    std::mt19937 rng(42);
    std::string garbage;
    for (int i = 0; i < 200000; ++i)
        garbage += static_cast<char>(rng());
    std::string huge = "[Model#0]\nID=1\nCaption=" + std::string(100000, 'A') +
                       "\nRedOrder=" + std::string(100000, ',') + "\n";
    for (const std::string& bytes : {garbage, std::string(100000, '[')}) {
        test::WriteBytes(dir.File("NVT-3.cfg"), bytes);
        EXPECT_THROW(LoadConfiguration(dir.File("NVT-3.cfg")), EUserError);
    }
    test::WriteBytes(dir.File("NVT-3.cfg"), huge);
    auto c = LoadConfiguration(dir.File("NVT-3.cfg"));
    EXPECT_EQ(c->ModelList[0]->Caption.size(), 100000u);
    EXPECT_EQ(c->ModelList[0]->ModelOutputCount(), 100000);
}

TEST(LoadConfiguration, BundledCatalogueIsUsable) {
    auto c = LoadConfiguration(std::string(TRALCON_BIN_DIR) + "/NVT-3.cfg");
    ASSERT_GE(c->ModelList.Count(), 3);
    EXPECT_TRUE(c->MultiCascade && c->UseYearPlan && c->UseCollisions);
    std::set<std::int32_t> ids;
    for (const TModel* m : c->ModelList) {
        ids.insert(m->ID);
        // Every output is one distinct bit of the 32-bit output word.
        std::uint32_t seen = 0;
        for (const TModelOutput* o : m->Outputs) {
            EXPECT_EQ(o->Mask & (o->Mask - 1), 0u) << m->Caption;
            EXPECT_EQ(seen & o->Mask, 0u) << m->Caption;
            seen |= o->Mask;
        }
        EXPECT_NE(m->Caption.find("НВТ"), std::string::npos);
    }
    EXPECT_EQ(ids.size(), static_cast<std::size_t>(c->ModelList.Count()));
}

TEST(RecentFiles, NewestGetsHighestKeyAndOldKeysStay) {
    test::TempDir dir;
    const std::string ini = dir.File("NVT-3.ini");
    test::WriteBytes(ini, "[Programmator]\r\nBaud=10417\r\n");
    std::string error;
    ASSERT_TRUE(SaveRecentFiles(ini, {"/p/e", "/p/d", "/p/c", "/p/b", "/p/a"}, &error)) << error;
    ASSERT_TRUE(SaveRecentFiles(ini, {"/p/z", "/p/y", "/p/x"}, &error)) << error;
    TIniFile back;
    ASSERT_TRUE(back.Load(ini, &error));
    EXPECT_EQ(back.ReadString("Recent", "3", ""), "/p/z");
    EXPECT_EQ(back.ReadString("Recent", "1", ""), "/p/x");
    EXPECT_EQ(back.ReadString("Recent", "4", ""), "/p/d");
    EXPECT_EQ(back.ReadString("Recent", "5", ""), "/p/e");
    EXPECT_EQ(back.ReadString("Programmator", "Baud", ""), "10417");

    // Read back oldest first; missing files are dropped.
    auto exists = [](const std::string& p) { return p != "/p/y"; };
    EXPECT_EQ(LoadRecentFiles(ini, exists),
              (std::vector<std::string>{"/p/x", "/p/z", "/p/d", "/p/e"}));
}

TEST(RecentFiles, MissingFileOrSectionGivesNone) {
    test::TempDir dir;
    auto any = [](const std::string&) { return true; };
    EXPECT_TRUE(LoadRecentFiles(dir.File("none.ini"), any).empty());
    test::WriteBytes(dir.File("a.ini"), "[Other]\n1=/x\n");
    EXPECT_TRUE(LoadRecentFiles(dir.File("a.ini"), any).empty());
}

TEST(RecentFiles, UnwritableSettingsFailWithAReason) {
    std::string error;
    EXPECT_FALSE(SaveRecentFiles("/proc/tralcon/NVT-3.ini", {"/a"}, &error));
    EXPECT_FALSE(error.empty());
}

} // namespace
} // namespace tralcon
