#pragma once
// Shared by the programmer window tests: a temporary folder, the window's
// settings file, images, and a quick emulated controller.

#include "programmer/sim/ControllerSim.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

namespace tralcon::test {

using Bytes = std::vector<std::uint8_t>;

class TTempDir {
  public:
    TTempDir() {
        std::string tmpl =
            (std::filesystem::temp_directory_path() / "tralcon-serlink-XXXXXX").string();
        if (::mkdtemp(tmpl.data()) == nullptr)
            throw std::runtime_error("mkdtemp failed");
        FPath = tmpl;
    }
    ~TTempDir() {
        std::error_code ec;
        std::filesystem::remove_all(FPath, ec);
    }
    TTempDir(const TTempDir&) = delete;
    TTempDir& operator=(const TTempDir&) = delete;
    const std::string& Path() const { return FPath; }
    std::string File(const std::string& name) const { return FPath + "/" + name; }

  private:
    std::string FPath;
};

inline std::string ReadText(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), {});
}

inline void WriteText(const std::string& path, const std::string& text) {
    std::ofstream f(path, std::ios::binary);
    f << text;
}

// A "Programmator" section naming the devices to offer, then any other keys.
inline void WriteSettings(const std::string& path, const std::string& devices,
                          const std::string& more = "") {
    WriteText(path, "[Programmator]\r\nDevices=" + devices + "\r\n" + more);
}

inline Bytes Image(std::size_t n, std::uint8_t seed) {
    Bytes image(n);
    for (std::size_t i = 0; i < n; ++i)
        image[i] = std::uint8_t(seed + i * 7 + (i >> 8));
    return image;
}

// What the flash must hold after programming image: its first 2048 bytes
// padded with zeros to whole blocks, the rest untouched (0xFF).
inline Bytes ExpectedFlash(const Bytes& image) {
    const std::size_t taken = std::min<std::size_t>(image.size(), 2048);
    const std::size_t padded = (taken + 15) / 16 * 16;
    Bytes flash(2048, 0xFF);
    std::fill_n(flash.begin(), padded, 0);
    std::copy_n(image.begin(), taken, flash.begin());
    return flash;
}

inline Bytes FlashOf(const sim::TControllerSim& sim) {
    const auto flash = sim.Flash();
    return Bytes(flash.begin(), flash.end());
}

// Greets and repeats itself often, answers at once.
inline sim::TSimOptions QuickSim() {
    using namespace std::chrono_literals;
    sim::TSimOptions o;
    o.Gap = 1ms;
    o.HelloInterval = 100ms;
    o.ResendAfter = 300ms;
    return o;
}

inline std::tm ExampleTime() {
    std::tm t{};
    t.tm_year = 108;
    t.tm_mon = 2;
    t.tm_mday = 10;
    t.tm_hour = 16;
    t.tm_min = 21;
    t.tm_sec = 48;
    t.tm_wday = 1;
    return t;
}

} // namespace tralcon::test
