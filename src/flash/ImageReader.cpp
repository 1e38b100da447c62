#include "flash/ImageReader.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <set>
#include <sstream>

namespace tralcon {

namespace {

// Thrown inside the reader; ReadFlashImage turns it into its error text.
struct Damage {
    std::size_t Offset;
    std::string What;
};

std::string Hex(std::uint32_t v, int digits) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%0*X", digits, v);
    return buf;
}

class Reader {
  public:
    Reader(const TBytes& bytes, TImageDescription* image) : B(bytes), Img(*image) {}

    void Run() {
        ReadHeader();
        ReadStates();
        ReadYearPlan();
        ReadPlans();
        CheckPhases();
    }

  private:
    const TBytes& B;
    TImageDescription& Img;
    std::size_t End = 0; // offset of the image checksum

    [[noreturn]] static void Fail(std::size_t offset, std::string what) {
        throw Damage{offset, std::move(what)};
    }

    // A record at offset: its length byte, bounds and own checksum.
    std::size_t Record(std::size_t offset, std::size_t limit, const char* kind) {
        if (offset + 3 > limit)
            Fail(offset, std::string(kind) + ": запись выходит за пределы области");
        std::size_t len = B[offset];
        if (len < 3 || offset + len > limit)
            Fail(offset, std::string(kind) + ": неверная длина записи " + std::to_string(len));
        if (ImageChecksum(&B[offset], static_cast<long>(len - 2)) != GetU16(&B[offset + len - 2]))
            Fail(offset, std::string(kind) + ": неверная контрольная сумма записи");
        return len;
    }

    void ReadHeader() {
        if (B.size() < kImageHeaderSize + 2)
            Fail(0, "образ короче заголовка (" + std::to_string(B.size()) + " байт)");
        const std::uint8_t* p = B.data();
        if (p[0] != kImageHeaderSize || p[1] != 'N' || p[2] != 'V' || p[3] != 'T')
            Fail(0, "нет заголовка образа NVT");
        if (ImageChecksum(p, 36) != GetU16(p + 36))
            Fail(36, "неверная контрольная сумма заголовка");
        TImageHeader& h = Img.Header;
        h.ModelId = p[4];
        h.ImageSize = GetU16(p + 5);
        h.YearPlanOffset = GetU16(p + 7);
        h.EntryOffsetA = GetU16(p + 9);
        h.EntryOffsetB = GetU16(p + 11);
        h.BlinkOffset = GetU16(p + 13);
        h.PhaseTotal = p[15];
        h.SystemId = p[16];
        h.ControllerIndex = p[17];
        h.ControllerCount = p[18];
        h.GreenControlMask = GetU32(p + 19);
        h.RedControlMask = GetU32(p + 23);
        h.CallLampMask = GetU32(p + 31);
        h.ControllerFlags = p[35];
        if (h.ImageSize < kImageHeaderSize + 2 || h.ImageSize > B.size())
            Fail(5, "размер образа " + std::to_string(h.ImageSize) + " не совпадает с данными (" +
                        std::to_string(B.size()) + " байт)");
        // After the image: the zeros a file is padded with, then the erased
        // bytes of a flash read back from a controller (a padded file
        // programmed leaves both). Anything else there was written by
        // something, so the bytes are not just this image.
        std::size_t i = h.ImageSize;
        while (i < B.size() && B[i] == 0x00)
            ++i;
        while (i < B.size() && B[i] == 0xFF)
            ++i;
        if (i < B.size())
            Fail(i, "посторонние байты после конца образа (допустимы 00, затем FF)");
        End = h.ImageSize - 2u;
        if (ImageChecksum(p, static_cast<long>(End)) != GetU16(p + End))
            Fail(End, "неверная контрольная сумма образа");
        if (h.BlinkOffset != kBlinkOffset)
            Fail(13, "запись желтого мигания не на смещении 38");
        if (h.EntryOffsetA != kEntryOffset || h.EntryOffsetB != kEntryOffset)
            Fail(9, "точка входа не на смещении 57");
        if (h.ControllerCount == 0 || h.ControllerIndex >= h.ControllerCount)
            Fail(17, "неверный номер контроллера");
        if (h.YearPlanOffset < kImageHeaderSize || h.YearPlanOffset >= End)
            Fail(7, "смещение годового плана вне образа");
    }

