// The catalogue reader on arbitrary file content: it either yields a
// catalogue or the format message, never anything else.
#include "model/Errors.h"
#include "persistence/Config.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string bytes(reinterpret_cast<const char*>(data), size);
    try {
        auto config = tralcon::LoadConfiguration(tralcon::TIniFile::FromBytes(bytes), "NVT-3.cfg");
        for (const tralcon::TModel* m : config->ModelList)
            for (const tralcon::TModelOutput* o : m->Outputs)
                (void)tralcon::ModelOutputName(o);
    } catch (const tralcon::EUserError&) {
    }
    // Writing a key must keep every other byte of the file.
    tralcon::TIniFile ini = tralcon::TIniFile::FromBytes(bytes);
    ini.WriteString("Recent", "1", "/x.NVT");
    tralcon::TIniFile again = tralcon::TIniFile::FromBytes(ini.ToBytes());
    if (again.ReadString("Recent", "1", "") != "/x.NVT")
        std::abort();
    return 0;
}
