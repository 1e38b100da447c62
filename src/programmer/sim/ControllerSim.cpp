#include "programmer/sim/ControllerSim.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <stdexcept>

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <termios.h>
#include <unistd.h>

namespace tralcon::sim {

namespace {

std::time_t TimeFromTm(std::tm t) {
    return timegm(&t);
}

} // namespace

TControllerSim::TControllerSim(TSimOptions options)
    : FOptions(std::move(options)), FRandom(FOptions.Seed) {
    FFlash.fill(0xFF);
    std::copy_n(FOptions.Flash.begin(), std::min(FOptions.Flash.size(), FFlash.size()),
                FFlash.begin());

    std::tm start{};
    if (FOptions.Clock) {
        start = *FOptions.Clock;
    } else {
        std::time_t now = std::time(nullptr);
        localtime_r(&now, &start);
    }
    FClockBase = TimeFromTm(start);
    FClockSetAt = TClock::now();
    if (FOptions.PaceBaud > 0)
        FByteTime = std::chrono::duration_cast<TClock::duration>(
            std::chrono::duration<double>(10.0 / double(FOptions.PaceBaud)));

    FMaster = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (FMaster < 0 || grantpt(FMaster) != 0 || unlockpt(FMaster) != 0)
        throw std::runtime_error(std::string("pseudo-terminal: ") + std::strerror(errno));
    char name[128];
    if (ptsname_r(FMaster, name, sizeof name) != 0)
        throw std::runtime_error("pseudo-terminal has no name");
    FDevice = name;
    FSlave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (FSlave < 0)
        throw std::runtime_error(std::string("pseudo-terminal: ") + std::strerror(errno));
    // Raw until the programmer configures it: a fresh pseudo-terminal would
    // echo the greeting back to us.
    termios t{};
    tcgetattr(FSlave, &t);
    cfmakeraw(&t);
    tcsetattr(FSlave, TCSANOW, &t);
    fcntl(FMaster, F_SETFL, fcntl(FMaster, F_GETFL) | O_NONBLOCK);
    FStopFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (FStopFd < 0)
        throw std::runtime_error(std::string("eventfd: ") + std::strerror(errno));
}

TControllerSim::~TControllerSim() {
    Stop();
    for (int fd : {FMaster, FSlave, FStopFd})
        if (fd >= 0)
            ::close(fd);
}

void TControllerSim::Start() {
    if (!FThread.joinable())
        FThread = std::thread([this] { Run(); });
}

void TControllerSim::Stop() {
    if (!FThread.joinable())
        return;
    const std::uint64_t one = 1;
    [[maybe_unused]] ssize_t ignored = ::write(FStopFd, &one, sizeof one);
    FThread.join();
}

std::array<std::uint8_t, MaxImageSize> TControllerSim::Flash() const {
    std::lock_guard lock(FMutex);
    return FFlash;
}

TSimStats TControllerSim::Stats() const {
    std::lock_guard lock(FMutex);
    return FStats;
}

std::vector<std::vector<std::uint8_t>> TControllerSim::ReceivedFrames() const {
    std::lock_guard lock(FMutex);
    return FReceived;
}

TClockFields TControllerSim::ClockNow() const {
    std::time_t now;
    {
        std::lock_guard lock(FMutex);
        now = FClockBase;
        if (!FOptions.FreezeClock)
            now += std::chrono::duration_cast<std::chrono::seconds>(TClock::now() - FClockSetAt)
                       .count();
    }
    std::tm t{};
    gmtime_r(&now, &t);
    return ClockFieldsFromTm(t);
}

void TControllerSim::SetClock(const TClockFields& c) {
    std::tm t{};
    t.tm_sec = c.Second;
    t.tm_min = c.Minute;
    t.tm_hour = c.Hour;
    t.tm_mday = c.Day + 1;
    t.tm_mon = c.Month;
    t.tm_year = c.Year + 100;
    std::tm check = t;
    std::time_t when = TimeFromTm(check);
    // timegm normalises an impossible date; such a request keeps the old time.
    if (c.Second >= 60 || c.Minute >= 60 || c.Hour >= 24 || check.tm_mday != t.tm_mday ||
        check.tm_mon != t.tm_mon)
        return;
    std::lock_guard lock(FMutex);
    FClockBase = when;
    FClockSetAt = TClock::now();
}

bool TControllerSim::SaveFlash(const std::string& path, std::string* error) const {
    const auto flash = Flash();
    const std::string temp = path + ".tmp";
    FILE* f = std::fopen(temp.c_str(), "wb");
    bool ok = f != nullptr && std::fwrite(flash.data(), 1, flash.size(), f) == flash.size();
    if (f != nullptr && std::fclose(f) != 0)
        ok = false;
    if (ok && std::rename(temp.c_str(), path.c_str()) != 0)
        ok = false;
    if (!ok) {
        if (error)
            *error = path + ": " + std::strerror(errno);
        std::remove(temp.c_str());
    }
    return ok;
}

void TControllerSim::Log(const char* what, const std::vector<std::uint8_t>& bytes) const {
    if (!FOptions.Verbose)
        return;
    std::string text;
    char hex[4];
    for (std::uint8_t b : bytes) {
        std::snprintf(hex, sizeof hex, " %02X", b);
        text += hex;
    }
    std::fprintf(stderr, "sim %s%s\n", what, text.c_str());
}

void TControllerSim::Run() {
    if (!FOptions.NoHello)
        FNextHello = TClock::now();
    for (;;) {
        auto until = TClock::now() + std::chrono::milliseconds(200);
        if (FNextHello)
            until = std::min(until, *FNextHello);
        if (FResendAt)
            until = std::min(until, *FResendAt);
        pollfd p[2] = {{FMaster, POLLIN, 0}, {FStopFd, POLLIN, 0}};
        auto wait = std::chrono::ceil<std::chrono::milliseconds>(until - TClock::now()).count();
        int r = poll(p, 2, int(std::max<long long>(wait, 0)));
        if (r > 0 && p[1].revents != 0)
            return;
        if (r > 0 && (p[0].revents & POLLIN)) {
            std::uint8_t buffer[512];
            ssize_t n = ::read(FMaster, buffer, sizeof buffer);
            if (n > 0)
                OnBytes(buffer, std::size_t(n));
        } else if (r > 0 && (p[0].revents & (POLLHUP | POLLERR))) {
            // Cannot happen while we hold the slave open; avoid spinning anyway.
            Sleep(std::chrono::milliseconds(10));
        }
        const auto now = TClock::now();
        if (FNextHello && now >= *FNextHello && !FConnected && !FSilent) {
            // Greetings nobody read are stale by now.
            tcflush(FSlave, TCIFLUSH);
            SendFrame({cmdHello, 0x00});
            std::lock_guard lock(FMutex);
            ++FStats.HellosSent;
            FNextHello = now + FOptions.HelloInterval;
        }
        if (FResendAt && now >= *FResendAt && FConnected && !FSilent)
            SendReady();
    }
}

void TControllerSim::OnBytes(const std::uint8_t* bytes, std::size_t count) {
    if (FByteTime.count() > 0)
        FRxFree = std::max(FRxFree, TClock::now()) + FByteTime * count;
    FRx.insert(FRx.end(), bytes, bytes + count);
    while (auto match = FindFrame(FRx.data(), FRx.size())) {
        std::vector<std::uint8_t> frame(FRx.begin() + match->Offset,
                                        FRx.begin() + match->Offset + match->Size());
        FRx.erase(FRx.begin(), FRx.begin() + match->Offset + match->Size());
        // On a real line the request is complete only once its last byte
        // has arrived.
        if (FByteTime.count() > 0)
            std::this_thread::sleep_until(FRxFree);
        OnRequest(*match, frame.data());
    }
    if (FRx.size() > 64) // noise that never became a frame
        FRx.erase(FRx.begin(), FRx.end() - 20);
}

void TControllerSim::OnRequest(const TFrameMatch& match, const std::uint8_t* bytes) {
    const TFrame& f = match.Frame;
    std::vector<std::uint8_t> whole(bytes, bytes + match.Size());
    Log("<-", whole);
    {
        std::lock_guard lock(FMutex);
        FReceived.push_back(whole);
        ++FStats.Requests;
    }
    if (FSilent || FOptions.NoHello)
        return;
    if (FOptions.StallAfter > 0 && Stats().Requests > FOptions.StallAfter) {
        FSilent = true;
        return;
    }
    const std::uint8_t block = f.Data[1];
    auto blockBytes = [&](std::uint8_t command) {
        std::vector<std::uint8_t> reply{command, block};
        std::lock_guard lock(FMutex);
        for (std::size_t i = 0; i < BlockSize; ++i)
            reply.push_back(block < MaxBlockCount ? FFlash[block * BlockSize + i] : 0);
        return reply;
    };
    auto clockReply = [&](std::uint8_t command) {
        std::vector<std::uint8_t> reply{command};
        const auto clock = ClockBytes(ClockNow());
        reply.insert(reply.end(), clock.begin(), clock.end());
        return reply;
    };

    switch (f.Command()) {
    case cmdReady: // the connection request
        FConnected = true;
        FNextHello.reset();
        break;
    case cmdWriteBlock:
        if (f.DataLength != 18)
            return;
        if (block < MaxBlockCount) {
            std::lock_guard lock(FMutex);
            std::copy_n(f.Data.begin() + 2, BlockSize, FFlash.begin() + block * BlockSize);
            ++FStats.BlocksWritten;
        }
        SendFrame(blockBytes(FOptions.AckWithRead ? cmdReadBlock : cmdBlockWritten), true);
        break;
    case cmdReadBlock: {
        std::lock_guard lock(FMutex);
        ++FStats.BlocksRead;
    }
        SendFrame(blockBytes(cmdReadBlock), true);
        break;
    case cmdReadTime: {
        std::lock_guard lock(FMutex);
        ++FStats.ClockReads;
    }
        SendFrame(clockReply(cmdReadTime));
        break;
    case cmdSetTime:
        if (f.DataLength != 8)
            return;
        SetClock(ClockFieldsFromBytes(f.Data.data() + 1));
        {
            std::lock_guard lock(FMutex);
            ++FStats.ClockSets;
        }
        SendFrame(clockReply(cmdSetTime));
        break;
    case cmdEnd: {
        FConnected = false;
        FResendAt.reset();
        FNextHello = TClock::now() + FOptions.HelloInterval;
        {
            std::lock_guard lock(FMutex);
            ++FStats.Ends;
        }
        std::string error;
        if (!FOptions.FlashOut.empty() && !SaveFlash(FOptions.FlashOut, &error))
            std::fprintf(stderr, "nvt-controller-sim: %s\n", error.c_str());
        return;
    }
    default:
        return;
    }
    Sleep(FOptions.Gap);
    SendReady();
}

void TControllerSim::SendReady() {
    SendFrame({cmdReady, 0x00});
    FResendAt = TClock::now() + FOptions.ResendAfter;
}

void TControllerSim::SendFrame(std::vector<std::uint8_t> data, bool blockReply) {
    std::vector<std::uint8_t> frame = MakeFrame(data);
    if (blockReply) {
        ++FBlockReplies;
        const int n = FBlockReplies - FOptions.CorruptReply;
        if (FOptions.CorruptReply > 0 && n >= 0 && n < FOptions.CorruptCount) {
            switch (FOptions.Corruption) {
            case TCorruption::Checksum:
                frame.back() ^= 0x01;
                break;
            case TCorruption::BlockNumber:
                data[1] ^= 0x01;
                frame = MakeFrame(data);
                break;
            case TCorruption::Data:
                data[2] ^= 0x5A;
                frame = MakeFrame(data);
                break;
            }
        }
    }
    ++FFramesSent;
    const int dropped = FFramesSent - FOptions.DropFrame;
    if (FOptions.DropFrame > 0 && dropped >= 0 && dropped < FOptions.DropCount) {
        Log("dropped", frame);
        std::lock_guard lock(FMutex);
        ++FStats.FramesDropped;
        return;
    }
    if (FOptions.GarbageBytes > 0) {
        WriteOut(Garbage(frame));
        Sleep(FOptions.Gap);
    }
    Log("->", frame);
    if (FOptions.SplitFrames) {
        const std::size_t cut = 1 + FRandom() % (frame.size() - 1);
        WriteOut(std::vector<std::uint8_t>(frame.begin(), frame.begin() + cut));
        Sleep(FOptions.Gap);
        WriteOut(std::vector<std::uint8_t>(frame.begin() + cut, frame.end()));
    } else {
        WriteOut(frame);
    }
}

// Noise that neither holds a frame of its own nor forms one with the start
// of the frame after it, so what the programmer sees is only the frame.
std::vector<std::uint8_t> TControllerSim::Garbage(const std::vector<std::uint8_t>& frame) {
    for (;;) {
        std::vector<std::uint8_t> noise(std::size_t(FOptions.GarbageBytes));
        for (auto& b : noise)
            b = std::uint8_t(FRandom());
        // Sync bytes are the interesting part of noise; make sure some occur.
        if (noise.size() >= 2)
            noise[FRandom() % noise.size()] = SyncByte;
        std::vector<std::uint8_t> both = noise;
        both.insert(both.end(), frame.begin(), frame.end());
        auto match = FindFrame(both.data(), both.size());
        if (match && match->Offset == noise.size())
            return noise;
    }
}

void TControllerSim::WriteOut(const std::vector<std::uint8_t>& bytes) {
    const bool paced = FByteTime.count() > 0;
    std::size_t done = 0;
    while (done < bytes.size()) {
        std::size_t piece = bytes.size() - done;
        if (paced) {
            FTxFree = std::max(FTxFree, TClock::now());
            std::this_thread::sleep_until(FTxFree);
            piece = 1;
        }
        ssize_t n = ::write(FMaster, bytes.data() + done, piece);
        if (n > 0) {
            done += std::size_t(n);
            if (paced)
                FTxFree += FByteTime;
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        // Nobody is reading and the line's buffer is full: a real line
        // would lose the bytes too.
        pollfd p{FMaster, POLLOUT, 0};
        if (n < 0 && errno == EAGAIN && poll(&p, 1, 200) > 0)
            continue;
        return;
    }
    // The frame has left only once its last byte is through the line.
    if (paced)
        std::this_thread::sleep_until(FTxFree);
}

void TControllerSim::Sleep(std::chrono::milliseconds delay) {
    if (delay.count() > 0)
        std::this_thread::sleep_for(delay);
}

} // namespace tralcon::sim