    // States are found along the links from the yellow-flashing record; a
    // record nothing links to (the steps into the call phases when calls
    // are served at once) is found in the gap it leaves. Together they must
    // tile the area after the header without gaps or overlaps.
    void ReadStates() {
        std::map<std::uint16_t, TImageState> found;
        std::vector<std::uint16_t> todo{kBlinkOffset};
        int cycles = -1;
        const std::size_t limit = Img.Header.YearPlanOffset;
        while (!todo.empty()) {
            while (!todo.empty()) {
                std::uint16_t at = todo.back();
                todo.pop_back();
                if (found.count(at))
                    continue;
                TImageState s = ReadState(at, limit, cycles);
                for (std::uint16_t link : {s.NextOffset, s.ExitOffset, s.CallOffset})
                    if (link != kNoLink)
                        todo.push_back(link);
                found.emplace(at, std::move(s));
            }
            // The first gap between the records found so far, if any.
            std::size_t expect = kBlinkOffset;
            for (auto& [offset, state] : found) {
                if (offset < expect)
                    Fail(offset, "записи состояний перекрываются");
                if (offset > expect) {
                    todo.push_back(static_cast<std::uint16_t>(expect));
                    break;
                }
                expect = offset + kStateRecordSize + state.CycleExtra.size();
            }
            StateEnd = expect;
        }
        for (auto& [offset, state] : found)
            Img.States.push_back(std::move(state));
        Img.CycleCount = std::max(cycles, 0);
        if (Img.States.front().StateNumber != kStateBlink)
            Fail(kBlinkOffset + 1, "на смещении 38 не запись желтого мигания");
    }

    TImageState ReadState(std::uint16_t at, std::size_t limit, int& cycles) {
        std::size_t len = Record(at, limit, "состояние");
        if (len < kStateRecordSize)
            Fail(at, "состояние: неверная длина записи " + std::to_string(len));
        const std::uint8_t* p = &B[at];
        TImageState s;
        s.Offset = at;
        s.StateNumber = p[1];
        s.LitMask = GetU32(p + 2);
        s.SteadyMask = GetU32(p + 6);
        s.NextOffset = GetU16(p + 10);
        s.ExitOffset = GetU16(p + 12);
        s.CallOffset = GetU16(p + 14);
        s.Duration = p[16];
        bool phase = s.StateNumber != kStateBlink && s.StateNumber != kStateStep;
        if (phase) {
            if (s.StateNumber == 0 || s.StateNumber > Img.Header.PhaseTotal)
                Fail(at + 1u, "неверный номер фазы " + std::to_string(s.StateNumber));
            int extra = static_cast<int>(len - kStateRecordSize);
            if (cycles >= 0 && extra != cycles)
                Fail(at, "записи фаз разной длины");
            cycles = extra;
            s.CycleExtra.assign(p + 17, p + 17 + extra);
        } else if (len != kStateRecordSize) {
            Fail(at, "состояние: неверная длина записи " + std::to_string(len));
        }
        if ((s.SteadyMask & ~s.LitMask) != 0)
            Fail(at + 6u, "горящие без мигания выходы не входят в горящие");
        for (std::uint16_t link : {s.NextOffset, s.ExitOffset, s.CallOffset})
            if (link != kNoLink && (link < kBlinkOffset || link >= limit))
                Fail(at + 10u, "ссылка " + std::to_string(link) + " вне области состояний");
        if (s.NextOffset == kNoLink || s.ExitOffset == kNoLink)
            Fail(at + 10u, "состояние без следующего");
        return s;
    }

    std::size_t StateEnd = 0;

