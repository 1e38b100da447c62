#pragma once
// Where the programmer library keeps its settings, which devices it offers
// as ports, and how a scripted run drives its window. Plain C++: the window
// and the tests share it.

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace tralcon::serlink {

// Section of "NVT-3.ini" that belongs to the programmer.
inline constexpr const char* kSettingsSection = "Programmator";
// Extra devices offered as ports before the serial devices found, separated
// by ';' (a USB adapter under an unusual name, a pseudo-terminal).
inline constexpr const char* kDevicesKey = "Devices";
// The device last chosen or typed in the window, by its path: it stays chosen
// when other devices come and go, and a typed device is offered again.
inline constexpr const char* kPortKey = "Port";

// Environment variables read by the entry points.
// A settings file to use instead of "NVT-3.ini" beside the program.
inline constexpr const char* kSettingsEnv = "SERLINK_SETTINGS";
// "program", "read", "readtime" or "settime": the window presses that
// operation's button as soon as it is shown and closes when the exchange
// ends, as if the user pressed "Выйти".
inline constexpr const char* kAutoRunEnv = "SERLINK_AUTORUN";
// The window closes by itself after this many milliseconds, whatever runs.
inline constexpr const char* kCloseAfterEnv = "SERLINK_CLOSE_AFTER_MS";

// The settings file: the environment's choice, else the program's own
// "NVT-3.ini" (beside the program when that folder is writable, else in the
// user's configuration folder).
std::string SettingsPath();

// The devices named in the settings (kDevicesKey), in order, then the serial
// devices present (/dev/ttyS*, /dev/ttyUSB*, /dev/ttyACM*) in natural order,
// then the stable names of /dev/serial/by-id, each once. devDir is "/dev"
// except in tests.
std::vector<std::string> CandidatePorts(const std::string& namedDevices,
                                        const std::string& devDir = "/dev");

enum class TAutoRun { None, Program, Read, ReadTime, SetTime };

struct TAutomation {
    TAutoRun Run = TAutoRun::None;
    std::optional<std::chrono::milliseconds> CloseAfter;
};

// Parses the two variables; unknown or malformed values are ignored.
TAutomation AutomationFromValues(const char* autoRun, const char* closeAfter);
TAutomation AutomationFromEnvironment();

} // namespace tralcon::serlink
