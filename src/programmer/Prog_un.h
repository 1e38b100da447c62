#pragma once
// The programming protocol: frames, the exchange with the controller and the
// texts it shows. No threads and no waiting here: the owner feeds received
// chunks and timer expiries in, and the exchange acts through a link (the
// port), a clock (timers and the PC's time) and callbacks. The window, the
// command-line tool and the tests all drive this same code.

#include "programmer/Comm32.h"

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <ctime>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tralcon {

inline constexpr std::uint8_t SyncByte = 0xD3;
inline constexpr std::size_t BlockSize = 16;
inline constexpr std::size_t MaxBlockCount = 128;
inline constexpr std::size_t MaxImageSize = BlockSize * MaxBlockCount;
inline constexpr std::size_t ReceiveBufferSize = 304;
inline constexpr std::size_t MaxFrameData = 18;
// A buffer holding more unconsumed bytes than this is given up on.
inline constexpr std::size_t GarbageLimit = 50;
inline constexpr int MaxBlockErrors = 3;
inline constexpr std::chrono::milliseconds NoAnswerTimeout{10000};
// Lets the end frame leave the port before it closes.
inline constexpr std::chrono::milliseconds EndDelay{200};

enum TProgCommand : std::uint8_t {
    cmdHello = 0x00,
    cmdReady = 0x80,
    cmdReadBlock = 0x81,
    cmdWriteBlock = 0x82,
    cmdBlockWritten = 0x83,
    cmdWait = 0x84,
    cmdReadTime = 0x87,
    cmdSetTime = 0x88,
    cmdEnd = 0x8F,
};

// ---- Frames ----

bool IsAcceptedLength(std::size_t dataLength);
// The low 8 bits of the sum of the bytes.
std::uint8_t FrameChecksum(const std::uint8_t* bytes, std::size_t count);
// Sync byte, length, the data, checksum. The data length must be accepted.
std::vector<std::uint8_t> MakeFrame(const std::vector<std::uint8_t>& data);

struct TFrame {
    std::uint8_t DataLength = 0;
    std::array<std::uint8_t, MaxFrameData> Data{}; // bytes past DataLength are 0
    std::uint8_t Command() const { return Data[0]; }
};

struct TFrameMatch {
    std::size_t Offset = 0; // of the sync byte
    TFrame Frame;
    std::size_t Size() const { return std::size_t(Frame.DataLength) + 3; }
};

// The first candidate in the bytes with an accepted length and a matching
// checksum; incomplete and rejected candidates are skipped.
std::optional<TFrameMatch> FindFrame(const std::uint8_t* bytes, std::size_t count);

// ---- The controller's clock ----

// Data bytes 1 to 7 of the clock frames.
struct TClockFields {
    std::uint8_t Second = 0, Minute = 0, Hour = 0;
    std::uint8_t DayOfWeek = 0; // 0 Monday .. 6 Sunday
    std::uint8_t Day = 0;       // day of the month - 1
    std::uint8_t Month = 0;     // month - 1
    std::uint8_t Year = 0;      // year - 2000, low 8 bits
    bool operator==(const TClockFields&) const = default;
};

TClockFields ClockFieldsFromTm(const std::tm& local);
std::array<std::uint8_t, 7> ClockBytes(const TClockFields& clock);
TClockFields ClockFieldsFromBytes(const std::uint8_t* bytes);

// The PC's date and time formats; by default the Russian short date
// "dd.MM.yyyy" and long time "H:mm:ss".
struct TDateTimeFormat {
    std::function<std::string(int year, int month, int day)> ShortDate;
    std::function<std::string(int hour, int minute, int second)> LongTime;
};

// "Время в НВТ: " with the date, time and day name, the time alone when the
// date is impossible, or the invalid-value text.
std::string ControllerClockText(const TClockFields& clock, const TDateTimeFormat& format = {});

// ---- The exchange ----

enum class TExchangeMode { Program, Read, SetTime, ReadTime };
enum class TProgTimer { NoAnswer, EndDelay };

// The port as the exchange sees it.
class IProgrammerLink {
  public:
    virtual ~IProgrammerLink() = default;
    // Applies the chosen port settings and opens the port; on failure says why.
    virtual bool Open(std::string& error) = 0;
    virtual void Close() = 0;
    virtual bool Send(const std::uint8_t* data, std::size_t count) = 0;
    virtual bool SetLineSignal(TLineSignal signal) = 0;
};

// Time as the exchange sees it. Timers are one-shot; starting a running one
// restarts it. When one expires the owner calls TProgrammer::TimerFired.
class IProgrammerClock {
  public:
    virtual ~IProgrammerClock() = default;
    virtual std::tm LocalNow() = 0;
    virtual void StartTimer(TProgTimer timer, std::chrono::milliseconds delay) = 0;
    virtual void StopTimer(TProgTimer timer) = 0;
    virtual void Pause(std::chrono::milliseconds delay) = 0;
};

class TProgrammer {
  public:
    // Result codes.
    static constexpr int rcDone = 0;
    static constexpr int rcNotDone = 3;
    static constexpr int rcPortNotOpened = 4;

    TProgrammer(IProgrammerLink& link, IProgrammerClock& clock);

    std::function<void(const std::string& text)> OnStatus;
    std::function<void(int position, int maximum)> OnProgress;
    // The exchange started or stopped (the window's buttons follow it).
    std::function<void(bool running)> OnRunningChanged;
    TDateTimeFormat DateTimeFormat;

    // The image to program: at most MaxImageSize bytes are taken, the block
    // count covers them, the last block padded with zeros. False when the
    // data was longer and got cut.
    bool SetImage(const std::uint8_t* data, std::size_t length);
    // Block count for reading (the whole flash unless told otherwise).
    void SetBlockCount(int count);
    // Where read blocks go besides ReadData(): block n at offset 16n, as far
    // as the buffer reaches. Must outlive the exchange; nullptr for none.
    void SetReadDestination(std::uint8_t* buffer, std::size_t size);

    // A button: sets the mode and starts. False when nothing could start
    // (the port did not open, or there is no image to program).
    bool Start(TExchangeMode mode);
    // "Остановить".
    void Stop();
    bool StartExchange();
    void StopExchange();
    void HandleReceived(const std::uint8_t* bytes, std::size_t count);
    void TimerFired(TProgTimer timer);
    void SendFrame(const std::uint8_t* data, std::uint8_t length);

    bool Running() const { return FRunning; }
    int ResultCode() const { return FResultCode; }
    // The window's activation puts the result back to "not done".
    void ResetResultCode() { FResultCode = rcNotDone; }
    // Whether the last exchange achieved what it was started for: the image
    // programmed and verified, the flash read, or the clock answered.
    bool ExchangeSucceeded() const { return FSucceeded; }
    const std::string& LastOpenError() const { return FOpenError; }

    int BlockCount() const { return FBlockCount; }
    int CurrentBlock() const { return FCurrentBlock; }
    int ErrorCount() const { return FErrorCount; }
    bool Finishing() const { return FFinish; }
    bool Writing() const { return FWrite; }
    const std::string& Status() const { return FStatus; }
    int ProgressPosition() const { return FProgressPosition; }
    int ProgressMaximum() const { return FProgressMaximum; }
    const std::array<std::uint8_t, MaxImageSize>& Image() const { return FImage; }
    const std::array<std::uint8_t, MaxImageSize>& ReadData() const { return FReadData; }
    // The clock fields of the last clock reply.
    const std::optional<TClockFields>& ControllerClock() const { return FClock; }

  private:
    void ShowStatus(const std::string& text);
    void SetProgress(int position, int maximum);
    void SetRunning(bool running);
    void SetModeFlags();
    void Act(const TFrame& frame);
    void OnReady();
    void OnBlockReply(const TFrame& frame);
    void OnBlockWritten(const TFrame& frame);
    void OnClockReply(const TFrame& frame);
    bool BlockMatchesImage(const TFrame& frame) const;
    void BlockRejected(const char* text);

    IProgrammerLink& FLink;
    IProgrammerClock& FClockSource;

    std::array<std::uint8_t, MaxImageSize> FImage{};
    std::array<std::uint8_t, MaxImageSize> FReadData{};
    std::uint8_t* FReadDestination = nullptr;
    std::size_t FReadDestinationSize = 0;
    int FBlockCount = 0;

    TExchangeMode FMode = TExchangeMode::Program;
    bool FWrite = false, FVerify = false, FSetTime = false, FReadTime = false;
    bool FFinish = false;
    bool FRunning = false;
    bool FEnding = false; // the end frame is out; the port closes after EndDelay
    int FCurrentBlock = 0;
    int FErrorCount = 0;
    std::array<std::uint8_t, ReceiveBufferSize> FBuffer{};
    std::size_t FFill = 0;
    int FResultCode = rcNotDone;
    bool FSucceeded = false;
    std::string FOpenError;
    std::string FStatus;
    int FProgressPosition = 0, FProgressMaximum = 0;
    std::optional<TClockFields> FClock;
};

} // namespace tralcon
