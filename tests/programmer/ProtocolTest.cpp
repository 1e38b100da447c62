#include "ProgrammerFakes.h"
#include "support/ControllerSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>

namespace tralcon::test {
namespace {

// ---- Frames ----

struct GoldenFrame {
    const char* Name;
    TBytes Data;
    TBytes Frame;
};

TEST(Frames, GoldenExamples) {
    const GoldenFrame cases[] = {
        {"connection request", {0x80, 0x00}, {0xD3, 0x02, 0x80, 0x00, 0x55}},
        {"read block 5", {0x81, 0x05}, {0xD3, 0x02, 0x81, 0x05, 0x5B}},
        {"end", {0x8F, 0x00}, {0xD3, 0x02, 0x8F, 0x00, 0x64}},
        {"clock read", {0x87, 0x00}, {0xD3, 0x02, 0x87, 0x00, 0x5C}},
        {"hello", {0x00, 0x00}, {0xD3, 0x02, 0x00, 0x00, 0xD5}},
        {"set clock",
         {0x88, 0x30, 0x15, 0x10, 0x00, 0x09, 0x02, 0x08},
         {0xD3, 0x08, 0x88, 0x30, 0x15, 0x10, 0x00, 0x09, 0x02, 0x08, 0xCB}},
    };
    for (const GoldenFrame& c : cases) {
        EXPECT_EQ(MakeFrame(c.Data), c.Frame) << c.Name;
        auto match = FindFrame(c.Frame.data(), c.Frame.size());
        ASSERT_TRUE(match) << c.Name;
        EXPECT_EQ(match->Offset, 0u);
        EXPECT_EQ(TBytes(match->Frame.Data.begin(), match->Frame.Data.begin() + c.Data.size()),
                  c.Data);
        // The programmer's own sender builds the same bytes.
        FakeLink link;
        FakeClock clock;
        TProgrammer p(link, clock);
        p.SendFrame(c.Data.data(), std::uint8_t(c.Data.size()));
        ASSERT_EQ(link.Sent.size(), 1u);
        EXPECT_EQ(link.Sent[0], c.Frame) << c.Name;
    }
    EXPECT_THROW(MakeFrame({1, 2, 3}), std::invalid_argument);
}

TEST(Frames, ScanSkipsWhatIsNotAFrame) {
    const TBytes ready = MakeFrame({cmdReady, 0});
    auto concat = [](std::initializer_list<TBytes> parts) {
        TBytes all;
        for (const TBytes& p : parts)
            all.insert(all.end(), p.begin(), p.end());
        return all;
    };
    TBytes badSum = MakeFrame(TBytes(18, 0x11));
    badSum.back() ^= 0xFF;
    const TBytes wrongLength = {0xD3, 0x03, 0x80, 0x00, 0x00, 0x56};

    struct Case {
        const char* Name;
        TBytes Bytes;
        std::optional<std::size_t> Offset;
    };
    const Case cases[] = {
        {"noise before", concat({{0x01, 0xD3, 0x00}, ready}), 3},
        {"length 18 with a wrong checksum, then a frame", concat({badSum, ready}), 21},
        {"length not accepted", concat({wrongLength, ready}), 6},
        {"incomplete", TBytes(ready.begin(), ready.end() - 1), std::nullopt},
        {"fewer than five bytes after the sync byte", {0x00, 0xD3, 0x02, 0x80, 0x00}, std::nullopt},
        {"two frames: the first", concat({ready, MakeFrame({cmdHello, 0})}), 0},
        {"sync byte inside a frame's data", MakeFrame({cmdReadBlock, 0xD3}), 0},
        {"empty", {}, std::nullopt},
    };
    for (const Case& c : cases) {
        auto match = FindFrame(c.Bytes.data(), c.Bytes.size());
        ASSERT_EQ(match.has_value(), c.Offset.has_value()) << c.Name;
        if (match) {
            EXPECT_EQ(match->Offset, *c.Offset) << c.Name;
        }
    }
}

// ---- Clock ----

TEST(ControllerClock, FieldsOfTheExampleDate) {
    std::tm t = ExampleTime();
    const TClockFields c = ClockFieldsFromTm(t);
    const std::array<std::uint8_t, 7> expected = {0x30, 0x15, 0x10, 0x00, 0x09, 0x02, 0x08};
    EXPECT_EQ(ClockBytes(c), expected);
    EXPECT_EQ(ClockFieldsFromBytes(expected.data()), c);
    t.tm_wday = 0;  // Sunday is 6 on the controller
    t.tm_year = 99; // 1999: the low 8 bits of year - 2000
    EXPECT_EQ(ClockFieldsFromTm(t).DayOfWeek, 6);
    EXPECT_EQ(ClockFieldsFromTm(t).Year, 0xFF);
}

TEST(ControllerClock, Texts) {
    struct Case {
        std::array<std::uint8_t, 7> Bytes; // second, minute, hour, weekday, day-1, month-1, year
        const char* Text;
    };
    const Case cases[] = {
        {{48, 21, 16, 0, 9, 2, 8}, "Время в НВТ: 10.03.2008 16:21:48 Понедельник"},
        {{5, 4, 3, 6, 0, 0, 0}, "Время в НВТ: 01.01.2000 3:04:05 Воскресенье"},
        {{0, 0, 0, 2, 28, 1, 8}, "Время в НВТ: 29.02.2008 0:00:00 Среда"},
        {{59, 59, 23, 3, 30, 11, 255}, "Время в НВТ: 31.12.2255 23:59:59 Четверг"},
        // impossible dates: the time alone
        {{0, 0, 12, 4, 28, 1, 9}, "Время в НВТ: 12:00:00 Пятница"}, // 29 Feb 2009
        {{0, 0, 12, 5, 30, 3, 9}, "Время в НВТ: 12:00:00 Суббота"}, // 31 April
        {{0, 0, 12, 1, 0, 12, 9}, "Время в НВТ: 12:00:00 Вторник"}, // month 13
        {{0, 0, 12, 1, 255, 0, 9}, "Время в НВТ: 12:00:00 Вторник"},
        {{0, 0, 12, 7, 0, 0, 9}, "Время в НВТ: 01.01.2009 12:00:00 Неизвестно"},
        {{0, 0, 12, 255, 0, 0, 9}, "Время в НВТ: 01.01.2009 12:00:00 Неизвестно"},
        // impossible times, whatever the date
        {{60, 0, 12, 0, 0, 0, 9}, "Время имеет недопустимое значение!"},
        {{0, 60, 12, 0, 0, 0, 9}, "Время имеет недопустимое значение!"},
        {{0, 0, 24, 0, 0, 0, 9}, "Время имеет недопустимое значение!"},
        {{0, 0, 24, 0, 0, 13, 9}, "Время имеет недопустимое значение!"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ControllerClockText(ClockFieldsFromBytes(c.Bytes.data())), c.Text);

    TDateTimeFormat iso;
    iso.ShortDate = [](int y, int m, int d) {
        return std::to_string(y) + "-" + std::to_string(m) + "-" + std::to_string(d);
    };
    iso.LongTime = [](int h, int m, int s) {
        return std::to_string(h) + "h" + std::to_string(m) + "m" + std::to_string(s);
    };
    const std::uint8_t example[7] = {48, 21, 16, 0, 9, 2, 8};
    EXPECT_EQ(ControllerClockText(ClockFieldsFromBytes(example), iso),
              "Время в НВТ: 2008-3-10 16h21m48 Понедельник");
}

// ---- The exchange ----

class ExchangeTest : public ::testing::Test {
  protected:
    FakeLink Link;
    FakeClock Clock;
    TProgrammer Prog{Link, Clock};
    std::vector<std::string> Statuses;
    std::vector<std::pair<int, int>> Progress;
    ScriptedController Controller;

    void SetUp() override {
        Prog.OnStatus = [this](const std::string& s) { Statuses.push_back(s); };
        Prog.OnProgress = [this](int pos, int max) { Progress.emplace_back(pos, max); };
    }

    void FeedBytes(const TBytes& bytes) { Prog.HandleReceived(bytes.data(), bytes.size()); }
    void Feed(const TBytes& data) { FeedBytes(MakeFrame(data)); }
    TBytes LastSent() const { return Link.Sent.empty() ? TBytes{} : Link.Sent.back(); }
    bool Has(const std::string& status) const {
        return std::find(Statuses.begin(), Statuses.end(), status) != Statuses.end();
    }

    // Lets the scripted controller answer every request until the
    // programmer sends the end frame (or stops sending); returns the number
    // of requests answered.
    int Converse(int limit = 2000) {
        Feed({cmdHello, 0});
        int answered = 0;
        while (Prog.Running() && answered < limit) {
            const TBytes request = LastSent();
            if (request.size() > 2 && request[2] == cmdEnd)
                break;
            const std::size_t sentBefore = Link.Sent.size();
            for (const TBytes& reply : Controller.Answer(request))
                Feed(reply);
            ++answered;
            if (Link.Sent.size() == sentBefore)
                break; // the programmer did not answer: nothing more will happen
        }
        return answered;
    }

    std::vector<std::uint8_t> Image(std::size_t n, std::uint8_t seed = 1) {
        std::vector<std::uint8_t> image(n);
        for (std::size_t i = 0; i < n; ++i)
            image[i] = std::uint8_t(seed + i * 7);
        return image;
    }
};

TEST_F(ExchangeTest, ImageSizesGiveBlockCounts) {
    struct Case {
        std::size_t Length;
        int Blocks;
        bool Whole;
    };
    for (Case c : {Case{100, 7, true}, Case{16, 1, true}, Case{17, 2, true}, Case{2048, 128, true},
                   Case{2049, 128, false}, Case{1, 1, true}}) {
        auto image = Image(c.Length);
        EXPECT_EQ(Prog.SetImage(image.data(), image.size()), c.Whole) << c.Length;
        EXPECT_EQ(Prog.BlockCount(), c.Blocks) << c.Length;
        const std::size_t kept = std::min<std::size_t>(c.Length, 2048);
        EXPECT_TRUE(std::equal(image.begin(), image.begin() + kept, Prog.Image().begin()));
        EXPECT_TRUE(std::all_of(Prog.Image().begin() + kept, Prog.Image().end(),
                                [](std::uint8_t b) { return b == 0; }));
    }
}

TEST_F(ExchangeTest, NothingToProgramStartsNothing) {
    Prog.SetImage(nullptr, 0);
    EXPECT_FALSE(Prog.Start(TExchangeMode::Program));
    EXPECT_EQ(Link.Opens, 0);
    EXPECT_FALSE(Prog.Running());
}

TEST_F(ExchangeTest, ProgrammingWithWriteAcknowledgementsWritesThenVerifies) {
    auto image = Image(100);
    Prog.SetImage(image.data(), image.size());
    Controller.Flash.fill(0xEE);
    ASSERT_TRUE(Prog.Start(TExchangeMode::Program));
    EXPECT_EQ(Statuses, (std::vector<std::string>{"Установка связи"}));
    EXPECT_EQ(Link.Signals, (std::vector<TLineSignal>{TLineSignal::SetRts, TLineSignal::ClrDtr}));

    Converse();
    // 7 blocks: 6 full, the 7th with 4 data bytes and 12 zeros.
    std::vector<std::uint8_t> padded = image;
    padded.resize(7 * 16, 0);
    EXPECT_TRUE(std::equal(padded.begin(), padded.end(), Controller.Flash.begin()));
    EXPECT_EQ(Controller.Flash[7 * 16], 0xEE);

    // Requests: connection, 7 writes, 7 reads, end.
    std::vector<std::uint8_t> commands;
    for (const TBytes& f : Link.Sent)
        commands.push_back(f[2]);
    std::vector<std::uint8_t> expected{cmdReady};
    expected.insert(expected.end(), 7, cmdWriteBlock);
    expected.insert(expected.end(), 7, cmdReadBlock);
    expected.push_back(cmdEnd);
    EXPECT_EQ(commands, expected);
    for (int b = 0; b < 7; ++b) {
        EXPECT_EQ(Link.Sent[1 + b][3], b);
        EXPECT_EQ(Link.Sent[8 + b], MakeFrame({cmdReadBlock, std::uint8_t(b)}));
    }
    EXPECT_EQ(LastSent(), MakeFrame({cmdEnd, 0}));

    // Progress 0..7 on the write pass, 1..7 on the verify pass, then 0.
    std::vector<int> positions;
    for (auto [pos, max] : Progress) {
        EXPECT_EQ(max, 7);
        positions.push_back(pos);
    }
    EXPECT_EQ(positions, (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 1, 2, 3, 4, 5, 6, 7, 0}));
    EXPECT_TRUE(Has("Связь установлена"));
    EXPECT_TRUE(Has("Идет программирование"));
    EXPECT_TRUE(Has("Идет чтение"));
    EXPECT_EQ(Prog.Status(), "Программирование закончено");
    EXPECT_EQ(Prog.ResultCode(), 0);
    EXPECT_TRUE(Prog.ExchangeSucceeded());

    // The port closes only once the end frame had time to leave.
    EXPECT_TRUE(Prog.Running());
    Clock.Advance(199, Prog);
    EXPECT_TRUE(Link.IsOpen);
    Clock.Advance(1, Prog);
    EXPECT_FALSE(Prog.Running());
    EXPECT_FALSE(Link.IsOpen);
    EXPECT_FALSE(Clock.Armed(TProgTimer::NoAnswer));
    EXPECT_EQ(Prog.Status(), "Программирование закончено");
}

TEST_F(ExchangeTest, ProgrammingWithReadBackAcknowledgementsIsOnePass) {
    auto image = Image(48);
    Prog.SetImage(image.data(), image.size());
    Controller.AckWithRead = true;
    ASSERT_TRUE(Prog.Start(TExchangeMode::Program));
    Converse();
    std::vector<std::uint8_t> commands;
    for (const TBytes& f : Link.Sent)
        commands.push_back(f[2]);
    EXPECT_EQ(commands, (std::vector<std::uint8_t>{cmdReady, cmdWriteBlock, cmdWriteBlock,
                                                   cmdWriteBlock, cmdEnd}));
    EXPECT_EQ(Prog.Status(), "Программирование закончено");
    EXPECT_EQ(Prog.ResultCode(), 0);
}

TEST_F(ExchangeTest, ThreeBadVerifyRepliesEndWithoutSuccess) {
    auto image = Image(32);
    Prog.SetImage(image.data(), image.size());
    Controller.AckWithRead = true;
    ASSERT_TRUE(Prog.Start(TExchangeMode::Program));
    Feed({cmdHello, 0});
    Feed({cmdReady, 0});
    ASSERT_EQ(LastSent()[2], cmdWriteBlock);

    TBytes wrong{cmdReadBlock, 0};
    wrong.insert(wrong.end(), image.begin(), image.begin() + 16);
    wrong[5] ^= 1;
    for (int i = 1; i <= 3; ++i) {
        Feed(wrong);
        EXPECT_EQ(Prog.Status(), "Ошибка верификации!");
        EXPECT_EQ(Prog.ErrorCount(), i);
        EXPECT_EQ(Prog.Finishing(), i == 3);
        Feed({cmdReady, 0});
        if (i < 3) { // the same block again
            EXPECT_EQ(LastSent(), Link.Sent[1]);
        }
    }
    EXPECT_EQ(LastSent(), MakeFrame({cmdEnd, 0}));
    Clock.Advance(200, Prog);
    EXPECT_FALSE(Prog.Running());
    EXPECT_EQ(Prog.ResultCode(), 3);
    EXPECT_FALSE(Prog.ExchangeSucceeded());
}

TEST_F(ExchangeTest, AGoodReplyClearsTheErrorCount) {
    auto image = Image(32);
    Prog.SetImage(image.data(), image.size());
    ASSERT_TRUE(Prog.Start(TExchangeMode::Program));
    Feed({cmdHello, 0});
    // Verify pass straight away is not possible; use read-back replies.
    auto reply = [&](int block, bool good) {
        TBytes r{cmdReadBlock, std::uint8_t(block)};
        r.insert(r.end(), image.begin() + block * 16, image.begin() + block * 16 + 16);
        if (!good)
            r.back() ^= 0x80;
        return r;
    };
    Feed(reply(0, false));
    Feed(reply(0, false));
    EXPECT_EQ(Prog.ErrorCount(), 2);
    Feed(reply(0, true));
    EXPECT_EQ(Prog.ErrorCount(), 0);
    EXPECT_EQ(Prog.CurrentBlock(), 1);
    Feed(reply(1, false));
    Feed(reply(0, true)); // the wrong block number is a bad reply too
    EXPECT_EQ(Prog.ErrorCount(), 2);
    EXPECT_FALSE(Prog.Finishing());
}

TEST_F(ExchangeTest, WriteAcknowledgementsThatNeverMatchEndTheExchange) {
    auto image = Image(32);
    Prog.SetImage(image.data(), image.size());
    ASSERT_TRUE(Prog.Start(TExchangeMode::Program));
    Feed({cmdHello, 0});
    TBytes stuck{cmdBlockWritten, 0};
    stuck.insert(stuck.end(), 16, 0xFF); // the block never takes the data
    for (int i = 0; i < 3; ++i) {
        Feed({cmdReady, 0});
        EXPECT_EQ(LastSent()[2], cmdWriteBlock);
        EXPECT_EQ(LastSent()[3], 0);
        Feed(stuck);
        EXPECT_EQ(Prog.CurrentBlock(), 0);
    }
    EXPECT_TRUE(Prog.Finishing());
    Feed({cmdReady, 0});
    EXPECT_EQ(LastSent(), MakeFrame({cmdEnd, 0}));
    EXPECT_EQ(Prog.ResultCode(), 3);
    EXPECT_FALSE(Prog.ExchangeSucceeded());
}

TEST_F(ExchangeTest, ReadingCopiesEveryBlockToTheDestination) {
    for (std::size_t i = 0; i < Controller.Flash.size(); ++i)
        Controller.Flash[i] = std::uint8_t(i * 13 + 5);
    std::vector<std::uint8_t> destination(2048 + 16, 0xAA);
    Prog.SetBlockCount(128);
    Prog.SetReadDestination(destination.data(), 2048);
    ASSERT_TRUE(Prog.Start(TExchangeMode::Read));
    Converse();
    EXPECT_EQ(Prog.Status(), "Чтение закончено");
    EXPECT_EQ(Prog.ResultCode(), 0);
    EXPECT_TRUE(Prog.ExchangeSucceeded());
    EXPECT_TRUE(std::equal(Controller.Flash.begin(), Controller.Flash.end(), destination.begin()));
    EXPECT_TRUE(
        std::equal(Controller.Flash.begin(), Controller.Flash.end(), Prog.ReadData().begin()));
    EXPECT_EQ(destination[2048], 0xAA);
    EXPECT_EQ(Progress.back(), std::make_pair(0, 128)); // set back by the end frame
    EXPECT_EQ(Progress[Progress.size() - 2], std::make_pair(128, 128));
}

TEST_F(ExchangeTest, ReadingIntoASmallDestinationStaysInside) {
    Controller.Flash.fill(0x42);
    std::vector<std::uint8_t> destination(40 + 8, 0xAA);
    Prog.SetBlockCount(4);
    Prog.SetReadDestination(destination.data(), 40);
    ASSERT_TRUE(Prog.Start(TExchangeMode::Read));
    Converse();
    EXPECT_EQ(Prog.Status(), "Чтение закончено");
    EXPECT_TRUE(std::all_of(destination.begin(), destination.begin() + 40,
                            [](std::uint8_t b) { return b == 0x42; }));
    EXPECT_TRUE(std::all_of(destination.begin() + 40, destination.end(),
                            [](std::uint8_t b) { return b == 0xAA; }));
}

TEST_F(ExchangeTest, BadReadRepliesAreRejected) {
    Prog.SetBlockCount(128);
    ASSERT_TRUE(Prog.Start(TExchangeMode::Read));
    Feed({cmdHello, 0});
    Feed({cmdReady, 0});
    EXPECT_EQ(LastSent(), MakeFrame({cmdReadBlock, 0}));
    TBytes shortReply{cmdReadBlock, 0, 1, 2, 3, 4, 5, 6}; // L = 8
    TBytes wrongBlock(18, 0x55);
    wrongBlock[0] = cmdReadBlock;
    wrongBlock[1] = 3;
    Feed(shortReply);
    EXPECT_EQ(Prog.Status(), "Ошибка чтения!");
    Feed(wrongBlock);
    EXPECT_EQ(Prog.ErrorCount(), 2);
    EXPECT_EQ(Prog.CurrentBlock(), 0);
    EXPECT_TRUE(std::all_of(Prog.ReadData().begin(), Prog.ReadData().end(),
                            [](std::uint8_t b) { return b == 0; }));
    Feed(wrongBlock);
    EXPECT_TRUE(Prog.Finishing());
    EXPECT_EQ(Prog.ResultCode(), 3);
}

TEST_F(ExchangeTest, RepliesAfterTheLastBlockChangeNothing) {
    // Once the outcome is settled, a repeated reply neither overruns the
    // buffers nor turns success into an error.
    Controller.Flash.fill(0x11);
    Prog.SetBlockCount(128);
    std::vector<std::uint8_t> destination(2048);
    Prog.SetReadDestination(destination.data(), destination.size());
    ASSERT_TRUE(Prog.Start(TExchangeMode::Read));
    Feed({cmdHello, 0});
    for (int b = 0; b < 128; ++b) {
        TBytes r{cmdReadBlock, std::uint8_t(b)};
        r.insert(r.end(), 16, 0x11);
        Feed(r);
    }
    ASSERT_EQ(Prog.Status(), "Чтение закончено");
    TBytes beyond{cmdReadBlock, 128};
    beyond.insert(beyond.end(), 16, 0x99);
    Feed(beyond);
    Feed(beyond);
    Feed(beyond);
    EXPECT_EQ(Prog.Status(), "Чтение закончено");
    EXPECT_EQ(Prog.CurrentBlock(), 128);
    EXPECT_EQ(Prog.ResultCode(), 0);
    EXPECT_TRUE(std::all_of(destination.begin(), destination.end(),
                            [](std::uint8_t b) { return b == 0x11; }));
}

TEST_F(ExchangeTest, ReadingTheClockShowsTheExample) {
    const std::uint8_t example[7] = {0x30, 0x15, 0x10, 0x00, 0x09, 0x02, 0x08};
    Controller.Clock = ClockFieldsFromBytes(example);
    ASSERT_TRUE(Prog.Start(TExchangeMode::ReadTime));
    Converse();
    EXPECT_EQ(Link.Sent[1], MakeFrame({cmdReadTime, 0}));
    EXPECT_TRUE(Has("Идет чтение времени контроллера"));
    EXPECT_EQ(Prog.Status(), "Время в НВТ: 10.03.2008 16:21:48 Понедельник");
    EXPECT_EQ(LastSent(), MakeFrame({cmdEnd, 0}));
    EXPECT_TRUE(Prog.ExchangeSucceeded());
    EXPECT_EQ(Prog.ResultCode(), 3); // the result code speaks of blocks only
    ASSERT_TRUE(Prog.ControllerClock());
    EXPECT_EQ(*Prog.ControllerClock(), Controller.Clock);
}

TEST_F(ExchangeTest, SettingTheClockSendsThePcTime) {
    Clock.Now.tm_year = 108;
    Clock.Now.tm_mon = 2;
    Clock.Now.tm_mday = 10;
    Clock.Now.tm_hour = 16;
    Clock.Now.tm_min = 21;
    Clock.Now.tm_sec = 48;
    Clock.Now.tm_wday = 1;
    ASSERT_TRUE(Prog.Start(TExchangeMode::SetTime));
    Converse();
    EXPECT_EQ(Link.Sent[1],
              (TBytes{0xD3, 0x08, 0x88, 0x30, 0x15, 0x10, 0x00, 0x09, 0x02, 0x08, 0xCB}));
    EXPECT_TRUE(Has("Запись времени в контроллер"));
    EXPECT_EQ(Prog.Status(), "Время в НВТ: 10.03.2008 16:21:48 Понедельник");
    EXPECT_TRUE(Prog.ExchangeSucceeded());
}

TEST_F(ExchangeTest, AClockReplyOfTheWrongLengthStillFinishes) {
    ASSERT_TRUE(Prog.Start(TExchangeMode::ReadTime));
    Feed({cmdHello, 0});
    Feed({cmdReady, 0});
    Feed({cmdReadTime, 0});
    EXPECT_EQ(Prog.Status(), "Идет чтение времени контроллера");
    EXPECT_TRUE(Prog.Finishing());
    EXPECT_FALSE(Prog.ControllerClock());
    Feed({cmdReady, 0});
    EXPECT_EQ(LastSent(), MakeFrame({cmdEnd, 0}));
    EXPECT_FALSE(Prog.ExchangeSucceeded());
}

TEST_F(ExchangeTest, AGreetingAfterTheClockAnswerAsksAgain) {
    ASSERT_TRUE(Prog.Start(TExchangeMode::ReadTime));
    Feed({cmdHello, 0});
    Feed({cmdReady, 0});
    Feed({cmdReadTime, 0, 0, 12, 0, 0, 0, 8});
    ASSERT_TRUE(Prog.Finishing());
    Feed({cmdHello, 0}); // the controller restarted
    EXPECT_FALSE(Prog.Finishing());
    EXPECT_FALSE(Prog.ExchangeSucceeded());
    Feed({cmdReady, 0});
    EXPECT_EQ(LastSent(), MakeFrame({cmdReadTime, 0})); // not a block read
}

TEST_F(ExchangeTest, AGreetingRestartsFromBlockZeroKeepingTheMode) {
    auto image = Image(64);
    Prog.SetImage(image.data(), image.size());
    ASSERT_TRUE(Prog.Start(TExchangeMode::Program));
    Feed({cmdHello, 0});
    for (int b = 0; b < 2; ++b) {
        Feed({cmdReady, 0});
        for (const TBytes& r : Controller.Answer(LastSent()))
            if (r[0] != cmdReady)
                Feed(r);
    }
    EXPECT_EQ(Prog.CurrentBlock(), 2);
    Feed({cmdHello, 0});
    EXPECT_EQ(LastSent(), MakeFrame({cmdReady, 0}));
    EXPECT_EQ(Prog.CurrentBlock(), 0);
    EXPECT_EQ(Progress.back(), std::make_pair(0, 4));
    Feed({cmdReady, 0});
    EXPECT_EQ(LastSent()[2], cmdWriteBlock);
    EXPECT_EQ(LastSent()[3], 0);
}

TEST_F(ExchangeTest, ASilentControllerTimesOut) {
    auto image = Image(16);
    Prog.SetImage(image.data(), image.size());
    ASSERT_TRUE(Prog.Start(TExchangeMode::Program));
    Clock.Advance(9999, Prog);
    EXPECT_TRUE(Prog.Running());
    Clock.Advance(1, Prog);
    EXPECT_FALSE(Prog.Running());
    EXPECT_FALSE(Link.IsOpen);
    EXPECT_EQ(Prog.Status(), "Нет связи с контроллером");
    EXPECT_EQ(Prog.ResultCode(), 3);
    EXPECT_FALSE(Prog.ExchangeSucceeded());
    EXPECT_EQ(Link.Signals.back(), TLineSignal::ClrDtr);
}

TEST_F(ExchangeTest, GoodBlocksRestartTheNoAnswerTimer) {
    auto image = Image(64);
    Prog.SetImage(image.data(), image.size());
    Controller.AckWithRead = true;
    ASSERT_TRUE(Prog.Start(TExchangeMode::Program));
    Feed({cmdHello, 0});
    for (int b = 0; b < 3; ++b) {
        Clock.Advance(9000, Prog);
        Feed({cmdReady, 0});
        Feed(Controller.Answer(LastSent())[0]);
        ASSERT_TRUE(Prog.Running()) << b;
    }
    // Frames that are no good block keep nothing alive.
    Clock.Advance(5000, Prog);
    Feed({cmdReady, 0});
    Feed({cmdWait, 0});
    Feed({cmdHello, 0});
    Clock.Advance(5000, Prog);
    EXPECT_FALSE(Prog.Running());
    EXPECT_EQ(Prog.Status(), "Нет связи с контроллером");
}

TEST_F(ExchangeTest, PortThatWillNotOpen) {
    auto image = Image(16);
    Prog.SetImage(image.data(), image.size());
    Link.FailOpen = true;
    EXPECT_FALSE(Prog.Start(TExchangeMode::Program));
    EXPECT_EQ(Statuses, (std::vector<std::string>{"Операция прервана", "Ошибка открытия порта!"}));
    EXPECT_EQ(Prog.ResultCode(), 4);
    EXPECT_EQ(Prog.LastOpenError(), "Невозможно открыть порт!");
    EXPECT_FALSE(Prog.Running());
    EXPECT_FALSE(Clock.Armed(TProgTimer::NoAnswer));
}

TEST_F(ExchangeTest, AClockButtonDuringAnExchangeStopsIt) {
    auto image = Image(16);
    Prog.SetImage(image.data(), image.size());
    ASSERT_TRUE(Prog.Start(TExchangeMode::Program));
    EXPECT_FALSE(Prog.Start(TExchangeMode::ReadTime)); // the port is already open
    EXPECT_FALSE(Prog.Running());
    EXPECT_FALSE(Link.IsOpen);
    EXPECT_EQ(Prog.Status(), "Ошибка открытия порта!");
    EXPECT_EQ(Prog.ResultCode(), 4);
}

TEST_F(ExchangeTest, StoppingByHand) {
    std::vector<bool> running;
    Prog.OnRunningChanged = [&](bool r) { running.push_back(r); };
    auto image = Image(16);
    Prog.SetImage(image.data(), image.size());
    ASSERT_TRUE(Prog.Start(TExchangeMode::Program));
    Feed({cmdHello, 0});
    Prog.Stop();
    EXPECT_EQ(Prog.Status(), "Операция прервана");
    EXPECT_FALSE(Link.IsOpen);
    EXPECT_EQ(running, (std::vector<bool>{true, false}));
    // Nothing that still arrives does anything.
    const std::size_t sent = Link.Sent.size();
    Feed({cmdReady, 0});
    Feed({cmdHello, 0});
    EXPECT_EQ(Link.Sent.size(), sent);
    EXPECT_EQ(Prog.Status(), "Операция прервана");
}

TEST_F(ExchangeTest, WaitPausesAMillisecond) {
    Prog.SetBlockCount(1);
    ASSERT_TRUE(Prog.Start(TExchangeMode::Read));
    Feed({cmdWait, 0});
    EXPECT_EQ(Clock.Pauses, (std::vector<long long>{1}));
    EXPECT_EQ(Link.Sent.size(), 0u);
}

// ---- Received bytes ----

TEST_F(ExchangeTest, TwoFramesInOneChunkActOnTheFirstOnly) {
    Prog.SetBlockCount(8);
    ASSERT_TRUE(Prog.Start(TExchangeMode::Read));
    TBytes both = MakeFrame({cmdHello, 0});
    TBytes ready = MakeFrame({cmdReady, 0});
    both.insert(both.end(), ready.begin(), ready.end());
    FeedBytes(both);
    EXPECT_EQ(Link.Sent.size(), 1u); // the answer to the greeting; "ready" is lost
    EXPECT_EQ(Prog.Status(), "Связь установлена");
    FeedBytes(ready);
    EXPECT_EQ(LastSent(), MakeFrame({cmdReadBlock, 0}));
}

TEST_F(ExchangeTest, FramesSplitAnywhereAreActedOnAtTheirLastByte) {
    const TBytes frame = MakeFrame({cmdHello, 0});
    for (std::size_t cut = 1; cut < frame.size(); ++cut) {
        FakeLink link;
        FakeClock clock;
        TProgrammer p(link, clock);
        p.SetBlockCount(1);
        ASSERT_TRUE(p.Start(TExchangeMode::Read));
        p.HandleReceived(frame.data(), cut);
        EXPECT_TRUE(link.Sent.empty()) << cut;
        p.HandleReceived(frame.data() + cut, frame.size() - cut);
        EXPECT_EQ(link.Sent.size(), 1u) << cut;
    }
    // Byte by byte, after noise.
    Prog.SetBlockCount(1);
    ASSERT_TRUE(Prog.Start(TExchangeMode::Read));
    TBytes noisy{0x00, 0xD3, 0x12, 0x44};
    noisy.insert(noisy.end(), frame.begin(), frame.end());
    for (std::uint8_t b : noisy)
        Prog.HandleReceived(&b, 1);
    EXPECT_EQ(Link.Sent.size(), 1u);
}

TEST_F(ExchangeTest, ABadCandidateDoesNotHideALaterFrame) {
    Prog.SetBlockCount(1);
    ASSERT_TRUE(Prog.Start(TExchangeMode::Read));
    TBytes bad = MakeFrame(TBytes(18, 0x81));
    bad.back() ^= 0x10;
    FeedBytes(bad);
    EXPECT_TRUE(Link.Sent.empty());
    Feed({cmdHello, 0});
    EXPECT_EQ(Link.Sent.size(), 1u);
}

TEST_F(ExchangeTest, MoreThanFiftyUnusedBytesAreThrownAway) {
    Prog.SetBlockCount(1);
    ASSERT_TRUE(Prog.Start(TExchangeMode::Read));
    FeedBytes(TBytes(51, 0x00));
    const TBytes hello = MakeFrame({cmdHello, 0});
    FeedBytes(hello); // dropped together with the noise
    EXPECT_TRUE(Link.Sent.empty());
    FeedBytes(hello);
    EXPECT_EQ(Link.Sent.size(), 1u);

    // Exactly fifty are still kept.
    FeedBytes(TBytes(50, 0x00));
    FeedBytes(hello);
    EXPECT_EQ(Link.Sent.size(), 2u);
}

TEST_F(ExchangeTest, HugeChunksAreCutToTheBuffer) {
    Prog.SetBlockCount(1);
    ASSERT_TRUE(Prog.Start(TExchangeMode::Read));
    TBytes big(10000, 0xD3);
    const TBytes hello = MakeFrame({cmdHello, 0});
    std::copy(hello.begin(), hello.end(), big.begin() + 200); // inside the 304 kept
    std::copy(hello.begin(), hello.end(), big.begin() + 5000);
    FeedBytes(big);
    EXPECT_EQ(Link.Sent.size(), 1u);
}

} // namespace
} // namespace tralcon::test
