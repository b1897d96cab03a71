#include "simulation/FlatDiscretePhase.h"

#include <algorithm>
#include <cmath>

#include "model/TEdge.h"
#include "model/TPlatz.h"
#include "model/TTransition.h"
#include "platform/Services.h"
#include "simulation/ConflictResolver.h"

namespace qz {

namespace {

// Whole weights from 1 to 2^20 on whole markings below 2^50: a step adds at
// most 2^20 per arc, so every sum stays exact in doubles.
constexpr double kWeightLimit = 1048576.0;        // 2^20
constexpr double kMarkingLimit = 1125899906842624.0; // 2^50

bool WholeBelow(double v, double low, double limit) { return v >= low && v < limit && v == std::trunc(v); }

} // namespace

bool FlatDiscretePhase::Ready(std::size_t trackingFrom) {
    if (trackingFrom != trackingFrom_) [[unlikely]] {
        trackingFrom_ = trackingFrom;
        state_ = State::Unknown;
    }
    if (state_ == State::Unknown) state_ = Load() ? State::Yes : State::No;
    return state_ == State::Yes;
}

bool FlatDiscretePhase::Load() {
    const SessionNet& net = net_;
    const std::size_t slots = net.trans.size(), cells = net.cellMarking.size();
    if (!net.timed.empty() || !net.continuous.empty() || net.listsOverlap || !net.formulaArcs.empty()) return false;
    if (net.immediate.size() != slots) return false;
    std::vector<std::uint8_t> listed(slots, 0);
    for (const std::uint32_t s : net.immediate) {
        if (listed[s]) return false;
        listed[s] = 1;
    }
    marking_.resize(cells);
    next_.resize(cells);
    for (std::size_t c = 0; c < cells; ++c) {
        marking_[c] = *net.cellMarking[c];
        next_[c] = *net.cellNext[c];
        if (!WholeBelow(marking_[c], 0, kMarkingLimit) || !WholeBelow(next_[c], 0, kMarkingLimit)) return false;
    }
    tracking_ = slots >= trackingFrom_;
    in0_.assign(slots + 1, 0);
    out0_.assign(slots + 1, 0);
    inCell_.clear();
    inWeight_.clear();
    outCell_.clear();
    outWeight_.clear();
    trans_.assign(slots, nullptr);
    fire_.assign(slots, 0);
    chosen_.assign(slots, 0);
    std::vector<std::vector<std::uint32_t>> readers(cells);
    for (std::uint32_t s = 0; s < slots; ++s) {
        const TransSlot& ts = net.trans[s];
        TTransition& t = *ts.t;
        if (ts.continuous || t.firingTime != 0 || t.remainingTime != 0 || t.reservation || t.busy || t.fireFlag) {
            return false;
        }
        trans_[s] = &t;
        chosen_[s] = t.chosen ? 1 : 0;
        in0_[s] = static_cast<std::uint32_t>(inCell_.size());
        out0_[s] = static_cast<std::uint32_t>(outCell_.size());
        for (std::uint32_t i = ts.in0; i < ts.out1; ++i) {
            const ArcSlot& a = net.arcs[i];
            if (a.kind != akNormal || a.placeContinuous || !WholeBelow(a.weightD, 1, kWeightLimit) ||
                a.weight != static_cast<long double>(a.weightD)) {
                return false;
            }
            if (i < ts.out0) {
                readers[a.cell].push_back(s);
                inCell_.push_back(a.cell);
                inWeight_.push_back(a.weightD);
            } else {
                if (a.capacity != -1) return false;
                outCell_.push_back(a.cell);
                outWeight_.push_back(a.weightD);
            }
        }
    }
    in0_[slots] = static_cast<std::uint32_t>(inCell_.size());
    out0_[slots] = static_cast<std::uint32_t>(outCell_.size());
    readers0_.assign(1, 0);
    readers_.clear();
    for (auto& r : readers) {
        std::sort(r.begin(), r.end());
        r.erase(std::unique(r.begin(), r.end()), r.end());
        readers_.insert(readers_.end(), r.begin(), r.end());
        readers0_.push_back(static_cast<std::uint32_t>(readers_.size()));
    }

    // Per group arc its transition and weight; per cell the group it heads.
    groupOfCell_.assign(cells, -1);
    groupCell_.resize(groups_.GroupCount());
    groupArc0_.resize(groups_.GroupCount() + 1);
    for (std::uint32_t g = 0; g <= groups_.GroupCount(); ++g) groupArc0_[g] = groups_.GroupArc0(g);
    for (std::uint32_t g = 0; g < groups_.GroupCount(); ++g) {
        groupCell_[g] = groups_.GroupCell(g);
        if (groupCell_[g] == kNone) return false;
        groupOfCell_[groupCell_[g]] = static_cast<std::int32_t>(g);
    }
    groupArcs_.resize(groups_.GroupArcCount());
    for (std::uint32_t k = 0; k < groupArcs_.size(); ++k) {
        const ArcSlot& a = net.arcs[groups_.GroupArcSlot(k)];
        groupArcs_[k] = GroupArc{a.trans, a.weightD};
    }
    slotGroup0_.assign(slots + 1, 0);
    for (const GroupArc& a : groupArcs_) ++slotGroup0_[a.slot + 1];
    for (std::size_t s = 0; s < slots; ++s) slotGroup0_[s + 1] += slotGroup0_[s];
    slotGroups_.resize(groupArcs_.size());
    {
        std::vector<std::uint32_t> at(slotGroup0_.begin(), slotGroup0_.end() - 1);
        for (std::uint32_t g = 0; g < groups_.GroupCount(); ++g) {
            for (std::uint32_t k = groupArc0_[g]; k < groupArc0_[g + 1]; ++k) {
                slotGroups_[at[groupArcs_[k].slot]++] = SlotGroup{g, k, groupArcs_[k].weight};
            }
        }
    }
    need_.assign(groupCell_.size(), 0);
    chosenIn_.assign(groupCell_.size(), 0);
    enabledArcs_.assign((groupArcs_.size() + 63) / 64, 0);
    overdrawn_.Resize(groupCell_.size());
    visit_.Resize(groupCell_.size());
    for (std::uint32_t s = 0; s < slots; ++s) {
        for (std::uint32_t k = slotGroup0_[s]; k < slotGroup0_[s + 1]; ++k) {
            chosenIn_[slotGroups_[k].group] += chosen_[s];
        }
    }
    std::size_t largest = 0;
    for (std::uint32_t g = 0; g < groups_.GroupCount(); ++g) {
        largest = std::max<std::size_t>(largest, groupArc0_[g + 1] - groupArc0_[g]);
    }
    candidates_.assign(largest, 0);
    lowered_.clear();
    lowered_.reserve(inCell_.size());
    seen_ = next_;
    step_ = 0;
    touchedIn_.assign(cells, 0);
    touched_.clear();
    touched_.reserve(cells);
    checkedIn_.assign(slots, 0);
    enabled_.assign(slots, 0);
    enabledList_.clear();
    enabledList_.reserve(slots);
    enabledAt_.assign(slots, 0);
    for (std::uint32_t s = 0; s < slots; ++s) SetEnabled(s, Enabled(s));
    return true;
}

// The rule on next markings: every input holds its weight (a weight of at
// least 1 on a whole marking). All inputs are read: a transition has few,
// and a test that leaves early is a branch the processor cannot predict.
inline bool FlatDiscretePhase::Enabled(std::uint32_t slot) const {
    bool enabled = true;
    for (std::uint32_t k = in0_[slot]; k < in0_[slot + 1]; ++k) enabled &= next_[inCell_[k]] >= inWeight_[k];
    return enabled;
}

inline void FlatDiscretePhase::SetEnabled(std::uint32_t slot, bool on) {
    if (enabled_[slot] == on) return;
    enabled_[slot] = on;
    if (tracking_) {
        for (std::uint32_t k = slotGroup0_[slot]; k < slotGroup0_[slot + 1]; ++k) {
            const SlotGroup& e = slotGroups_[k];
            enabledArcs_[e.position / 64] ^= std::uint64_t{1} << (e.position % 64);
            need_[e.group] += on ? e.weight : -e.weight;
            Reassess(e.group);
        }
    }
    if (on) {
        enabledAt_[slot] = static_cast<std::uint32_t>(enabledList_.size());
        enabledList_.push_back(slot);
        return;
    }
    const std::uint32_t last = enabledList_.back();
    enabledList_[enabledAt_[slot]] = last;
    enabledAt_[last] = enabledAt_[slot];
    enabledList_.pop_back();
}

inline void FlatDiscretePhase::SetChosen(std::uint32_t slot, std::uint8_t on) {
    if (chosen_[slot] == on) return;
    chosen_[slot] = on;
    trans_[slot]->chosen = on;
    if (!tracking_) return;
    for (std::uint32_t k = slotGroup0_[slot]; k < slotGroup0_[slot + 1]; ++k) {
        chosenIn_[slotGroups_[k].group] += on ? 1 : -1;
    }
}

inline void FlatDiscretePhase::Reassess(std::uint32_t group) {
    const bool on = need_[group] > next_[groupCell_[group]];
    if (overdrawn_.Contains(group) != on) overdrawn_.Set(group, on);
}

inline void FlatDiscretePhase::Touch(std::uint32_t cell) {
    if (touchedIn_[cell] == step_) return;
    touchedIn_[cell] = step_;
    touched_.push_back(cell);
}

bool FlatDiscretePhase::Step(RandomSource& random, bool seeded, std::uint64_t& firings) {
    if (enabledList_.empty()) return false;
    ++step_;
    for (const std::uint32_t s : enabledList_) fire_[s] = 1;

    if (!groupCell_.empty()) {
        if (!seeded) random.SeedFromClock();
        // In group order: the groups whose enabled transitions need more
        // than their next marking (while tracking; else every group of an
        // enabled transition), and those a winner lowered since.
        lowered_.clear();
        if (tracking_) {
            visit_.MarkAll(overdrawn_);
        } else {
            for (const std::uint32_t s : enabledList_) {
                for (std::uint32_t k = slotGroup0_[s]; k < slotGroup0_[s + 1]; ++k) visit_.Mark(slotGroups_[k].group);
            }
        }
        visit_.Drain([this, &random](std::uint32_t group) { Resolve(group, random); });
        for (const std::uint32_t c : lowered_) next_[c] = marking_[c];
    }

    bool overflow = false;
    for (const std::uint32_t s : enabledList_) {
        if (!fire_[s]) continue;
        fire_[s] = 0;
        ++firings;
        for (std::uint32_t k = in0_[s]; k < in0_[s + 1]; ++k) {
            const std::uint32_t c = inCell_[k];
            Touch(c);
            next_[c] = marking_[c] -= inWeight_[k];
            overflow |= marking_[c] <= -kMarkingLimit;
        }
        if (in0_[s] != in0_[s + 1]) SetChosen(s, 0);
        for (std::uint32_t k = out0_[s]; k < out0_[s + 1]; ++k) {
            const std::uint32_t c = outCell_[k];
            Touch(c);
            next_[c] = marking_[c] += outWeight_[k];
            overflow |= marking_[c] >= kMarkingLimit;
        }
    }
    // Back to the model; a rise can only enable the readers of a cell, a
    // fall only disable them, and a reader checked once this step has seen
    // the final markings.
    for (const std::uint32_t c : touched_) {
        *net_.cellMarking[c] = marking_[c];
        *net_.cellNext[c] = next_[c];
        if (tracking_ && groupOfCell_[c] >= 0) Reassess(static_cast<std::uint32_t>(groupOfCell_[c]));
        const double was = seen_[c], now = next_[c];
        if (now == was) continue;
        seen_[c] = now;
        const bool rise = now > was;
        for (std::uint32_t k = readers0_[c]; k < readers0_[c + 1]; ++k) {
            const std::uint32_t r = readers_[k];
            if (enabled_[r] == rise || checkedIn_[r] == step_) continue;
            checkedIn_[r] = step_;
            SetEnabled(r, Enabled(r));
        }
    }
    touched_.clear();
    if (overflow) state_ = State::No;
    return true;
}

// Calls `f(position)` for the group's arcs from enabled transitions, in arc
// order; without tracking, for all its arcs (small groups: the callers skip
// transitions without a fire flag, which only enabled ones have).
template <class F>
inline void FlatDiscretePhase::ForEnabledArcs(std::uint32_t group, F&& f) const {
    const std::uint32_t arc0 = groupArc0_[group], arc1 = groupArc0_[group + 1];
    if (!tracking_) {
        for (std::uint32_t k = arc0; k < arc1; ++k) f(k);
        return;
    }
    if (arc0 == arc1) return;
    const std::uint32_t last = (arc1 - 1) / 64;
    for (std::uint32_t w = arc0 / 64; w <= last; ++w) {
        std::uint64_t bits = enabledArcs_[w];
        if (w == arc0 / 64) bits &= ~std::uint64_t{0} << (arc0 % 64);
        if (w == last && arc1 % 64 != 0) bits &= ~(~std::uint64_t{0} << (arc1 % 64));
        for (; bits != 0; bits &= bits - 1) f(w * 64 + static_cast<std::uint32_t>(__builtin_ctzll(bits)));
    }
}

// A group whose flagged arcs need more than its next marking: every
// transition of the group loses its chosen flag; the flagged ones are drawn
// by priority and at random until none is left, winners lowering the next
// markings of their inputs, candidates heavier than what is left thrown
// out; the groups of the last winner's other inputs are re-checked.
void FlatDiscretePhase::Resolve(std::uint32_t group, RandomSource& random) {
    const double avail = next_[groupCell_[group]];
    if (avail == 0) return;
    std::uint32_t* const candidates = candidates_.data();
    std::size_t n = 0;
    double need = 0;
    ForEnabledArcs(group, [&](std::uint32_t k) {
        if (!fire_[groupArcs_[k].slot]) return;
        candidates[n++] = k;
        need += groupArcs_[k].weight;
    });
    if (!(avail < need)) return;
    if (!tracking_ || chosenIn_[group] != 0) {
        for (std::uint32_t k = groupArc0_[group]; k < groupArc0_[group + 1]; ++k) SetChosen(groupArcs_[k].slot, 0);
    }
    // Each transition once, at its first arc.
    std::size_t kept = 0;
    for (std::size_t j = 0; j < n; ++j) {
        const std::uint32_t s = groupArcs_[candidates[j]].slot;
        if (!fire_[s]) continue;
        fire_[s] = 0;
        candidates[kept++] = candidates[j];
    }
    n = kept;
    double left = avail;
    std::uint32_t lastWinner = kNone;
    while (n != 0) {
        std::size_t i = 0;
        if (n > 1) {
            const std::int32_t priority = trans_[groupArcs_[candidates[0]].slot]->priority;
            std::size_t k = 1;
            while (k < n && trans_[groupArcs_[candidates[k]].slot]->priority == priority) ++k;
            if (k > 1) i = static_cast<std::size_t>(random.NextInt(static_cast<int>(k)));
        }
        const GroupArc& picked = groupArcs_[candidates[i]];
        const std::uint32_t s = picked.slot;
        fire_[s] = 1;
        SetChosen(s, 1);
        for (std::uint32_t j = in0_[s]; j < in0_[s + 1]; ++j) {
            const std::uint32_t c = inCell_[j];
            Touch(c);
            next_[c] -= inWeight_[j];
            const std::int32_t lowered = groupOfCell_[c];
            if (lowered < 0) continue;
            lowered_.push_back(c);
            if (static_cast<std::uint32_t>(lowered) > group) visit_.Mark(static_cast<std::uint32_t>(lowered));
        }
        left -= picked.weight;
        lastWinner = s;
        EraseKeepingOrder(candidates, n, i);
        for (std::size_t j = n; j-- > 0;) {
            if (groupArcs_[candidates[j]].weight > left) EraseKeepingOrder(candidates, n, j);
        }
    }
    if (lastWinner != kNone) RecheckAfterWinner(lastWinner, group);
}

// The flagged transitions of the groups of the winner's other inputs that
// were not chosen keep their fire flag only while still enabled on the
// lowered next markings.
void FlatDiscretePhase::RecheckAfterWinner(std::uint32_t winner, std::uint32_t group) {
    for (std::uint32_t j = in0_[winner]; j < in0_[winner + 1]; ++j) {
        const std::uint32_t c = inCell_[j];
        const std::int32_t other = groupOfCell_[c];
        if (c == groupCell_[group] || other < 0) continue;
        ForEnabledArcs(static_cast<std::uint32_t>(other), [&](std::uint32_t k) {
            const std::uint32_t u = groupArcs_[k].slot;
            if (u == winner || chosen_[u] || !fire_[u]) return;
            fire_[u] = Enabled(u) ? 1 : 0;
        });
    }
}

} // namespace qz
