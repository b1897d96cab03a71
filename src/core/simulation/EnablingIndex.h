#pragma once
#include <cstdint>
#include <vector>

#include "model/TEdge.h"
#include "model/TTransition.h"
#include "simulation/SessionNet.h"

namespace qz {

// The condition an arc puts on the marking it reads. A transition's arc
// conditions and a cell's readers are both sorted by it: the first four are
// decided on a double threshold (EnablingThresholds.h) and order a cell's
// readers into blocks sorted by threshold; Exact conditions are checked one
// by one in extended precision (formula weights, weights and capacities
// that are not finite, and on a cell the capacities); None is no condition.
// A transition's own capacity checks are decided on thresholds too.
enum class ArcCondition : std::uint8_t {
    Tokens = 0,          // input of a discrete transition from a discrete place
    Amount = 1,          // input of a discrete transition from a continuous place
    ContinuousInput = 2, // input of a continuous transition that must cover its weight
    Inhibitor = 3,
    Exact = 4,
    None = 5,
    Capacity = 6,        // output of a discrete transition into a bounded place
};
inline constexpr std::uint32_t kSortedBlocks = 4; // Tokens .. Inhibitor
inline constexpr std::uint32_t kReaderBlocks = 6; // Tokens .. None

// The enabling rule of a session's transitions, kept incrementally: per
// transition whether the structural part of the rule holds (inputs on next
// markings, output capacities on markings, current weights) and a count of
// its failing arc conditions. A changed marking cell re-checks only the arcs
// reading it: each cell's readers are sorted by threshold, so only arcs
// whose condition flips are visited. In nets of small places and
// transitions the transitions reading a changed cell are re-checked whole.
class EnablingIndex {
public:
    explicit EnablingIndex(const SessionNet& net) : net_(net) {}

    // Sizes the per-cell and per-slot arrays for the session's net.
    void Build();
    void Clear();

    // The enhanced firing rule of continuous transitions.
    void SetEnhanced(bool on) {
        if (on != enhanced_) checksValid_ = false;
        enhanced_ = on;
    }
    bool Enhanced() const { return enhanced_; }
    // Whether cells are followed (set per step from the net's size).
    void SetIncremental(bool on) { incremental_ = on; }
    bool Incremental() const { return incremental_; }
    // Readers of a cell with at most this many arc conditions together are
    // re-checked whole (0: never).
    std::size_t recheckUpTo = 16;

    // Everything may have changed: the next look re-checks every transition.
    void Invalidate() { checksValid_ = false; }
    // The thresholds of every transition's arc conditions, from the current
    // weights and capacities.
    void LoadAllChecks();
    // The weight of an arc changed: its transition's conditions are loaded
    // again and it is re-checked at the next look.
    void WeightChanged(std::uint32_t arc);

    // A marking cell was written.
    void Touch(std::uint32_t cell) {
        if (incremental_) Mark(cell);
    }
    // Touch for loops that have looked at Incremental() once.
    void Mark(std::uint32_t cell) {
        if (cellDirty_[cell] || !cellWatched_[cell]) return;
        cellDirty_[cell] = 1;
        dirtyCells_.Push(cell);
    }
    // Marks of the cells written and of the cells with conditions, for
    // loops that collect the writes and Touch them afterwards.
    const std::uint8_t* DirtyMarks() const { return cellDirty_.data(); }
    const std::uint8_t* WatchedMarks() const { return cellWatched_.data(); }

