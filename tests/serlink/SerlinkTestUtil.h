#pragma once
// Shared by the programmer window tests: a temporary folder, the window's
// settings file and images; the emulated controller's settings are shared
// with the other controller tests.

#include "TestUtil.h"
#include "programmer/sim/ControllerSim.h"
#include "support/ControllerSupport.h"

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

// A "Programmator" section naming the devices to offer, then any other keys.
inline void WriteSettings(const std::string& path, const std::string& devices,
                          const std::string& more = "") {
    WriteBytes(path, "[Programmator]\r\nDevices=" + devices + "\r\n" + more);
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

} // namespace tralcon::test
