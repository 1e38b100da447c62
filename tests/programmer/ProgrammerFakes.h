#pragma once
// A port and a clock the exchange can be driven by without a device or real
// time, and a controller that answers requests the way the real one does.

#include "programmer/Prog_un.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace tralcon::test {

using TBytes = std::vector<std::uint8_t>;

class FakeLink : public IProgrammerLink {
  public:
    bool FailOpen = false;
    bool IsOpen = false;
    int Opens = 0;
    std::vector<TBytes> Sent;
    std::vector<TLineSignal> Signals;

    bool Open(std::string& error) override {
        if (FailOpen || IsOpen) {
            error = IsOpen ? "Заданный порт уже открыт!" : "Невозможно открыть порт!";
            return false;
        }
        IsOpen = true;
        ++Opens;
        return true;
    }
    void Close() override { IsOpen = false; }
    bool Send(const std::uint8_t* data, std::size_t count) override {
        Sent.emplace_back(data, data + count);
        return IsOpen;
    }
    bool SetLineSignal(TLineSignal signal) override {
        Signals.push_back(signal);
        return IsOpen;
    }
};

// Virtual milliseconds: timers fire only when the test moves time on.
class FakeClock : public IProgrammerClock {
  public:
    std::tm Now{};
    long long NowMs = 0;
    std::array<std::optional<long long>, 2> Deadlines;
    std::vector<long long> Pauses;

    std::tm LocalNow() override { return Now; }
    void StartTimer(TProgTimer timer, std::chrono::milliseconds delay) override {
        Deadlines[std::size_t(timer)] = NowMs + delay.count();
    }
    void StopTimer(TProgTimer timer) override { Deadlines[std::size_t(timer)].reset(); }
    void Pause(std::chrono::milliseconds delay) override {
        Pauses.push_back(delay.count());
        NowMs += delay.count();
    }
    bool Armed(TProgTimer timer) const { return Deadlines[std::size_t(timer)].has_value(); }

    // Moves time on, firing the timers that expire on the way, in order.
    void Advance(long long ms, TProgrammer& programmer) {
        const long long target = NowMs + ms;
        for (;;) {
            std::optional<std::size_t> next;
            for (std::size_t i = 0; i < Deadlines.size(); ++i)
                if (Deadlines[i] && *Deadlines[i] <= target &&
                    (!next || *Deadlines[i] < *Deadlines[*next]))
                    next = i;
            if (!next)
                break;
            NowMs = *Deadlines[*next];
            Deadlines[*next].reset();
            programmer.TimerFired(TProgTimer(*next));
        }
        NowMs = target;
    }
};

// The controller's side: flash and clock, one answer per request.
struct ScriptedController {
    std::array<std::uint8_t, MaxImageSize> Flash{};
    bool AckWithRead = false;
    TClockFields Clock;

    // The frames (data only) the controller sends in answer to one request
    // frame; empty for the end frame.
    std::vector<TBytes> Answer(const TBytes& request) {
        auto match = FindFrame(request.data(), request.size());
        if (!match)
            return {};
        const TFrame& f = match->Frame;
        const std::uint8_t block = f.Data[1];
        auto blockReply = [&](std::uint8_t command) {
            TBytes reply{command, block};
            reply.insert(reply.end(), Flash.begin() + block * BlockSize,
                         Flash.begin() + (block + 1) * BlockSize);
            return reply;
        };
        auto clockReply = [&](std::uint8_t command) {
            TBytes reply{command};
            auto bytes = ClockBytes(Clock);
            reply.insert(reply.end(), bytes.begin(), bytes.end());
            return reply;
        };
        const TBytes ready{cmdReady, 0};
        switch (f.Command()) {
        case cmdReady:
            return {ready};
        case cmdWriteBlock:
            std::copy_n(f.Data.begin() + 2, BlockSize, Flash.begin() + block * BlockSize);
            return {blockReply(AckWithRead ? cmdReadBlock : cmdBlockWritten), ready};
        case cmdReadBlock:
            return {blockReply(cmdReadBlock), ready};
        case cmdReadTime:
            return {clockReply(cmdReadTime), ready};
        case cmdSetTime:
            Clock = ClockFieldsFromBytes(f.Data.data() + 1);
            return {clockReply(cmdSetTime), ready};
        default:
            return {};
        }
    }
};

} // namespace tralcon::test
