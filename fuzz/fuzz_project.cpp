// The project reader on arbitrary bytes: a project or the format message,
// and what it accepts saves again to the same bytes it came from.
#include "model/Errors.h"
#include "persistence/ByteStream.h"
#include "persistence/Config.h"
#include "persistence/ProjExp.h"

#include <cstdint>
#include <cstdlib>

namespace {

const tralcon::TConfiguration& Catalogue() {
    static auto config = tralcon::LoadConfiguration(
        tralcon::TIniFile::FromBytes("[Model#0]\nID=7\nCaption=A\n"
                                     "RedOrder=1,2,4,8,10,20,40,80\n"
                                     "YellowOrder=100,200,400,800\n"
                                     "GreenOrder=1000,2000,4000,8000,10000,20000,40000,80000\n"
                                     "UniversalOrder=100000,200000,400000,800000\n"
                                     "[Model#1]\nID=9\nCaption=B\nRedOrder=1,2\n"
                                     "YellowOrder=4\nGreenOrder=8,10\n"),
        "NVT-3.cfg");
    return *config;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Most random inputs die at the CRC; give the rest of the reader a chance
    // by sealing the input with a right CRC as well.
    std::vector<std::uint8_t> sealed(data, data + size);
    const std::uint16_t crc = tralcon::Crc16Kermit(sealed.data(), sealed.size());
    sealed.push_back(static_cast<std::uint8_t>(crc));
    sealed.push_back(static_cast<std::uint8_t>(crc >> 8));
    for (const auto* bytes : {&sealed}) {
        try {
            tralcon::TLoadedProject loaded =
                tralcon::LoadProjectFromBytes(bytes->data(), bytes->size(), Catalogue(), "f.NVT");
            auto again = tralcon::SaveProjectToBytes(*loaded.Project, *loaded.Scheme);
            tralcon::TLoadedProject second =
                tralcon::LoadProjectFromBytes(again.data(), again.size(), Catalogue(), "f.NVT");
            if (tralcon::SaveProjectToBytes(*second.Project, *second.Scheme) != again)
                std::abort();
        } catch (const tralcon::EUserError&) {
        } catch (const tralcon::EModelError&) {
        }
    }
    try {
        tralcon::LoadProjectFromBytes(data, size, Catalogue(), "f.NVT");
    } catch (const tralcon::EUserError&) {
    } catch (const tralcon::EModelError&) {
    }
    return 0;
}