    void ReadYearPlan() {
        const std::size_t at = Img.Header.YearPlanOffset;
        if (at < StateEnd)
            Fail(7, "годовой план внутри области состояний");
        std::size_t len = Record(at, End, "годовой план");
        if (at + len != End || (len - 3) % 4 != 0 || len < 7)
            Fail(at, "годовой план: неверная длина записи " + std::to_string(len));
        Img.YearPlan.Offset = static_cast<std::uint16_t>(at);
        for (std::size_t i = at + 1; i + 4 <= at + len - 2; i += 4) {
            TImageYearPlan::Item item{B[i], B[i + 1], GetU16(&B[i + 2])};
            if (item.Month < 1 || item.Month > 12 || item.Day < 1 || item.Day > 31)
                Fail(i, "годовой план: неверная дата");
            Img.YearPlan.Items.push_back(item);
        }
    }

    static bool ValidBcd(std::uint8_t v, int limit) {
        return (v & 0x0F) <= 9 && (v >> 4) * 10 + (v & 0x0F) < limit;
    }

    bool ValidDayPlan(std::size_t at, std::size_t len) const {
        if ((len - 3) % 3 != 0 || len < 6)
            return false;
        for (std::size_t i = at + 1; i < at + len - 2; i += 3) {
            std::uint8_t code = B[i + 2];
            bool cycleOk = code == kCycleCodeFlash || code == kCycleCodeOff ||
                           (code >= 1 && code <= Img.CycleCount);
            if (!ValidBcd(B[i], 24) || !ValidBcd(B[i + 1], 60) || !cycleOk)
                return false;
        }
        return true;
    }

    bool ValidWeekPlan(std::size_t at, std::size_t len,
                       const std::set<std::size_t>& dayStarts) const {
        if ((len - 3) % 3 != 0 || len < 6)
            return false;
        for (std::size_t i = at + 1; i < at + len - 2; i += 3)
            if (B[i] > 6 || !dayStarts.count(GetU16(&B[i + 1])))
                return false;
        return true;
    }

    // Day plans come first, then week plans; a record's kind shows in what
    // it holds: week-plan items point at day-plan records.
    void ReadPlans() {
        std::vector<std::pair<std::size_t, std::size_t>> records;
        for (std::size_t at = StateEnd; at < Img.YearPlan.Offset;) {
            std::size_t len = Record(at, Img.YearPlan.Offset, "план");
            records.emplace_back(at, len);
            at += len;
        }
        for (std::size_t k = 1; k < records.size(); ++k) {
            std::set<std::size_t> dayStarts;
            bool ok = true;
            for (std::size_t i = 0; i < k && ok; ++i) {
                ok = ValidDayPlan(records[i].first, records[i].second);
                dayStarts.insert(records[i].first);
            }
            for (std::size_t i = k; i < records.size() && ok; ++i)
                ok = ValidWeekPlan(records[i].first, records[i].second, dayStarts);
            if (!ok)
                continue;
            std::set<std::size_t> weekStarts;
            for (std::size_t i = k; i < records.size(); ++i)
                weekStarts.insert(records[i].first);
            bool linked =
                std::all_of(Img.YearPlan.Items.begin(), Img.YearPlan.Items.end(),
                            [&](const auto& it) { return weekStarts.count(it.WeekPlanOffset); });
            if (!linked)
                continue;
            for (std::size_t i = 0; i < records.size(); ++i) {
                auto [at, len] = records[i];
                if (i < k) {
                    TImageDayPlan d;
                    d.Offset = static_cast<std::uint16_t>(at);
                    for (std::size_t j = at + 1; j < at + len - 2; j += 3)
                        d.Items.push_back({B[j], B[j + 1], B[j + 2]});
                    Img.DayPlans.push_back(std::move(d));
                } else {
                    TImageWeekPlan w;
                    w.Offset = static_cast<std::uint16_t>(at);
                    for (std::size_t j = at + 1; j < at + len - 2; j += 3)
                        w.Items.push_back({B[j], GetU16(&B[j + 1])});
                    Img.WeekPlans.push_back(std::move(w));
                }
            }
            return;
        }
        Fail(StateEnd, "суточные и недельные планы не распознаны");
    }

