#include "programmer/Comm32.h"

#include "programmer/CommLine.h"

#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <future>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace tralcon {

namespace {

const char* const kAlreadyOpen = "Заданный порт уже открыт!";
const char* const kCannotOpen = "Невозможно открыть порт!";
const char* const kNotComPort = "Задан не COM-порт";
const char* const kBadSettings = "Неверно заданы параметры порта!";
const char* const kNoReadThread = "Невозможно создать Read thread";
const char* const kNoWriteThread = "Невозможно создать Write thread";

constexpr std::size_t kReadSize = 32768;
// One data message carries at most this much, so a handler written for the
// 4096-byte hand-over buffer (count plus a terminating zero) never overruns.
constexpr std::size_t kMaxChunk = 4095;
// SendData refuses more than this waiting for the writer: a stuck line must
// not make the queue grow without end.
constexpr std::size_t kMaxPendingSend = 65536;
constexpr auto kThreadEndWait = std::chrono::seconds(10);
// How often the reader looks at modem lines, error counters and the
// transmit queue; a tty gives no pollable event for those.
constexpr int kLineTickMs = 20;

enum class TMsgKind { Data, Hangup, ReaderStarted, WriterStarted, CommEvent };

struct TMessage {
    std::uint64_t Session = 0;
    TMsgKind Kind = TMsgKind::Data;
    std::vector<std::uint8_t> Bytes; // the chunk and a terminating zero
    std::uint32_t Report = 0;        // event mask | modem status << 16
    std::uint32_t Errors = 0;
};

struct TMessageQueue {
    std::mutex Mutex;
    std::condition_variable Posted;
    std::deque<TMessage> Items;
};

// What the threads of one opening share with the owner. The last holder
// closes the descriptors, so a thread that outlived ClosePort's wait can
// never write to a reused descriptor.
struct TSession {
    std::uint64_t Id = 0;
    int Fd = -1;
    int CloseFd = -1; // the close signal: set once, never reset
    int SendFd = -1;  // counts queued sends for the writer
    bool Exclusive = false;
    std::shared_ptr<TMessageQueue> Queue;
    std::function<void()> Wake;
    std::atomic<int> Flow{fcNone};
    std::atomic<char> EventChar{0};
    std::atomic<std::uint32_t> RxQueue{4096};
    std::atomic<bool> AwaitTxEmpty{false};

    std::mutex SendMutex;
    std::deque<std::vector<std::uint8_t>> SendQueue;
    std::size_t Pending = 0;

    std::promise<void> ReaderDone, WriterDone;

    ~TSession() {
        if (Fd >= 0) {
            // The exclusive flag lives on the tty, not on this descriptor: a
            // device kept open elsewhere would stay locked after us.
            if (Exclusive)
                ioctl(Fd, TIOCNXCL);
            ::close(Fd);
        }
        if (CloseFd >= 0)
            ::close(CloseFd);
        if (SendFd >= 0)
            ::close(SendFd);
    }

    void Post(TMessage m) {
        m.Session = Id;
        {
            std::lock_guard lock(Queue->Mutex);
            Queue->Items.push_back(std::move(m));
        }
        Queue->Posted.notify_all();
        if (Wake)
            Wake();
    }

    void PostReport(std::uint32_t mask, std::uint32_t status, std::uint32_t errors) {
        TMessage m;
        m.Kind = TMsgKind::CommEvent;
        m.Report = (mask & 0xFFFF) | (status << 16);
        m.Errors = errors;
        Post(std::move(m));
    }

