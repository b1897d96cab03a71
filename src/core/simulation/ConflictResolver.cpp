#include "simulation/ConflictResolver.h"

#include <algorithm>
#include <unordered_map>

#include "common/NumberFormat.h"
#include "model/ConflictGroups.h"
#include "model/TPlatz.h"
#include "platform/Services.h"
#include "simulation/EnablingIndex.h"

namespace qz {

ConflictResolver::ConflictResolver(SessionNet& net, EnablingIndex& index)
    : net_(net), index_(index), services_(Platform()) {}

void ConflictResolver::Clear() {
    groups_.clear();
    groupSlots_.clear();
    groupArcs_.clear();
    groupTrans_.clear();
    cellIsGroup_.assign(net_.cellMarking.size(), 0);
    slotGroups0_.assign(net_.trans.size() + 1, 0);
    slotGroups_.clear();
    groupedOthers_.clear();
    groupOfPos_.clear();
    flaggedArcs_.Clear();
    touched_.clear();
    touchedCount_ = 0;
    lowered_.clear();
    candidates_.clear();
    chosenList_.clear();
    chosenGroups_.clear();
    Invalidate();
}

std::size_t ConflictResolver::Build(TPNObjekt& root) {
    Clear();
    BuildConflictGroups(root, groups_);
    std::unordered_map<const TPlatz*, std::int32_t> groupOf;
    std::size_t largest = 0;
    for (const ConflictGroup& g : groups_) {
        GroupSlot gs{g.place->MarkingRef(), g.place->NextMarkingRef(), g.place,
                     static_cast<std::uint32_t>(groupArcs_.size()), 0, net_.CellOf(g.place->MarkingRef())};
        for (TEdge* e : g.arcs) {
            const std::uint32_t arc = net_.ArcSlotOf(e);
            if (arc == kNone) continue;
            groupArcs_.push_back(arc);
            groupTrans_.push_back(net_.trans[net_.arcs[arc].trans].t);
        }
        gs.arc1 = static_cast<std::uint32_t>(groupArcs_.size());
        largest = std::max<std::size_t>(largest, gs.arc1 - gs.arc0);
        groupOf.emplace(g.place, static_cast<std::int32_t>(groupSlots_.size()));
        groupSlots_.push_back(gs);
    }
    for (ArcSlot& a : net_.arcs) {
        auto it = groupOf.find(a.owner);
        a.ownerGroup = it == groupOf.end() ? -1 : it->second;
    }
    candidates_.assign(largest, 0);

    // The groups each slot takes part in, in group and arc order.
    std::vector<std::pair<std::uint32_t, std::uint64_t>> entries;
    for (std::size_t g = 0; g < groupSlots_.size(); ++g) {
        const GroupSlot& gs = groupSlots_[g];
        if (gs.cell != kNone) cellIsGroup_[gs.cell] = 1;
        for (std::uint32_t k = gs.arc0; k < gs.arc1; ++k) {
            entries.emplace_back(net_.arcs[groupArcs_[k]].trans, (static_cast<std::uint64_t>(g) << 32) | k);
        }
    }
    std::stable_sort(entries.begin(), entries.end(), [](const auto& x, const auto& y) { return x.first < y.first; });
    slotGroups_.reserve(entries.size());
    for (const auto& e : entries) {
        ++slotGroups0_[e.first + 1];
        slotGroups_.push_back(e.second);
    }
    const std::size_t slots = net_.trans.size();
    for (std::size_t k = 0; k < slots; ++k) slotGroups0_[k + 1] += slotGroups0_[k];
    groupOfPos_.assign(groupArcs_.size(), 0);
    for (std::uint32_t g = 0; g < groupSlots_.size(); ++g) {
        std::fill(groupOfPos_.begin() + groupSlots_[g].arc0, groupOfPos_.begin() + groupSlots_[g].arc1, g);
    }
    flaggedArcs_.Resize(groupArcs_.size());
    touched_.assign(groupArcs_.size(), 0);
    std::vector<std::uint8_t> immediate(slots, 0);
    for (std::uint32_t s : net_.immediate) immediate[s] = 1;
    for (std::uint32_t s = 0; s < slots; ++s) {
        if (Grouped(s) && !immediate[s]) groupedOthers_.push_back(s);
    }
    return groups_.size();
}

// The services a resolution uses, looked up once; without a seed the
// generator is reseeded from the clock.
void ConflictResolver::Begin(bool seeded) {
    random_ = services_.random;
    sink_ = services_.trace;
    tracing_ = sink_->Enabled();
    if (!seeded) random_->SeedFromClock();
}

// Whether the flagged arcs of a group need more than `avail` (and avail is
// not 0): the weights summed in arc order in extended precision. Whole
// weights below 2^32 are summed in doubles, which is exact for fewer than
// 2^20 of them and so gives the same comparison. `position(n)` is the n-th
// of the `count` group arcs looked at.
template <class Position>
[[gnu::always_inline]] inline bool ConflictResolver::InConflict(double avail, std::size_t count,
                                                              Position position) const {
    if (avail == 0) return false;
    const ArcSlot* const arcs = net_.arcs.data();
    TTransition* const* const trans = groupTrans_.data();
    const std::uint32_t* const groupArcs = groupArcs_.data();
    double need = 0;
    bool small = count < ArcSlot::kExactSmallSums;
    for (std::size_t n = 0; n < count; ++n) {
        const std::uint32_t k = position(n);
        if (!trans[k]->fireFlag) continue;
        const ArcSlot& a = arcs[groupArcs[k]];
        need += a.weightD;
        small &= a.smallWeight != 0;
    }
    if (small) return avail < need;
    long double exact = 0;
    for (std::size_t n = 0; n < count; ++n) {
        const std::uint32_t k = position(n);
        if (trans[k]->fireFlag) exact += arcs[groupArcs[k]].weight;
    }
    return static_cast<long double>(avail) < exact;
}

void ConflictResolver::ResolveAll(StepMode mode, bool seeded) {
    Begin(seeded);
    std::vector<std::uint32_t>* lowered = fullReset_ || tracing_ ? nullptr : &lowered_;
    lowered_.clear();
    for (const GroupSlot& g : groupSlots_) {
        const double avail = *g.next;
        const std::uint32_t first = g.arc0;
        if (!InConflict(avail, g.arc1 - first, [first](std::size_t n) { return first + static_cast<std::uint32_t>(n); })) {
            continue;
        }
        ResolveGroup(g, avail, lowered, FlaggedArcs{0, nullptr, nullptr}, mode);
    }
    ResetNextMarkings(lowered);
}

// The groups are visited in group order, summing the weights of their
// flagged arcs in arc order.
void ConflictResolver::ResolveFlagged(const std::vector<std::uint32_t>& flagged, StepMode mode, bool seeded) {
    Begin(seeded);
    // The group arcs of the flagged transitions, in arc order (which is group
    // order) without repeats.
    for (std::uint32_t s : flagged) MarkGroupArcs(s);
    for (std::uint32_t s : groupedOthers_) {
        if (net_.trans[s].t->fireFlag) MarkGroupArcs(s);
    }
    std::uint64_t* const touched = touched_.data();
    const std::size_t count = DrainGroupArcs(touched);
    touchedCount_ = count;
    std::vector<std::uint32_t>* lowered = tracing_ || fullReset_ ? nullptr : &lowered_;
    flaggedKnown_ = true;
    lowered_.clear();
    // The chosen transitions are looked up before the first group in
    // conflict (nothing changes them before).
    bool chosenReady = false;
    for (std::size_t i = 0; i < count;) {
        const auto group = static_cast<std::uint32_t>(touched[i] >> 32);
        const GroupSlot& g = groupSlots_[group];
        const double avail = *g.next;
        const std::size_t first = i;
        while (i < count && (touched[i] >> 32) == group) ++i;
        const std::uint64_t* const group0 = touched + first;
        if (!InConflict(avail, i - first, [group0](std::size_t k) { return static_cast<std::uint32_t>(group0[k]); })) {
            continue;
        }
        if (!chosenReady) {
            KnowChosen();
            chosenReady = true;
        }
        ResolveGroup(g, avail, lowered, FlaggedArcs{group, touched + first, touched + i}, mode);
    }
    flaggedKnown_ = false;
    ResetNextMarkings(lowered);
}

// Collects every transition whose chosen flag is set (only winners of a
// resolution get it), so a resolution can clear the flags of a group
// without walking all of its arcs.
void ConflictResolver::KnowChosen() {
    if (chosenKnown_) {
        std::erase_if(chosenList_, [this](std::uint32_t s) { return net_.trans[s].t->chosen == 0; });
    } else {
        chosenList_.clear();
        for (std::uint32_t s = 0; s < net_.trans.size(); ++s) {
            if (net_.trans[s].t->chosen) chosenList_.push_back(s);
        }
        chosenKnown_ = true;
    }
    // The groups of the transitions chosen before this resolution, in the
    // order the groups are visited.
    chosenGroups_.clear();
    for (std::uint32_t s : chosenList_) {
        for (std::uint32_t k = slotGroups0_[s]; k < slotGroups0_[s + 1]; ++k) {
            chosenGroups_.push_back((slotGroups_[k] & ~std::uint64_t{0xFFFFFFFF}) | s);
        }
    }
    std::sort(chosenGroups_.begin(), chosenGroups_.end());
    chosenCursor_ = 0;
}

// A loser of a group (inline in the resolution; the trace out of line).
inline void ConflictResolver::ThrowOut(std::uint32_t arc, StepMode mode) {
    const ArcSlot& a = net_.arcs[arc];
    TTransition& t = *net_.trans[a.trans].t;
    t.busy = 0;
    t.remainingTime = t.firingTime;
    if (mode.animating) t.SetSelected(false);
    if (tracing_) [[unlikely]] TraceThrowOut(a, t);
}

void ConflictResolver::TraceThrowOut(const ArcSlot& a, const TTransition& t) {
    sink_->Trace("Rauswurf von Kante: " + a.place->name + "-" + t.name);
    sink_->Trace("Rauswurf von " + t.name);
}

// The candidates of a group in conflict are its flagged transitions in arc
// order, each taken once; every transition of the group loses its chosen
// flag. With `flagged` (the group's arcs whose transitions were flagged when
// the resolution began) only those and the transitions chosen before the
// resolution are looked at: no other transition can carry either flag.
void ConflictResolver::ResolveGroup(const GroupSlot& g, long double avail, std::vector<std::uint32_t>* lowered,
                                    const FlaggedArcs& flagged, StepMode mode) {
    RandomSource& random = *random_;
    // The collaborators in registers (short dependency chains per arc; the
    // flag stores below would reload them). candidates_ has room for the
    // largest group.
    const ArcSlot* const arcs = net_.arcs.data();
    const TransSlot* const trans = net_.trans.data();
    TTransition* const* const groupTrans = groupTrans_.data();
    const std::uint32_t* const groupArcs = groupArcs_.data();
    std::uint32_t* const candidates = candidates_.data();
    std::size_t n = 0;
    if (flagged.first) {
        // Groups are visited in ascending order.
        const std::uint64_t* const chosen = chosenGroups_.data();
        const std::size_t chosenCount = chosenGroups_.size();
        std::size_t c = chosenCursor_;
        while (c < chosenCount && (chosen[c] >> 32) < flagged.group) ++c;
        for (; c < chosenCount && (chosen[c] >> 32) == flagged.group; ++c) {
            trans[static_cast<std::uint32_t>(chosen[c])].t->chosen = 0;
        }
        chosenCursor_ = c;
        for (const std::uint64_t* e = flagged.first; e != flagged.last; ++e) {
            const auto k = static_cast<std::uint32_t>(*e);
            TTransition& t = *groupTrans[k];
            t.chosen = 0;
            if (t.fireFlag) {
                candidates[n++] = groupArcs[k];
                t.fireFlag = 0;
            }
        }
    } else {
        for (std::uint32_t k = g.arc0; k < g.arc1; ++k) {
            TTransition& t = *groupTrans[k];
            t.chosen = 0;
            if (t.fireFlag) {
                candidates[n++] = groupArcs[k];
                t.fireFlag = 0;
            }
        }
    }
    EnablingIndex& index = index_;
    const std::uint8_t* const cellIsGroup = cellIsGroup_.data();
    const bool track = index.Incremental();
    std::uint32_t lastWinner = kNone;
    // Draws winners until no candidate is left, counting down what the
    // place still holds in `left`; `weightOf` gives an arc's weight in the
    // same type.
    auto draw = [&](auto left, auto weightOf) {
        while (n != 0) {
            const std::int32_t priority = trans[arcs[candidates[0]].trans].t->priority;
            std::size_t k = 1;
            while (k < n && trans[arcs[candidates[k]].trans].t->priority == priority) ++k;
            const std::size_t i = k == 1 ? 0 : static_cast<std::size_t>(random.NextInt(static_cast<int>(k)));
            const ArcSlot& picked = arcs[candidates[i]];
            const TransSlot& ws = trans[picked.trans];
            ws.t->fireFlag = 1;
            if (!ws.t->chosen && chosenKnown_) chosenList_.push_back(picked.trans);
            ws.t->chosen = 1;
            for (std::uint32_t j = ws.in0; j < ws.in1; ++j) {
                const ArcSlot& a = arcs[j];
                if (a.kind != akNormal) continue;
                *a.next = a.ExactWith(*a.next) ? *a.next - a.weightD : Stored(*a.next - a.weight);
                if (track) index.Mark(a.cell);
                if (lowered && cellIsGroup[a.cell]) lowered->push_back(a.cell);
            }
            left -= weightOf(picked);
            lastWinner = picked.trans;
            EraseKeepingOrder(candidates, n, i);
            for (std::size_t j = n; j-- > 0;) {
                if (weightOf(arcs[candidates[j]]) > left) {
                    ThrowOut(candidates[j], mode);
                    EraseKeepingOrder(candidates, n, j);
                }
            }
        }
    };
    // A whole amount and whole weights below 2^32 stay exact in doubles
    // (fewer than 2^20 candidates), so the comparisons come out the same.
    const double availD = static_cast<double>(avail);
    bool whole = static_cast<long double>(availD) == avail && ArcSlot::Whole(availD) && n < ArcSlot::kExactSmallSums;
    for (std::size_t c = 0; c < n && whole; ++c) whole = arcs[candidates[c]].smallWeight != 0;
    if (whole) {
        draw(availD, [](const ArcSlot& a) { return a.weightD; });
    } else {
        draw(avail, [](const ArcSlot& a) { return a.weight; });
    }
    if (lastWinner != kNone) RecheckAfterWinner(lastWinner, g, mode);
}

void ConflictResolver::RecheckAfterWinner(std::uint32_t winner, const GroupSlot& g, StepMode mode) {
    TraceSink* sink = sink_;
    const bool tracing = tracing_;
    const ArcSlot* const arcs = net_.arcs.data();
    const TransSlot* const trans = net_.trans.data();
    const EnablingIndex& index = index_;
    const TransSlot& w = trans[winner];
    if (tracing) sink->Trace("Eingangsplätze von " + w.t->name);
    for (std::uint32_t i = w.in0; i < w.in1; ++i) {
        const ArcSlot& a = arcs[i];
        if (a.owner == g.place) continue;
        if (tracing) sink->Trace(" " + a.owner->name);
        if (a.ownerGroup < 0) continue;
        const GroupSlot& q = groupSlots_[static_cast<std::size_t>(a.ownerGroup)];
        std::uint32_t k0 = q.arc0, k1 = q.arc1;
        const std::uint64_t* known = nullptr;
        if (flaggedKnown_ && !tracing) {
            // Only transitions flagged when the resolution began can still be.
            const auto group = static_cast<std::uint64_t>(a.ownerGroup) << 32;
            known = touched_.data();
            const std::uint64_t* const end = known + touchedCount_;
            const std::uint64_t* const from = std::lower_bound(known, end, group);
            const std::uint64_t* const to = std::lower_bound(from, end, group + (std::uint64_t{1} << 32));
            k0 = static_cast<std::uint32_t>(from - known);
            k1 = static_cast<std::uint32_t>(to - known);
        }
        for (std::uint32_t n = k0; n < k1; ++n) {
            const std::uint32_t k = known ? static_cast<std::uint32_t>(known[n]) : n;
            const ArcSlot& b = arcs[groupArcs_[k]];
            if (b.kind != akNormal || b.trans == winner) continue;
            TTransition& u = *trans[b.trans].t;
            if (u.chosen) {
                if (tracing) sink->Trace(u.name + " wurde schon untersucht und bleibt schaltbar...");
            } else if (u.fireFlag) {
                u.fireFlag = index.Enabled(b.trans, mode.timeAdvanced) ? 1 : 0;
                u.busy = 0;
                u.remainingTime = u.firingTime;
                if (mode.animating) u.SetSelected(false);
                if (tracing) sink->Trace("Feuerbarkeit von " + u.name + (u.fireFlag ? ": True" : ": False"));
            }
        }
    }
}

// The next marking of every group's place returns to its marking. Only the
// cells lowered by winners differ (`lowered`); without that list, or when
// tracing, every group is walked and reported.
void ConflictResolver::ResetNextMarkings(std::vector<std::uint32_t>* lowered) {
    if (lowered) {
        double* const* const next = net_.cellNext.data();
        double* const* const marking = net_.cellMarking.data();
        for (std::uint32_t c : *lowered) *next[c] = *marking[c];
        return;
    }
    TraceSink* sink = Platform().trace;
    const bool tracing = sink->Enabled();
    for (const GroupSlot& g : groupSlots_) {
        const double old = *g.next;
        *g.next = *g.marking;
        if (g.cell != kNone && !SameBits(old, *g.next)) index_.Touch(g.cell);
        if (!tracing) continue;
        sink->Trace(g.place->name + " " + num::FormatGeneral(old, 15) + " wurde auf " +
                    num::FormatGeneral(g.place->Marking(), 15) + " gesetzt");
        for (std::uint32_t k = g.arc0; k < g.arc1; ++k) {
            const TTransition& t = *net_.trans[net_.arcs[groupArcs_[k]].trans].t;
            if (t.fireFlag) sink->Trace("Feuerbarkeit von " + t.name + ": True");
        }
    }
    fullReset_ = false;
}

} // namespace qz
