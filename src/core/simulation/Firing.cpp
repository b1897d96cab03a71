#include "simulation/Firing.h"

#include "model/TEdge.h"
#include "model/TPlatz.h"
#include "model/TTransition.h"

namespace qz {

void Firing::WriteMarking(const ArcSlot& a, long double v) {
    const double d = MarkingValue(!a.placeContinuous, v);
    *a.marking = d;
    *a.next = d;
    index_.Touch(a.cell);
}

void Firing::FireAndDraw(const TransSlot& s, StepMode mode) {
    TTransition& t = *s.t;
    const ArcSlot* const arcs = net_.arcs.data();
    if (!s.continuous) {
        ++discreteFirings;
        t.remainingTime = t.firingTime;
        for (std::uint32_t i = s.in0; i < s.in1; ++i) {
            const ArcSlot& a = arcs[i];
            if (a.kind != akNormal) continue;
            if (mode.animating && a.edge->shown) inputAnimation.push_back(a.edge);
            TakeWeight(a);
            a.place->InvalidateIfShown();
            t.chosen = 0;
        }
        if (!t.reservation) {
            for (std::uint32_t i = s.out0; i < s.out1; ++i) {
                const ArcSlot& a = arcs[i];
                if (mode.animating && a.edge->shown) outputAnimation.push_back(a.edge);
                AddWeight(a);
                if (!mode.animating) a.place->InvalidateIfShown();
            }
        }
        if (mode.animating) t.SetSelected(false);
        t.fireFlag = 0;
        return;
    }
    const long double flow = t.flow;
    for (std::uint32_t i = s.in0; i < s.in1; ++i) {
        const ArcSlot& a = arcs[i];
        if (a.kind != akNormal) continue;
        long double v = *a.marking - flow;
        if (std::fabs(v) < kEpsilon) v = 0;
        WriteMarking(a, v);
        if (mode.drawing) a.place->InvalidateIfShown();
    }
    if (!t.reservation) {
        for (std::uint32_t i = s.out0; i < s.out1; ++i) {
            const ArcSlot& a = arcs[i];
            WriteMarking(a, *a.marking + flow);
            if (mode.drawing) a.place->InvalidateIfShown();
        }
    }
}

void Firing::Deliver(std::uint32_t slot, StepMode mode) {
    const TransSlot& s = net_.trans[slot];
    TTransition& t = *s.t;
    t.busy = 0;
    if (mode.drawing) {
        t.SetSelected(false);
    } else {
        t.selected = 0;
    }
    t.remainingTime = t.firingTime;
    for (std::uint32_t i = s.out0; i < s.out1; ++i) {
        const ArcSlot& a = net_.arcs[i];
        AddWeight(a);
        if (!mode.drawing) continue;
        if (mode.animating) {
            outputAnimation.push_back(a.edge);
        } else {
            a.place->InvalidateIfShown();
        }
    }
    if (mode.drawing) t.InvalidateIfShown();
}

} // namespace qz
