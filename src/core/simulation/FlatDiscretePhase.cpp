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

bool FlatDiscretePhase::Ready() {
    if (state_ == State::Unknown) state_ = Load() ? State::Yes : State::No;
    return state_ == State::Yes;
}

bool FlatDiscretePhase::Load() {
    const SessionNet& net = net_;
    const std::size_t slots = net.trans.size(), cells = net.cellMarking.size();
    if (!net.timed.empty() || !net.continuous.empty() || net.listsOverlap || !net.formulaArcs.empty()) return false;
    if (net.immediate.size() != slots) return false;
    positionOf_.assign(slots, kNone);
    for (std::uint32_t i = 0; i < slots; ++i) {
        const std::uint32_t s = net.immediate[i];
        if (positionOf_[s] != kNone) return false;
        positionOf_[s] = i;
    }
    marking_.resize(cells);
    next_.resize(cells);
    for (std::size_t c = 0; c < cells; ++c) {
        marking_[c] = *net.cellMarking[c];
        next_[c] = *net.cellNext[c];
        if (!WholeBelow(marking_[c], 0, kMarkingLimit) || !WholeBelow(next_[c], 0, kMarkingLimit)) return false;
    }
    in0_.assign(slots + 1, 0);
    out0_.assign(slots, 0);
    arcs_.clear();
    trans_.assign(slots, nullptr);
    fire_.assign(slots, 0);
    chosen_.assign(slots, 0);
    std::vector<std::vector<std::uint32_t>> readers(cells);
    for (std::uint32_t s = 0; s < slots; ++s) {
        const TransSlot& ts = net.trans[s];
        TTransition& t = *ts.t;
        if (ts.continuous || t.firingTime != 0 || t.remainingTime != 0 || t.reservation || t.busy || t.fireFlag) return false;
        trans_[s] = &t;
        chosen_[s] = t.chosen ? 1 : 0;
        in0_[s] = static_cast<std::uint32_t>(arcs_.size());
        for (std::uint32_t i = ts.in0; i < ts.out1; ++i) {
            const ArcSlot& a = net.arcs[i];
            if (i == ts.out0) out0_[s] = static_cast<std::uint32_t>(arcs_.size());
            if (a.kind != akNormal || a.placeContinuous || !WholeBelow(a.weightD, 1, kWeightLimit) ||
                a.weight != static_cast<long double>(a.weightD)) {
                return false;
            }
            if (i >= ts.out0 && a.capacity != -1) return false;
            if (i < ts.out0) readers[a.cell].push_back(s);
            arcs_.push_back(Arc{a.cell, a.weightD});
        }
        if (ts.out0 == ts.out1) out0_[s] = static_cast<std::uint32_t>(arcs_.size());
    }
    in0_[slots] = static_cast<std::uint32_t>(arcs_.size());
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
    touched_.assign(groupArcs_.size(), 0);
    std::size_t largest = 0;
    for (std::uint32_t g = 0; g < groups_.GroupCount(); ++g) {
        largest = std::max<std::size_t>(largest, groups_.GroupArc0(g + 1) - groups_.GroupArc0(g));
    }
    candidates_.assign(largest, 0);
    seen_ = next_;
    dirty_.assign(cells, 0);
    dirtyCells_.clear();
    enabled_.assign((slots + 63) / 64, 0);
    for (std::uint32_t s = 0; s < slots; ++s) SetEnabled(s, Enabled(s));
    return true;
}

// The rule on next markings: every input holds its weight (a weight of at
// least 1 on a whole marking).
inline bool FlatDiscretePhase::Enabled(std::uint32_t slot) const {
    for (std::uint32_t k = in0_[slot]; k < out0_[slot]; ++k) {
        if (!(next_[arcs_[k].cell] >= arcs_[k].weight)) return false;
    }
    return true;
}

inline bool FlatDiscretePhase::Flagged(std::uint32_t slot) const {
    const std::uint32_t position = positionOf_[slot];
    return (enabled_[position / 64] >> (position % 64)) & 1;
}

inline void FlatDiscretePhase::SetEnabled(std::uint32_t slot, bool on) {
    const std::uint32_t position = positionOf_[slot];
    std::uint64_t& word = enabled_[position / 64];
    const std::uint64_t bit = std::uint64_t{1} << (position % 64);
    word = (word & ~bit) | (on ? bit : 0);
}

inline void FlatDiscretePhase::SetChosen(std::uint32_t slot, std::uint8_t on) {
    if (chosen_[slot] == on) return;
    chosen_[slot] = on;
    trans_[slot]->chosen = on;
}

inline void FlatDiscretePhase::Write(std::uint32_t cell, double marking, double next) {
    marking_[cell] = marking;
    next_[cell] = next;
    *net_.cellMarking[cell] = marking;
    *net_.cellNext[cell] = next;
    if (!dirty_[cell]) {
        dirty_[cell] = 1;
        dirtyCells_.push_back(cell);
    }
}

