#include "PtyUtil.h"

#include <asm/termbits.h>
#include <fcntl.h>
#include <poll.h>
#include <stdexcept>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <thread>
#include <unistd.h>

namespace tralcon::test {

PtyPair::PtyPair() {
    FMaster = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (FMaster < 0 || grantpt(FMaster) != 0 || unlockpt(FMaster) != 0)
        throw std::runtime_error("no pseudo-terminal");
    FPath = ptsname(FMaster);
    FObserver = ::open(FPath.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (FObserver < 0)
        throw std::runtime_error("cannot open " + FPath);
    fcntl(FMaster, F_SETFL, fcntl(FMaster, F_GETFL) | O_NONBLOCK);
}

PtyPair::~PtyPair() {
    if (FMaster >= 0)
        ::close(FMaster);
    ::close(FObserver);
}

void PtyPair::Write(const std::vector<std::uint8_t>& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::write(FMaster, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += std::size_t(n);
        } else {
            pollfd p{FMaster, POLLOUT, 0};
            if (poll(&p, 1, 2000) <= 0)
                throw std::runtime_error("pseudo-terminal does not take bytes");
        }
    }
}

std::vector<std::uint8_t> PtyPair::Read(std::size_t count, std::chrono::milliseconds limit) {
    std::vector<std::uint8_t> got;
    const auto end = std::chrono::steady_clock::now() + limit;
    while (got.size() < count && std::chrono::steady_clock::now() < end) {
        pollfd p{FMaster, POLLIN, 0};
        if (poll(&p, 1, 20) > 0) {
            std::uint8_t buffer[4096];
            ssize_t n = ::read(FMaster, buffer, sizeof buffer);
            if (n > 0)
                got.insert(got.end(), buffer, buffer + n);
        }
    }
    return got;
}

void PtyPair::CloseMaster() {
    ::close(FMaster);
    FMaster = -1;
}

TLineState PtyPair::Line() const {
    struct termios2 t {};
    TLineState s;
    if (ioctl(FObserver, TCGETS2, &t) != 0)
        return s;
    s.Speed = t.c_ospeed;
    s.Parity = (t.c_cflag & PARENB) != 0;
    s.Raw = (t.c_lflag & (ECHO | ICANON | ISIG)) == 0 && (t.c_oflag & OPOST) == 0 &&
            (t.c_iflag & (ICRNL | IXON)) == 0;
    switch (t.c_cflag & CSIZE) {
    case CS5:
        s.DataBits = 5;
        break;
    case CS6:
        s.DataBits = 6;
        break;
    case CS7:
        s.DataBits = 7;
        break;
    default:
        s.DataBits = 8;
    }
    return s;
}

bool PumpUntil(const std::function<void()>& pump, const std::function<bool()>& done,
               std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    for (;;) {
        pump();
        if (done())
            return true;
        if (std::chrono::steady_clock::now() >= end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

} // namespace tralcon::test
