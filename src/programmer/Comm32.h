#pragma once
// TComm32: one serial port with a reader and a writer thread. Received chunks
// and line events never run on the I/O threads: the threads queue messages,
// and the owner's thread raises the events when it calls ProcessMessages
// (a window posts that call to itself; a plain loop calls it after
// WaitForMessages).

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>

namespace tralcon {

enum TFlowControl : std::uint8_t { fcNone, fcHardware1, fcHardware2, fcSoftware };
enum TParity : std::uint8_t { pNone, pOdd, pEven, pMark, pSpace };
enum TStopBits : std::uint8_t { sb1_0, sb1_5, sb2_0 };
enum TBytesize : std::uint8_t { sz_4, sz_5, sz_6, sz_7, sz_8 };

// Modem-control functions of SetLineSignal, numbered as the classic
// communications interface numbers them.
enum class TLineSignal : int {
    SetXoff = 1,
    SetXon = 2,
    SetRts = 3,
    ClrRts = 4,
    SetDtr = 5,
    ClrDtr = 6,
    SetBreak = 8,
    ClrBreak = 9,
};

// Event mask bits (low 16 bits of a comm-event report).
inline constexpr std::uint32_t evRxFlag = 0x0002;
inline constexpr std::uint32_t evTxEmpty = 0x0004;
inline constexpr std::uint32_t evCts = 0x0008;
inline constexpr std::uint32_t evDsr = 0x0010;
inline constexpr std::uint32_t evRlsd = 0x0020;
inline constexpr std::uint32_t evBreak = 0x0040;
inline constexpr std::uint32_t evErr = 0x0080;
inline constexpr std::uint32_t evRing = 0x0100;
inline constexpr std::uint32_t evPErr = 0x0200;
inline constexpr std::uint32_t evRx80Full = 0x0400;

// Modem status bits (high 16 bits of a comm-event report).
inline constexpr std::uint32_t msCtsOn = 0x0010;
inline constexpr std::uint32_t msDsrOn = 0x0020;
inline constexpr std::uint32_t msRingOn = 0x0040;
inline constexpr std::uint32_t msRlsdOn = 0x0080;

// Line-error flags passed to OnError.
inline constexpr std::uint32_t ceRxOver = 0x0001;
inline constexpr std::uint32_t ceOverrun = 0x0002;
inline constexpr std::uint32_t ceRxParity = 0x0004;
inline constexpr std::uint32_t ceFrame = 0x0008;
inline constexpr std::uint32_t ceBreak = 0x0010;

class ECommsError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

class TComm32 {
  public:
    using TReceiveDataEvent =
        std::function<void(const std::uint8_t* Buffer, std::uint16_t BufferLength)>;
    using TErrorEvent = std::function<void(std::uint32_t ErrorCode)>;
    using TNotifyEvent = std::function<void(TComm32& Sender)>;

    TComm32();
    ~TComm32();
    TComm32(const TComm32&) = delete;
    TComm32& operator=(const TComm32&) = delete;

    // Opens CommPort exclusively and starts both threads. Raises ECommsError
    // with the user's text; returns false when the close signal cannot be made.
    bool OpenPort();
    // Stops both threads and closes the device; unsent and unread bytes are
    // purged. Messages still queued from the closed port are dropped.
    void ClosePort();
    // Copies the bytes for the writer and returns at once.
    bool SendData(const std::uint8_t* data, std::uint16_t count);
    bool SetLineSignal(TLineSignal function);
    bool Connected() const;

    const std::string& CommPort() const;
    void SetCommPort(const std::string& value);
    // The line setters apply the changed settings to an open port at once and
    // raise ECommsError when the driver refuses them (the port then keeps its
    // previous settings).
    std::uint32_t BaudRate() const;
    void SetBaudRate(std::uint32_t value);
    TBytesize ByteSize() const;
    void SetByteSize(TBytesize value);
    TParity Parity() const;
    void SetParity(TParity value);
    TStopBits StopBits() const;
    void SetStopBits(TStopBits value);
    TFlowControl FlowControl() const;
    void SetFlowControl(TFlowControl value);
    char EventChar() const;
    void SetEventChar(char value);
    // Kept for the interface; a tty's queues have a fixed size.
    std::uint32_t RxQueue() const;
    void SetRxQueue(std::uint32_t value);
    std::uint32_t TxQueue() const;
    void SetTxQueue(std::uint32_t value);

    // What the last comm-event report said, for the event handlers.
    std::uint32_t EventMask() const;
    std::uint32_t ModemStatus() const;
    bool ReaderStarted() const;
    bool WriterStarted() const;

    TReceiveDataEvent OnReceiveData;
    TErrorEvent OnError;
    TNotifyEvent OnRequestHangup;
    TNotifyEvent OnCommEvent, OnEventChar, OnBreak, OnTXEMPTY, OnRX80FULL, OnPERR;
    TNotifyEvent OnChangeCTS, OnSetCTS, OnClearCTS;
    TNotifyEvent OnChangeDSR, OnSetDSR, OnClearDSR;
    TNotifyEvent OnChangeRing, OnSetRing, OnClearRing;
    TNotifyEvent OnChangeRLSD, OnSetRLSD, OnClearRLSD;

    // Called on an I/O thread after each queued message; it may only arrange
    // for ProcessMessages to run on the owner's thread (a queued call). Taken
    // over by OpenPort; changes while the port is open apply at the next open.
    std::function<void()> OnMessagesPosted;
    // Raises the events of every queued message, on the calling thread.
    void ProcessMessages();
    // Waits until a message is queued or the time is up; true when one is.
    bool WaitForMessages(std::chrono::milliseconds timeout);

  private:
    struct TImpl;
    std::unique_ptr<TImpl> FImpl;
};

} // namespace tralcon
