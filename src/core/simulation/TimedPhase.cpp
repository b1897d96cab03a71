#include "simulation/TimedPhase.h"

#include "formula/Parser.h"
#include "model/TNetList.h"
#include "model/TPNObjekt.h"
#include "model/TTransition.h"
#include "simulation/ConflictResolver.h"
#include "simulation/EnablingIndex.h"
#include "simulation/Firing.h"

namespace qz {

namespace {

// Running timers are shown: in the document's own net and its child objects
// every discrete transition whose busy flag is set is drawn selected; in the
// chain of base objects every selected element is deselected.
void ShowRunningTimers(TPNObjekt& root) {
    root.Net().SelectFiringTransitions();
    for (TPNObjekt* b = root.Base(); b; b = b->Base()) b->Net().DeselectAll();
}

} // namespace

bool TimedPhase::Process(StepMode mode, double sampleTime, bool onlyFlagged, bool seeded,
                         TPNObjekt& root) {
    // The collaborators in registers: each step of the loops below would
    // otherwise reload them.
    const SessionNet& net = net_;
    EnablingIndex& index = index_;
    const std::vector<std::uint32_t>& timed = net.timed;
    const TransSlot* const trans = net.trans.data();
    bool result = false;
    int ready = 0;
    for (std::size_t i = 0; i < timed.size(); ++i) {
        net.Prefetch(timed, i);
        const std::uint32_t s = timed[i];
        TTransition& t = *trans[s].t;
        const bool active = t.reservation ? t.busy != 0 : index.EnabledNow(s, mode.timeAdvanced);
        if (!active) {
            if (t.busy && !t.reservation) {
                t.busy = 0;
                t.started = 0;
                t.remainingTime = t.firingTime;
            }
        } else if (t.reservation) {
            if (!t.started) {
                firing_.Deliver(s, mode);
                result = true;
            }
        } else if (t.fireFlag) {
            ++ready;
            if (t.isExpression) {
                t.firingTime = t.parser->Value();
                t.value = t.firingTime;
            }
        } else if (!t.busy) {
            t.busy = 1;
            if (t.isExpression) {
                t.firingTime = t.parser->Value();
                t.value = t.firingTime;
            }
            t.remainingTime = t.firingTime;
        }
    }
    if (ready > 0 && !conflicts_.Empty()) {
        if (onlyFlagged) {
            conflicts_.ResolveFlagged(none_, mode, seeded);
        } else {
            conflicts_.ResolveAll(mode, seeded);
        }
    }
    if (ready == 0) {
        for (std::uint32_t s : timed) {
            TTransition& t = *trans[s].t;
            if (!t.busy) continue;
            const long double left = static_cast<long double>(t.remainingTime) - sampleTime;
            t.remainingTime = Stored(left);
            if (left < kEpsilon) {
                t.remainingTime = 0;
                t.started = 0;
                if (!t.reservation) t.fireFlag = 1;
            }
        }
        if (mode.drawing) ShowRunningTimers(root);
        return result;
    }
    if (mode.runToEvent) return true;
    for (std::uint32_t s : timed) {
        if (trans[s].t->fireFlag) firing_.Fire(s, mode);
    }
    return true;
}

} // namespace qz
