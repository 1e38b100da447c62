#pragma once
// A pseudo-terminal pair for the serial tests: the test plays the far end on
// the master side. The line settings of the tty are read through a
// descriptor of the test's own (the custom-rate interface needs its own
// translation unit, see PtyUtil.cpp).

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace tralcon::test {

struct TLineState {
    unsigned Speed = 0;
    bool Parity = false;
    bool Raw = false; // no echo, no line editing, no translation
    int DataBits = 0;
};

class PtyPair {
  public:
    PtyPair();
    ~PtyPair();
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    const std::string& Path() const { return FPath; }
    int Master() const { return FMaster; }
    void Write(const std::vector<std::uint8_t>& bytes);
    // Reads until count bytes came or the time is up.
    std::vector<std::uint8_t> Read(std::size_t count, std::chrono::milliseconds limit);
    // Closes the master: the line hangs up.
    void CloseMaster();
    TLineState Line() const;

  private:
    int FMaster = -1;
    int FObserver = -1; // a slave descriptor opened before the component's
    std::string FPath;
};

// Calls pump until done() holds or the time is up; true when it held.
bool PumpUntil(const std::function<void()>& pump, const std::function<bool()>& done,
               std::chrono::milliseconds limit = std::chrono::seconds(5));

} // namespace tralcon::test
