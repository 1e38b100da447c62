#pragma once
// Line settings of an open tty. Kept apart from Comm32.cpp because the
// custom-rate interface (termios2) cannot share a translation unit with
// <termios.h>.

#include "programmer/Comm32.h"

#include <cstdint>

namespace tralcon {

struct TLineSettings {
    std::uint32_t BaudRate = 9600;
    TBytesize ByteSize = sz_8;
    TParity Parity = pNone;
    TStopBits StopBits = sb1_0;
    TFlowControl FlowControl = fcNone;
    char EventChar = 0;
};

// Puts the tty into raw binary mode with the given settings, any baud rate
// through the custom-rate interface, then reads the settings back. False when
// the driver refuses them or drops any of them (a pseudo-terminal, for one,
// keeps no parity and only 8 data bits).
bool ApplyLineSettings(int fd, const TLineSettings& settings);

} // namespace tralcon
