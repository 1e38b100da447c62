#pragma once
// Running an exchange without a window: the port link over TComm32, timers
// on the steady clock, and synchronous program/read/clock calls for the
// command-line tool and the end-to-end tests.

#include "programmer/Comm32.h"
#include "programmer/Prog_un.h"

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace tralcon {

// The exchange's port: applies the chosen port, baud rate and ninth bit to a
// TComm32 (the rest keep the component's defaults) and opens it.
class TCommLink : public IProgrammerLink {
  public:
    explicit TCommLink(TComm32& comm) : FComm(comm) {}

    std::string Port;
    std::uint32_t BaudRate = 10417;
    TParity Parity = pNone;

    bool Open(std::string& error) override;
    void Close() override { FComm.ClosePort(); }
    bool Send(const std::uint8_t* data, std::size_t count) override;
    bool SetLineSignal(TLineSignal signal) override { return FComm.SetLineSignal(signal); }

  private:
    TComm32& FComm;
};

// Timers as deadlines on the steady clock for a loop that waits for the next
// one itself. TimeScale shortens every delay (tests use it so that a
// ten-second time-out takes a fraction of a second of real time).
class TLoopClock : public IProgrammerClock {
  public:
    using TTime = std::chrono::steady_clock::time_point;

    explicit TLoopClock(double timeScale = 1.0) : FScale(timeScale) {}

    // The PC's local time unless replaced.
    std::function<std::tm()> Now;

    std::tm LocalNow() override;
    void StartTimer(TProgTimer timer, std::chrono::milliseconds delay) override;
    void StopTimer(TProgTimer timer) override;
    void Pause(std::chrono::milliseconds delay) override;

    std::optional<TTime> NextDeadline() const;
    // Tells the exchange of every timer that has expired.
    void FireDue(TProgrammer& programmer);

  private:
    double FScale;
    std::array<std::optional<TTime>, 2> FDeadlines;
};

struct TSessionOptions {
    std::string Port;
    std::uint32_t BaudRate = 10417;
    TParity Parity = pNone;
    // Each status text as it changes, and the progress bar.
    std::function<void(const std::string& text)> OnStatus;
    std::function<void(int position, int maximum)> OnProgress;
    double TimeScale = 1.0;
    // A bound on the whole call however the controller behaves; zero for
    // none (the exchange's own time-out still ends a silent line).
    std::chrono::milliseconds Limit{0};
    // The PC's time for setting the clock; the local time when empty.
    std::function<std::tm()> Now;
};

struct TSessionResult {
    bool Succeeded = false;
    int ResultCode = TProgrammer::rcNotDone;
    std::string Status;    // the last status text
    std::string OpenError; // why the port did not open, when it did not
    bool TimedOut = false; // the Limit ended the call
    std::optional<TClockFields> Clock;
};

// Programs the image (at most 2048 bytes are taken) with verification.
TSessionResult ProgramController(const TSessionOptions& options, const std::uint8_t* image,
                                 std::size_t length);
// Reads the whole flash (2048 bytes) into flash.
TSessionResult ReadController(const TSessionOptions& options,
                              std::array<std::uint8_t, MaxImageSize>& flash);
// Reads the controller's clock, or sets it from the PC's time first.
TSessionResult ControllerClock(const TSessionOptions& options, bool set);

} // namespace tralcon