    void CheckPhases() {
        std::set<int> numbers;
        for (const TImageState& s : Img.States)
            if (s.StateNumber != kStateBlink && s.StateNumber != kStateStep &&
                !numbers.insert(s.StateNumber).second)
                Fail(s.Offset + 1, "фаза " + std::to_string(s.StateNumber) + " встречается дважды");
        if (static_cast<int>(numbers.size()) != Img.Header.PhaseTotal)
            Fail(15, "число фаз " + std::to_string(numbers.size()) +
                         " не совпадает с заголовком (" + std::to_string(Img.Header.PhaseTotal) +
                         ")");
    }
};

std::string Link(std::uint16_t v) {
    return v == kNoLink ? std::string("-") : std::to_string(v);
}

std::string Bcd(std::uint8_t v) {
    return Hex(v, 2);
}

} // namespace

const TImageState* TImageDescription::StateAt(std::uint16_t offset) const {
    for (const TImageState& s : States)
        if (s.Offset == offset)
            return &s;
    return nullptr;
}

bool ReadFlashImage(const TBytes& bytes, TImageDescription* image, std::string* error) {
    *image = TImageDescription();
    try {
        Reader(bytes, image).Run();
        return true;
    } catch (const Damage& d) {
        if (error)
            *error = "Образ поврежден: смещение " + std::to_string(d.Offset) + ": " + d.What;
        *image = TImageDescription();
        return false;
    }
}

std::string DescribeFlashImage(const TImageDescription& img) {
    std::ostringstream o;
    const TImageHeader& h = img.Header;
    o << "Image " << h.ImageSize << " bytes, ModelId " << int(h.ModelId) << ", SystemId "
      << int(h.SystemId) << ", controller " << int(h.ControllerIndex) + 1 << " of "
      << int(h.ControllerCount) << ", " << int(h.PhaseTotal) << " phases, " << img.CycleCount
      << " cycles\n";
    o << "  ControllerFlags " << Hex(h.ControllerFlags, 2) << ", GreenControlMask "
      << Hex(h.GreenControlMask, 8) << ", RedControlMask " << Hex(h.RedControlMask, 8)
      << ", CallLampMask " << Hex(h.CallLampMask, 8) << "\n";
    o << "States:\n";
    const TImageState* blink = img.StateAt(kBlinkOffset);
    for (const TImageState& s : img.States) {
        std::string kind;
        if (s.StateNumber == kStateBlink)
            kind = "yellow flashing";
        else if (blink && s.Offset == blink->NextOffset)
            kind = "all red";
        else if (s.StateNumber == kStateStep)
            kind = "step";
        else
            kind = "phase " + std::to_string(s.StateNumber);
        o << "  @" << s.Offset << "  " << kind << "  lit " << Hex(s.LitMask, 8) << "  steady "
          << Hex(s.SteadyMask, 8) << "  " << int(s.Duration) << " s  next " << Link(s.NextOffset)
          << "  exit " << Link(s.ExitOffset) << "  call " << Link(s.CallOffset);
        if (!s.CycleExtra.empty()) {
            o << "  cycle extra";
            for (std::uint8_t e : s.CycleExtra)
                o << " " << int(e);
        }
        o << "\n";
    }
    o << "Day plans:\n";
    for (const TImageDayPlan& d : img.DayPlans) {
        o << "  @" << d.Offset << ":";
        for (const auto& it : d.Items) {
            o << "  " << Bcd(it.Hour) << ":" << Bcd(it.Minute) << " ";
            if (it.CycleCode == kCycleCodeFlash)
                o << "ЖМ";
            else if (it.CycleCode == kCycleCodeOff)
                o << "ОС";
            else
                o << "cycle " << int(it.CycleCode);
        }
        o << "\n";
    }
    static const char* const days[] = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};
    o << "Week plans:\n";
    for (const TImageWeekPlan& w : img.WeekPlans) {
        o << "  @" << w.Offset << ":";
        for (const auto& it : w.Items)
            o << "  " << days[it.Weekday] << " day plan @" << it.DayPlanOffset;
        o << "\n";
    }
    o << "Year plan @" << img.YearPlan.Offset << ":";
    for (const auto& it : img.YearPlan.Items) {
        char date[8];
        std::snprintf(date, sizeof date, "%02d.%02d", it.Day, it.Month);
        o << "  from " << date << " week plan @" << it.WeekPlanOffset;
    }
    o << "\n";
    return o.str();
}

} // namespace tralcon