    void PostKind(TMsgKind kind) {
        TMessage m;
        m.Kind = kind;
        Post(std::move(m));
    }
};

std::uint32_t ModemBits(int lines) {
    std::uint32_t status = 0;
    if (lines & TIOCM_CTS)
        status |= msCtsOn;
    if (lines & TIOCM_DSR)
        status |= msDsrOn;
    if (lines & TIOCM_RNG)
        status |= msRingOn;
    if (lines & TIOCM_CD)
        status |= msRlsdOn;
    return status;
}

std::uint32_t ChangeBits(std::uint32_t changedStatus) {
    std::uint32_t mask = 0;
    if (changedStatus & msCtsOn)
        mask |= evCts;
    if (changedStatus & msDsrOn)
        mask |= evDsr;
    if (changedStatus & msRingOn)
        mask |= evRing;
    if (changedStatus & msRlsdOn)
        mask |= evRlsd;
    return mask;
}

// Hands a received block to the owner in pieces a message can carry.
void Deliver(TSession& s, const std::uint8_t* data, std::size_t count, std::uint32_t status) {
    for (std::size_t done = 0; done < count;) {
        std::size_t n = std::min(kMaxChunk, count - done);
        TMessage m;
        m.Kind = TMsgKind::Data;
        m.Bytes.assign(data + done, data + done + n);
        m.Bytes.push_back(0);
        s.Post(std::move(m));
        done += n;
    }
    const char flag = s.EventChar.load();
    if (std::memchr(data, static_cast<unsigned char>(flag), count) != nullptr)
        s.PostReport(evRxFlag, status, 0);
}

void ReaderThread(std::shared_ptr<TSession> s) {
    int lines = 0;
    const bool haveModem = ioctl(s->Fd, TIOCMGET, &lines) == 0;
    std::uint32_t status = haveModem ? ModemBits(lines) : 0;
    serial_icounter_struct counts{};
    const bool haveCounts = ioctl(s->Fd, TIOCGICOUNT, &counts) == 0;
    if (status != 0)
        s->PostReport(ChangeBits(status), status, 0);
    s->PostKind(TMsgKind::ReaderStarted);

    std::vector<std::uint8_t> buffer(kReadSize);
    bool hangup = false;
    for (;;) {
        pollfd p[2] = {{s->Fd, POLLIN, 0}, {s->CloseFd, POLLIN, 0}};
        int r = poll(p, 2, kLineTickMs);
        if (r < 0) {
            if (errno == EINTR)
                continue;
            hangup = true;
            break;
        }
        if (p[1].revents != 0)
            break;
        if (p[0].revents & POLLNVAL)
            break;
        if (p[0].revents & (POLLIN | POLLHUP | POLLERR)) {
            int waiting = 0;
            const std::uint32_t rxQueue = s->RxQueue.load();
            bool nearlyFull = ioctl(s->Fd, FIONREAD, &waiting) == 0 && waiting > 0 &&
                              std::uint64_t(waiting) * 5 >= std::uint64_t(rxQueue) * 4;
            ssize_t n = ::read(s->Fd, buffer.data(), buffer.size());
            if (n > 0) {
                if (nearlyFull)
                    s->PostReport(evRx80Full, status, 0);
                Deliver(*s, buffer.data(), std::size_t(n), status);
            } else if (n == 0) { // the other end hung up
                hangup = true;
                break;
            } else if (errno != EAGAIN && errno != EINTR) {
                hangup = errno != EBADF;
                break;
            }
        }

        std::uint32_t mask = 0, errors = 0;
        if (haveModem && ioctl(s->Fd, TIOCMGET, &lines) == 0) {
            std::uint32_t now = ModemBits(lines);
            mask |= ChangeBits(now ^ status);
            status = now;
        }
        serial_icounter_struct now{};
        if (haveCounts && ioctl(s->Fd, TIOCGICOUNT, &now) == 0) {
            if (now.frame != counts.frame)
                errors |= ceFrame;
            if (now.overrun != counts.overrun)
                errors |= ceOverrun;
            if (now.parity != counts.parity)
                errors |= ceRxParity;
            if (now.buf_overrun != counts.buf_overrun)
                errors |= ceRxOver;
            if (now.brk != counts.brk) {
                errors |= ceBreak;
                mask |= evBreak;
            }
            if (errors != 0)
                mask |= evErr;
            counts = now;
        }
        int unsent = 0;
        if (s->AwaitTxEmpty.load() && ioctl(s->Fd, TIOCOUTQ, &unsent) == 0 && unsent == 0) {
            s->AwaitTxEmpty = false;
            mask |= evTxEmpty;
        }
        if (mask != 0)
            s->PostReport(mask, status, errors);
    }
    if (hangup)
        s->PostKind(TMsgKind::Hangup);
    tcflush(s->Fd, TCIFLUSH);
    s->ReaderDone.set_value();
}

enum class TWriteEnd { Done, Closed, Failed };

// Waits for the descriptor to become ready or the close signal; true when the
// descriptor is ready.
bool WaitReady(TSession& s, short events, int timeoutMs, bool* closed) {
    pollfd p[2] = {{s.Fd, events, 0}, {s.CloseFd, POLLIN, 0}};
    int r = poll(p, 2, timeoutMs);
    if (r > 0 && p[1].revents != 0) {
        *closed = true;
        return false;
    }
    return r > 0;
}

TWriteEnd WriteAll(TSession& s, const std::vector<std::uint8_t>& data) {
    const bool toggleRts = s.Flow.load() == fcHardware2;
    int rts = TIOCM_RTS;
    if (toggleRts)
        ioctl(s.Fd, TIOCMBIS, &rts);
    bool closed = false;
    for (std::size_t done = 0; done < data.size();) {
        ssize_t n = ::write(s.Fd, data.data() + done, data.size() - done);
        if (n > 0) {
            done += std::size_t(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n == 0 || errno == EAGAIN) {
            WaitReady(s, POLLOUT, -1, &closed);
            if (closed)
                return TWriteEnd::Closed;
            continue;
        }
        return errno == EBADF ? TWriteEnd::Closed : TWriteEnd::Failed;
    }
    if (toggleRts) {
        // RTS drops only once the last bit has left the transmitter.
        int unsent = 0;
        while (ioctl(s.Fd, TIOCOUTQ, &unsent) == 0 && unsent > 0) {
            WaitReady(s, 0, 1, &closed);
            if (closed)
                return TWriteEnd::Closed;
        }
        ioctl(s.Fd, TIOCMBIC, &rts);
    }
    s.AwaitTxEmpty = true;
    return TWriteEnd::Done;
}

void WriterThread(std::shared_ptr<TSession> s) {
    s->PostKind(TMsgKind::WriterStarted);
    bool hangup = false;
    for (bool stop = false; !stop;) {
        pollfd p[2] = {{s->SendFd, POLLIN, 0}, {s->CloseFd, POLLIN, 0}};
        int r = poll(p, 2, -1);
        if (r < 0) {
            if (errno == EINTR)
                continue;
            hangup = true;
            break;
        }
        if (p[1].revents != 0)
            break;
        if ((p[0].revents & POLLIN) == 0)
            continue;
        std::uint64_t count = 0;
        if (::read(s->SendFd, &count, sizeof count) < 0 && errno != EAGAIN)
            break;
        for (;;) {
            std::vector<std::uint8_t> data;
            {
                std::lock_guard lock(s->SendMutex);
                if (s->SendQueue.empty())
                    break;
                data = std::move(s->SendQueue.front());
                s->SendQueue.pop_front();
                s->Pending -= data.size();
            }
            TWriteEnd end = WriteAll(*s, data);
            if (end != TWriteEnd::Done) {
                hangup = end == TWriteEnd::Failed;
                stop = true;
                break;
            }
        }
    }
    if (hangup)
        s->PostKind(TMsgKind::Hangup);
    tcflush(s->Fd, TCOFLUSH);
    s->WriterDone.set_value();
}

// Joins a thread that has said it is ending; one that has not within the
// limit is left to end on its own (it holds its own reference to the session).
void JoinBounded(std::thread& t, std::future<void>& done) {
    if (!t.joinable())
        return;
    if (!done.valid() || done.wait_for(kThreadEndWait) == std::future_status::ready)
        t.join();
    else
        t.detach();
}

} // namespace

struct TComm32::TImpl {
    std::string CommPort = "COM2";
    TLineSettings Settings;
    std::uint32_t RxQueue = 4096;
    std::uint32_t TxQueue = 4096;

