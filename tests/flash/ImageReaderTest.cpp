#include "flash/ImageReader.h"
#include "FlashTestData.h"
#include "TestUtil.h"
#include "flash/ImageFiles.h"

#include <gtest/gtest.h>

namespace tralcon {
namespace {

TEST(ImageChecksum, SumsBytesModulo65536) {
    std::vector<std::uint8_t> bytes(300, 0xFF);
    EXPECT_EQ(ImageChecksum(bytes.data(), 300), static_cast<std::uint16_t>(300 * 255));
    EXPECT_EQ(ImageChecksum(bytes.data(), 0), 0);
    EXPECT_EQ(ImageChecksum(bytes.data(), -5), 0);
}

TEST(ReadFlashImage, SmallestImageIsDescribedRecordByRecord) {
    TBytes image = test::SmallestImage();
    ASSERT_EQ(image.size(), 117u);
    TImageDescription d;
    std::string error;
    ASSERT_TRUE(ReadFlashImage(image, &d, &error)) << error;
    EXPECT_EQ(d.Header.ImageSize, 117);
    EXPECT_EQ(d.Header.YearPlanOffset, 108);
    EXPECT_EQ(d.Header.PhaseTotal, 1);
    EXPECT_EQ(d.Header.ControllerCount, 1);
    EXPECT_EQ(d.CycleCount, 1);
    ASSERT_EQ(d.States.size(), 3u);
    EXPECT_EQ(d.States[2].Offset, 76);
    EXPECT_EQ(d.States[2].NextOffset, 76); // one phase without steps repeats itself
    EXPECT_EQ(d.States[2].ExitOffset, 57);
    ASSERT_EQ(d.DayPlans.size(), 1u);
    EXPECT_EQ(d.DayPlans[0].Items[0].CycleCode, 1);
    ASSERT_EQ(d.WeekPlans.size(), 1u);
    EXPECT_EQ(d.WeekPlans[0].Items[0].DayPlanOffset, 96);
    EXPECT_EQ(d.YearPlan.Items[0].WeekPlanOffset, 102);
    std::string text = DescribeFlashImage(d);
    EXPECT_NE(text.find("@76  phase 1"), std::string::npos) << text;
    EXPECT_NE(text.find("@57  all red"), std::string::npos) << text;
    EXPECT_NE(text.find("00:00 cycle 1"), std::string::npos) << text;
    EXPECT_NE(text.find("from 01.01 week plan @102"), std::string::npos) << text;
}

// What may follow the image: the zeros of a padded file, then the erased
// bytes of a flash read back (a padded file programmed leaves both).
TEST(ReadFlashImage, PaddingThenErasedFlashIsAcceptedAnyOtherTailIsNamed) {
    const TBytes image = test::SmallestImage(); // 117 bytes
    struct Case {
        const char* What;
        std::size_t Zeros, Erased; // the tail: this many 00, then this many FF
        long Poke = -1;            // a byte of the tail set to PokeValue
        std::uint8_t PokeValue = 0;
        long Refused = -1; // the offset named, -1 when accepted
    } cases[] = {
        {"image alone", 0, 0},
        {"zero-padded file", 1024 - 117, 0},
        {"flash read back", 0, 2048 - 117},
        {"padded file programmed, read back", 1024 - 117, 1024},
        {"other byte in the padding", 1024 - 117, 0, 500, 0x01, 500},
        {"other byte in the erased part", 0, 2048 - 117, 2047, 0xFE, 2047},
        {"zero after erased bytes", 10, 100, 150, 0x00, 150},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.What);
        TBytes bytes = image;
        bytes.resize(image.size() + c.Zeros, 0x00);
        bytes.resize(bytes.size() + c.Erased, 0xFF);
        if (c.Poke >= 0)
            bytes[static_cast<std::size_t>(c.Poke)] = c.PokeValue;
        TImageDescription d;
        std::string error;
        const bool read = ReadFlashImage(bytes, &d, &error);
        if (c.Refused < 0) {
            EXPECT_TRUE(read) << error;
            EXPECT_EQ(d.Header.ImageSize, image.size());
        } else {
            EXPECT_FALSE(read);
            EXPECT_NE(error.find("смещение " + std::to_string(c.Refused) + ": посторонние байты"),
                      std::string::npos)
                << error;
        }
    }
}

// Any single changed bit is caught by some checksum, so every flip of every
// bit must be refused, and truncations too.
TEST(ReadFlashImage, EveryBitFlipAndTruncationIsRefusedWithAnOffset) {
    const TBytes image = test::SmallestImage();
    TImageDescription d;
    std::string error;
    for (std::size_t i = 0; i < image.size(); ++i) {
        for (int bit = 0; bit < 8; ++bit) {
            TBytes damaged = image;
            damaged[i] ^= static_cast<std::uint8_t>(1 << bit);
            EXPECT_FALSE(ReadFlashImage(damaged, &d, &error)) << "byte " << i << " bit " << bit;
            EXPECT_EQ(error.rfind("Образ поврежден: смещение ", 0), 0u) << error;
        }
    }
    for (std::size_t n = 0; n < image.size(); ++n)
        EXPECT_FALSE(
            ReadFlashImage(TBytes(image.begin(), image.begin() + static_cast<long>(n)), &d, &error))
            << n;
}

TEST(ImageFiles, NamesReplaceTheExtensionOfTheFileNameOnly) {
    EXPECT_EQ(ImageFileName("/x/Cross.k0", 2), "/x/Cross.k2");
    EXPECT_EQ(ImageFileName("/x/Cross", 1), "/x/Cross.k1");
    EXPECT_EQ(ImageFileName("/x.d/Cross", 0), "/x.d/Cross.k0");
    EXPECT_EQ(ImageFileName("Cross.tar.bin", 3), "Cross.tar.k3");
}

TEST(ImageFiles, OneFilePerControllerPaddedAndOversizedRefused) {
    test::TempDir dir;
    TBytes small = test::SmallestImage();
    TBytes limit(kMaxFileImageSize, 0xAB), over(kMaxFileImageSize + 1, 0xCD);
    auto reports = SaveImageFiles(dir.File("Cross"), {small, limit, over, small});
    ASSERT_EQ(reports.size(), 4u);
    std::string k0 = test::ReadBytes(dir.File("Cross.k0"));
    ASSERT_EQ(k0.size(), 1024u);
    EXPECT_EQ(TBytes(k0.begin(), k0.begin() + 117), small);
    EXPECT_EQ(k0.find_first_not_of('\0', 117), std::string::npos);
    // 2008 bytes fit: written whole, the file grows to 2048.
    std::string k1 = test::ReadBytes(dir.File("Cross.k1"));
    ASSERT_EQ(k1.size(), 2048u);
    EXPECT_EQ(k1.substr(0, 2008), std::string(2008, '\xAB'));
    EXPECT_TRUE(reports[1].Written);
    // 2009 bytes do not: zeros and the message, and the next file follows.
    EXPECT_FALSE(reports[2].Written);
    EXPECT_EQ(reports[2].Message, "Размер данных слишком велик!");
    EXPECT_EQ(test::ReadBytes(dir.File("Cross.k2")), std::string(1024, '\0'));
    EXPECT_EQ(test::ReadBytes(dir.File("Cross.k3")).size(), 1024u);
}

TEST(ImageFiles, UnwritableFileIsNamedInTheError) {
    test::TempDir dir;
    std::filesystem::create_directory(dir.File("Cross.k1")); // a folder in the way
    try {
        SaveImageFiles(dir.File("Cross.k0"), {test::SmallestImage(), test::SmallestImage()});
        FAIL();
    } catch (const std::exception& e) {
        EXPECT_NE(std::string(e.what()).find("Cross.k1"), std::string::npos) << e.what();
    }
    EXPECT_EQ(test::ReadBytes(dir.File("Cross.k0")).size(), 1024u); // the first stays
}

} // namespace
} // namespace tralcon
