#pragma once
// An emulated NVT-3 controller on a pseudo-terminal: it greets, answers the
// programmer's requests from 2048 bytes of flash and a clock, and can be told
// to misbehave the ways a real line or controller does.

#include "programmer/Prog_un.h"

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <ctime>
#include <mutex>
#include <optional>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace tralcon::sim {

enum class TCorruption {
    Data,        // a data byte is wrong, the checksum fits
    Checksum,    // the checksum is wrong: the frame is rejected as noise
    BlockNumber, // the reply names the wrong block
};

struct TSimOptions {
    bool NoHello = false; // never greet, never answer
    int CorruptReply = 0; // the n-th block reply (from 1) is corrupt...
    int CorruptCount = 1; // ...and the ones after it, this many in all
    TCorruption Corruption = TCorruption::Data;
    int DropFrame = 0;        // the n-th frame to send (from 1) is not sent...
    int DropCount = 1;        // ...nor the ones after it, this many in all
    bool SplitFrames = false; // every frame goes out in two pieces
    int GarbageBytes = 0;     // random bytes before every frame
    int StallAfter = 0;       // requests after this many get no answer
    bool AckWithRead = false; // a written block is answered by cmdReadBlock
    // Bytes take as long as on a line at this rate, 10 bits each, both ways;
    // 0 sends as fast as the pseudo-terminal takes them.
    std::uint32_t PaceBaud = 0;
    // Between a reply and the following "ready", between garbage and frame,
    // and between the pieces of a split frame.
    std::chrono::milliseconds Gap{5};
    std::chrono::milliseconds HelloInterval{300};
    // "Ready" again when no request followed it for this long.
    std::chrono::milliseconds ResendAfter{1000};
    std::uint32_t Seed = 1;
    std::optional<std::tm> Clock; // the controller's time at start; local time if empty
    bool FreezeClock = false;
    std::vector<std::uint8_t> Flash; // initial flash content; the rest is 0xFF
    std::string FlashOut;            // written after every end frame
    bool Verbose = false;            // log frames to stderr
};

struct TSimStats {
    int HellosSent = 0;
    int Requests = 0;
    int BlocksWritten = 0;
    int BlocksRead = 0;
    int ClockReads = 0;
    int ClockSets = 0;
    int Ends = 0;
    int FramesDropped = 0;
};

class TControllerSim {
  public:
    // Opens the pseudo-terminal; throws std::runtime_error when it cannot.
    explicit TControllerSim(TSimOptions options);
    ~TControllerSim();
    TControllerSim(const TControllerSim&) = delete;
    TControllerSim& operator=(const TControllerSim&) = delete;

    // The device the programmer opens.
    const std::string& DevicePath() const { return FDevice; }

    // Runs the controller on its own thread until Stop.
    void Start();
    void Stop();

    std::array<std::uint8_t, MaxImageSize> Flash() const;
    TSimStats Stats() const;
    // Every frame received from the programmer, whole.
    std::vector<std::vector<std::uint8_t>> ReceivedFrames() const;
    TClockFields ClockNow() const;
    // Writes the flash through a temporary file and a rename.
    bool SaveFlash(const std::string& path, std::string* error) const;

  private:
    using TClock = std::chrono::steady_clock;

    void Run();
    void Poll(TClock::time_point until);
    void OnBytes(const std::uint8_t* bytes, std::size_t count);
    void OnRequest(const TFrameMatch& match, const std::uint8_t* bytes);
    void SendReady();
    void SendFrame(std::vector<std::uint8_t> data, bool blockReply = false);
    void WriteOut(const std::vector<std::uint8_t>& bytes);
    std::vector<std::uint8_t> Garbage(const std::vector<std::uint8_t>& frame);
    void Sleep(std::chrono::milliseconds delay);
    void SetClock(const TClockFields& fields);
    void Log(const char* what, const std::vector<std::uint8_t>& bytes) const;

    TSimOptions FOptions;
    int FMaster = -1;
    int FSlave = -1;  // held open so the line survives the programmer closing it
    int FStopFd = -1; // eventfd
    std::string FDevice;
    std::thread FThread;

    mutable std::mutex FMutex; // guards what the accessors read
    std::array<std::uint8_t, MaxImageSize> FFlash{};
    TSimStats FStats;
    std::vector<std::vector<std::uint8_t>> FReceived;
    std::time_t FClockBase = 0; // controller time as seconds, fields read with gmtime
    TClock::time_point FClockSetAt;

    // Loop state, touched only by the controller's thread.
    std::vector<std::uint8_t> FRx;
    bool FConnected = false;
    bool FSilent = false;
    int FFramesSent = 0;
    int FBlockReplies = 0;
    std::optional<TClock::time_point> FNextHello, FResendAt;
    TClock::duration FByteTime{};
    TClock::time_point FTxFree, FRxFree;
    std::mt19937 FRandom;
};

} // namespace tralcon::sim
