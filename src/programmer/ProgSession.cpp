#include "programmer/ProgSession.h"

#include <algorithm>
#include <thread>

namespace tralcon {

bool TCommLink::Open(std::string& error) {
    try {
        FComm.SetCommPort(Port);
        FComm.SetParity(Parity);
        FComm.SetBaudRate(BaudRate);
        if (!FComm.OpenPort()) {
            error = "Невозможно открыть порт!";
            return false;
        }
        return true;
    } catch (const ECommsError& e) {
        error = e.what();
        return false;
    }
}

bool TCommLink::Send(const std::uint8_t* data, std::size_t count) {
    if (count > 0xFFFF)
        return false;
    return FComm.SendData(data, std::uint16_t(count));
}

std::tm TLoopClock::LocalNow() {
    if (Now)
        return Now();
    std::time_t t = std::time(nullptr);
    std::tm local{};
    localtime_r(&t, &local);
    return local;
}

void TLoopClock::StartTimer(TProgTimer timer, std::chrono::milliseconds delay) {
    auto scaled = std::chrono::duration_cast<std::chrono::steady_clock::duration>(delay * FScale);
    FDeadlines[std::size_t(timer)] = std::chrono::steady_clock::now() + scaled;
}

void TLoopClock::StopTimer(TProgTimer timer) {
    FDeadlines[std::size_t(timer)].reset();
}

void TLoopClock::Pause(std::chrono::milliseconds delay) {
    std::this_thread::sleep_for(delay * FScale);
}

std::optional<TLoopClock::TTime> TLoopClock::NextDeadline() const {
    std::optional<TTime> next;
    for (const auto& d : FDeadlines)
        if (d && (!next || *d < *next))
            next = d;
    return next;
}

void TLoopClock::FireDue(TProgrammer& programmer) {
    const TTime now = std::chrono::steady_clock::now();
    for (std::size_t i = 0; i < FDeadlines.size(); ++i) {
        if (FDeadlines[i] && *FDeadlines[i] <= now) {
            FDeadlines[i].reset();
            programmer.TimerFired(TProgTimer(i));
        }
    }
}

namespace {

// One exchange from the button to the closed port.
TSessionResult RunExchange(const TSessionOptions& options, TExchangeMode mode,
                           const std::function<void(TProgrammer&)>& prepare) {
    TComm32 comm;
    TCommLink link(comm);
    link.Port = options.Port;
    link.BaudRate = options.BaudRate;
    link.Parity = options.Parity;
    TLoopClock clock(options.TimeScale);
    clock.Now = options.Now;
    TProgrammer programmer(link, clock);
    programmer.OnStatus = options.OnStatus;
    programmer.OnProgress = options.OnProgress;
    comm.OnReceiveData = [&](const std::uint8_t* buffer, std::uint16_t length) {
        programmer.HandleReceived(buffer, length);
    };
    prepare(programmer);

    TSessionResult result;
    const bool started = programmer.Start(mode);
    result.OpenError = programmer.LastOpenError();
    using Clock = std::chrono::steady_clock;
    const Clock::time_point limitAt =
        options.Limit.count() > 0 ? Clock::now() + options.Limit : Clock::time_point::max();
    while (started && programmer.Running()) {
        // Wake for the next timer, the limit, or at the latest after a
        // moment; messages wake the wait at once.
        auto wake = std::min(Clock::now() + std::chrono::milliseconds(100), limitAt);
        if (auto next = clock.NextDeadline())
            wake = std::min(wake, *next);
        auto wait = std::chrono::ceil<std::chrono::milliseconds>(wake - Clock::now());
        comm.WaitForMessages(std::max(wait, std::chrono::milliseconds(0)));
        comm.ProcessMessages();
        clock.FireDue(programmer);
        if (programmer.Running() && Clock::now() >= limitAt) {
            result.TimedOut = true;
            programmer.Stop();
        }
    }
    result.Succeeded = started && programmer.ExchangeSucceeded() && !result.TimedOut;
    result.ResultCode = programmer.ResultCode();
    result.Status = programmer.Status();
    result.Clock = programmer.ControllerClock();
    return result;
}

} // namespace

TSessionResult ProgramController(const TSessionOptions& options, const std::uint8_t* image,
                                 std::size_t length) {
    return RunExchange(options, TExchangeMode::Program,
                       [&](TProgrammer& p) { p.SetImage(image, length); });
}

TSessionResult ReadController(const TSessionOptions& options,
                              std::array<std::uint8_t, MaxImageSize>& flash) {
    TSessionResult result;
    std::array<std::uint8_t, MaxImageSize> read{};
    result = RunExchange(options, TExchangeMode::Read, [&](TProgrammer& p) {
        p.SetBlockCount(int(MaxBlockCount));
        p.SetReadDestination(read.data(), read.size());
    });
    // The caller's buffer changes only when the whole flash came in.
    if (result.Succeeded)
        flash = read;
    return result;
}

TSessionResult ControllerClock(const TSessionOptions& options, bool set) {
    return RunExchange(options, set ? TExchangeMode::SetTime : TExchangeMode::ReadTime,
                       [](TProgrammer&) {});
}

} // namespace tralcon