    // The rule on next markings: the per-step part (busy, and the
    // time-advanced flag for a stepwise transition) and the arc conditions.
    bool Enabled(std::uint32_t slot, bool timeAdvanced) const;
    bool Inputs(const TransSlot& s) const;
    bool Outputs(const TransSlot& s) const;
    // The arc conditions of a discrete transition, on thresholds.
    bool ChecksHold(std::uint32_t slot) const;
    bool Conditions(std::uint32_t slot, bool timeAdvanced) const { return Conditions(trans_[slot], timeAdvanced); }
    static bool Conditions(const TransSlot& s, bool timeAdvanced);
    // Enabled, from the kept structural part when the index runs
    // incrementally.
    bool EnabledNow(std::uint32_t slot, bool timeAdvanced) {
        if (!incremental_) return Enabled(slot, timeAdvanced);
        return Conditions(slot, timeAdvanced) && Structural(slot);
    }
    // EnabledNow for a continuous transition (no per-step conditions).
    bool FlowEnabled(std::uint32_t slot) {
        if (!incremental_) return Enabled(slot, false);
        return Structural(slot);
    }
    // The kept structural parts of the transitions, one byte a slot, as of
    // the last Update (for loops that write no marking cell between).
    const std::uint8_t* KeptMarks() const { return check_.data(); }
    // Brings the kept structural parts up to date.
    void Update() {
        if (!Current()) Flush();
    }
    // Whether the kept structural parts are up to date.
    bool Current() const { return checksValid_ && dirtyCells_.Empty() && staleSlots_.empty(); }
    // Per position of the session's immediate list: its transition's
    // structural part holds (kept incrementally), 64 positions a word.
    const std::vector<std::uint64_t>& ImmediateBits() const { return immBits_; }
    // Counts the updates that may have changed a structural part: equal
    // counts mean equal ImmediateBits.
    std::uint64_t Generation() const { return generation_; }

private:
    struct CellReader {
        double bound;
        std::uint32_t arc;
        std::uint32_t trans; // the arc's transition slot
        ArcCondition condition;
    };
    // A cell's readers: the sorted blocks whose holding conditions form a
    // prefix (for inhibitors the failing ones), then the readers checked one
    // by one, then those without a condition.
    struct CellBlocks {
        std::uint32_t start[kReaderBlocks];
        std::uint32_t count[kSortedBlocks]; // length of the prefix
        std::uint32_t sorted;   // bit b: block b has readers
        std::uint32_t uniform;  // bit b: the readers of block b share one threshold
    };
    // The cells marked dirty, each once: room for every cell, appended
    // without checks.
    struct CellList {
        std::vector<std::uint32_t> items;
        std::uint32_t size = 0;
        void Reset(std::size_t cells) {
            items.assign(cells, 0);
            size = 0;
        }
        void Push(std::uint32_t cell) { items[size++] = cell; }
        bool Empty() const { return size == 0; }
        void Clear() { size = 0; }
        const std::uint32_t* begin() const { return items.data(); }
        const std::uint32_t* end() const { return items.data() + size; }
    };
    // An arc condition of a discrete transition as an interval of markings:
    // v >= lo, v <= hi and v != unless (NaN: no exception; 0: a discrete
    // input needs a token). Kept per slot in three parts: lower bounds
    // alone, other intervals, exact.
    struct Check {
        const double* v;
        double lo, hi, unless;
    };
    static constexpr std::uint32_t kCheckParts = 3;
    static Check MakeCheck(ArcCondition c, const double* v, double threshold);
    ArcCondition ConditionOf(std::uint32_t arc) const;

    // The arrays of the hot paths as raw pointers: a loop that writes flags
    // through a local copy keeps them in registers (a byte store could
    // change any member as far as the compiler knows). The arrays keep their
    // sizes between Build and Clear.
    struct Hot {
        const EnablingIndex* index;
        const std::uint32_t* checkStart;
        const Check* checks;
        std::uint8_t* check;
        const std::uint32_t* immOne;
        const std::uint32_t* immPos0;
        const std::uint32_t* immPos;
        std::uint64_t* immBits;
        std::uint8_t* arcOk;
        std::uint32_t* unsatisfied;

