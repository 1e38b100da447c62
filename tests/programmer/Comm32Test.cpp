#include "programmer/Comm32.h"
#include "PtyUtil.h"
#include "TestUtil.h"

#include <gtest/gtest.h>

#include <atomic>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace tralcon::test {
namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;

std::string OpenError(TComm32& comm) {
    try {
        comm.OpenPort();
    } catch (const ECommsError& e) {
        return e.what();
    }
    return "";
}

// The component on a pseudo-terminal, collecting what it receives.
class Comm32Test : public ::testing::Test {
  protected:
    PtyPair Pty;
    TComm32 Comm;
    Bytes Received;
    std::vector<std::size_t> Chunks;
    std::vector<std::thread::id> Threads;

    void SetUp() override {
        Comm.SetCommPort(Pty.Path());
        Comm.OnReceiveData = [this](const std::uint8_t* buffer, std::uint16_t length) {
            EXPECT_EQ(buffer[length], 0) << "chunks end with a zero byte";
            Received.insert(Received.end(), buffer, buffer + length);
            Chunks.push_back(length);
            Threads.push_back(std::this_thread::get_id());
        };
    }

    void Pump() {
        Comm.WaitForMessages(10ms);
        Comm.ProcessMessages();
    }
    bool ReceiveAtLeast(std::size_t n) {
        return PumpUntil([this] { Pump(); }, [&] { return Received.size() >= n; });
    }
};

TEST(Comm32, PropertyDefaults) {
    TComm32 c;
    EXPECT_EQ(c.CommPort(), "COM2");
    EXPECT_EQ(c.BaudRate(), 9600u);
    EXPECT_EQ(c.ByteSize(), sz_8);
    EXPECT_EQ(c.Parity(), pNone);
    EXPECT_EQ(c.StopBits(), sb1_0);
    EXPECT_EQ(c.FlowControl(), fcNone);
    EXPECT_EQ(c.RxQueue(), 4096u);
    EXPECT_EQ(c.TxQueue(), 4096u);
    EXPECT_EQ(c.EventChar(), '\0');
    EXPECT_FALSE(c.Connected());
    const std::uint8_t byte = 1;
    EXPECT_FALSE(c.SendData(&byte, 1));
    EXPECT_FALSE(c.SetLineSignal(TLineSignal::SetRts));
    c.ClosePort(); // closing a closed port does nothing
}

TEST(Comm32, DevicesThatAreNoSerialPort) {
    TempDir dir;
    WriteBytes(dir.File("plain"), "x");
    struct Case {
        std::string Path;
        const char* Message;
    };
    const Case cases[] = {
        {dir.File("absent"), "Невозможно открыть порт!"},
        {dir.File("plain"), "Задан не COM-порт"},
        {"/dev/null", "Задан не COM-порт"},
    };
    for (const Case& c : cases) {
        TComm32 comm;
        comm.SetCommPort(c.Path);
        EXPECT_EQ(OpenError(comm), c.Message) << c.Path;
        EXPECT_FALSE(comm.Connected());
    }
    // The refused device is closed again: nothing keeps it locked.
    int fd = ::open(dir.File("plain").c_str(), O_RDONLY);
    EXPECT_EQ(flock(fd, LOCK_EX | LOCK_NB), 0);
    ::close(fd);
}

TEST_F(Comm32Test, OpensAtTheProgrammersRateInRawMode) {
    Comm.SetBaudRate(10417);
    ASSERT_TRUE(Comm.OpenPort());
    EXPECT_TRUE(Comm.Connected());
    TLineState line = Pty.Line();
    EXPECT_EQ(line.Speed, 10417u);
    EXPECT_TRUE(line.Raw);
    EXPECT_EQ(line.DataBits, 8);
    EXPECT_FALSE(line.Parity);

    // Changes while open take effect at once.
    Comm.SetBaudRate(9600);
    EXPECT_EQ(Pty.Line().Speed, 9600u);
    // A pseudo-terminal has no parity: refused, and the port keeps working
    // with what it had.
    EXPECT_THROW(Comm.SetParity(pEven), ECommsError);
    EXPECT_EQ(Comm.Parity(), pNone);
    EXPECT_TRUE(Comm.Connected());
    EXPECT_EQ(Pty.Line().Speed, 9600u);
    Pty.Write({1, 2, 3});
    EXPECT_TRUE(ReceiveAtLeast(3));
}

