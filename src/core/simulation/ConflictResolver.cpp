#include "simulation/ConflictResolver.h"

#include <algorithm>
#include <unordered_map>

#include "common/NumberFormat.h"
#include "model/ConflictGroups.h"
#include "model/TPlatz.h"
#include "platform/Services.h"
#include "simulation/EnablingIndex.h"

namespace qz {

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
    posBits_.clear();
    posSummary_.clear();
    touched_.clear();
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
    candidates_.reserve(largest);

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
    posBits_.assign((groupArcs_.size() + 63) / 64, 0);
    posSummary_.assign((posBits_.size() + 63) / 64, 0);
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
    const PlatformServices& services = Platform();
    random_ = services.random;
    sink_ = services.trace;
    tracing_ = sink_->Enabled();
    if (!seeded) random_->SeedFromClock();
}

void ConflictResolver::ResolveAll(StepMode mode, bool seeded) {
    Begin(seeded);
    std::vector<std::uint32_t>* lowered = fullReset_ || tracing_ ? nullptr : &lowered_;
    lowered_.clear();
    const ArcSlot* const arcs = net_.arcs.data();
    TTransition* const* const trans = groupTrans_.data();
    const std::uint32_t* const groupArcs = groupArcs_.data();
    for (const GroupSlot& g : groupSlots_) {
        long double avail = *g.next;
        long double need = 0;
        for (std::uint32_t k = g.arc0; k < g.arc1; ++k) {
            if (trans[k]->fireFlag) need += arcs[groupArcs[k]].weight;
        }
        if (!(avail < need) || avail == 0) continue;
        ResolveGroup(g, avail, lowered, FlaggedArcs{0, nullptr, nullptr}, mode);
    }
    ResetNextMarkings(lowered);
}

