#include "programmer/CommLine.h"

// termios2 and BOTHER; this header defines its own struct termios, so
// <termios.h> must not be included here.
#include <asm/termbits.h>
#include <sys/ioctl.h>

namespace tralcon {

namespace {

bool SizeBits(TBytesize size, tcflag_t* bits) {
    switch (size) {
    case sz_5:
        *bits = CS5;
        return true;
    case sz_6:
        *bits = CS6;
        return true;
    case sz_7:
        *bits = CS7;
        return true;
    case sz_8:
        *bits = CS8;
        return true;
    default: // a UART has no 4-bit characters
        return false;
    }
}

tcflag_t ParityBits(TParity parity) {
    switch (parity) {
    case pOdd:
        return PARENB | PARODD;
    case pEven:
        return PARENB;
    case pMark: // "stick" parity: odd plus CMSPAR gives a constant 1
        return PARENB | PARODD | CMSPAR;
    case pSpace:
        return PARENB | CMSPAR;
    default:
        return 0;
    }
}

// Rates the driver rounds to what its divisor can make still count as kept;
// a UART tolerates about this much.
bool RateKept(unsigned wanted, unsigned got) {
    unsigned diff = wanted > got ? wanted - got : got - wanted;
    return std::uint64_t(diff) * 50 <= wanted;
}

} // namespace

bool ApplyLineSettings(int fd, const TLineSettings& s) {
    tcflag_t size = 0;
    if (!SizeBits(s.ByteSize, &size) || s.BaudRate == 0)
        return false;
    // 1.5 stop bits exist only with 5-bit characters, where CSTOPB means
    // 1.5; 2 stop bits with 5-bit characters do not exist at all.
    if (s.StopBits == sb1_5 && s.ByteSize != sz_5)
        return false;
    if (s.StopBits == sb2_0 && s.ByteSize == sz_5)
        return false;
    const tcflag_t stop = s.StopBits == sb1_0 ? 0 : CSTOPB;
    const tcflag_t parity = ParityBits(s.Parity);

    struct termios2 t {};
    if (ioctl(fd, TCGETS2, &t) != 0)
        return false;
    // Binary line: no translation, no echo, no line editing, no signals;
    // received parity is not checked.
    t.c_iflag &= ~tcflag_t(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON |
                           IXOFF | IXANY | INPCK | IMAXBEL | IUCLC);
    t.c_oflag &= ~tcflag_t(OPOST);
    t.c_lflag &= ~tcflag_t(ECHO | ECHONL | ECHOE | ECHOK | ICANON | ISIG | IEXTEN);
    t.c_cflag &= ~tcflag_t(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS | CBAUD | CIBAUD);
    t.c_cflag |= CREAD | CLOCAL | BOTHER | size | parity | stop;
    if (s.FlowControl == fcHardware1)
        t.c_cflag |= CRTSCTS;
    if (s.FlowControl == fcSoftware) {
        t.c_iflag |= IXON | IXOFF;
        t.c_cc[VSTART] = 0x11;
        t.c_cc[VSTOP] = 0x13;
    }
    // CIBAUD left zero: input runs at the output rate.
    t.c_ospeed = s.BaudRate;
    t.c_ispeed = s.BaudRate;
    t.c_cc[VMIN] = 1;
    t.c_cc[VTIME] = 0;
    if (ioctl(fd, TCSETS2, &t) != 0)
        return false;

    struct termios2 back {};
    if (ioctl(fd, TCGETS2, &back) != 0)
        return false;
    const tcflag_t cflag = back.c_cflag;
    if ((cflag & CSIZE) != size || (cflag & CSTOPB) != stop)
        return false;
    if ((cflag & PARENB) != (parity & PARENB))
        return false;
    // Without PARENB the other parity bits mean nothing; a pseudo-terminal
    // clears PARENB and leaves them.
    if ((parity & PARENB) && (cflag & (PARODD | CMSPAR)) != (parity & (PARODD | CMSPAR)))
        return false;
    if (bool(cflag & CRTSCTS) != (s.FlowControl == fcHardware1))
        return false;
    if (bool(back.c_iflag & IXON) != (s.FlowControl == fcSoftware) ||
        bool(back.c_iflag & IXOFF) != (s.FlowControl == fcSoftware))
        return false;
    return RateKept(s.BaudRate, back.c_ospeed);
}

} // namespace tralcon
