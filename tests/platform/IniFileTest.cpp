#include "platform/IniFile.h"
#include "TestUtil.h"
#include "platform/Cp1251.h"

#include <gtest/gtest.h>

namespace tralcon {
namespace {

TIniFile Ini(const std::string& utf8) {
    return TIniFile::FromBytes(ToCp1251(utf8));
}

TEST(TIniFile, SectionsAndKeysIgnoreCaseIncludingCyrillic) {
    TIniFile ini = Ini("[General]\r\nMultiCascade=0\r\n[Раздел]\r\nКлюч = значение \r\n");
    EXPECT_TRUE(ini.SectionExists("GENERAL"));
    EXPECT_TRUE(ini.ValueExists("general", "multicascade"));
    EXPECT_EQ(ini.ReadString("раздел", "КЛЮЧ", "x"), "значение");
    EXPECT_FALSE(ini.ValueExists("General", "UseYearPlan"));
    EXPECT_FALSE(ini.SectionExists("Gen"));
}

TEST(TIniFile, PresenceDoesNotDependOnValue) {
    TIniFile ini = Ini("[S]\nEmpty=\nZero=0\n");
    EXPECT_TRUE(ini.ValueExists("S", "Empty"));
    EXPECT_EQ(ini.ReadString("S", "Empty", "def"), "");
    EXPECT_EQ(ini.ReadString("S", "Missing", "def"), "def");
}

TEST(TIniFile, FirstOccurrenceWinsAndKeysBelongToTheirSection) {
    TIniFile ini = Ini("K=top\n[A]\nK=1\nK=2\n[B]\nK=3\n[a]\nK=4\n");
    EXPECT_EQ(ini.ReadString("A", "K", ""), "1");
    EXPECT_EQ(ini.ReadString("B", "K", ""), "3");
    EXPECT_EQ(ini.ReadSection("A"), (std::vector<std::string>{"K", "K"}));
}

TEST(TIniFile, IntegersDecimalAndHexWithDefaultOtherwise) {
    TIniFile ini = Ini("[S]\na=42\nb=-7\nc=$ff\nd=0x10\ne=0X1F\nf=12a\ng=\nh=$\n"
                       "i=2147483648\nj=$FFFFFFFF\nk= 9 \nl=0x\n");
    struct Case {
        const char* Key;
        std::int32_t Expected;
    } cases[] = {{"a", 42}, {"b", -7}, {"c", 255}, {"d", 16}, {"e", 31}, {"f", -1},      {"g", -1},
                 {"h", -1}, {"i", -1}, {"j", -1},  {"k", 9},  {"l", -1}, {"missing", -1}};
    for (const Case& c : cases)
        EXPECT_EQ(ini.ReadInteger("S", c.Key, -1), c.Expected) << c.Key;
    // $FFFFFFFF is -1 as a 32-bit value, not the default.
    EXPECT_EQ(ini.ReadInteger("S", "j", 5), -1);
}

TEST(TIniFile, WritingKeepsEveryOtherLine) {
    const std::string original = "; comment\r\n[Recent]\r\n1=/a.NVT\r\n\r\n[Programmator]\r\n"
                                 "Port=/dev/ttyS0\r\nodd line without equals\r\n";
    TIniFile ini = TIniFile::FromBytes(original);
    ini.WriteString("recent", "1", "/b.NVT"); // replaced in place, case-insensitive
    ini.WriteString("Recent", "2", "/c.NVT"); // inserted before the blank separator
    ini.WriteString("New", "Key", "Значение");
    EXPECT_EQ(ini.ToBytes(),
              "; comment\r\n[Recent]\r\n1=/b.NVT\r\n2=/c.NVT\r\n\r\n[Programmator]\r\n"
              "Port=/dev/ttyS0\r\nodd line without equals\r\n[New]\r\nKey=" +
                  ToCp1251("Значение") + "\r\n");
}

TEST(TIniFile, SectionsAreFoundAfterWritesMovedThem) {
    TIniFile ini = Ini("[A]\nK=1\n[Раздел]\nK=2\n[ё]\nK=3\n");
    for (int i = 0; i < 3; ++i) // each insert moves the later headers down
        ini.WriteString("a", "N" + std::to_string(i), "x");
    EXPECT_EQ(ini.ReadString("РАЗДЕЛ", "K", ""), "2");
    EXPECT_EQ(ini.ReadString("Ё", "K", ""), "3");
    EXPECT_EQ(ini.ReadString("A", "N2", ""), "x");
    ini.WriteString("Новый", "K", "4");
    EXPECT_EQ(ini.ReadString("НОВЫЙ", "k", ""), "4");
    EXPECT_FALSE(ini.SectionExists(" A")); // names are not trimmed on lookup
    // A reread file finds the same sections.
    TIniFile again = TIniFile::FromBytes(ini.ToBytes());
    EXPECT_EQ(again.ReadString("раздел", "K", ""), "2");
    EXPECT_EQ(again.ReadString("новый", "K", ""), "4");
}

TEST(TIniFile, UnixLineEndsStayUnix) {
    TIniFile ini = TIniFile::FromBytes("[A]\nx=1");
    ini.WriteString("A", "y", "2");
    EXPECT_EQ(ini.ToBytes(), "[A]\nx=1\ny=2");
}

TEST(TIniFile, SaveAndLoadRoundTripThroughAFile) {
    test::TempDir dir;
    TIniFile ini;
    ini.WriteString("Раздел", "Путь", "/дом/проект.NVT");
    std::string error;
    ASSERT_TRUE(ini.Save(dir.File("x.ini"), &error)) << error;
    EXPECT_EQ(test::ReadBytes(dir.File("x.ini")), ToCp1251("[Раздел]\r\nПуть=/дом/проект.NVT\r\n"));
    TIniFile back;
    ASSERT_TRUE(back.Load(dir.File("x.ini"), &error));
    EXPECT_EQ(back.ReadString("раздел", "путь", ""), "/дом/проект.NVT");
}

TEST(TIniFile, LoadReportsMissingFileUnlessAllowed) {
    test::TempDir dir;
    TIniFile ini;
    std::string error;
    EXPECT_FALSE(ini.Load(dir.File("none.ini"), &error));
    EXPECT_FALSE(error.empty());
    EXPECT_TRUE(ini.Load(dir.File("none.ini"), &error, true));
    EXPECT_FALSE(ini.SectionExists("A"));
}

TEST(TIniFile, GarbageAndHugeLinesAreHarmless) {
    std::string bytes(100000, 'x');
    bytes += "\n[A]\n";
    bytes += std::string(100000, '=');
    bytes += std::string("\0\xff\x98[\n=\n[", 8);
    TIniFile ini = TIniFile::FromBytes(bytes);
    EXPECT_TRUE(ini.SectionExists("A"));
    EXPECT_TRUE(ini.ValueExists("A", ""));
    EXPECT_EQ(ini.ToBytes(), bytes);
}

} // namespace
} // namespace tralcon