TEST_F(Comm32Test, SettingsTheDriverDropsAreRefused) {
    struct Case {
        const char* Name;
        std::function<void(TComm32&)> Set;
    };
    const Case cases[] = {
        {"even parity", [](TComm32& c) { c.SetParity(pEven); }},
        {"odd parity", [](TComm32& c) { c.SetParity(pOdd); }},
        {"always 1", [](TComm32& c) { c.SetParity(pMark); }},
        {"always 0", [](TComm32& c) { c.SetParity(pSpace); }},
        {"7 data bits", [](TComm32& c) { c.SetByteSize(sz_7); }},
        {"4 data bits", [](TComm32& c) { c.SetByteSize(sz_4); }},
        {"1.5 stop bits with 8 data bits", [](TComm32& c) { c.SetStopBits(sb1_5); }},
        {"0 baud", [](TComm32& c) { c.SetBaudRate(0); }},
    };
    for (const Case& c : cases) {
        TComm32 comm;
        comm.SetCommPort(Pty.Path());
        c.Set(comm);
        EXPECT_EQ(OpenError(comm), "Неверно заданы параметры порта!") << c.Name;
        EXPECT_FALSE(comm.Connected()) << c.Name;
    }
    // None of them left the device locked.
    ASSERT_TRUE(Comm.OpenPort());
}

TEST_F(Comm32Test, OpeningTwice) {
    ASSERT_TRUE(Comm.OpenPort());
    EXPECT_EQ(OpenError(Comm), "Заданный порт уже открыт!");
    EXPECT_TRUE(Comm.Connected());
    // The first opening stays usable.
    const Bytes out{0x10, 0x20};
    EXPECT_TRUE(Comm.SendData(out.data(), 2));
    EXPECT_EQ(Pty.Read(2, 2s), out);
    Pty.Write({0x30});
    EXPECT_TRUE(ReceiveAtLeast(1));

    // A second component finds the device taken until the first lets go.
    TComm32 other;
    other.SetCommPort(Pty.Path());
    EXPECT_EQ(OpenError(other), "Невозможно открыть порт!");
    Comm.ClosePort();
    EXPECT_TRUE(other.OpenPort());
}