    std::shared_ptr<TMessageQueue> Queue = std::make_shared<TMessageQueue>();
    std::shared_ptr<TSession> Session;
    std::uint64_t NextSession = 1;
    std::thread Reader, Writer;
    std::future<void> ReaderDone, WriterDone;

    std::uint32_t EventMask = 0;
    std::uint32_t ModemStatus = 0;
    bool ReaderStarted = false;
    bool WriterStarted = false;
};

TComm32::TComm32() : FImpl(std::make_unique<TImpl>()) {}

TComm32::~TComm32() {
    ClosePort();
}

bool TComm32::Connected() const {
    return FImpl->Session != nullptr;
}

bool TComm32::OpenPort() {
    TImpl& d = *FImpl;
    if (d.Session)
        throw ECommsError(kAlreadyOpen);

    auto s = std::make_shared<TSession>();
    s->Fd = ::open(d.CommPort.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (s->Fd < 0)
        throw ECommsError(kCannotOpen);
    // Two locks: flock keeps out every other opener that locks too (also
    // within this process and for root), TIOCEXCL every other opener of the
    // tty except root.
    if (flock(s->Fd, LOCK_EX | LOCK_NB) != 0)
        throw ECommsError(kCannotOpen);
    if (!isatty(s->Fd))
        throw ECommsError(kNotComPort);
    if (ioctl(s->Fd, TIOCEXCL) != 0)
        throw ECommsError(kCannotOpen);
    s->Exclusive = true;
    if (!ApplyLineSettings(s->Fd, d.Settings))
        throw ECommsError(kBadSettings);
    // A freshly opened port starts empty, whatever an earlier user left.
    tcflush(s->Fd, TCIOFLUSH);

    s->CloseFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    s->SendFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (s->CloseFd < 0 || s->SendFd < 0)
        return false;

    s->Id = d.NextSession++;
    s->Queue = d.Queue;
    s->Wake = OnMessagesPosted;
    s->Flow = d.Settings.FlowControl;
    s->EventChar = d.Settings.EventChar;
    s->RxQueue = d.RxQueue;
    d.ReaderDone = s->ReaderDone.get_future();
    d.WriterDone = s->WriterDone.get_future();
    d.ReaderStarted = d.WriterStarted = false;
    {
        std::lock_guard lock(d.Queue->Mutex);
        d.Queue->Items.clear();
    }

    try {
        d.Reader = std::thread(ReaderThread, s);
    } catch (const std::system_error&) {
        throw ECommsError(kNoReadThread);
    }
    try {
        d.Writer = std::thread(WriterThread, s);
    } catch (const std::system_error&) {
        const std::uint64_t one = 1;
        [[maybe_unused]] ssize_t ignored = ::write(s->CloseFd, &one, sizeof one);
        JoinBounded(d.Reader, d.ReaderDone);
        throw ECommsError(kNoWriteThread);
    }
    d.Session = std::move(s);
    return true;
}

void TComm32::ClosePort() {
    TImpl& d = *FImpl;
    if (!d.Session)
        return;
    std::shared_ptr<TSession> s = std::move(d.Session);
    const std::uint64_t one = 1;
    [[maybe_unused]] ssize_t ignored = ::write(s->CloseFd, &one, sizeof one);
    tcflush(s->Fd, TCIFLUSH);
    JoinBounded(d.Reader, d.ReaderDone);
    tcflush(s->Fd, TCOFLUSH);
    JoinBounded(d.Writer, d.WriterDone);
    {
        std::lock_guard lock(d.Queue->Mutex);
        d.Queue->Items.clear();
    }
}

bool TComm32::SendData(const std::uint8_t* data, std::uint16_t count) {
    TSession* s = FImpl->Session.get();
    if (s == nullptr)
        return false;
    if (count == 0)
        return true;
    {
        std::lock_guard lock(s->SendMutex);
        if (s->Pending + count > kMaxPendingSend)
            return false;
        s->SendQueue.emplace_back(data, data + count);
        s->Pending += count;
    }
    const std::uint64_t one = 1;
    return ::write(s->SendFd, &one, sizeof one) == sizeof one;
}

bool TComm32::SetLineSignal(TLineSignal function) {
    TSession* s = FImpl->Session.get();
    if (s == nullptr)
        return false;
    int rts = TIOCM_RTS, dtr = TIOCM_DTR;
    switch (function) {
    case TLineSignal::SetXoff:
        return tcflow(s->Fd, TCOOFF) == 0;
    case TLineSignal::SetXon:
        return tcflow(s->Fd, TCOON) == 0;
    case TLineSignal::SetRts:
        return ioctl(s->Fd, TIOCMBIS, &rts) == 0;
    case TLineSignal::ClrRts:
        return ioctl(s->Fd, TIOCMBIC, &rts) == 0;
    case TLineSignal::SetDtr:
        return ioctl(s->Fd, TIOCMBIS, &dtr) == 0;
    case TLineSignal::ClrDtr:
        return ioctl(s->Fd, TIOCMBIC, &dtr) == 0;
    case TLineSignal::SetBreak:
        return ioctl(s->Fd, TIOCSBRK) == 0;
    case TLineSignal::ClrBreak:
        return ioctl(s->Fd, TIOCCBRK) == 0;
    }
    return false;
}

const std::string& TComm32::CommPort() const {
    return FImpl->CommPort;
}
void TComm32::SetCommPort(const std::string& value) {
    FImpl->CommPort = value;
}

namespace {

// Applies a changed settings record to an open port; on refusal the port
// gets its previous settings back and the caller learns of it.
void ApplyOpen(TSession* s, TLineSettings& current, const TLineSettings& next) {
    if (s != nullptr) {
        if (!ApplyLineSettings(s->Fd, next)) {
            ApplyLineSettings(s->Fd, current);
            throw ECommsError(kBadSettings);
        }
        s->Flow = next.FlowControl;
        s->EventChar = next.EventChar;
    }
    current = next;
}

// One field of the settings changed, applied as ApplyOpen does.
template <class T>
void ChangeSetting(TSession* s, TLineSettings& current, T TLineSettings::*field, T value) {
    TLineSettings next = current;
    next.*field = value;
    ApplyOpen(s, current, next);
}

} // namespace

std::uint32_t TComm32::BaudRate() const {
    return FImpl->Settings.BaudRate;
}
void TComm32::SetBaudRate(std::uint32_t value) {
    ChangeSetting(FImpl->Session.get(), FImpl->Settings, &TLineSettings::BaudRate, value);
}

TBytesize TComm32::ByteSize() const {
    return FImpl->Settings.ByteSize;
}
void TComm32::SetByteSize(TBytesize value) {
    ChangeSetting(FImpl->Session.get(), FImpl->Settings, &TLineSettings::ByteSize, value);
}

TParity TComm32::Parity() const {
    return FImpl->Settings.Parity;
}
void TComm32::SetParity(TParity value) {
    ChangeSetting(FImpl->Session.get(), FImpl->Settings, &TLineSettings::Parity, value);
}

TStopBits TComm32::StopBits() const {
    return FImpl->Settings.StopBits;
}
void TComm32::SetStopBits(TStopBits value) {
    ChangeSetting(FImpl->Session.get(), FImpl->Settings, &TLineSettings::StopBits, value);
}

TFlowControl TComm32::FlowControl() const {
    return FImpl->Settings.FlowControl;
}
void TComm32::SetFlowControl(TFlowControl value) {
    ChangeSetting(FImpl->Session.get(), FImpl->Settings, &TLineSettings::FlowControl, value);
}

char TComm32::EventChar() const {
    return FImpl->Settings.EventChar;
}
void TComm32::SetEventChar(char value) {
    FImpl->Settings.EventChar = value;
    if (FImpl->Session)
        FImpl->Session->EventChar = value;
}

std::uint32_t TComm32::RxQueue() const {
    return FImpl->RxQueue;
}
void TComm32::SetRxQueue(std::uint32_t value) {
    FImpl->RxQueue = value;
    if (FImpl->Session)
        FImpl->Session->RxQueue = value;
}

std::uint32_t TComm32::TxQueue() const {
    return FImpl->TxQueue;
}
void TComm32::SetTxQueue(std::uint32_t value) {
    FImpl->TxQueue = value;
}

std::uint32_t TComm32::EventMask() const {
    return FImpl->EventMask;
}
std::uint32_t TComm32::ModemStatus() const {
    return FImpl->ModemStatus;
}
bool TComm32::ReaderStarted() const {
    return FImpl->ReaderStarted;
}
bool TComm32::WriterStarted() const {
    return FImpl->WriterStarted;
}

bool TComm32::WaitForMessages(std::chrono::milliseconds timeout) {
    TMessageQueue& q = *FImpl->Queue;
    std::unique_lock lock(q.Mutex);
    return q.Posted.wait_for(lock, timeout, [&] { return !q.Items.empty(); });
}

void TComm32::ProcessMessages() {
    // Only what is queued now: a line that never falls silent must not keep
    // the owner's thread here for ever.
    std::size_t budget;
    {
        std::lock_guard lock(FImpl->Queue->Mutex);
        budget = FImpl->Queue->Items.size();
    }
    for (; budget > 0; --budget) {
        TMessage m;
        {
            std::lock_guard lock(FImpl->Queue->Mutex);
            if (FImpl->Queue->Items.empty())
                return;
            m = std::move(FImpl->Queue->Items.front());
            FImpl->Queue->Items.pop_front();
        }
        // A handler may have closed the port; what it sent before is stale.
        if (!FImpl->Session || m.Session != FImpl->Session->Id)
            continue;
        auto fire = [this](const TNotifyEvent& event) {
            if (event)
                event(*this);
        };
        switch (m.Kind) {
        case TMsgKind::Data:
            if (OnReceiveData)
                OnReceiveData(m.Bytes.data(), std::uint16_t(m.Bytes.size() - 1));
            break;
        case TMsgKind::Hangup:
            fire(OnRequestHangup);
            break;
        case TMsgKind::ReaderStarted:
            FImpl->ReaderStarted = true;
            break;
        case TMsgKind::WriterStarted:
            FImpl->WriterStarted = true;
            break;
        case TMsgKind::CommEvent: {
            const std::uint32_t mask = m.Report & 0xFFFF;
            const std::uint32_t status = m.Report >> 16;
            FImpl->EventMask = mask;
            FImpl->ModemStatus = status;
            fire(OnCommEvent);
            if ((mask & evErr) && OnError)
                OnError(m.Errors);
            if (mask & evRxFlag)
                fire(OnEventChar);
            if (mask & evBreak)
                fire(OnBreak);
            if (mask & evTxEmpty)
                fire(OnTXEMPTY);
            if (mask & evRx80Full)
                fire(OnRX80FULL);
            if (mask & evPErr)
                fire(OnPERR);
            struct Line {
                std::uint32_t Event, On;
                const TNotifyEvent &Change, &Set, &Clear;
            };
            const Line lines[] = {
                {evCts, msCtsOn, OnChangeCTS, OnSetCTS, OnClearCTS},
                {evDsr, msDsrOn, OnChangeDSR, OnSetDSR, OnClearDSR},
                {evRing, msRingOn, OnChangeRing, OnSetRing, OnClearRing},
                {evRlsd, msRlsdOn, OnChangeRLSD, OnSetRLSD, OnClearRLSD},
            };
            for (const Line& line : lines) {
                if ((mask & line.Event) == 0)
                    continue;
                fire(line.Change);
                fire((FImpl->ModemStatus & line.On) ? line.Set : line.Clear);
            }
            break;
        }
        }
    }
}

} // namespace tralcon
