#pragma once
// Small helpers shared by the tests: a temporary folder that cleans up after
// itself, file writing, and a catalogue built from INI text.

#include "model/NVTTypes.h"
#include "persistence/Config.h"
#include "platform/Cp1251.h"
#include "platform/IniFile.h"

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

namespace tralcon::test {

class TempDir {
public:
    TempDir() {
        std::string tmpl = (std::filesystem::temp_directory_path() / "tralcon-test-XXXXXX").string();
        if (::mkdtemp(tmpl.data()) == nullptr)
            throw std::runtime_error("mkdtemp failed");
        FPath = tmpl;
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(FPath, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& Path() const { return FPath; }
    std::string File(const std::string& name) const { return FPath + "/" + name; }

private:
    std::string FPath;
};

inline void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream f(path, std::ios::binary);
    f << bytes;
}

inline std::string ReadBytes(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), {});
}

// A catalogue from UTF-8 INI text (converted to code page 1251 first, as the
// file on disk would be).
inline std::unique_ptr<TConfiguration> CatalogueFromText(const std::string& utf8) {
    return LoadConfiguration(TIniFile::FromBytes(ToCp1251(utf8)), "NVT-3.cfg");
}

// Two models: a small one (red 1..3, yellow 1, green 1..3, universal 1) and
// one with universal outputs only.
inline const char* kSmallCatalogue = R"([General]
MultiCascade=1
[Model#0]
ID=10
Caption=Малый
RedOrder=1,2,4
YellowOrder=8
GreenOrder=10,20,40
UniversalOrder=80
PowerMask=80
[Model#1]
ID=20
Caption=Универсальный
UniversalOrder=1,2
)";

} // namespace tralcon::test