TEST_F(Comm32Test, AnotherProcessCannotTakeTheDevice) {
    ASSERT_TRUE(Comm.OpenPort());
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        int fd = ::open(Pty.Path().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        // Refused either at the open (the tty is exclusive) or at the lock.
        _exit(fd >= 0 && flock(fd, LOCK_EX | LOCK_NB) == 0 ? 1 : 0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

TEST_F(Comm32Test, ChunksArriveIntactInOrderOnTheOwnersThread) {
    ASSERT_TRUE(Comm.OpenPort());
    Bytes sent;
    for (int piece = 0; piece < 20; ++piece) {
        Bytes bytes(37, std::uint8_t(piece));
        bytes[0] = 0xD3;
        Pty.Write(bytes);
        sent.insert(sent.end(), bytes.begin(), bytes.end());
    }
    Bytes big(10000);
    for (std::size_t i = 0; i < big.size(); ++i)
        big[i] = std::uint8_t(i * 31);
    Pty.Write(big);
    sent.insert(sent.end(), big.begin(), big.end());
    ASSERT_TRUE(ReceiveAtLeast(sent.size()));
    EXPECT_EQ(Received, sent);
    for (std::size_t n : Chunks)
        EXPECT_LE(n, 4095u);
    for (auto id : Threads)
        EXPECT_EQ(id, std::this_thread::get_id());
    EXPECT_TRUE(Comm.ReaderStarted());
    EXPECT_TRUE(Comm.WriterStarted());
}

TEST_F(Comm32Test, SendingNeverWaits) {
    ASSERT_TRUE(Comm.OpenPort());
    Bytes all;
    for (int i = 0; i < 50; ++i) {
        Bytes frame(21, std::uint8_t(i));
        EXPECT_TRUE(Comm.SendData(frame.data(), std::uint16_t(frame.size())));
        all.insert(all.end(), frame.begin(), frame.end());
    }
    EXPECT_EQ(Pty.Read(all.size(), 5s), all);

    // Nobody reads the far end: the line fills, sending still returns at
    // once, and refuses only once a great deal is waiting.
    Bytes block(4000, 0x55);
    int accepted = 0;
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < 40; ++i)
        accepted += Comm.SendData(block.data(), std::uint16_t(block.size()));
    EXPECT_LT(std::chrono::steady_clock::now() - start, 2s);
    EXPECT_GT(accepted, 0);
    EXPECT_LT(accepted, 40);
    // Closing does not wait for them either.
    Comm.ClosePort();
    EXPECT_FALSE(Comm.Connected());
}

TEST_F(Comm32Test, ClosingDropsWhatWasQueuedAndPurges) {
    ASSERT_TRUE(Comm.OpenPort());
    Pty.Write({1, 2, 3, 4});
    ASSERT_TRUE(Comm.WaitForMessages(5s));
    // Give the reader time to queue the chunk before the port closes.
    std::this_thread::sleep_for(50ms);
    Comm.ClosePort();
    Comm.ProcessMessages();
    EXPECT_TRUE(Received.empty());

    // Bytes that arrive while the port is closed are not there after
    // opening again.
    Pty.Write({9, 9, 9});
    std::this_thread::sleep_for(20ms);
    ASSERT_TRUE(Comm.OpenPort());
    Pty.Write({5});
    ASSERT_TRUE(ReceiveAtLeast(1));
    std::this_thread::sleep_for(30ms);
    Pump();
    EXPECT_EQ(Received, Bytes{5});
}

TEST_F(Comm32Test, TheFarEndHangingUpIsReported) {
    int hangups = 0;
    Comm.OnRequestHangup = [&](TComm32& sender) {
        EXPECT_EQ(&sender, &Comm);
        ++hangups;
    };
    ASSERT_TRUE(Comm.OpenPort());
    Pty.CloseMaster();
    EXPECT_TRUE(PumpUntil([this] { Pump(); }, [&] { return hangups > 0; }));
    EXPECT_TRUE(Comm.Connected()); // until the owner closes it
    Comm.ClosePort();
}

TEST_F(Comm32Test, TheEventCharacterRaisesItsEvent) {
    int eventChars = 0, commEvents = 0;
    Comm.OnEventChar = [&](TComm32&) { ++eventChars; };
    Comm.OnCommEvent = [&](TComm32& c) {
        ++commEvents;
        EXPECT_TRUE(c.EventMask() & evRxFlag);
    };
    Comm.SetEventChar('X');
    ASSERT_TRUE(Comm.OpenPort());
    Pty.Write({'a', 'b'});
    ASSERT_TRUE(ReceiveAtLeast(2));
    Pump();
    EXPECT_EQ(eventChars, 0);
    Pty.Write({'c', 'X', 'd'});
    ASSERT_TRUE(PumpUntil([this] { Pump(); }, [&] { return eventChars > 0; }));
    EXPECT_EQ(eventChars, 1);
    EXPECT_GE(commEvents, 1);
}

TEST_F(Comm32Test, OwnerIsToldOfMessagesFromTheIOThread) {
    std::atomic<int> posted{0};
    std::atomic<bool> otherThread{false};
    const auto owner = std::this_thread::get_id();
    Comm.OnMessagesPosted = [&] {
        ++posted;
        if (std::this_thread::get_id() != owner)
            otherThread = true;
    };
    ASSERT_TRUE(Comm.OpenPort());
    Pty.Write({7});
    ASSERT_TRUE(ReceiveAtLeast(1));
    EXPECT_GT(posted.load(), 0);
    EXPECT_TRUE(otherThread.load());
}

TEST_F(Comm32Test, AHandlerMayCloseThePort) {
    Comm.OnReceiveData = [this](const std::uint8_t*, std::uint16_t) {
        Received.push_back(0);
        Comm.ClosePort();
    };
    ASSERT_TRUE(Comm.OpenPort());
    for (int i = 0; i < 5; ++i) {
        Pty.Write({1});
        std::this_thread::sleep_for(5ms);
    }
    ASSERT_TRUE(ReceiveAtLeast(1));
    Pump();
    EXPECT_EQ(Received.size(), 1u);
    EXPECT_FALSE(Comm.Connected());
}

TEST(Comm32, DestroyingClosesThePort) {
    PtyPair pty;
    {
        TComm32 comm;
        comm.SetCommPort(pty.Path());
        ASSERT_TRUE(comm.OpenPort());
    }
    TComm32 again;
    again.SetCommPort(pty.Path());
    EXPECT_TRUE(again.OpenPort());
    // And opening again after closing, on the same component.
    again.ClosePort();
    EXPECT_TRUE(again.OpenPort());
}

} // namespace
} // namespace tralcon::test
