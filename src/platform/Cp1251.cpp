#include "platform/Cp1251.h"

#include <cerrno>
#include <iconv.h>
#include <stdexcept>

namespace tralcon {

namespace {

class Converter {
public:
    Converter(const char* to, const char* from) : FHandle(iconv_open(to, from)) {
        if (FHandle == reinterpret_cast<iconv_t>(-1))
            throw std::runtime_error(std::string("iconv cannot convert ") + from + " to " + to);
    }
    ~Converter() { iconv_close(FHandle); }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // Converts all of in; on a byte sequence it cannot take, appends
    // replacement and skips skipLen(in) bytes.
    template <class Skip>
    std::string Run(std::string_view in, std::string_view replacement, Skip skipLen, bool* lossless) {
        std::string out;
        out.reserve(in.size() * 2);
        char buf[1024];
        auto* src = const_cast<char*>(in.data());
        std::size_t srcLeft = in.size();
        iconv(FHandle, nullptr, nullptr, nullptr, nullptr);
        while (srcLeft > 0) {
            char* dst = buf;
            std::size_t dstLeft = sizeof buf;
            std::size_t r = iconv(FHandle, &src, &srcLeft, &dst, &dstLeft);
            out.append(buf, static_cast<std::size_t>(dst - buf));
            if (r == static_cast<std::size_t>(-1) && errno != E2BIG) {
                // EILSEQ or EINVAL: an unconvertible or truncated sequence.
                out.append(replacement);
                if (lossless != nullptr)
                    *lossless = false;
                std::size_t skip = skipLen(std::string_view(src, srcLeft));
                src += skip;
                srcLeft -= skip;
            }
        }
        return out;
    }

private:
    iconv_t FHandle;
};

// Length of the (possibly malformed) UTF-8 sequence at the start of s.
std::size_t Utf8SequenceLength(std::string_view s) {
    auto lead = static_cast<unsigned char>(s[0]);
    std::size_t n = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    std::size_t len = 1;
    while (len < n && len < s.size() && (static_cast<unsigned char>(s[len]) & 0xC0) == 0x80)
        ++len;
    return len;
}

bool IsAscii(std::string_view s) {
    for (char c : s)
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    return true;
}

} // namespace

std::string ToCp1251(std::string_view utf8, bool* lossless) {
    if (lossless != nullptr)
        *lossless = true;
    // Both encodings agree on ASCII, which most keys and values are.
    if (IsAscii(utf8))
        return std::string(utf8);
    // iconv_open is costly next to the short texts converted here.
    thread_local Converter c("CP1251", "UTF-8");
    return c.Run(utf8, "?", Utf8SequenceLength, lossless);
}

std::string FromCp1251(std::string_view cp1251) {
    if (IsAscii(cp1251))
        return std::string(cp1251);
    thread_local Converter c("UTF-8", "CP1251");
    return c.Run(cp1251, "\xEF\xBF\xBD", [](std::string_view) { return std::size_t{1}; }, nullptr);
}

bool FitsCp1251(std::string_view utf8) {
    bool lossless = true;
    ToCp1251(utf8, &lossless);
    return lossless;
}

} // namespace tralcon
