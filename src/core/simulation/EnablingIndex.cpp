#include "simulation/EnablingIndex.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "simulation/EnablingThresholds.h"

namespace qz {

namespace {

// The most recent threshold of each condition: most arcs of a net share
// their weight, so a rebuild searches rarely.
class ThresholdCache {
public:
    double Get(ArcCondition c, long double w, long double capacity) {
        Entry& e = last_[static_cast<std::size_t>(c)];
        if (e.valid && SameValue(e.w, w) && SameValue(e.capacity, capacity)) return e.bound;
        e = Entry{w, capacity, Compute(c, w, capacity), true};
        return e.bound;
    }

private:
    struct Entry {
        long double w = 0, capacity = 0;
        double bound = 0;
        bool valid = false;
    };
    static bool SameValue(long double a, long double b) { return a == b && std::signbit(a) == std::signbit(b); }
    static double Compute(ArcCondition c, long double w, long double capacity) {
        switch (c) {
        case ArcCondition::Tokens:
        case ArcCondition::Amount: return TokensThreshold(w);
        case ArcCondition::Inhibitor: return InhibitorThreshold(w);
        case ArcCondition::Capacity: return CapacityThreshold(capacity, w);
        default: return 0;
        }
    }
    Entry last_[7]; // one per condition
};

// The condition of the prefix of a sorted block for the cell's next marking
// `v`, on the readers' thresholds: true for a prefix of thresholds in
// ascending order. The inhibitor block holds for the prefix whose condition
// fails.
inline bool PrefixHolds(std::uint32_t block, double bound, double v) {
    if (block == static_cast<std::uint32_t>(ArcCondition::Tokens)) return v != 0 && v >= bound;
    return v >= bound;
}

// The block of a cell's readers a reader belongs to: the sorted blocks need
// a finite constant weight; capacities and the others are checked one by
// one in extended precision.
inline std::uint32_t BlockOf(ArcCondition c, bool variable, long double weight) {
    if (c == ArcCondition::None) return static_cast<std::uint32_t>(ArcCondition::None);
    if (variable || c == ArcCondition::Capacity || !std::isfinite(weight)) {
        return static_cast<std::uint32_t>(ArcCondition::Exact);
    }
    return static_cast<std::uint32_t>(c);
}

// The threshold of a sorted reader: the smallest next marking at which its
// prefix condition holds.
inline double ReaderBound(ArcCondition c, long double weight) {
    if (!std::isfinite(weight)) return 0;
    if (c == ArcCondition::Tokens || c == ArcCondition::Amount) return TokensThreshold(weight);
    return InhibitorThreshold(weight); // w <= v, and !(v < w), for finite w
}

inline bool ReaderOk(long double weight, long double capacity, ArcCondition c, double marking, double next) {
    switch (c) {
    case ArcCondition::Capacity: return capacity >= static_cast<long double>(marking) + weight;
    case ArcCondition::Tokens:
        if (next == 0) return false;
        return weight <= static_cast<long double>(next) + kEpsilon;
    case ArcCondition::Amount: return weight <= static_cast<long double>(next) + kEpsilon;
    case ArcCondition::Inhibitor: return static_cast<long double>(next) < weight;
    case ArcCondition::ContinuousInput: return weight <= static_cast<long double>(next);
    default: return true;
    }
}

} // namespace

void EnablingIndex::Clear() {
    ++generation_;
    trans_ = nullptr;
    arcs_ = nullptr;
    cellArcs0_.clear();
    cellBlocks_.clear();
    cellWatched_.clear();
    cellDirty_.clear();
    cellSeen_.clear();
    cellSlots0_.clear();
    cellSlots_.clear();
    dirtyCells_.Reset(0);
    readers_.clear();
    readerOf_.clear();
    arcVariable_.clear();
    arcOk_.clear();
    check_.clear();
    unsatisfied_.clear();
    stale_.clear();
    staleSlots_.clear();
    immPos0_.clear();
    immPos_.clear();
    immOne_.clear();
    immBits_.clear();
    checks_.clear();
    checkArc_.clear();
    checkStart_.clear();
    recheck_ = false;
    checksValid_ = false;
}

// The readers of each cell, the positions of each slot in the immediate list.
void EnablingIndex::Build() {
    ++generation_;
    trans_ = net_.trans.data();
    arcs_ = net_.arcs.data();
    const std::vector<ArcSlot>& arcs = net_.arcs;
    const std::size_t cells = net_.cellMarking.size();
    cellArcs0_.assign(cells + 1, 0);
    for (const ArcSlot& a : arcs) ++cellArcs0_[a.cell + 1];
    for (std::size_t c = 0; c < cells; ++c) cellArcs0_[c + 1] += cellArcs0_[c];
    readers_.assign(arcs.size(), CellReader{0, 0, 0, ArcCondition::None});
    readerOf_.assign(arcs.size(), 0);
    {
        std::vector<std::uint32_t> at(cellArcs0_.begin(), cellArcs0_.end() - 1);
        for (std::uint32_t i = 0; i < arcs.size(); ++i) {
            readerOf_[i] = at[arcs[i].cell]++;
            readers_[readerOf_[i]].arc = i;
            readers_[readerOf_[i]].trans = arcs[i].trans;
        }
    }
    arcOk_.assign(arcs.size(), 0);
    arcVariable_.assign(arcs.size(), 0);
    for (const auto& [edge, slot] : net_.formulaArcs) {
        if (slot != kNone) arcVariable_[slot] = 1;
    }
    cellBlocks_.assign(cells, CellBlocks{});
    cellWatched_.assign(cells, 0);
    cellDirty_.assign(cells, 0);
    dirtyCells_.Reset(cells);

    const std::vector<std::uint32_t>& immediate = net_.immediate;
    const std::size_t slots = net_.trans.size();
    check_.assign(slots, 0);
    unsatisfied_.assign(slots, 0);
    stale_.assign(slots, 0);
    immPos0_.assign(slots + 1, 0);
    for (std::uint32_t s : immediate) ++immPos0_[s + 1];
    for (std::size_t k = 0; k < slots; ++k) immPos0_[k + 1] += immPos0_[k];
    immPos_.assign(immediate.size(), 0);
    std::vector<std::uint32_t> fill(immPos0_.begin(), immPos0_.end() - 1);
    for (std::size_t i = 0; i < immediate.size(); ++i) {
        immPos_[fill[immediate[i]]++] = static_cast<std::uint32_t>(i);
    }
    immBits_.assign((immediate.size() + 63) / 64, 0);
    immOne_.assign(slots, kNoPosition);
    for (std::size_t k = 0; k < slots; ++k) {
        const std::uint32_t count = immPos0_[k + 1] - immPos0_[k];
        if (count == 1) immOne_[k] = immPos_[immPos0_[k]];
        if (count > 1) immOne_[k] = kManyPositions;
    }
    checksValid_ = false;
}

// The condition of an arc slot (for a cell's reader and for its
// transition's checks alike).
ArcCondition EnablingIndex::ConditionOf(std::uint32_t arc) const {
    const ArcSlot& a = net_.arcs[arc];
    const TransSlot& s = net_.trans[a.trans];
    if (arc >= s.out0) return s.continuous || a.capacity == -1 ? ArcCondition::None : ArcCondition::Capacity;
    if (a.kind == akNormal || a.kind == akTest) {
        if (s.continuous) return !a.placeContinuous || enhanced_ ? ArcCondition::ContinuousInput : ArcCondition::None;
        return a.placeContinuous ? ArcCondition::Amount : ArcCondition::Tokens;
    }
    return a.kind == akInhibitor ? ArcCondition::Inhibitor : ArcCondition::None;
}

void EnablingIndex::LoadAllChecks() {
    const std::size_t slots = net_.trans.size();
    checkStart_.assign(slots * kCheckParts + 1, 0);
    std::uint32_t total = 0;
    for (std::size_t s = 0; s < slots; ++s) {
        checkStart_[s * kCheckParts] = total;
        const TransSlot& t = net_.trans[s];
        if (t.continuous) continue;
        for (std::uint32_t i = t.in0; i < t.out1; ++i) total += ConditionOf(i) != ArcCondition::None;
    }
    checkStart_[slots * kCheckParts] = total;
    checks_.assign(total, Check{nullptr, 0, 0, 0});
    checkArc_.assign(total, 0);
    for (std::uint32_t s = 0; s < slots; ++s) LoadChecks(s);
}

// Computes the conditions of a slot from the current weights and capacities
// and sorts them into its parts.
void EnablingIndex::LoadChecks(std::uint32_t slot) {
    static thread_local ThresholdCache cache;
    const TransSlot& t = net_.trans[slot];
    std::uint32_t* start = checkStart_.data() + slot * kCheckParts;
    std::uint32_t k = start[0];
    // The part of a condition: 0 when it is v >= lo alone (a lower bound
    // above 0 makes "not 0" follow), 1 for any other interval, 2 for an
    // exact check.
    auto partOf = [](ArcCondition c, const Check& check) -> std::uint32_t {
        if (c == ArcCondition::Exact) return 2;
        const bool simple = check.hi == std::numeric_limits<double>::infinity() &&
                            (std::isnan(check.unless) || (check.unless == 0 && check.lo > 0));
        return simple ? 0 : 1;
    };
    for (std::uint32_t part = 0; part < kCheckParts; ++part) {
        start[part] = k;
        if (t.continuous) continue;
        for (std::uint32_t i = t.in0; i < t.out1; ++i) {
            const ArcSlot& a = net_.arcs[i];
            ArcCondition c = ConditionOf(i);
            if (c == ArcCondition::None) continue;
            if (!std::isfinite(a.weight) || (c == ArcCondition::Capacity && !std::isfinite(a.capacity))) {
                c = ArcCondition::Exact;
            }
            const double threshold = c == ArcCondition::Exact ? 0 : cache.Get(c, a.weight, a.capacity);
            const Check check = MakeCheck(c, c == ArcCondition::Capacity ? a.marking : a.next, threshold);
            if (partOf(c, check) != part) continue;
            checks_[k] = check;
            checkArc_[k] = i;
            ++k;
        }
    }
}

void EnablingIndex::WeightChanged(std::uint32_t arc) {
    const std::uint32_t slot = net_.arcs[arc].trans;
    LoadChecks(slot);
    if (!stale_[slot]) {
        stale_[slot] = 1;
        staleSlots_.push_back(slot);
    }
}

// A condition as an interval of markings: v >= lo, v <= hi and v != unless.
EnablingIndex::Check EnablingIndex::MakeCheck(ArcCondition c, const double* v, double threshold) {
    constexpr double inf = std::numeric_limits<double>::infinity();
    constexpr double none = std::numeric_limits<double>::quiet_NaN();
    switch (c) {
    case ArcCondition::Tokens: return Check{v, threshold, inf, 0.0};
    case ArcCondition::Amount: return Check{v, threshold, inf, none};
    case ArcCondition::Inhibitor: return Check{v, -inf, std::nextafter(threshold, -inf), none};
    case ArcCondition::Capacity: return Check{v, -inf, threshold, none};
    default: return Check{v, 0, 0, none};
    }
}

// The condition of one arc of a discrete transition in extended precision.
bool EnablingIndex::ExactCondition(std::uint32_t arc) const {
    const ArcSlot& a = net_.arcs[arc];
    const TransSlot& s = net_.trans[a.trans];
    if (arc >= s.out0) return a.capacity >= static_cast<long double>(*a.marking) + a.weight;
    const long double m = *a.next;
    if (a.kind == akInhibitor) return m < a.weight;
    if (!a.placeContinuous && m == 0) return false;
    return a.weight <= m + kEpsilon;
}

bool EnablingIndex::ExactChecksHold(std::uint32_t first, std::uint32_t last) const {
    for (std::uint32_t k = first; k < last; ++k) {
        if (!ExactCondition(checkArc_[k])) return false;
    }
    return true;
}

bool EnablingIndex::Outputs(const TransSlot& s) const {
    if (s.continuous) return true;
    for (std::uint32_t i = s.out0; i < s.out1; ++i) {
        const ArcSlot& a = net_.arcs[i];
        if (a.capacity == -1) continue;
        if (!(a.capacity >= static_cast<long double>(*a.marking) + a.weight)) return false;
    }
    return true;
}

// Orders each cell's readers into its blocks, sorted by threshold, and sets
// the prefix lengths for the cell's current next marking.
void EnablingIndex::SortReaders() {
    for (std::uint32_t c = 0; c < cellBlocks_.size(); ++c) {
        const auto first = readers_.begin() + cellArcs0_[c];
        const auto last = readers_.begin() + cellArcs0_[c + 1];
        auto key = [this](const CellReader& r) {
            return BlockOf(r.condition, arcVariable_[r.arc] != 0, net_.arcs[r.arc].weight);
        };
        std::sort(first, last, [&key](const CellReader& x, const CellReader& y) {
            const std::uint32_t bx = key(x), by = key(y);
            if (bx != by) return bx < by;
            if (bx >= kSortedBlocks || x.bound == y.bound) return x.arc < y.arc;
            return x.bound < y.bound;
        });
        CellBlocks& cb = cellBlocks_[c];
        std::uint32_t k = cellArcs0_[c];
        const double next = *net_.cellNext[c];
        for (std::uint32_t b = 0; b < kReaderBlocks; ++b) {
            cb.start[b] = k;
            while (k < cellArcs0_[c + 1] && key(readers_[k]) == b) ++k;
            if (b < kSortedBlocks) {
                std::uint32_t n = cb.start[b];
                while (n < k && PrefixHolds(b, readers_[n].bound, next)) ++n;
                cb.count[b] = n - cb.start[b];
            }
        }
        cb.sorted = 0;
        cb.uniform = 0;
        for (std::uint32_t b = 0; b < kSortedBlocks; ++b) {
            if (cb.start[b] == cb.start[b + 1]) continue;
            cb.sorted |= 1u << b;
            if (readers_[cb.start[b]].bound == readers_[cb.start[b + 1] - 1].bound) cb.uniform |= 1u << b;
        }
        cellWatched_[c] = cb.start[0] != cb.start[static_cast<std::size_t>(ArcCondition::None)] ? 1 : 0;
    }
    for (std::uint32_t k = 0; k < readers_.size(); ++k) readerOf_[readers_[k].arc] = k;
}

// Sets the condition of an arc's reader and its threshold.
void EnablingIndex::LoadReader(std::uint32_t arc) {
    CellReader& r = readers_[readerOf_[arc]];
    r.condition = ConditionOf(arc);
    r.bound = ReaderBound(r.condition, net_.arcs[arc].weight);
}

bool EnablingIndex::ArcOk(std::uint32_t arc) const {
    const CellReader& r = readers_[readerOf_[arc]];
    const ArcSlot& a = net_.arcs[arc];
    return ReaderOk(a.weight, a.capacity, r.condition, *a.marking, *a.next);
}

// Clears a dirty cell's mark; false when the cell was written but is back
// at the values last seen (a token taken and put back), else the values are
// now the ones seen.
[[gnu::always_inline]] inline bool EnablingIndex::CellChanged(std::uint32_t c) {
    cellDirty_[c] = 0;
    const double marking = *net_.cellMarking[c];
    const double next = *net_.cellNext[c];
    double* const seen = cellSeen_.data() + 2 * c;
    if (SameBits(marking, seen[0]) && SameBits(next, seen[1])) return false;
    seen[0] = marking;
    seen[1] = next;
    return true;
}

// Re-evaluates the structural part of the transitions reading a changed cell
// or an arc whose weight changed (of every transition after a change outside
// the engine).
void EnablingIndex::Flush() {
    ++generation_;
    if (!checksValid_) {
        for (std::uint32_t c : dirtyCells_) cellDirty_[c] = 0;
        dirtyCells_.Clear();
        for (std::uint32_t s : staleSlots_) stale_[s] = 0;
        staleSlots_.clear();
        for (std::uint32_t i = 0; i < net_.arcs.size(); ++i) LoadReader(i);
        SortReaders();
        cellSeen_.resize(2 * net_.cellMarking.size());
        for (std::size_t c = 0; c < net_.cellMarking.size(); ++c) {
            cellSeen_[2 * c] = *net_.cellMarking[c];
            cellSeen_[2 * c + 1] = *net_.cellNext[c];
        }
        for (std::uint32_t s = 0; s < net_.trans.size(); ++s) {
            std::uint32_t failing = 0;
            for (std::uint32_t i = net_.trans[s].in0; i < net_.trans[s].out1; ++i) {
                const bool ok = ArcOk(i);
                arcOk_[i] = ok ? 1 : 0;
                if (!ok) ++failing;
            }
            unsatisfied_[s] = failing;
            SetCheck(s, failing == 0);
        }
        BuildCellSlots();
        checksValid_ = true;
        return;
    }
    if (recheck_) {
        Recheck();
        return;
    }
    constexpr auto kInhibitorBlock = static_cast<std::uint32_t>(ArcCondition::Inhibitor);
    constexpr auto kExactBlock = static_cast<std::size_t>(ArcCondition::Exact);
    const Hot hot = Arrays();
    const CellReader* const readers = readers_.data();
    for (std::uint32_t c : dirtyCells_) {
        if (!CellChanged(c)) continue;
        const double marking = cellSeen_[2 * c];
        const double next = cellSeen_[2 * c + 1];
        CellBlocks& cb = cellBlocks_[c];
        for (std::uint32_t blocks = cb.sorted; blocks != 0; blocks &= blocks - 1) {
            const auto b = static_cast<std::uint32_t>(__builtin_ctz(blocks));
            const std::uint32_t lo = cb.start[b], hi = cb.start[b + 1];
            std::uint32_t count;
            if (cb.uniform & (1u << b)) {
                count = PrefixHolds(b, readers_[lo].bound, next) ? hi - lo : 0;
            } else {
                const auto end = std::partition_point(
                    readers_.begin() + lo, readers_.begin() + hi,
                    [b, next](const CellReader& r) { return PrefixHolds(b, r.bound, next); });
                count = static_cast<std::uint32_t>(end - readers_.begin()) - lo;
            }
            const std::uint32_t old = cb.count[b];
            if (count == old) continue;
            cb.count[b] = count;
            // The readers between the old and the new prefix changed; those
            // now inside it hold (fail, for inhibitors).
            const bool ok = (count > old) != (b == kInhibitorBlock);
            for (std::uint32_t k = lo + std::min(old, count); k < lo + std::max(old, count); ++k) {
                hot.FlipArc(readers[k].arc, readers[k].trans, ok);
            }
        }
        for (std::uint32_t k = cb.start[kExactBlock]; k < cb.start[kExactBlock + 1]; ++k) {
            const CellReader& r = readers_[k];
            const ArcSlot& a = net_.arcs[r.arc];
            const bool ok = ReaderOk(a.weight, a.capacity, r.condition, marking, next);
            if ((arcOk_[r.arc] != 0) != ok) SetArcOk(r.arc, r.trans, ok);
        }
    }
    dirtyCells_.Clear();
    for (std::uint32_t s : staleSlots_) {
        stale_[s] = 0;
        for (std::uint32_t i = net_.trans[s].in0; i < net_.trans[s].out1; ++i) {
            LoadReader(i);
            SetArcOk(i, s, ArcOk(i));
        }
    }
    staleSlots_.clear();
}

// The transitions whose structural part a change of each cell can change
// (its readers with a condition, each once), and whether re-checking those
// whole is cheaper than following their arc conditions one by one: every
// reader is a discrete transition, and the readers of each cell have at most
// recheckUpTo conditions together (a net of small places and transitions).
void EnablingIndex::BuildCellSlots() {
    const std::size_t cells = cellBlocks_.size();
    cellSlots0_.assign(cells + 1, 0);
    cellSlots_.clear();
    recheck_ = recheckUpTo > 0;
    constexpr auto kNoCondition = static_cast<std::size_t>(ArcCondition::None);
    for (std::size_t c = 0; c < cells && recheck_; ++c) {
        const CellBlocks& cb = cellBlocks_[c];
        const auto first = static_cast<std::ptrdiff_t>(cellSlots_.size());
        for (std::uint32_t k = cb.start[0]; k < cb.start[kNoCondition]; ++k) cellSlots_.push_back(readers_[k].trans);
        std::sort(cellSlots_.begin() + first, cellSlots_.end());
        cellSlots_.erase(std::unique(cellSlots_.begin() + first, cellSlots_.end()), cellSlots_.end());
        std::size_t conditions = 0;
        for (auto it = cellSlots_.begin() + first; it != cellSlots_.end(); ++it) {
            if (net_.trans[*it].continuous) recheck_ = false;
            conditions += checkStart_[(*it + 1) * kCheckParts] - checkStart_[*it * kCheckParts];
        }
        if (conditions > recheckUpTo) recheck_ = false;
        cellSlots0_[c + 1] = static_cast<std::uint32_t>(cellSlots_.size());
    }
    if (!recheck_) {
        cellSlots0_.clear();
        cellSlots_.clear();
    }
}

// Flush for a net re-checked whole: every transition reading a changed cell
// and every stale one is checked again.
void EnablingIndex::Recheck() {
    const Hot hot = Arrays();
    const std::uint32_t* const slots0 = cellSlots0_.data();
    const std::uint32_t* const slots = cellSlots_.data();
    for (std::uint32_t c : dirtyCells_) {
        if (!CellChanged(c)) continue;
        for (std::uint32_t k = slots0[c]; k < slots0[c + 1]; ++k) {
            const std::uint32_t slot = slots[k];
            hot.SetCheck(slot, hot.ChecksHold(slot));
        }
    }
    dirtyCells_.Clear();
    for (std::uint32_t slot : staleSlots_) {
        stale_[slot] = 0;
        SetCheck(slot, ChecksHold(slot));
    }
    staleSlots_.clear();
}

} // namespace qz
