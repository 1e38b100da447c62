#pragma once
// What the tests against the emulated controller share: quick simulator
// settings and the example clock of 10 March 2008, 16:21:48, a Monday.

#include "programmer/sim/ControllerSim.h"

#include <chrono>
#include <ctime>

namespace tralcon::test {

// Greets and repeats itself well within the shortened time-outs, answers at
// once.
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
    t.tm_year = 108; // 2008
    t.tm_mon = 2;
    t.tm_mday = 10;
    t.tm_hour = 16;
    t.tm_min = 21;
    t.tm_sec = 48;
    t.tm_wday = 1; // Monday
    return t;
}

// How the program shows that time.
inline constexpr const char* kExampleClockText = "Время в НВТ: 10.03.2008 16:21:48 Понедельник";

} // namespace tralcon::test