bool FlatDiscretePhase::Step(RandomSource& random, bool seeded, std::uint64_t& firings) {
    flagged_.clear();
    const std::uint32_t* const immediate = net_.immediate.data();
    for (std::size_t w = 0; w < enabled_.size(); ++w) {
        for (std::uint64_t bits = enabled_[w]; bits != 0; bits &= bits - 1) {
            flagged_.push_back(immediate[w * 64 + static_cast<std::size_t>(__builtin_ctzll(bits))]);
        }
    }
    if (flagged_.empty()) return false;
    for (std::uint32_t s : flagged_) fire_[s] = 1;

    if (!groupCell_.empty()) {
        if (!seeded) random.SeedFromClock();
        // The group arcs of the flagged transitions in group and arc order.
        for (std::uint32_t s : flagged_) groups_.MarkGroupArcs(s);
        std::uint64_t* const touched = touched_.data();
        const std::size_t count = groups_.DrainGroupArcs(touched);
        touchedCount_ = count;
        lowered_.clear();
        for (std::size_t i = 0; i < count;) {
            const auto group = static_cast<std::uint32_t>(touched[i] >> 32);
            const std::size_t first = i;
            while (i < count && (touched[i] >> 32) == group) ++i;
            Resolve(group, touched + first, touched + i, random);
        }
        for (std::uint32_t c : lowered_) Write(c, marking_[c], marking_[c]);
    }

    bool overflow = false;
    for (std::uint32_t s : flagged_) {
        if (!fire_[s]) continue;
        ++firings;
        for (std::uint32_t k = in0_[s]; k < out0_[s]; ++k) {
            const double m = marking_[arcs_[k].cell] - arcs_[k].weight;
            Write(arcs_[k].cell, m, m);
        }
        if (in0_[s] != out0_[s]) SetChosen(s, 0);
        for (std::uint32_t k = out0_[s]; k < in0_[s + 1]; ++k) {
            const double m = marking_[arcs_[k].cell] + arcs_[k].weight;
            overflow |= m >= kMarkingLimit;
            Write(arcs_[k].cell, m, m);
        }
        fire_[s] = 0;
    }
    // A rise can only enable the readers of a cell, a fall only disable
    // them: the others keep their state.
    for (std::uint32_t c : dirtyCells_) {
        dirty_[c] = 0;
        const double was = seen_[c], now = next_[c];
        if (now == was) continue;
        seen_[c] = now;
        const bool rise = now > was;
        for (std::uint32_t k = readers0_[c]; k < readers0_[c + 1]; ++k) {
            const std::uint32_t r = readers_[k];
            if (Flagged(r) != rise) SetEnabled(r, Enabled(r));
        }
    }
    dirtyCells_.clear();
    if (overflow) state_ = State::No;
    return true;
}

// A group whose flagged arcs need more than its next marking: every
// transition of the group loses its chosen flag; the flagged ones are drawn
// by priority and at random until none is left, winners lowering the next
// markings of their inputs, candidates heavier than what is left thrown
// out; the groups of the last winner's other inputs are re-checked.
void FlatDiscretePhase::Resolve(std::uint32_t group, const std::uint64_t* first, const std::uint64_t* last,
                                RandomSource& random) {
    const double avail = next_[groupCell_[group]];
    if (avail == 0) return;
    double need = 0;
    for (const std::uint64_t* e = first; e != last; ++e) {
        const GroupArc& a = groupArcs_[static_cast<std::uint32_t>(*e)];
        if (fire_[a.slot]) need += a.weight;
    }
    if (!(avail < need)) return;
    for (std::uint32_t k = groupArc0_[group]; k < groupArc0_[group + 1]; ++k) {
        SetChosen(groupArcs_[k].slot, 0);
    }
    std::uint32_t* const candidates = candidates_.data();
    std::size_t n = 0;
    for (const std::uint64_t* e = first; e != last; ++e) {
        const auto k = static_cast<std::uint32_t>(*e);
        const std::uint32_t s = groupArcs_[k].slot;
        if (!fire_[s]) continue;
        candidates[n++] = k;
        fire_[s] = 0;
    }
    double left = avail;
    std::uint32_t lastWinner = kNone;
    while (n != 0) {
        const std::int32_t priority = trans_[groupArcs_[candidates[0]].slot]->priority;
        std::size_t k = 1;
        while (k < n && trans_[groupArcs_[candidates[k]].slot]->priority == priority) ++k;
        const std::size_t i = k == 1 ? 0 : static_cast<std::size_t>(random.NextInt(static_cast<int>(k)));
        const GroupArc& picked = groupArcs_[candidates[i]];
        const std::uint32_t s = picked.slot;
        fire_[s] = 1;
        SetChosen(s, 1);
        for (std::uint32_t j = in0_[s]; j < out0_[s]; ++j) {
            const std::uint32_t c = arcs_[j].cell;
            Write(c, marking_[c], next_[c] - arcs_[j].weight);
            if (groupOfCell_[c] >= 0) lowered_.push_back(c);
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
    const std::uint64_t* const begin = touched_.data();
    const std::uint64_t* const end = begin + touchedCount_;
    for (std::uint32_t j = in0_[winner]; j < out0_[winner]; ++j) {
        const std::uint32_t c = arcs_[j].cell;
        if (c == groupCell_[group] || groupOfCell_[c] < 0) continue;
        const auto q = static_cast<std::uint64_t>(groupOfCell_[c]) << 32;
        const std::uint64_t* from = std::lower_bound(begin, end, q);
        const std::uint64_t* to = std::lower_bound(from, end, q + (std::uint64_t{1} << 32));
        for (; from != to; ++from) {
            const std::uint32_t u = groupArcs_[static_cast<std::uint32_t>(*from)].slot;
            if (u == winner || chosen_[u] || !fire_[u]) continue;
            fire_[u] = Enabled(u) ? 1 : 0;
        }
    }
}

} // namespace qz
