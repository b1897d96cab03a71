#pragma once
#include <cstdint>
#include <vector>

#include "simulation/SessionNet.h"

namespace qz {

class ConflictResolver;
class EnablingIndex;
class Firing;
class TPNObjekt;

// The timed phase of a step: timers of timed transitions start, run down by
// the sample time and are dropped when their transition is disabled;
// reserved firings deliver when their delay has run out; transitions whose
// timer ran out fire (after the conflict resolution).
class TimedPhase {
public:
    TimedPhase(const SessionNet& net, EnablingIndex& index, ConflictResolver& conflicts, Firing& firing)
        : net_(net), index_(index), conflicts_(conflicts), firing_(firing) {}

    // True on an event: something fired or was delivered, or (run to event)
    // something is about to fire. `onlyFlagged`: no transition of the
    // immediate list carries a stale fire flag, so the conflict resolution
    // may visit the groups of flagged transitions only. `root`: the
    // document, whose running timers are shown when drawing.
    bool Process(StepMode mode, double sampleTime, bool onlyFlagged, bool seeded, TPNObjekt& root);

private:
    const SessionNet& net_;
    EnablingIndex& index_;
    ConflictResolver& conflicts_;
    Firing& firing_;
    std::vector<std::uint32_t> none_; // no flagged immediate transitions
};

} // namespace qz
