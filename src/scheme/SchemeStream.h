#pragma once
// Little-endian byte writing and reading for the scheme records. The reader
// checks every length before it touches a byte, so a damaged section ends in
// ESchemeError and never in a read past the buffer.

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace tralcon {

// A scheme section that cannot be read ("Unknown Scheme Object", a cut-off
// record, rows that do not match the project). The project reader turns it
// into its own message for the damaged file.
class ESchemeError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

class TSchemeStreamWriter {
  public:
    explicit TSchemeStreamWriter(std::string& out) : FOut(out) {}

    void WriteByte(std::uint8_t v) { FOut.push_back(static_cast<char>(v)); }
    void WriteUInt16(std::uint16_t v) {
        WriteByte(static_cast<std::uint8_t>(v));
        WriteByte(static_cast<std::uint8_t>(v >> 8));
    }
    void WriteInt16(std::int16_t v) { WriteUInt16(static_cast<std::uint16_t>(v)); }
    void WriteInt32(std::int32_t v) {
        auto u = static_cast<std::uint32_t>(v);
        for (int i = 0; i < 4; ++i)
            WriteByte(static_cast<std::uint8_t>(u >> (8 * i)));
    }
    void WriteBytes(std::string_view bytes) { FOut.append(bytes); }

  private:
    std::string& FOut;
};

class TSchemeStreamReader {
  public:
    explicit TSchemeStreamReader(std::string_view bytes) : FBytes(bytes) {}

    std::size_t Position() const { return FPos; }
    std::size_t Remaining() const { return FBytes.size() - FPos; }
    bool AtEnd() const { return FPos == FBytes.size(); }

    std::uint8_t ReadByte() {
        Need(1);
        return static_cast<std::uint8_t>(FBytes[FPos++]);
    }
    std::uint16_t ReadUInt16() {
        Need(2);
        std::uint16_t lo = ReadByte();
        std::uint16_t hi = ReadByte();
        return static_cast<std::uint16_t>(lo | (hi << 8));
    }
    std::int16_t ReadInt16() { return static_cast<std::int16_t>(ReadUInt16()); }
    std::int32_t ReadInt32() {
        Need(4);
        std::uint32_t u = 0;
        for (int i = 0; i < 4; ++i)
            u |= static_cast<std::uint32_t>(ReadByte()) << (8 * i);
        return static_cast<std::int32_t>(u);
    }
    std::string_view ReadBytes(std::size_t count) {
        Need(count);
        std::string_view v = FBytes.substr(FPos, count);
        FPos += count;
        return v;
    }
    // Fails unless count more bytes are there.
    void Need(std::size_t count) const {
        if (count > Remaining())
            throw ESchemeError("Scheme section is truncated");
    }

  private:
    std::string_view FBytes;
    std::size_t FPos = 0;
};

} // namespace tralcon