        bool ChecksHold(std::uint32_t slot) const;
        // The structural check of a slot and the bits of its positions in
        // the immediate list, written whether they changed or not (without
        // branching on the value).
        void SetCheck(std::uint32_t slot, bool ok) const;
        void FlipArc(std::uint32_t arc, std::uint32_t slot, bool ok) const;
    };
    Hot Arrays() const {
        auto* self = const_cast<EnablingIndex*>(this);
        return Hot{this, checkStart_.data(), checks_.data(), self->check_.data(), immOne_.data(),
                   immPos0_.data(), immPos_.data(), self->immBits_.data(), self->arcOk_.data(),
                   self->unsatisfied_.data()};
    }

    bool Structural(std::uint32_t slot) {
        Update();
        return check_[slot] != 0;
    }
    void Flush();
    void Recheck();
    void SortReaders();
    void BuildCellSlots();
    void LoadChecks(std::uint32_t slot);
    void LoadReader(std::uint32_t arc);
    bool ArcOk(std::uint32_t arc) const;
    bool ExactCondition(std::uint32_t arc) const;
    bool ExactChecksHold(std::uint32_t first, std::uint32_t last) const;
    bool CellChanged(std::uint32_t cell);
    void SetCheck(std::uint32_t slot, bool ok) { Arrays().SetCheck(slot, ok); }
    void SetArcOk(std::uint32_t arc, std::uint32_t slot, bool ok) {
        if ((arcOk_[arc] != 0) == ok) return;
        Arrays().FlipArc(arc, slot, ok);
    }

    const SessionNet& net_;
    // The net's arrays as they were at Build (they do not move during a
    // session): the hot paths read through these, one load shorter.
    const TransSlot* trans_ = nullptr;
    const ArcSlot* arcs_ = nullptr;
    bool enhanced_ = false;
    bool incremental_ = false;
    bool checksValid_ = false;  // check_ holds for every slot
    bool recheck_ = false;      // Flush re-checks the readers of a changed cell whole
    std::uint64_t generation_ = 0;

