#include "programmer/Prog_un.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <stdexcept>

namespace tralcon {

namespace {

const char* const kConnecting = "Установка связи";
const char* const kAborted = "Операция прервана";
const char* const kOpenFailed = "Ошибка открытия порта!";
const char* const kConnected = "Связь установлена";
const char* const kWritingTime = "Запись времени в контроллер";
const char* const kReadingTime = "Идет чтение времени контроллера";
const char* const kProgramming = "Идет программирование";
const char* const kReading = "Идет чтение";
const char* const kProgrammed = "Программирование закончено";
const char* const kVerifyError = "Ошибка верификации!";
const char* const kRead = "Чтение закончено";
const char* const kReadError = "Ошибка чтения!";
const char* const kNoAnswer = "Нет связи с контроллером";
const char* const kClockPrefix = "Время в НВТ: ";
const char* const kBadClock = "Время имеет недопустимое значение!";

const char* const kDayNames[7] = {"Понедельник", "Вторник", "Среда",      "Четверг",
                                  "Пятница",     "Суббота", "Воскресенье"};
const char* const kUnknownDay = "Неизвестно";

std::string DefaultShortDate(int year, int month, int day) {
    char text[32];
    std::snprintf(text, sizeof text, "%02d.%02d.%04d", day, month, year);
    return text;
}

std::string DefaultLongTime(int hour, int minute, int second) {
    char text[32];
    std::snprintf(text, sizeof text, "%d:%02d:%02d", hour, minute, second);
    return text;
}

int DaysInMonth(int year, int month) {
    static const int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : days[month - 1];
}

} // namespace

// ---- Frames ----

bool IsAcceptedLength(std::size_t dataLength) {
    return dataLength == 2 || dataLength == 8 || dataLength == 18;
}

std::uint8_t FrameChecksum(const std::uint8_t* bytes, std::size_t count) {
    unsigned sum = 0;
    for (std::size_t i = 0; i < count; ++i)
        sum += bytes[i];
    return std::uint8_t(sum);
}

std::vector<std::uint8_t> MakeFrame(const std::vector<std::uint8_t>& data) {
    if (!IsAcceptedLength(data.size()))
        throw std::invalid_argument("frame data length must be 2, 8 or 18");
    std::vector<std::uint8_t> frame;
    frame.reserve(data.size() + 3);
    frame.push_back(SyncByte);
    frame.push_back(std::uint8_t(data.size()));
    frame.insert(frame.end(), data.begin(), data.end());
    frame.push_back(FrameChecksum(frame.data(), frame.size()));
    return frame;
}

std::optional<TFrameMatch> FindFrame(const std::uint8_t* bytes, std::size_t count) {
    for (std::size_t i = 0; i + 5 <= count; ++i) {
        if (bytes[i] != SyncByte)
            continue;
        const std::size_t length = bytes[i + 1];
        if (i + length + 2 >= count || !IsAcceptedLength(length))
            continue;
        if (FrameChecksum(bytes + i, length + 2) != bytes[i + length + 2])
            continue;
        TFrameMatch match;
        match.Offset = i;
        match.Frame.DataLength = std::uint8_t(length);
        std::memcpy(match.Frame.Data.data(), bytes + i + 2, length);
        return match;
    }
    return std::nullopt;
}

// ---- The controller's clock ----

TClockFields ClockFieldsFromTm(const std::tm& local) {
    TClockFields c;
    c.Second = std::uint8_t(std::clamp(local.tm_sec, 0, 59)); // no leap second on the controller
    c.Minute = std::uint8_t(local.tm_min);
    c.Hour = std::uint8_t(local.tm_hour);
    c.DayOfWeek = std::uint8_t((local.tm_wday + 6) % 7);
    c.Day = std::uint8_t(local.tm_mday - 1);
    c.Month = std::uint8_t(local.tm_mon);
    c.Year = std::uint8_t((local.tm_year + 1900 - 2000) & 0xFF);
    return c;
}

std::array<std::uint8_t, 7> ClockBytes(const TClockFields& c) {
    return {c.Second, c.Minute, c.Hour, c.DayOfWeek, c.Day, c.Month, c.Year};
}

TClockFields ClockFieldsFromBytes(const std::uint8_t* b) {
    TClockFields c;
    c.Second = b[0];
    c.Minute = b[1];
    c.Hour = b[2];
    c.DayOfWeek = b[3];
    c.Day = b[4];
    c.Month = b[5];
    c.Year = b[6];
    return c;
}

std::string ControllerClockText(const TClockFields& c, const TDateTimeFormat& format) {
    if (c.Hour >= 24 || c.Minute >= 60 || c.Second >= 60)
        return kBadClock;
    const auto& longTime = format.LongTime ? format.LongTime : DefaultLongTime;
    const auto& shortDate = format.ShortDate ? format.ShortDate : DefaultShortDate;
    const int year = 2000 + c.Year, month = c.Month + 1, day = c.Day + 1;
    std::string when = longTime(c.Hour, c.Minute, c.Second);
    if (month <= 12 && day <= DaysInMonth(year, month))
        when = shortDate(year, month, day) + " " + when;
    const char* dayName = c.DayOfWeek < 7 ? kDayNames[c.DayOfWeek] : kUnknownDay;
    return kClockPrefix + when + " " + dayName;
}

// ---- The exchange ----

TProgrammer::TProgrammer(IProgrammerLink& link, IProgrammerClock& clock)
    : FLink(link), FClockSource(clock) {}

bool TProgrammer::SetImage(const std::uint8_t* data, std::size_t length) {
    const std::size_t taken = std::min(length, MaxImageSize);
    FImage.fill(0);
    if (taken > 0)
        std::memcpy(FImage.data(), data, taken);
    FBlockCount = int((taken + BlockSize - 1) / BlockSize);
    return taken == length;
}

void TProgrammer::SetBlockCount(int count) {
    FBlockCount = std::clamp(count, 0, int(MaxBlockCount));
}

void TProgrammer::SetReadDestination(std::uint8_t* buffer, std::size_t size) {
    FReadDestination = buffer;
    FReadDestinationSize = buffer ? size : 0;
}

void TProgrammer::ShowStatus(const std::string& text) {
    FStatus = text;
    if (OnStatus)
        OnStatus(text);
}

void TProgrammer::SetProgress(int position, int maximum) {
    FProgressPosition = position;
    FProgressMaximum = maximum;
    if (OnProgress)
        OnProgress(position, maximum);
}

void TProgrammer::SetRunning(bool running) {
    if (FRunning == running)
        return;
    FRunning = running;
    if (OnRunningChanged)
        OnRunningChanged(running);
}

void TProgrammer::SetModeFlags() {
    FWrite = FMode == TExchangeMode::Program;
    FVerify = FMode == TExchangeMode::Program;
    FSetTime = FMode == TExchangeMode::SetTime;
    FReadTime = FMode == TExchangeMode::ReadTime;
}

bool TProgrammer::Start(TExchangeMode mode) {
    const bool needsBlocks = mode == TExchangeMode::Program || mode == TExchangeMode::Read;
    if (needsBlocks && FBlockCount == 0)
        return false;
    FMode = mode;
    SetModeFlags();
    // Every exchange starts at block 0, also when the controller skips its
    // greeting and goes straight to "ready".
    FCurrentBlock = 0;
    if (!StartExchange()) {
        StopExchange();
        ShowStatus(kAborted);
        ShowStatus(kOpenFailed);
        FResultCode = rcPortNotOpened;
        return false;
    }
    ShowStatus(kConnecting);
    return true;
}

void TProgrammer::Stop() {
    StopExchange();
    ShowStatus(kAborted);
}

bool TProgrammer::StartExchange() {
    FOpenError.clear();
    if (!FLink.Open(FOpenError))
        return false;
    FLink.SetLineSignal(TLineSignal::SetRts);
    FLink.SetLineSignal(TLineSignal::ClrDtr);
    FFill = 0;
    FFinish = false;
    FEnding = false;
    FErrorCount = 0;
    FSucceeded = false;
    FClock.reset();
    FClockSource.StartTimer(TProgTimer::NoAnswer, NoAnswerTimeout);
    SetRunning(true);
    return true;
}

void TProgrammer::StopExchange() {
    FLink.SetLineSignal(TLineSignal::ClrRts);
    FLink.SetLineSignal(TLineSignal::ClrDtr);
    FLink.Close();
    FClockSource.StopTimer(TProgTimer::NoAnswer);
    FClockSource.StopTimer(TProgTimer::EndDelay);
    FEnding = false;
    SetRunning(false);
}

void TProgrammer::TimerFired(TProgTimer timer) {
    if (!FRunning)
        return;
    if (timer == TProgTimer::NoAnswer && !FEnding) {
        StopExchange();
        ShowStatus(kNoAnswer);
    } else if (timer == TProgTimer::EndDelay && FEnding) {
        StopExchange();
    }
}

void TProgrammer::SendFrame(const std::uint8_t* data, std::uint8_t length) {
    std::uint8_t frame[MaxFrameData + 3];
    if (length > MaxFrameData)
        return;
    frame[0] = SyncByte;
    frame[1] = length;
    std::memcpy(frame + 2, data, length);
    frame[length + 2] = FrameChecksum(frame, std::size_t(length) + 2);
    FLink.Send(frame, std::size_t(length) + 3);
}

void TProgrammer::HandleReceived(const std::uint8_t* bytes, std::size_t count) {
    // Nothing is expected while no exchange runs or after the end frame;
    // chunks still queued from then must not start anything.
    if (!FRunning || FEnding)
        return;
    if (FFill > GarbageLimit) {
        FFill = 0;
        return;
    }
    // What does not fit is dropped: a frame is at most 21 bytes and the
    // buffer never holds more than GarbageLimit bytes before this chunk.
    const std::size_t taken = std::min(count, ReceiveBufferSize - FFill);
    if (taken > 0)
        std::memcpy(FBuffer.data() + FFill, bytes, taken);
    FFill += taken;
    std::optional<TFrameMatch> match = FindFrame(FBuffer.data(), FFill);
    if (!match)
        return;
    // The controller answers one request at a time, so whatever follows the
    // accepted frame is not kept.
    FFill = 0;
    Act(match->Frame);
}

void TProgrammer::Act(const TFrame& frame) {
    switch (frame.Command()) {
    case cmdHello: {
        const std::uint8_t ready[2] = {cmdReady, 0x00};
        SendFrame(ready, 2);
        FFinish = false;
        FCurrentBlock = 0;
        FSucceeded = false;
        // A controller that restarted after answering the clock has lost the
        // request: ask again rather than fall through to reading blocks.
        if (FMode == TExchangeMode::SetTime || FMode == TExchangeMode::ReadTime)
            SetModeFlags();
        SetProgress(0, FBlockCount);
        ShowStatus(kConnected);
        break;
    }
    case cmdReady:
        OnReady();
        break;
    case cmdReadBlock:
        OnBlockReply(frame);
        break;
    case cmdBlockWritten:
        OnBlockWritten(frame);
        break;
    case cmdWait:
        FClockSource.Pause(std::chrono::milliseconds(1));
        break;
    case cmdReadTime:
    case cmdSetTime:
        OnClockReply(frame);
        break;
    default:
        break;
    }
}

void TProgrammer::OnReady() {
    if (FSetTime) {
        const auto clock = ClockBytes(ClockFieldsFromTm(FClockSource.LocalNow()));
        std::uint8_t data[8] = {cmdSetTime};
        std::copy(clock.begin(), clock.end(), data + 1);
        SendFrame(data, 8);
        ShowStatus(kWritingTime);
    } else if (FReadTime) {
        const std::uint8_t data[2] = {cmdReadTime, 0x00};
        SendFrame(data, 2);
        ShowStatus(kReadingTime);
    } else if (FFinish || FCurrentBlock >= FBlockCount) {
        const std::uint8_t data[2] = {cmdEnd, 0x00};
        SendFrame(data, 2);
        SetProgress(0, FProgressMaximum);
        // The port closes when EndDelay expires; the window stays responsive
        // meanwhile.
        FEnding = true;
        FClockSource.StopTimer(TProgTimer::NoAnswer);
        FClockSource.StartTimer(TProgTimer::EndDelay, EndDelay);
    } else if (FWrite) {
        std::uint8_t data[18] = {cmdWriteBlock, std::uint8_t(FCurrentBlock)};
        std::memcpy(data + 2, FImage.data() + FCurrentBlock * BlockSize, BlockSize);
        SendFrame(data, 18);
        ShowStatus(kProgramming);
    } else {
        const std::uint8_t data[2] = {cmdReadBlock, std::uint8_t(FCurrentBlock)};
        SendFrame(data, 2);
        ShowStatus(kReading);
    }
}

bool TProgrammer::BlockMatchesImage(const TFrame& frame) const {
    return frame.DataLength == 18 && frame.Data[1] == FCurrentBlock &&
           FCurrentBlock < FBlockCount &&
           std::memcmp(frame.Data.data() + 2, FImage.data() + FCurrentBlock * BlockSize,
                       BlockSize) == 0;
}

void TProgrammer::BlockRejected(const char* text) {
    ShowStatus(text);
    if (++FErrorCount >= MaxBlockErrors)
        FFinish = true;
}

void TProgrammer::OnBlockReply(const TFrame& frame) {
    // Block replies mean something only while blocks are being moved; once
    // the outcome is settled a late or repeated reply changes nothing.
    const bool moving = FMode == TExchangeMode::Program || FMode == TExchangeMode::Read;
    if (!moving || FFinish)
        return;
    if (FVerify) {
        if (!BlockMatchesImage(frame))
            return BlockRejected(kVerifyError);
    } else {
        if (frame.DataLength != 18 || frame.Data[1] != FCurrentBlock ||
            FCurrentBlock >= FBlockCount)
            return BlockRejected(kReadError);
        const std::size_t offset = std::size_t(FCurrentBlock) * BlockSize;
        std::memcpy(FReadData.data() + offset, frame.Data.data() + 2, BlockSize);
        if (FReadDestination != nullptr && offset < FReadDestinationSize)
            std::memcpy(FReadDestination + offset, frame.Data.data() + 2,
                        std::min(BlockSize, FReadDestinationSize - offset));
    }
    FErrorCount = 0;
    ++FCurrentBlock;
    SetProgress(FCurrentBlock, FProgressMaximum);
    FClockSource.StartTimer(TProgTimer::NoAnswer, NoAnswerTimeout);
    if (FCurrentBlock == FBlockCount) {
        ShowStatus(FVerify ? kProgrammed : kRead);
        FFinish = true;
        FResultCode = rcDone;
        FSucceeded = true;
    }
}

void TProgrammer::OnBlockWritten(const TFrame& frame) {
    if (!FWrite || FFinish)
        return;
    if (BlockMatchesImage(frame)) {
        ++FCurrentBlock;
        FErrorCount = 0;
    } else {
        // A block that never reads back right must not be written for ever:
        // it counts like a failed verification.
        BlockRejected(kVerifyError);
    }
    SetProgress(FCurrentBlock, FProgressMaximum);
    FClockSource.StartTimer(TProgTimer::NoAnswer, NoAnswerTimeout);
    if (FCurrentBlock == FBlockCount) {
        // Write pass done: the following "ready"s read every block back.
        FCurrentBlock = 0;
        FWrite = false;
    }
}

void TProgrammer::OnClockReply(const TFrame& frame) {
    const bool asked = FSetTime || FReadTime;
    if (frame.DataLength == 8) {
        FClock = ClockFieldsFromBytes(frame.Data.data() + 1);
        ShowStatus(ControllerClockText(*FClock, DateTimeFormat));
        if (asked)
            FSucceeded = true;
    }
    FSetTime = false;
    FReadTime = false;
    FFinish = true;
}

} // namespace tralcon
