// Received bytes for the programming exchange, cut into chunks at arbitrary
// places, in every mode, with timers expiring in between. Input: mode, block
// count, then chunks, each a control byte (low 6 bits: length; 0x40: ten
// seconds pass first; 0x80: the end delay passes first) and its bytes.
#include "programmer/Prog_un.h"

#include <array>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {

using namespace tralcon;

class Link : public IProgrammerLink {
  public:
    bool IsOpen = false;
    bool Open(std::string&) override { return IsOpen = true; }
    void Close() override { IsOpen = false; }
    bool Send(const std::uint8_t* data, std::size_t count) override {
        // Everything the programmer sends is one whole, valid frame.
        auto match = FindFrame(data, count);
        if (!match || match->Offset != 0 || match->Size() != count)
            std::abort();
        return IsOpen;
    }
    bool SetLineSignal(TLineSignal) override { return IsOpen; }
};

class Clock : public IProgrammerClock {
  public:
    std::array<bool, 2> Armed{};
    std::tm LocalNow() override {
        std::tm t{};
        t.tm_year = 108;
        t.tm_mday = 1;
        return t;
    }
    void StartTimer(TProgTimer t, std::chrono::milliseconds) override { Armed[int(t)] = true; }
    void StopTimer(TProgTimer t) override { Armed[int(t)] = false; }
    void Pause(std::chrono::milliseconds) override {}
    void Fire(TProgTimer t, TProgrammer& p) {
        if (Armed[int(t)]) {
            Armed[int(t)] = false;
            p.TimerFired(t);
        }
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2)
        return 0;
    Link link;
    Clock clock;
    TProgrammer p(link, clock);
    const auto mode = TExchangeMode(data[0] % 4);
    std::vector<std::uint8_t> image(std::size_t(data[1]) * 9);
    for (std::size_t i = 0; i < image.size(); ++i)
        image[i] = std::uint8_t(i);
    p.SetImage(image.data(), image.size());
    if (mode == TExchangeMode::Read)
        p.SetBlockCount(data[1]);
    // A destination smaller than the flash: reading must stay inside it.
    std::vector<std::uint8_t> destination(std::size_t(data[1]) * 5);
    p.SetReadDestination(destination.data(), destination.size());
    if (!p.Start(mode))
        return 0;

    for (std::size_t pos = 2; pos < size;) {
        const std::uint8_t control = data[pos++];
        const std::size_t length = std::min<std::size_t>(control & 0x3F, size - pos);
        if (control & 0x40)
            clock.Fire(TProgTimer::NoAnswer, p);
        if (control & 0x80)
            clock.Fire(TProgTimer::EndDelay, p);
        p.HandleReceived(data + pos, length);
        pos += length;
        if (p.CurrentBlock() < 0 || p.CurrentBlock() > p.BlockCount() || p.ErrorCount() < 0)
            std::abort();
        if (p.Running() != link.IsOpen)
            std::abort();
        // Success comes only with every block dealt with.
        if (p.ExchangeSucceeded() &&
            (mode == TExchangeMode::Program || mode == TExchangeMode::Read) &&
            p.CurrentBlock() != p.BlockCount())
            std::abort();
    }
    return 0;
}
