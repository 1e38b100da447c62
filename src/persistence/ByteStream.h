#pragma once
// Little-endian byte buffers for the project file: a writer that can patch
// what it wrote earlier, and a reader that refuses to read past its end.

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace tralcon {

class TByteWriter {
  public:
    std::size_t Position() const { return FBytes.size(); }
    void U8(std::uint8_t v) { FBytes.push_back(v); }
    void U16(std::uint16_t v) {
        U8(static_cast<std::uint8_t>(v));
        U8(static_cast<std::uint8_t>(v >> 8));
    }
    void I32(std::int32_t v) {
        auto u = static_cast<std::uint32_t>(v);
        for (int i = 0; i < 4; ++i)
            U8(static_cast<std::uint8_t>(u >> (8 * i)));
    }
    void F64(double v) {
        std::uint64_t u;
        std::memcpy(&u, &v, sizeof u);
        for (int i = 0; i < 8; ++i)
            U8(static_cast<std::uint8_t>(u >> (8 * i)));
    }
    void Bytes(std::string_view b) { FBytes.insert(FBytes.end(), b.begin(), b.end()); }
    void Bytes(const std::vector<std::uint8_t>& b) {
        FBytes.insert(FBytes.end(), b.begin(), b.end());
    }
    // A fixed field: the bytes, cut to size, then zeros.
    void Field(std::string_view b, std::size_t size) {
        std::size_t n = b.size() < size ? b.size() : size;
        Bytes(b.substr(0, n));
        FBytes.insert(FBytes.end(), size - n, 0);
    }
    void PatchI32(std::size_t at, std::int32_t v) {
        auto u = static_cast<std::uint32_t>(v);
        for (int i = 0; i < 4; ++i)
            FBytes.at(at + static_cast<std::size_t>(i)) = static_cast<std::uint8_t>(u >> (8 * i));
    }
    const std::vector<std::uint8_t>& Data() const { return FBytes; }
    std::vector<std::uint8_t> Take() { return std::move(FBytes); }

  private:
    std::vector<std::uint8_t> FBytes;
};

// Thrown when a read would pass the end of the data or a value is out of its
// range; the project reader turns it into its format message.
struct EByteStreamError {
    std::size_t Offset;
    std::string What;
};

class TByteReader {
  public:
    TByteReader(const std::uint8_t* data, std::size_t size) : FData(data), FSize(size) {}

    std::size_t Position() const { return FPos; }
    std::size_t Size() const { return FSize; }
    void Seek(std::size_t pos) {
        if (pos > FSize)
            throw EByteStreamError{pos, "position beyond the end"};
        FPos = pos;
    }
    std::uint8_t U8() {
        Need(1);
        return FData[FPos++];
    }
    std::uint16_t U16() {
        Need(2);
        std::uint16_t v = static_cast<std::uint16_t>(FData[FPos] | (FData[FPos + 1] << 8));
        FPos += 2;
        return v;
    }
    std::int32_t I32() {
        Need(4);
        std::uint32_t v = 0;
        for (int i = 0; i < 4; ++i)
            v |= static_cast<std::uint32_t>(FData[FPos + static_cast<std::size_t>(i)]) << (8 * i);
        FPos += 4;
        return static_cast<std::int32_t>(v);
    }
    double F64() {
        Need(8);
        std::uint64_t u = 0;
        for (int i = 0; i < 8; ++i)
            u |= static_cast<std::uint64_t>(FData[FPos + static_cast<std::size_t>(i)]) << (8 * i);
        FPos += 8;
        double v;
        std::memcpy(&v, &u, sizeof v);
        return v;
    }
    std::string Bytes(std::size_t n) {
        Need(n);
        std::string s(reinterpret_cast<const char*>(FData + FPos), n);
        FPos += n;
        return s;
    }
    // A fixed text field: the bytes up to the first zero.
    std::string Field(std::size_t size) {
        std::string s = Bytes(size);
        auto zero = s.find('\0');
        return zero == std::string::npos ? s : s.substr(0, zero);
    }
    [[noreturn]] void Fail(const std::string& what) const { throw EByteStreamError{FPos, what}; }

  private:
    void Need(std::size_t n) const {
        if (n > FSize - FPos)
            throw EByteStreamError{FPos, "data ends early"};
    }
    const std::uint8_t* FData;
    std::size_t FSize;
    std::size_t FPos = 0;
};

// One step of CRC-16/KERMIT (reflected 0x8408, initial 0, no final XOR).
std::uint16_t Crc16Kermit(std::uint16_t crc, std::uint8_t byte);
std::uint16_t Crc16Kermit(const std::uint8_t* data, std::size_t size, std::uint16_t crc = 0);

} // namespace tralcon
