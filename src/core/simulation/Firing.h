#pragma once
#include <cstdint>
#include <vector>

#include "simulation/EnablingIndex.h"
#include "simulation/SessionNet.h"

namespace qz {

class TEdge;

// The firing of a session's transitions: tokens (or a continuous flow) leave
// the input places and enter the output places, written straight into the
// marking owners' cells as TPlatz::SetMarking would write them; the written
// cells are marked for the enabling index. Unless drawing is off, the places
// are redrawn and discrete firings collected for the token animation.
class Firing {
public:
    Firing(const SessionNet& net, EnablingIndex& index) : net_(net), index_(index) {}

    // Fire: a discrete transition takes its inputs and (without reservation)
    // delivers its outputs; a continuous one moves its flow.
    void Fire(std::uint32_t slot, StepMode mode) { Fire(net_.trans[slot], mode); }
    void Fire(const TransSlot& s, StepMode mode) {
        if (!mode.drawing && !s.continuous) {
            FireQuietly(s);
        } else {
            FireAndDraw(s, mode);
        }
    }
    // The end of a reserved firing: the outputs are delivered.
    void Deliver(std::uint32_t slot, StepMode mode);

    // The arcs of the token animation of the current step.
    std::vector<TEdge*> inputAnimation, outputAnimation;
    // Firings of discrete transitions since the session started.
    std::uint64_t discreteFirings = 0;

private:
    // A discrete transition at "Max Speed": nothing is drawn. Whole weights
    // on whole markings are written in place; the enabling index and
    // whether it follows cells are looked up once (a short dependency
    // chain per arc).
    void FireQuietly(const TransSlot& s) {
        TTransition& t = *s.t;
        ++discreteFirings;
        t.remainingTime = t.firingTime;
        EnablingIndex& index = index_;
        const bool track = index.Incremental();
        const ArcSlot* const arcs = net_.arcs.data();
        bool taken = false;
        for (const ArcSlot *a = arcs + s.in0, *end = arcs + s.in1; a != end; ++a) {
            if (a->kind != akNormal) continue;
            const double m = *a->marking;
            if (a->ExactWith(m)) {
                *a->marking = *a->next = m - a->weightD;
                if (track) index.Mark(a->cell);
            } else {
                WriteMarking(*a, m - a->weight);
            }
            taken = true;
        }
        if (taken) t.chosen = 0;
        if (!t.reservation) {
            for (const ArcSlot *a = arcs + s.out0, *end = arcs + s.out1; a != end; ++a) {
                const double m = *a->marking;
                if (a->ExactWith(m)) {
                    *a->marking = *a->next = m + a->weightD;
                    if (track) index.Mark(a->cell);
                } else {
                    WriteMarking(*a, m + a->weight);
                }
            }
        }
        t.fireFlag = 0;
    }
    void FireAndDraw(const TransSlot& s, StepMode mode);
    // The marking of `a` takes `v` as TPlatz::SetMarking would store it
    // (out of line: firings of whole weights on whole markings skip it).
    void WriteMarking(const ArcSlot& a, long double v);
    // Marking minus / plus the arc's weight, written as WriteMarking does;
    // whole numbers need neither extended precision nor rounding.
    void TakeWeight(const ArcSlot& a) {
        const double m = *a.marking;
        if (a.ExactWith(m)) {
            *a.marking = *a.next = m - a.weightD;
            index_.Touch(a.cell);
        } else {
            WriteMarking(a, m - a.weight);
        }
    }
    void AddWeight(const ArcSlot& a) {
        const double m = *a.marking;
        if (a.ExactWith(m)) {
            *a.marking = *a.next = m + a.weightD;
            index_.Touch(a.cell);
        } else {
            WriteMarking(a, m + a.weight);
        }
    }

    const SessionNet& net_;
    EnablingIndex& index_;
};

} // namespace qz
