#pragma once
// Working cycles. A cycle holds only its name; the duration of each phase in
// a cycle lives in the phase (TPhase::Cycles, indexed by the cycle's
// position in CycleList). The two special cycles "ЖМ" and "ОС" stand outside
// that list and can be named by day plan items like any other.

#include "model/LinkedObjs.h"

#include <string>

namespace tralcon {

class TCycle : public TLinkedObject {
  public:
    explicit TCycle(std::string name) : TLinkedObject(std::move(name), false) {}
};

} // namespace tralcon
