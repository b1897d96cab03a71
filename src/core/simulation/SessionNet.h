#pragma once
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <unordered_map>
#include <utility>
#include <vector>

#include "model/SimulationLists.h"
#include "model/TTransition.h"

namespace qz {

class TEdge;
class TPNObjekt;
class TPlatz;

// Tolerance of the enabling rule, of timer expiry and of snapping markings.
inline constexpr long double kEpsilon = 1E-9L;
// No slot, group or cell.
inline constexpr std::uint32_t kNone = std::numeric_limits<std::uint32_t>::max();

inline double Stored(long double v) { return static_cast<double>(v); }
inline bool SameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// What TPlatz::SetMarking stores for `v`: a discrete value is rounded half to
// even, a value within 1E-9 above its integer part is snapped to it. d -
// trunc(d) is exact in double arithmetic, and no double lies between 1E-9
// held in extended precision and 1E-9 rounded to a double, so the comparison
// runs in doubles with the same outcome.
inline double MarkingValue(bool discrete, long double v) {
    double d = Stored(v);
    if (discrete && d != std::trunc(d)) d = std::nearbyint(d);
    const double whole = std::trunc(d);
    if (std::fabs(d - whole) < 1e-9) d = whole;
    return d;
}

// One place/transition arc of a session transition. Inputs and outputs of a
// transition are contiguous, in the order of its arc lists.
struct ArcSlot {
    double* marking;      // the shared marking and next marking of the place's
    double* next;         // marking owner
    TPlatz* place;        // the arc's place
    TPlatz* owner;        // its marking owner
    TEdge* edge;
    long double weight;   // the arc's current weight
    long double capacity; // of the place itself
    std::uint32_t trans;  // transition slot
    std::int32_t ownerGroup; // conflict group headed by the owner, or -1
    std::uint32_t cell;   // the owner's marking cell
    std::uint8_t kind;
    std::uint8_t placeContinuous;
    // The weight is a whole number below 2^52: added to or taken from a
    // whole marking below 2^52 it gives the exact result in doubles.
    std::uint8_t wholeWeight = 0;
    // A whole weight below 2^32 in magnitude: sums of fewer than
    // kExactSmallSums of them are exact in doubles.
    std::uint8_t smallWeight = 0;
    double weightD = 0;

    void SetWeight(long double w) {
        weight = w;
        wholeWeight = std::fabs(w) < kWholeLimit && w == std::trunc(w) ? 1 : 0;
        smallWeight = wholeWeight && std::fabs(w) < 4294967296.0L ? 1 : 0;
        weightD = static_cast<double>(w);
    }
    // Whether m -/+ weight is exact in doubles (and so needs no rounding).
    bool ExactWith(double m) const { return wholeWeight && Whole(m); }
    // A whole number below 2^52 in magnitude.
    static bool Whole(double m) {
        return std::fabs(m) < static_cast<double>(kWholeLimit) && static_cast<double>(static_cast<std::int64_t>(m)) == m;
    }
    static constexpr long double kWholeLimit = 4503599627370496.0L; // 2^52
    // Sums of fewer than this many small weights are exact in doubles.
    static constexpr std::size_t kExactSmallSums = std::size_t{1} << 20;
};

struct TransSlot {
    TTransition* t;
    std::uint32_t in0, in1, out0, out1;
    bool continuous;
};

// How the phases of one step draw and decide; the engine fills it from its
// settings before each phase.
struct StepMode {
    bool drawing = true;    // not at "Max Speed"
    bool animating = true;  // animations shown, and drawing
    bool runToEvent = false;
    bool timeAdvanced = false;
};

// The working lists of a session compiled into flat arrays: one slot per
// transition with contiguous ranges of input and output arcs holding the
// marking owner and the current weight, and one marking cell per marking
// owner read by an arc. Built when the session starts; the phases walk these
// arrays without allocating, hashing or formatting.
class SessionNet {
public:
    // Slots in hierarchy and element order, so neighbours in the net are
    // neighbours in memory.
    void Build(TPNObjekt& root, const SimulationLists& lists);
    void Clear();

    // The slot of a transition of the session, or -1 (a binary search).
    int SlotOf(const TTransition& t) const;
    // Set-up only: the arc slot of an arc, or kNone; the cell of a marking.
    std::uint32_t ArcSlotOf(const TEdge* e) const;
    std::uint32_t CellOf(const double* marking) const;

    // Large nets do not fit the caches: while one transition of `list` is
    // examined, the cells of one a few places further down are fetched.
    void Prefetch(const std::vector<std::uint32_t>& list, std::size_t i) const {
        constexpr std::size_t kDistance = 16;
        if (i + kDistance >= list.size()) return;
        const TransSlot& s = trans[list[i + kDistance]];
        __builtin_prefetch(&s.t->value); // the line of the working fields
        if (s.continuous) __builtin_prefetch(s.t->parser.get());
        const std::uint32_t end = std::min(s.out1, s.in0 + 4);
        for (std::uint32_t k = s.in0; k < end; ++k) __builtin_prefetch(arcs[k].marking);
    }

    std::vector<TransSlot> trans;
    std::vector<ArcSlot> arcs;
    // The working lists as slots.
    std::vector<std::uint32_t> immediate, timed, continuous;
    // Arcs with weight formulas and their slots (kNone: not a place/transition arc).
    std::vector<std::pair<TEdge*, std::uint32_t>> formulaArcs;
    // Per marking cell: the shared marking and next marking.
    std::vector<double*> cellMarking, cellNext;
    // A slot of the immediate list is also timed or continuous.
    bool listsOverlap = false;

private:
    std::vector<std::pair<const TTransition*, std::uint32_t>> index_; // sorted by address
    std::unordered_map<const TEdge*, std::uint32_t> arcIndex_;
    std::unordered_map<const double*, std::uint32_t> cellIndex_;
};

} // namespace qz
