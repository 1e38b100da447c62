#include "platform/Cp1251.h"

#include <gtest/gtest.h>

namespace tralcon {
namespace {

TEST(Cp1251, EveryRussianLetterRoundTripsAtItsCodePoint) {
    // А..я occupy 0xC0..0xFF in order; Ё and ё are 0xA8 and 0xB8.
    std::string utf8;
    for (char32_t c = U'А'; c <= U'я'; ++c) {
        utf8 += static_cast<char>(0xC0 | (c >> 6));
        utf8 += static_cast<char>(0x80 | (c & 0x3F));
    }
    utf8 += "Ёё";
    bool lossless = false;
    std::string bytes = ToCp1251(utf8, &lossless);
    EXPECT_TRUE(lossless);
    ASSERT_EQ(bytes.size(), 66u);
    for (int i = 0; i < 64; ++i)
        EXPECT_EQ(static_cast<unsigned char>(bytes[static_cast<std::size_t>(i)]), 0xC0 + i);
    EXPECT_EQ(static_cast<unsigned char>(bytes[64]), 0xA8);
    EXPECT_EQ(static_cast<unsigned char>(bytes[65]), 0xB8);
    EXPECT_EQ(FromCp1251(bytes), utf8);
}

TEST(Cp1251, AsciiAndPunctuationPassUnchanged) {
    EXPECT_EQ(ToCp1251("NVT-3.cfg 1,2"), "NVT-3.cfg 1,2");
    EXPECT_EQ(FromCp1251("\x96\xB9"), "–№");
}

TEST(Cp1251, UnmappableCharactersBecomeQuestionMarksAndAreReported) {
    bool lossless = true;
    EXPECT_EQ(ToCp1251("a€b漢c", &lossless), "a\x88" "b?c");
    EXPECT_FALSE(lossless);
    EXPECT_FALSE(FitsCp1251("日本"));
    EXPECT_TRUE(FitsCp1251("Перекрёсток №5"));
}

TEST(Cp1251, MalformedInputNeverStopsConversion) {
    bool lossless = true;
    EXPECT_EQ(ToCp1251(std::string("a\xD0") + "b\xFF" "c", &lossless), "a?b?c");
    EXPECT_FALSE(lossless);
    // 0x98 is the one undefined byte of the code page.
    EXPECT_EQ(FromCp1251("x\x98y"), "x\xEF\xBF\xBDy");
    std::string all;
    for (int b = 0; b < 256; ++b)
        all += static_cast<char>(b);
    EXPECT_FALSE(FromCp1251(all).empty());
}

} // namespace
} // namespace tralcon
