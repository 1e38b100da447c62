#include "persistence/ByteStream.h"

#include <gtest/gtest.h>

namespace tralcon {
namespace {

TEST(Crc16Kermit, CheckValueAndTrailerProperty) {
    const std::string text = "123456789";
    auto* data = reinterpret_cast<const std::uint8_t*>(text.data());
    const std::uint16_t crc = Crc16Kermit(data, text.size());
    EXPECT_EQ(crc, 0x2189);
    // Appending the CRC low byte first makes the CRC of the whole zero.
    std::vector<std::uint8_t> whole(data, data + text.size());
    whole.push_back(static_cast<std::uint8_t>(crc));
    whole.push_back(static_cast<std::uint8_t>(crc >> 8));
    EXPECT_EQ(Crc16Kermit(whole.data(), whole.size()), 0);
    std::swap(whole[whole.size() - 1], whole[whole.size() - 2]);
    EXPECT_NE(Crc16Kermit(whole.data(), whole.size()), 0);
}

TEST(ByteStream, WriterAndReaderAgreeLittleEndian) {
    TByteWriter w;
    w.U8(0xAB);
    w.U16(0x1234);
    w.I32(-2);
    w.F64(1.0 / 1440);
    w.Field("abc", 5);
    w.Field("toolong", 3);
    w.PatchI32(1, 0x01020304);
    EXPECT_EQ(w.Data()[1], 0x04);
    EXPECT_EQ(w.Data()[4], 0x01);
    auto bytes = w.Take();
    ASSERT_EQ(bytes.size(), 1u + 2 + 4 + 8 + 5 + 3);
    TByteReader r(bytes.data(), bytes.size());
    EXPECT_EQ(r.U8(), 0xAB);
    EXPECT_EQ(r.I32(), 0x01020304);
    r.Seek(3);
    EXPECT_EQ(r.I32(), static_cast<std::int32_t>(0xFFFF0102u)); // bytes 3..6: 02 01 FF FF
    EXPECT_EQ(r.F64(), 1.0 / 1440);
    EXPECT_EQ(r.Field(5), "abc");
    EXPECT_EQ(r.Field(3), "too");
    EXPECT_EQ(r.Position(), bytes.size());
}

TEST(ByteStream, ReaderRefusesToPassTheEnd) {
    std::vector<std::uint8_t> bytes = {1, 2, 3};
    TByteReader r(bytes.data(), bytes.size());
    EXPECT_THROW(r.I32(), EByteStreamError);
    EXPECT_EQ(r.Position(), 0u); // a refused read consumes nothing
    EXPECT_EQ(r.U16(), 0x0201);
    EXPECT_THROW(r.U16(), EByteStreamError);
    EXPECT_THROW(r.Seek(4), EByteStreamError);
    EXPECT_THROW(r.Bytes(static_cast<std::size_t>(-1)), EByteStreamError);
    r.Seek(3);
    EXPECT_THROW(r.U8(), EByteStreamError);
}

} // namespace
} // namespace tralcon
