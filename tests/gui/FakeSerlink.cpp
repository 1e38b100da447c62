// A stand-in for the programmer library: ExportData writes what it was given
// to the file named by TRALCON_FAKE_SERLINK_OUT and returns 3 ("not done").

#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" __attribute__((visibility("default"))) std::int32_t ExportData(const std::uint8_t* data,
                                                                          std::int32_t length) {
    const char* out = std::getenv("TRALCON_FAKE_SERLINK_OUT");
    if (out == nullptr || data == nullptr || length < 0)
        return 4;
    std::FILE* f = std::fopen(out, "wb");
    if (f == nullptr)
        return 4;
    std::fwrite(data, 1, static_cast<std::size_t>(length), f);
    std::fclose(f);
    return 3;
}