// The groups are visited in group order, summing the weights of their
// flagged arcs in arc order.
void ConflictResolver::ResolveFlagged(const std::vector<std::uint32_t>& flagged, StepMode mode, bool seeded) {
    Begin(seeded);
    // The group arcs of the flagged transitions, in arc order (which is group
    // order) without repeats: marked in a two-level bitmap over the arcs and
    // read back in order.
    auto add = [this](std::uint32_t s) {
        for (std::uint32_t k = slotGroups0_[s]; k < slotGroups0_[s + 1]; ++k) {
            const auto pos = static_cast<std::uint32_t>(slotGroups_[k]);
            std::uint64_t& word = posBits_[pos >> 6];
            if (word == 0) posSummary_[pos >> 12] |= std::uint64_t{1} << ((pos >> 6) & 63);
            word |= std::uint64_t{1} << (pos & 63);
        }
    };
    for (std::uint32_t s : flagged) add(s);
    for (std::uint32_t s : groupedOthers_) {
        if (net_.trans[s].t->fireFlag) add(s);
    }
    touched_.clear();
    for (std::size_t sw = 0; sw < posSummary_.size(); ++sw) {
        for (std::uint64_t words = posSummary_[sw]; words != 0; words &= words - 1) {
            const std::size_t w = sw * 64 + static_cast<std::size_t>(__builtin_ctzll(words));
            for (std::uint64_t bits = posBits_[w]; bits != 0; bits &= bits - 1) {
                const auto pos = static_cast<std::uint32_t>(w * 64 + static_cast<std::size_t>(__builtin_ctzll(bits)));
                touched_.push_back(static_cast<std::uint64_t>(groupOfPos_[pos]) << 32 | pos);
            }
            posBits_[w] = 0;
        }
        posSummary_[sw] = 0;
    }
    std::vector<std::uint32_t>* lowered = tracing_ || fullReset_ ? nullptr : &lowered_;
    flaggedKnown_ = true;
    lowered_.clear();
    // The chosen transitions are looked up before the first group in
    // conflict (nothing changes them before).
    bool chosenReady = false;
    const ArcSlot* const arcs = net_.arcs.data();
    for (std::size_t i = 0; i < touched_.size();) {
        const auto group = static_cast<std::uint32_t>(touched_[i] >> 32);
        const GroupSlot& g = groupSlots_[group];
        long double avail = *g.next;
        long double need = 0;
        const std::size_t first = i;
        for (; i < touched_.size() && (touched_[i] >> 32) == group; ++i) {
            const auto k = static_cast<std::uint32_t>(touched_[i]);
            if (groupTrans_[k]->fireFlag) need += arcs[groupArcs_[k]].weight;
        }
        if (!(avail < need) || avail == 0) continue;
        if (!chosenReady) {
            KnowChosen();
            chosenReady = true;
        }
        ResolveGroup(g, avail, lowered, FlaggedArcs{group, touched_.data() + first, touched_.data() + i}, mode);
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

// The candidates of a group in conflict are its flagged transitions in arc
// order, each taken once; every transition of the group loses its chosen
// flag. With `flagged` (the group's arcs whose transitions were flagged when
// the resolution began) only those and the transitions chosen before the
// resolution are looked at: no other transition can carry either flag.
void ConflictResolver::ResolveGroup(const GroupSlot& g, long double avail, std::vector<std::uint32_t>* lowered,
                                    const FlaggedArcs& flagged, StepMode mode) {
    RandomSource& random = *random_;
    candidates_.clear();
    if (flagged.first) {
        // Groups are visited in ascending order.
        while (chosenCursor_ < chosenGroups_.size() && (chosenGroups_[chosenCursor_] >> 32) < flagged.group) {
            ++chosenCursor_;
        }
        for (; chosenCursor_ < chosenGroups_.size() && (chosenGroups_[chosenCursor_] >> 32) == flagged.group;
             ++chosenCursor_) {
            net_.trans[static_cast<std::uint32_t>(chosenGroups_[chosenCursor_])].t->chosen = 0;
        }
        for (const std::uint64_t* e = flagged.first; e != flagged.last; ++e) {
            const auto k = static_cast<std::uint32_t>(*e);
            TTransition& t = *groupTrans_[k];
            t.chosen = 0;
            if (t.fireFlag) {
                candidates_.push_back(groupArcs_[k]);
                t.fireFlag = 0;
            }
        }
    } else {
        for (std::uint32_t k = g.arc0; k < g.arc1; ++k) {
            TTransition& t = *groupTrans_[k];
            t.chosen = 0;
            if (t.fireFlag) {
                candidates_.push_back(groupArcs_[k]);
                t.fireFlag = 0;
            }
        }
    }
    // The collaborators in registers (short dependency chains per arc).
    const ArcSlot* const arcs = net_.arcs.data();
    const TransSlot* const trans = net_.trans.data();
    EnablingIndex& index = index_;
    std::uint32_t lastWinner = kNone;
    while (!candidates_.empty()) {
        const std::int32_t priority = trans[arcs[candidates_.front()].trans].t->priority;
        std::size_t k = 1;
        while (k < candidates_.size() && trans[arcs[candidates_[k]].trans].t->priority == priority) ++k;
        const std::size_t i = k == 1 ? 0 : static_cast<std::size_t>(random.NextInt(static_cast<int>(k)));
        const ArcSlot& picked = arcs[candidates_[i]];
        const TransSlot& ws = trans[picked.trans];
        ws.t->fireFlag = 1;
        if (!ws.t->chosen && chosenKnown_) chosenList_.push_back(picked.trans);
        ws.t->chosen = 1;
        for (std::uint32_t j = ws.in0; j < ws.in1; ++j) {
            const ArcSlot& a = arcs[j];
            if (a.kind != akNormal) continue;
            *a.next = a.ExactWith(*a.next) ? *a.next - a.weightD : Stored(*a.next - a.weight);
            index.Touch(a.cell);
            if (lowered && cellIsGroup_[a.cell]) lowered->push_back(a.cell);
        }
        avail -= picked.weight;
        lastWinner = picked.trans;
        candidates_.erase(candidates_.begin() + static_cast<std::ptrdiff_t>(i));
        for (std::size_t j = candidates_.size(); j-- > 0;) {
            if (arcs[candidates_[j]].weight > avail) {
                ThrowOut(candidates_[j], mode);
                candidates_.erase(candidates_.begin() + static_cast<std::ptrdiff_t>(j));
            }
        }
    }
    if (lastWinner != kNone) RecheckAfterWinner(lastWinner, g, mode);
}

void ConflictResolver::ThrowOut(std::uint32_t arc, StepMode mode) {
    const ArcSlot& a = net_.arcs[arc];
    TTransition& t = *net_.trans[a.trans].t;
    t.busy = 0;
    t.remainingTime = t.firingTime;
    if (mode.animating) t.SetSelected(false);
    if (tracing_) {
        sink_->Trace("Rauswurf von Kante: " + a.place->name + "-" + t.name);
        sink_->Trace("Rauswurf von " + t.name);
    }
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
            const auto from = std::lower_bound(touched_.begin(), touched_.end(), group);
            const auto to = std::lower_bound(from, touched_.end(), group + (std::uint64_t{1} << 32));
            known = touched_.data();
            k0 = static_cast<std::uint32_t>(from - touched_.begin());
            k1 = static_cast<std::uint32_t>(to - touched_.begin());
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