    // Per cell.
    std::vector<std::uint32_t> cellArcs0_;  // range of a cell in readers_
    std::vector<CellBlocks> cellBlocks_;
    std::vector<std::uint8_t> cellWatched_; // the cell has readers with a condition
    std::vector<std::uint8_t> cellDirty_;
    std::vector<double> cellSeen_;          // marking and next at the last check
    std::vector<std::uint32_t> cellSlots0_, cellSlots_; // readers with a condition, each once
    CellList dirtyCells_;
    // Per arc slot.
    std::vector<CellReader> readers_;       // arcs reading each cell, cell after cell
    std::vector<std::uint32_t> readerOf_;
    std::vector<std::uint8_t> arcVariable_; // formula weight
    std::vector<std::uint8_t> arcOk_;       // its condition holds
    // Per transition slot.
    std::vector<std::uint8_t> check_;       // structural part holds
    std::vector<std::uint32_t> unsatisfied_; // arcs whose condition fails
    std::vector<std::uint8_t> stale_;
    std::vector<std::uint32_t> staleSlots_;
    std::vector<std::uint32_t> immPos0_, immPos_; // positions of a slot in the immediate list
    std::vector<std::uint32_t> immOne_;     // its only position, kNoPosition or kManyPositions
    std::vector<std::uint64_t> immBits_;    // positions whose check holds
    std::vector<Check> checks_;
    std::vector<std::uint32_t> checkArc_;   // per check: its arc slot
    std::vector<std::uint32_t> checkStart_; // per slot and part; one more at the end
};

// ---------------------------------------------------------------------------
// The hot parts, inline for the phases.

inline constexpr std::uint32_t kNoPosition = kNone - 1; // immOne_: the slot is not in the immediate list
inline constexpr std::uint32_t kManyPositions = kNone;  // immOne_: it stands there more than once

// The structural part of the rule for a discrete transition: every arc
// condition, decided on double thresholds (lower bounds alone, then
// intervals), then the conditions checked exactly.
[[gnu::always_inline]] inline bool EnablingIndex::ChecksHold(std::uint32_t slot) const {
    return Arrays().ChecksHold(slot);
}

[[gnu::always_inline]] inline bool EnablingIndex::Hot::ChecksHold(std::uint32_t slot) const {
    const std::uint32_t* b = checkStart + slot * kCheckParts;
    const Check* c = checks;
    for (const Check *k = c + b[0], *end = c + b[1]; k != end; ++k) {
        if (!(*k->v >= k->lo)) return false;
    }
    bool ok = true;
    for (std::uint32_t k = b[1]; k < b[2]; ++k) {
        const double v = *c[k].v;
        ok &= (v >= c[k].lo) & (v <= c[k].hi) & (v != c[k].unless);
    }
    if (!ok || b[2] == b[3]) return ok;
    return index->ExactChecksHold(b[2], b[3]);
}

inline bool EnablingIndex::Inputs(const TransSlot& s) const {
    const ArcSlot* a = arcs_ + s.in0;
    const ArcSlot* const end = arcs_ + s.in1;
    if (!s.continuous) {
        for (; a != end; ++a) {
            const long double m = *a->next;
            if (a->kind == akNormal || a->kind == akTest) {
                if (!a->placeContinuous && m == 0) return false;
                if (!(a->weight <= m + kEpsilon)) return false;
            } else if (a->kind == akInhibitor) {
                if (!(m < a->weight)) return false;
            }
        }
        return true;
    }
    for (; a != end; ++a) {
        if (a->kind == akNormal || a->kind == akTest) {
            if ((!a->placeContinuous || enhanced_) && !(a->weight <= *a->next)) return false;
        } else if (a->kind == akInhibitor) {
            if (!(*a->next < a->weight)) return false;
        }
    }
    return true;
}

inline bool EnablingIndex::Enabled(std::uint32_t slot, bool timeAdvanced) const {
    const TransSlot& s = trans_[slot];
    if (s.continuous) return Inputs(s);
    const TTransition& t = *s.t;
    if (t.firingTime == 0) {
        if (t.busy) return false;
    } else if (t.timed == 0) {
        if (t.busy || !timeAdvanced) return false;
    }
    return ChecksHold(slot);
}

inline bool EnablingIndex::Conditions(const TransSlot& s, bool timeAdvanced) {
    if (s.continuous) return true;
    const TTransition& t = *s.t;
    if (t.firingTime == 0) return !t.busy;
    if (t.timed == 0) return !t.busy && timeAdvanced;
    return true;
}

// The structural check of a slot and the bits of its positions in the
// immediate list, written whether they changed or not (without branching on
// the value).
[[gnu::always_inline]] inline void EnablingIndex::Hot::SetCheck(std::uint32_t slot, bool ok) const {
    check[slot] = ok ? 1 : 0;
    auto store = [this, ok](std::uint32_t position) {
        std::uint64_t& word = immBits[position / 64];
        const std::uint64_t bit = std::uint64_t{1} << (position % 64);
        word = (word & ~bit) | (ok ? bit : 0);
    };
    const std::uint32_t one = immOne[slot];
    if (one < kNoPosition) [[likely]] {
        store(one);
    } else if (one == kManyPositions) {
        for (std::uint32_t k = immPos0[slot]; k < immPos0[slot + 1]; ++k) store(immPos[k]);
    }
}

// An arc condition that changed: the count of failing conditions of its
// slot and the slot's check follow.
[[gnu::always_inline]] inline void EnablingIndex::Hot::FlipArc(std::uint32_t arc, std::uint32_t slot, bool ok) const {
    arcOk[arc] = ok ? 1 : 0;
    const std::uint32_t failing = unsatisfied[slot] + (ok ? std::uint32_t(-1) : 1u);
    unsatisfied[slot] = failing;
    SetCheck(slot, failing == 0);
}

} // namespace qz
