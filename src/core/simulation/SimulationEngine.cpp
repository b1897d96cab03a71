#include "simulation/SimulationEngine.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <exception>
#include <limits>
#include <string>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "common/NumberFormat.h"
#include "diagrams/Oscilloscope.h"
#include "simulation/FlowProgram.h"
#include "formula/Parser.h"
#include "model/ConflictGroups.h"
#include "model/TEdge.h"
#include "model/TNetList.h"
#include "model/TPNObjekt.h"
#include "model/TPlatz.h"
#include "model/TTransition.h"
#include "platform/Services.h"
#include "settings/ProgramSettings.h"

namespace qz {

namespace {

constexpr long double kEpsilon = 1E-9L;
constexpr std::uint32_t kNone = std::numeric_limits<std::uint32_t>::max();

inline double Stored(long double v) { return static_cast<double>(v); }

} // namespace

// What TPlatz::SetMarking stores, written straight into the owner's cells:
// a discrete value is rounded half to even, a value within 1E-9 above its
// integer part is snapped to it; marking and next marking take the result.
// d - trunc(d) is exact in double arithmetic, and no double lies between
// 1E-9 held in extended precision and 1E-9 rounded to a double, so the
// comparison runs in doubles with the same outcome.
double TSimulationEngine::MarkingValue(bool discrete, long double v) {
    double d = Stored(v);
    if (discrete) d = std::nearbyint(d);
    const double whole = std::trunc(d);
    if (std::fabs(d - whole) < 1e-9) d = whole;
    return d;
}

namespace {

inline void SetMarking(double* marking, double* next, bool discrete, long double v) {
    const double d = TSimulationEngine::MarkingValue(discrete, v);
    *marking = d;
    *next = d;
}

inline bool SameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

} // namespace

// One place/transition arc of a session transition. Inputs and outputs of a
// transition are contiguous, in the order of its arc lists.
struct TSimulationEngine::ArcSlot {
    double* marking;     // the shared marking and next marking of the place's
    double* next;        // marking owner
    TPlatz* place;       // the arc's place
    TPlatz* owner;       // its marking owner
    TEdge* edge;
    long double weight;  // the arc's current weight
    long double capacity; // of the place itself
    std::uint32_t trans; // transition slot
    std::int32_t ownerGroup; // conflict group headed by the owner, or -1
    std::uint32_t cell;  // the owner's marking cell
    std::uint8_t kind;
    std::uint8_t placeContinuous;
};

struct TSimulationEngine::TransSlot {
    TTransition* t;
    std::uint32_t in0, in1, out0, out1;
    bool continuous;
};

struct TSimulationEngine::GroupSlot {
    double* marking; // the place's cells
    double* next;
    TPlatz* place;
    std::uint32_t arc0, arc1; // range in groupArcs_
};

void ClassifyTransitions(TPNObjekt& root, SimulationLists& lists) {
    lists.Clear();
    root.CollectSimulationLists(lists);
}

TSimulationEngine::TSimulationEngine() = default;
TSimulationEngine::~TSimulationEngine() = default;

void TSimulationEngine::Clear() {
    root_ = nullptr;
    lists_.Clear();
    groups_.clear();
    trans_.clear();
    arcs_.clear();
    groupSlots_.clear();
    groupArcs_.clear();
    immediate_.clear();
    timed_.clear();
    continuous_.clear();
    formulaArcs_.clear();
    candidates_.clear();
    watched_.clear();
    inputAnimation_.clear();
    outputAnimation_.clear();
    index_.clear();
    arcIndex_.clear();
    cellMarking_.clear();
    cellNext_.clear();
    cellIsGroup_.clear();
    cellArcs0_.clear();
    readers_.clear();
    readerOf_.clear();
    cellBlocks_.clear();
    cellWatched_.clear();
    arcVariable_.clear();
    arcOk_.clear();
    unsatisfied_.clear();
    cellDirty_.clear();
    dirtyCells_.clear();
    check_.clear();
    stale_.clear();
    staleSlots_.clear();
    immPos0_.clear();
    immPos_.clear();
    immBits_.clear();
    slotGroups0_.clear();
    slotGroups_.clear();
    groupedOthers_.clear();
    touched_.clear();
    flagged_.clear();
    lowered_.clear();
    cellIndex_.clear();
    flow_.clear();
    flowArcs_.clear();
    if (program_) program_->Clear();
    flowBuilt_ = false;
    MarkingsChanged();
    listsOverlap_ = false;
}

void TSimulationEngine::MarkingsChanged() {
    seenWrites_ = TPlatz::markingWrites.load(std::memory_order_relaxed);
    checksValid_ = false;
    flagsKnown_ = false;
    fullReset_ = true;
}

// Cells, the transitions reading each cell, the positions of each slot in
// the immediate list.
void TSimulationEngine::BuildAdjacency() {
    for (ArcSlot& a : arcs_) {
        auto [it, added] = cellIndex_.emplace(a.marking, static_cast<std::uint32_t>(cellMarking_.size()));
        if (added) {
            cellMarking_.push_back(a.marking);
            cellNext_.push_back(a.next);
        }
        a.cell = it->second;
    }
    const std::size_t cells = cellMarking_.size();
    cellArcs0_.assign(cells + 1, 0);
    for (const ArcSlot& a : arcs_) ++cellArcs0_[a.cell + 1];
    for (std::size_t c = 0; c < cells; ++c) cellArcs0_[c + 1] += cellArcs0_[c];
    readers_.assign(arcs_.size(), CellReader{0, 0, 0, 0});
    readerOf_.assign(arcs_.size(), 0);
    {
        std::vector<std::uint32_t> at(cellArcs0_.begin(), cellArcs0_.end() - 1);
        for (std::uint32_t i = 0; i < arcs_.size(); ++i) {
            readerOf_[i] = at[arcs_[i].cell]++;
            readers_[readerOf_[i]].arc = i;
        }
    }
    arcOk_.assign(arcs_.size(), 0);
    arcVariable_.assign(arcs_.size(), 0);
    for (const auto& [edge, slot] : formulaArcs_) {
        if (slot != kNone) arcVariable_[slot] = 1;
    }
    cellBlocks_.assign(cells, CellBlocks{});
    cellWatched_.assign(cells, 0);
    cellDirty_.assign(cells, 0);
    cellIsGroup_.assign(cells, 0);

    const std::size_t slots = trans_.size();
    check_.assign(slots, 0);
    unsatisfied_.assign(slots, 0);
    stale_.assign(slots, 0);
    immPos0_.assign(slots + 1, 0);
    for (std::uint32_t s : immediate_) ++immPos0_[s + 1];
    for (std::size_t k = 0; k < slots; ++k) immPos0_[k + 1] += immPos0_[k];
    immPos_.assign(immediate_.size(), 0);
    std::vector<std::uint32_t> fill(immPos0_.begin(), immPos0_.end() - 1);
    for (std::size_t i = 0; i < immediate_.size(); ++i) {
        immPos_[fill[immediate_[i]]++] = static_cast<std::uint32_t>(i);
    }
    immBits_.assign((immediate_.size() + 63) / 64, 0);
    slotGroups0_.assign(slots + 1, 0);
    listsOverlap_ = false;
    for (const auto* list : {&timed_, &continuous_}) {
        for (std::uint32_t s : *list) {
            if (immPos0_[s + 1] != immPos0_[s]) listsOverlap_ = true;
        }
    }
}

void TSimulationEngine::Start(TPNObjekt& root) {
    Clear();
    root_ = &root;
    discreteFirings = 0;
    ClassifyTransitions(root, lists_);

    // Slots in hierarchy and element order, so neighbours in the net are
    // neighbours in memory.
    std::unordered_map<const TTransition*, std::uint32_t> slotOf;
    auto addArcs = [this](const std::vector<TEdge*>& edges, std::uint32_t slot) {
        for (TEdge* e : edges) {
            TPlatz* p = e->PlaceEnd();
            if (!p) continue;
            arcIndex_.emplace(e, static_cast<std::uint32_t>(arcs_.size()));
            arcs_.push_back(ArcSlot{p->MarkingRef(), p->NextMarkingRef(), p, p->markingOwner, e,
                                    e->weight, p->capacity, slot, -1, 0, e->arcKind, p->continuous});
        }
    };
    auto addTransition = [&](TTransition* t) {
        if (slotOf.count(t)) return;
        const auto slot = static_cast<std::uint32_t>(trans_.size());
        slotOf.emplace(t, slot);
        TransSlot s{t, 0, 0, 0, 0, t->continuous != 0};
        s.in0 = static_cast<std::uint32_t>(arcs_.size());
        addArcs(t->InEdgeList, slot);
        s.in1 = s.out0 = static_cast<std::uint32_t>(arcs_.size());
        addArcs(t->OutEdgeList, slot);
        s.out1 = static_cast<std::uint32_t>(arcs_.size());
        trans_.push_back(s);
    };
    root.ForEachNet([&](TNetList& net) {
        for (TGraphItem* e : net.Elements()) {
            if (e->Kind() == kind::Transition) addTransition(static_cast<TTransition*>(e));
        }
    });
    auto toSlots = [&](const std::vector<TTransition*>& list, std::vector<std::uint32_t>& out) {
        out.reserve(list.size());
        for (TTransition* t : list) {
            addTransition(t);
            out.push_back(slotOf[t]);
        }
    };
    toSlots(lists_.discrete, immediate_);
    toSlots(lists_.timed, timed_);
    toSlots(lists_.continuous, continuous_);
    for (TEdge* e : lists_.formulaArcs) {
        auto it = arcIndex_.find(e);
        formulaArcs_.emplace_back(e, it == arcIndex_.end() ? kNone : it->second);
    }
    index_.assign(slotOf.begin(), slotOf.end());
    std::sort(index_.begin(), index_.end());
    BuildAdjacency();

    Refresh();
    timeAdvanced = true;
    stopRequest = false;
    arithmeticError = false;
    diagramMilliseconds = 0;
    if (seed) Platform().random->Seed(*seed);
}

std::size_t TSimulationEngine::BuildConflictGroups() {
    groups_.clear();
    groupSlots_.clear();
    groupArcs_.clear();
    if (!root_) return 0;
    qz::BuildConflictGroups(*root_, groups_);
    std::unordered_map<const TPlatz*, std::int32_t> groupOf;
    std::size_t largest = 0;
    for (const ConflictGroup& g : groups_) {
        GroupSlot gs{g.place->MarkingRef(), g.place->NextMarkingRef(), g.place,
                     static_cast<std::uint32_t>(groupArcs_.size()), 0};
        for (TEdge* e : g.arcs) {
            auto it = arcIndex_.find(e);
            if (it != arcIndex_.end()) groupArcs_.push_back(it->second);
        }
        gs.arc1 = static_cast<std::uint32_t>(groupArcs_.size());
        largest = std::max<std::size_t>(largest, gs.arc1 - gs.arc0);
        groupOf.emplace(g.place, static_cast<std::int32_t>(groupSlots_.size()));
        groupSlots_.push_back(gs);
    }
    for (ArcSlot& a : arcs_) {
        auto it = groupOf.find(a.owner);
        a.ownerGroup = it == groupOf.end() ? -1 : it->second;
    }
    candidates_.reserve(largest);

    // The groups each slot takes part in, in group and arc order.
    std::fill(cellIsGroup_.begin(), cellIsGroup_.end(), 0);
    std::vector<std::pair<std::uint32_t, std::uint64_t>> entries;
    for (std::size_t g = 0; g < groupSlots_.size(); ++g) {
        const GroupSlot& gs = groupSlots_[g];
        auto cell = cellIndex_.find(gs.marking);
        if (cell != cellIndex_.end()) cellIsGroup_[cell->second] = 1;
        for (std::uint32_t k = gs.arc0; k < gs.arc1; ++k) {
            entries.emplace_back(arcs_[groupArcs_[k]].trans, (static_cast<std::uint64_t>(g) << 32) | k);
        }
    }
    std::stable_sort(entries.begin(), entries.end(),
                     [](const auto& x, const auto& y) { return x.first < y.first; });
    slotGroups0_.assign(trans_.size() + 1, 0);
    slotGroups_.clear();
    slotGroups_.reserve(entries.size());
    for (const auto& e : entries) {
        ++slotGroups0_[e.first + 1];
        slotGroups_.push_back(e.second);
    }
    for (std::size_t k = 0; k < trans_.size(); ++k) slotGroups0_[k + 1] += slotGroups0_[k];
    groupedOthers_.clear();
    for (std::uint32_t s = 0; s < trans_.size(); ++s) {
        if (slotGroups0_[s + 1] != slotGroups0_[s] && immPos0_[s + 1] == immPos0_[s]) {
            groupedOthers_.push_back(s);
        }
    }
    fullReset_ = true;
    return groups_.size();
}

void TSimulationEngine::Refresh() {
    MarkingsChanged();
    flowBuilt_ = false;
    for (ArcSlot& a : arcs_) {
        a.weight = a.edge->weight;
        a.capacity = a.place->capacity;
    }
    watched_.clear();
    if (!root_) return;
    root_->ForEachNet([this](TNetList& net) {
        for (TGraphItem* e : net.Elements()) {
            if (e->Kind() == kind::Place && static_cast<TPlatz*>(e)->oscilloscope) {
                watched_.push_back(static_cast<TPlatz*>(e));
            }
        }
    });
}

int TSimulationEngine::SlotOf(const TTransition& t) const {
    auto it = std::lower_bound(index_.begin(), index_.end(), &t,
                               [](const auto& entry, const TTransition* key) { return entry.first < key; });
    if (it == index_.end() || it->first != &t) return -1;
    return static_cast<int>(it->second);
}

void TSimulationEngine::Prepare() {
    if (TPlatz::markingWrites.load(std::memory_order_relaxed) != seenWrites_) MarkingsChanged();
    const bool use = incremental && arcs_.size() >= incrementalFromArcs;
    if (use != incremental_) {
        MarkingsChanged();
        incremental_ = use;
    }
    const bool enhanced = Settings().enhancedFiringRule != 0;
    if (enhanced != enhanced_) checksValid_ = false;
    enhanced_ = enhanced;
    sampleTime_ = root_ ? root_->sampleTimeSeconds : 0;
}

// Large nets do not fit the caches: while one transition is examined, the
// cells of one a few places further down the list are fetched.
constexpr std::size_t kPrefetchDistance = 16;

void TSimulationEngine::Prefetch(const std::vector<std::uint32_t>& list, std::size_t i) const {
    if (i + kPrefetchDistance >= list.size()) return;
    const TransSlot& s = trans_[list[i + kPrefetchDistance]];
    __builtin_prefetch(&s.t->busy);
    __builtin_prefetch(&s.t->fireFlag);
    if (s.continuous) __builtin_prefetch(s.t->parser.get());
    const std::uint32_t end = std::min(s.out1, s.in0 + 4);
    for (std::uint32_t k = s.in0; k < end; ++k) __builtin_prefetch(arcs_[k].marking);
}

// ---------------------------------------------------------------------------
// Enabling rule

bool TSimulationEngine::Inputs(const TransSlot& s) const {
    const ArcSlot* a = arcs_.data() + s.in0;
    const ArcSlot* const end = arcs_.data() + s.in1;
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

bool TSimulationEngine::Outputs(const TransSlot& s) const {
    if (s.continuous) return true;
    for (std::uint32_t i = s.out0; i < s.out1; ++i) {
        const ArcSlot& a = arcs_[i];
        if (a.capacity == -1) continue;
        if (!(a.capacity >= static_cast<long double>(*a.marking) + a.weight)) return false;
    }
    return true;
}

bool TSimulationEngine::Enabled(std::uint32_t slot) const {
    const TransSlot& s = trans_[slot];
    if (s.continuous) return Inputs(s);
    const TTransition& t = *s.t;
    if (t.firingTime == 0) {
        if (t.busy) return false;
    } else if (t.timed == 0) {
        if (t.busy || !timeAdvanced) return false;
    }
    return Inputs(s) && Outputs(s);
}

// The per-step part of the rule: busy, and the time-advanced flag for a
// stepwise transition.
bool TSimulationEngine::Conditions(std::uint32_t slot) const {
    const TransSlot& s = trans_[slot];
    if (s.continuous) return true;
    const TTransition& t = *s.t;
    if (t.firingTime == 0) return !t.busy;
    if (t.timed == 0) return !t.busy && timeAdvanced;
    return true;
}

// The structural part of the rule holds when the condition of every arc
// holds: inputs on next markings, output capacities on markings (the
// conditions of Inputs and Outputs, one arc at a time).
namespace {

enum ReaderMode : std::uint8_t {
    rmAlways,          // no condition
    rmCapacity,        // output of a discrete transition into a bounded place
    rmTokens,          // input of a discrete transition from a discrete place
    rmAmount,          // input of a discrete transition from a continuous place
    rmInhibitor,
    rmContinuousInput, // input of a continuous transition that must cover its weight
};

// `marking` and `next` are the cell's values.
// The condition of the prefix of each sorted block, for the cell's next
// marking `v`: true for a prefix of weights in ascending order.
inline bool PrefixHolds(std::uint32_t block, long double w, double v) {
    switch (block) {
    case 0: return v != 0 && w <= static_cast<long double>(v) + kEpsilon;
    case 1: return w <= static_cast<long double>(v) + kEpsilon;
    case 2: return w <= static_cast<long double>(v);
    default: return !(static_cast<long double>(v) < w);
    }
}

inline std::uint32_t BlockOf(std::uint8_t mode, bool variable, long double weight) {
    if (mode == rmAlways) return 5;
    if (variable || mode == rmCapacity || std::isnan(weight)) return 4;
    switch (mode) {
    case rmTokens: return 0;
    case rmAmount: return 1;
    case rmContinuousInput: return 2;
    default: return 3;
    }
}

inline bool ReaderOk(long double weight, long double capacity, std::uint8_t mode, double marking,
                     double next) {
    switch (mode) {
    case rmCapacity: return capacity >= static_cast<long double>(marking) + weight;
    case rmTokens:
        if (next == 0) return false;
        return weight <= static_cast<long double>(next) + kEpsilon;
    case rmAmount: return weight <= static_cast<long double>(next) + kEpsilon;
    case rmInhibitor: return static_cast<long double>(next) < weight;
    case rmContinuousInput: return weight <= static_cast<long double>(next);
    default: return true;
    }
}

} // namespace

// Orders each cell's readers into its blocks, sorted by weight, and sets the
// prefix lengths for the cell's current next marking.
void TSimulationEngine::SortReaders() {
    for (std::uint32_t c = 0; c < cellBlocks_.size(); ++c) {
        const auto first = readers_.begin() + cellArcs0_[c];
        const auto last = readers_.begin() + cellArcs0_[c + 1];
        auto key = [this](const CellReader& r) { return BlockOf(r.mode, arcVariable_[r.arc] != 0, r.weight); };
        std::sort(first, last, [&key](const CellReader& x, const CellReader& y) {
            const std::uint32_t bx = key(x), by = key(y);
            if (bx != by) return bx < by;
            if (bx >= 4) return x.arc < y.arc;
            return x.weight < y.weight;
        });
        CellBlocks& cb = cellBlocks_[c];
        std::uint32_t k = cellArcs0_[c];
        const double next = *cellNext_[c];
        for (std::uint32_t b = 0; b < 6; ++b) {
            cb.start[b] = k;
            while (k < cellArcs0_[c + 1] && key(readers_[k]) == b) ++k;
            if (b < 4) {
                std::uint32_t n = cb.start[b];
                while (n < k && PrefixHolds(b, readers_[n].weight, next)) ++n;
                cb.count[b] = n - cb.start[b];
            }
        }
        cellWatched_[c] = cb.start[0] != cb.start[5] ? 1 : 0;
    }
    for (std::uint32_t k = 0; k < readers_.size(); ++k) readerOf_[readers_[k].arc] = k;
}

// Copies an arc's weight, capacity and kind of condition into its reader.
void TSimulationEngine::LoadReader(std::uint32_t arc) {
    const ArcSlot& a = arcs_[arc];
    const TransSlot& s = trans_[a.trans];
    CellReader& r = readers_[readerOf_[arc]];
    r.weight = a.weight;
    r.capacity = a.capacity;
    if (arc >= s.out0) {
        r.mode = s.continuous || a.capacity == -1 ? rmAlways : rmCapacity;
    } else if (a.kind == akNormal || a.kind == akTest) {
        if (s.continuous) {
            r.mode = !a.placeContinuous || enhanced_ ? rmContinuousInput : rmAlways;
        } else {
            r.mode = a.placeContinuous ? rmAmount : rmTokens;
        }
    } else if (a.kind == akInhibitor) {
        r.mode = rmInhibitor;
    } else {
        r.mode = rmAlways;
    }
}

bool TSimulationEngine::ArcOk(std::uint32_t arc) const {
    const CellReader& r = readers_[readerOf_[arc]];
    const ArcSlot& a = arcs_[arc];
    return ReaderOk(r.weight, r.capacity, r.mode, *a.marking, *a.next);
}

void TSimulationEngine::SetArcOk(std::uint32_t arc, bool ok) {
    if ((arcOk_[arc] != 0) == ok) return;
    arcOk_[arc] = ok ? 1 : 0;
    const std::uint32_t slot = arcs_[arc].trans;
    const bool before = unsatisfied_[slot] == 0;
    if (ok) {
        --unsatisfied_[slot];
    } else {
        ++unsatisfied_[slot];
    }
    if (before != (unsatisfied_[slot] == 0)) SetCheck(slot, !before);
}

void TSimulationEngine::Touch(std::uint32_t cell) {
    if (cellDirty_[cell] || !cellWatched_[cell]) return;
    cellDirty_[cell] = 1;
    dirtyCells_.push_back(cell);
}

void TSimulationEngine::SetCheck(std::uint32_t slot, bool ok) {
    check_[slot] = ok ? 1 : 0;
    for (std::uint32_t k = immPos0_[slot]; k < immPos0_[slot + 1]; ++k) {
        const std::uint32_t i = immPos_[k];
        const std::uint64_t bit = std::uint64_t{1} << (i % 64);
        if (ok) {
            immBits_[i / 64] |= bit;
        } else {
            immBits_[i / 64] &= ~bit;
        }
    }
}

// Re-evaluates the structural part of the transitions reading a changed cell
// or an arc whose weight changed (of every transition after a change outside
// the engine).
void TSimulationEngine::Flush() {
    if (!checksValid_) {
        for (std::uint32_t c : dirtyCells_) cellDirty_[c] = 0;
        dirtyCells_.clear();
        for (std::uint32_t s : staleSlots_) stale_[s] = 0;
        staleSlots_.clear();
        for (std::uint32_t i = 0; i < arcs_.size(); ++i) LoadReader(i);
        SortReaders();
        for (std::uint32_t s = 0; s < trans_.size(); ++s) {
            std::uint32_t failing = 0;
            for (std::uint32_t i = trans_[s].in0; i < trans_[s].out1; ++i) {
                const bool ok = ArcOk(i);
                arcOk_[i] = ok ? 1 : 0;
                if (!ok) ++failing;
            }
            unsatisfied_[s] = failing;
            SetCheck(s, failing == 0);
        }
        checksValid_ = true;
        return;
    }
    for (std::uint32_t c : dirtyCells_) {
        cellDirty_[c] = 0;
        const double marking = *cellMarking_[c];
        const double next = *cellNext_[c];
        CellBlocks& cb = cellBlocks_[c];
        for (std::uint32_t b = 0; b < 4; ++b) {
            const std::uint32_t lo = cb.start[b], hi = cb.start[b + 1];
            if (lo == hi) continue;
            const auto end = std::partition_point(
                readers_.begin() + lo, readers_.begin() + hi,
                [b, next](const CellReader& r) { return PrefixHolds(b, r.weight, next); });
            const auto count = static_cast<std::uint32_t>(end - readers_.begin()) - lo;
            const std::uint32_t old = cb.count[b];
            if (count == old) continue;
            cb.count[b] = count;
            for (std::uint32_t k = lo + std::min(old, count); k < lo + std::max(old, count); ++k) {
                SetArcOk(readers_[k].arc, (k - lo < count) != (b == 3));
            }
        }
        for (std::uint32_t k = cb.start[4]; k < cb.start[5]; ++k) {
            const CellReader& r = readers_[k];
            const bool ok = ReaderOk(r.weight, r.capacity, r.mode, marking, next);
            if ((arcOk_[r.arc] != 0) != ok) SetArcOk(r.arc, ok);
        }
    }
    dirtyCells_.clear();
    for (std::uint32_t s : staleSlots_) {
        stale_[s] = 0;
        for (std::uint32_t i = trans_[s].in0; i < trans_[s].out1; ++i) {
            LoadReader(i);
            SetArcOk(i, ArcOk(i));
        }
    }
    staleSlots_.clear();
}

bool TSimulationEngine::Structural(std::uint32_t slot) {
    if (!checksValid_ || !dirtyCells_.empty() || !staleSlots_.empty()) Flush();
    return check_[slot] != 0;
}

// Enabled, from the kept structural part when the engine runs incrementally.
bool TSimulationEngine::EnabledNow(std::uint32_t slot) {
    if (!incremental_) return Enabled(slot);
    return Conditions(slot) && Structural(slot);
}

bool TSimulationEngine::IsEnabled(const TTransition& t) const {
    const int s = SlotOf(t);
    if (s < 0) return false;
    const_cast<TSimulationEngine*>(this)->Prepare();
    return Enabled(static_cast<std::uint32_t>(s));
}

bool TSimulationEngine::InputsSatisfied(const TTransition& t) const {
    const int s = SlotOf(t);
    if (s < 0) return false;
    const_cast<TSimulationEngine*>(this)->Prepare();
    return Inputs(trans_[static_cast<std::uint32_t>(s)]);
}

bool TSimulationEngine::OutputsHaveRoom(const TTransition& t) const {
    const int s = SlotOf(t);
    if (s < 0) return false;
    return Outputs(trans_[static_cast<std::uint32_t>(s)]);
}

// ---------------------------------------------------------------------------
// Firing

void TSimulationEngine::WriteMarking(const ArcSlot& a, long double v) {
    SetMarking(a.marking, a.next, !a.placeContinuous, v);
    Touch(a.cell);
}

void TSimulationEngine::FireSlot(std::uint32_t slot) {
    const TransSlot& s = trans_[slot];
    TTransition& t = *s.t;
    const bool drawing = !maxSpeed;
    const bool animating = showAnimations && drawing;
    if (!s.continuous) {
        ++discreteFirings;
        t.remainingTime = t.firingTime;
        for (std::uint32_t i = s.in0; i < s.in1; ++i) {
            const ArcSlot& a = arcs_[i];
            if (a.kind != akNormal) continue;
            if (animating && a.edge->shown) inputAnimation_.push_back(a.edge);
            WriteMarking(a, *a.marking - a.weight);
            if (drawing) a.place->InvalidateIfShown();
            t.chosen = 0;
        }
        if (!t.reservation) {
            for (std::uint32_t i = s.out0; i < s.out1; ++i) {
                const ArcSlot& a = arcs_[i];
                if (animating && a.edge->shown) outputAnimation_.push_back(a.edge);
                WriteMarking(a, *a.marking + a.weight);
                if (drawing && !showAnimations) a.place->InvalidateIfShown();
            }
        }
        if (animating) t.SetSelected(false);
        t.fireFlag = 0;
        return;
    }
    const long double flow = t.flow;
    for (std::uint32_t i = s.in0; i < s.in1; ++i) {
        const ArcSlot& a = arcs_[i];
        if (a.kind != akNormal) continue;
        long double v = *a.marking - flow;
        if (std::fabs(v) < kEpsilon) v = 0;
        WriteMarking(a, v);
        if (drawing) a.place->InvalidateIfShown();
    }
    if (!t.reservation) {
        for (std::uint32_t i = s.out0; i < s.out1; ++i) {
            const ArcSlot& a = arcs_[i];
            WriteMarking(a, *a.marking + flow);
            if (drawing) a.place->InvalidateIfShown();
        }
    }
}

void TSimulationEngine::Fire(TTransition& t) {
    const int s = SlotOf(t);
    if (s < 0) return;
    Prepare();
    FireSlot(static_cast<std::uint32_t>(s));
}

// ---------------------------------------------------------------------------
// Discrete phases

bool TSimulationEngine::ProcessImmediate() {
    Prepare();
    if (!incremental_ || listsOverlap_ || !flagsKnown_) {
        const bool event = ProcessImmediateFull();
        if (incremental_ && !listsOverlap_) {
            flagsKnown_ = std::none_of(immediate_.begin(), immediate_.end(),
                                       [this](std::uint32_t s) { return trans_[s].t->fireFlag != 0; });
        }
        return event;
    }
    // Only transitions whose structural part holds can be enabled; they are
    // visited in list order. No other transition of the list has its fire
    // flag set.
    if (!checksValid_ || !dirtyCells_.empty() || !staleSlots_.empty()) Flush();
    flagged_.clear();
    for (std::size_t w = 0; w < immBits_.size(); ++w) {
        for (std::uint64_t bits = immBits_[w]; bits != 0; bits &= bits - 1) {
            const std::uint32_t s = immediate_[w * 64 + static_cast<std::size_t>(__builtin_ctzll(bits))];
            TTransition& t = *trans_[s].t;
            if (t.busy || !Conditions(s)) continue;
            t.fireFlag = 1;
            if (!maxSpeed) t.SetSelected(true);
            if (!runToEvent && t.reservation) {
                t.busy = 1;
                t.started = 1;
            }
            flagged_.push_back(s);
        }
    }
    if (flagged_.empty()) return false;
    if (!groupSlots_.empty()) ResolveConflictsOf(flagged_);
    return FireImmediate(&flagged_);
}

bool TSimulationEngine::ProcessImmediateFull() {
    int count = 0;
    for (std::size_t i = 0; i < immediate_.size(); ++i) {
        Prefetch(immediate_, i);
        const std::uint32_t s = immediate_[i];
        TTransition& t = *trans_[s].t;
        if (t.busy || !Enabled(s)) continue;
        ++count;
        t.fireFlag = 1;
        if (!maxSpeed) t.SetSelected(true);
        if (!runToEvent && t.reservation) {
            t.busy = 1;
            t.started = 1;
        }
    }
    if (count == 0) return false;
    if (!groupSlots_.empty()) ResolveConflicts();
    return FireImmediate(nullptr);
}

// Fires the immediate transitions whose fire flag survived the conflict
// resolution (`flagged`: the only ones that can have it; null: any of the
// list), then the timed ones whose time ran out.
bool TSimulationEngine::FireImmediate(const std::vector<std::uint32_t>* flagged) {
    const std::vector<std::uint32_t>& list = flagged ? *flagged : immediate_;
    if (runToEvent) {
        for (std::uint32_t s : list) trans_[s].t->fireFlag = 0;
        return true;
    }
    for (std::uint32_t s : list) {
        if (trans_[s].t->fireFlag) FireSlot(s);
    }
    timeAdvanced = false;
    for (std::uint32_t s : timed_) {
        TTransition& t = *trans_[s].t;
        if (!t.fireFlag) continue;
        FireSlot(s);
        t.busy = 0;
    }
    if (showAnimations && !maxSpeed) {
        RunTokenAnimation();
        for (TEdge* e : outputAnimation_) {
            if (TPlatz* p = e->PlaceEnd()) p->InvalidateIfShown();
        }
    }
    return true;
}

void TSimulationEngine::Deliver(std::uint32_t slot) {
    const TransSlot& s = trans_[slot];
    TTransition& t = *s.t;
    const bool drawing = !maxSpeed;
    t.busy = 0;
    if (drawing) {
        t.SetSelected(false);
    } else {
        t.selected = 0;
    }
    t.remainingTime = t.firingTime;
    for (std::uint32_t i = s.out0; i < s.out1; ++i) {
        const ArcSlot& a = arcs_[i];
        WriteMarking(a, *a.marking + a.weight);
        if (!drawing) continue;
        if (showAnimations) {
            outputAnimation_.push_back(a.edge);
        } else {
            a.place->InvalidateIfShown();
        }
    }
    if (drawing) t.InvalidateIfShown();
}

bool TSimulationEngine::ProcessTimed() {
    Prepare();
    bool result = false;
    int ready = 0;
    for (std::size_t i = 0; i < timed_.size(); ++i) {
        Prefetch(timed_, i);
        const std::uint32_t s = timed_[i];
        TTransition& t = *trans_[s].t;
        const bool active = t.reservation ? t.busy != 0 : EnabledNow(s);
        if (!active) {
            if (t.busy && !t.reservation) {
                t.busy = 0;
                t.started = 0;
                t.remainingTime = t.firingTime;
            }
        } else if (t.reservation) {
            if (!t.started) {
                Deliver(s);
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
    if (ready > 0 && !groupSlots_.empty()) {
        if (incremental_ && flagsKnown_ && !listsOverlap_) {
            flagged_.clear();
            ResolveConflictsOf(flagged_);
        } else {
            ResolveConflicts();
        }
    }
    if (ready == 0) {
        for (std::uint32_t s : timed_) {
            TTransition& t = *trans_[s].t;
            if (!t.busy) continue;
            const long double left = static_cast<long double>(t.remainingTime) - sampleTime_;
            t.remainingTime = Stored(left);
            if (left < kEpsilon) {
                t.remainingTime = 0;
                t.started = 0;
                if (!t.reservation) t.fireFlag = 1;
            }
        }
        if (!maxSpeed) ShowRunningTimers();
        return result;
    }
    if (runToEvent) return true;
    for (std::uint32_t s : timed_) {
        if (trans_[s].t->fireFlag) FireSlot(s);
    }
    return true;
}

void TSimulationEngine::ShowRunningTimers() {
    root_->Net().SelectFiringTransitions();
    for (TPNObjekt* b = root_->Base(); b; b = b->Base()) b->Net().DeselectAll();
}

// ---------------------------------------------------------------------------
// Conflict resolution

void TSimulationEngine::ThrowOut(std::uint32_t arc) {
    const ArcSlot& a = arcs_[arc];
    TTransition& t = *trans_[a.trans].t;
    t.busy = 0;
    t.remainingTime = t.firingTime;
    if (showAnimations && !maxSpeed) t.SetSelected(false);
    TraceSink* sink = Platform().trace;
    if (sink->Enabled()) {
        sink->Trace("Rauswurf von Kante: " + a.place->name + "-" + t.name);
        sink->Trace("Rauswurf von " + t.name);
    }
}

void TSimulationEngine::RecheckAfterWinner(std::uint32_t winner, const GroupSlot& g) {
    TraceSink* sink = Platform().trace;
    const bool tracing = sink->Enabled();
    const TransSlot& w = trans_[winner];
    if (tracing) sink->Trace("Eingangsplätze von " + w.t->name);
    for (std::uint32_t i = w.in0; i < w.in1; ++i) {
        const ArcSlot& a = arcs_[i];
        if (a.owner == g.place) continue;
        if (tracing) sink->Trace(" " + a.owner->name);
        if (a.ownerGroup < 0) continue;
        const GroupSlot& q = groupSlots_[static_cast<std::size_t>(a.ownerGroup)];
        std::uint32_t k0 = q.arc0, k1 = q.arc1;
        const std::uint64_t* known = nullptr;
        if (flaggedKnown_ && !tracing) {
            // Only transitions flagged when the resolution began can still be.
            const auto g = static_cast<std::uint64_t>(a.ownerGroup) << 32;
            const auto from = std::lower_bound(touched_.begin(), touched_.end(), g);
            const auto to = std::lower_bound(from, touched_.end(), g + (std::uint64_t{1} << 32));
            known = touched_.data();
            k0 = static_cast<std::uint32_t>(from - touched_.begin());
            k1 = static_cast<std::uint32_t>(to - touched_.begin());
        }
        for (std::uint32_t n = k0; n < k1; ++n) {
            const std::uint32_t k = known ? static_cast<std::uint32_t>(known[n]) : n;
            const ArcSlot& b = arcs_[groupArcs_[k]];
            if (b.kind != akNormal || b.trans == winner) continue;
            TTransition& u = *trans_[b.trans].t;
            if (u.chosen) {
                if (tracing) sink->Trace(u.name + " wurde schon untersucht und bleibt schaltbar...");
            } else if (u.fireFlag) {
                u.fireFlag = Enabled(b.trans) ? 1 : 0;
                u.busy = 0;
                u.remainingTime = u.firingTime;
                if (showAnimations && !maxSpeed) u.SetSelected(false);
                if (tracing) {
                    sink->Trace("Feuerbarkeit von " + u.name + (u.fireFlag ? ": True" : ": False"));
                }
            }
        }
    }
}

void TSimulationEngine::ResolveConflicts() {
    Prepare();
    RandomSource& random = *Platform().random;
    if (!seed) random.SeedFromClock();
    for (const GroupSlot& g : groupSlots_) {
        long double avail = *g.next;
        long double need = 0;
        for (std::uint32_t k = g.arc0; k < g.arc1; ++k) {
            const ArcSlot& a = arcs_[groupArcs_[k]];
            if (trans_[a.trans].t->fireFlag) need += a.weight;
        }
        if (!(avail < need) || avail == 0) continue;
        ResolveGroup(g, avail, nullptr);
    }
    ResetNextMarkings(nullptr);
}

// Fire flags are only ever cleared during a resolution (a winner was a
// candidate), so only the groups of the transitions flagged at its start can
// be in conflict: they are visited in group order, summing the weights of
// their flagged arcs in arc order. `flagged` are the flagged transitions of
// the immediate list; every other transition of a group is looked at.
void TSimulationEngine::ResolveConflictsOf(const std::vector<std::uint32_t>& flagged) {
    Prepare();
    RandomSource& random = *Platform().random;
    if (!seed) random.SeedFromClock();
    touched_.clear();
    auto add = [this](std::uint32_t s) {
        touched_.insert(touched_.end(), slotGroups_.begin() + slotGroups0_[s],
                        slotGroups_.begin() + slotGroups0_[s + 1]);
    };
    for (std::uint32_t s : flagged) add(s);
    for (std::uint32_t s : groupedOthers_) {
        if (trans_[s].t->fireFlag) add(s);
    }
    std::sort(touched_.begin(), touched_.end());
    touched_.erase(std::unique(touched_.begin(), touched_.end()), touched_.end());
    const bool tracing = Platform().trace->Enabled();
    std::vector<std::uint32_t>* lowered = tracing || fullReset_ ? nullptr : &lowered_;
    flaggedKnown_ = true;
    lowered_.clear();
    for (std::size_t i = 0; i < touched_.size();) {
        const auto group = static_cast<std::uint32_t>(touched_[i] >> 32);
        const GroupSlot& g = groupSlots_[group];
        long double avail = *g.next;
        long double need = 0;
        for (; i < touched_.size() && (touched_[i] >> 32) == group; ++i) {
            const ArcSlot& a = arcs_[groupArcs_[static_cast<std::uint32_t>(touched_[i])]];
            if (trans_[a.trans].t->fireFlag) need += a.weight;
        }
        if (!(avail < need) || avail == 0) continue;
        ResolveGroup(g, avail, lowered);
    }
    flaggedKnown_ = false;
    ResetNextMarkings(lowered);
}

void TSimulationEngine::ResolveGroup(const GroupSlot& g, long double avail,
                                     std::vector<std::uint32_t>* lowered) {
    RandomSource& random = *Platform().random;
    candidates_.clear();
    for (std::uint32_t k = g.arc0; k < g.arc1; ++k) {
        TTransition& t = *trans_[arcs_[groupArcs_[k]].trans].t;
        t.chosen = 0;
        if (t.fireFlag) {
            candidates_.push_back(groupArcs_[k]);
            t.fireFlag = 0;
        }
    }
    std::uint32_t lastWinner = kNone;
    while (!candidates_.empty()) {
        const std::int32_t priority = trans_[arcs_[candidates_.front()].trans].t->priority;
        std::size_t k = 1;
        while (k < candidates_.size() && trans_[arcs_[candidates_[k]].trans].t->priority == priority) {
            ++k;
        }
        const std::size_t i = k == 1 ? 0 : static_cast<std::size_t>(random.NextInt(static_cast<int>(k)));
        const ArcSlot& picked = arcs_[candidates_[i]];
        const TransSlot& ws = trans_[picked.trans];
        ws.t->fireFlag = 1;
        ws.t->chosen = 1;
        for (std::uint32_t j = ws.in0; j < ws.in1; ++j) {
            const ArcSlot& a = arcs_[j];
            if (a.kind != akNormal) continue;
            *a.next = Stored(*a.next - a.weight);
            Touch(a.cell);
            if (lowered && cellIsGroup_[a.cell]) lowered->push_back(a.cell);
        }
        avail -= picked.weight;
        lastWinner = picked.trans;
        candidates_.erase(candidates_.begin() + static_cast<std::ptrdiff_t>(i));
        for (std::size_t j = candidates_.size(); j-- > 0;) {
            if (arcs_[candidates_[j]].weight > avail) {
                ThrowOut(candidates_[j]);
                candidates_.erase(candidates_.begin() + static_cast<std::ptrdiff_t>(j));
            }
        }
    }
    if (lastWinner != kNone) RecheckAfterWinner(lastWinner, g);
}

// The next marking of every group's place returns to its marking. Only the
// cells lowered by winners differ (`lowered`); without that list, or when
// tracing, every group is walked and reported.
void TSimulationEngine::ResetNextMarkings(std::vector<std::uint32_t>* lowered) {
    if (lowered) {
        for (std::uint32_t c : *lowered) *cellNext_[c] = *cellMarking_[c];
        return;
    }
    TraceSink* sink = Platform().trace;
    const bool tracing = sink->Enabled();
    for (const GroupSlot& g : groupSlots_) {
        const double old = *g.next;
        *g.next = *g.marking;
        if (!SameBits(old, *g.next)) {
            auto cell = cellIndex_.find(g.marking);
            if (cell != cellIndex_.end()) Touch(cell->second);
        }
        if (!tracing) continue;
        sink->Trace(g.place->name + " " + num::FormatGeneral(old, 15) + " wurde auf " +
                    num::FormatGeneral(g.place->Marking(), 15) + " gesetzt");
        for (std::uint32_t k = g.arc0; k < g.arc1; ++k) {
            const TTransition& t = *trans_[arcs_[groupArcs_[k]].trans].t;
            if (t.fireFlag) sink->Trace("Feuerbarkeit von " + t.name + ": True");
        }
    }
    fullReset_ = false;
}

// ---------------------------------------------------------------------------
// Continuous phase

void TSimulationEngine::ComputeFlow(TTransition& t) {
    if (!t.continuous) return;
    if (!root_) Prepare();
    const long double sampleTime = root_ ? root_->sampleTimeSeconds : sampleTime_;
    if (!t.isExpression) {
        t.flow = t.value * sampleTime;
        return;
    }
    try {
        t.value = t.parser->Value();
        t.flow = t.value * sampleTime;
    } catch (const std::exception&) {
        FlowError(t);
    }
}

// An arithmetic error in the speed formula of `t`: flow 0, error mark,
// message, and the stop at the end of the step.
void TSimulationEngine::FlowError(TTransition& t) {
    stopRequest = true;
    arithmeticError = true;
    t.flow = 0;
    if (view.refreshViewMapping) view.refreshViewMapping();
    t.SetErrorMark(true);
    std::string message =
        "Error !\r\rAn arithmetic error occured.\rPlease correct the formula for the object  \"" +
        t.name + "\".";
    if (timerRunning || maxSpeed) {
        if (stopSimulationTimer) stopSimulationTimer();
        timerRunning = false;
        message += "\rNow the automatic simulation modus becomes disabled ...";
    }
    Platform().messages->Error(message);
}

// The drawing of the first pass for one transition (not at "Max Speed").
void TSimulationEngine::ShowContinuous(std::uint32_t slot, bool enabled) {
    const TransSlot& s = trans_[slot];
    TTransition& t = *s.t;
    if (enabled) {
        if (!stopRequest) {
            if (view.refreshViewMapping) view.refreshViewMapping();
            if (!t.selected) t.SetSelected(true);
        }
        for (std::uint32_t i = s.in0; i < s.out1; ++i) {
            if (arcs_[i].kind == akNormal) arcs_[i].edge->flowing = 1;
        }
    } else {
        t.SetSelected(false);
        for (std::uint32_t i = s.in0; i < s.out1; ++i) {
            arcs_[i].edge->flowing = 0;
            arcs_[i].edge->InvalidateIfShown();
        }
    }
}

void TSimulationEngine::ProcessContinuous() {
    Prepare();
    if (flowProgram && FlowReady()) {
        ProcessFlow();
        return;
    }
    int count = 0;
    const bool drawing = !maxSpeed;
    for (std::size_t i = 0; i < continuous_.size(); ++i) {
        Prefetch(continuous_, i);
        const std::uint32_t slot = continuous_[i];
        TTransition& t = *trans_[slot].t;
        const bool enabled = EnabledNow(slot);
        if (enabled) {
            ComputeFlow(t);
            t.fireFlag = 1;
            ++count;
        } else {
            t.fireFlag = 0;
        }
        if (drawing) ShowContinuous(slot, enabled);
    }
    if (count == 0) return;
    for (std::size_t i = 0; i < continuous_.size(); ++i) {
        Prefetch(continuous_, i);
        if (trans_[continuous_[i]].t->fireFlag) FireSlot(continuous_[i]);
    }
}

// ---------------------------------------------------------------------------
// The continuous phase from compact arrays
//
// The same steps as above, in the same order and with the same arithmetic:
// the first pass decides and computes every flow (the formulas run from the
// session's FlowProgram), the second moves the marking. Between the passes
// nothing can change a fire flag, a flow or a reservation byte, so the second
// pass takes them from flow_ instead of from the transitions. A transition
// listed twice would fire twice with its last flow: such a list takes the
// path above.

struct TSimulationEngine::FlowSlot {
    TTransition* t;
    double speed;      // this step's speed, when product is set
    std::uint32_t slot;
    std::uint32_t arc0, arc1, arc2; // in flowArcs_: normal inputs, then every output
    std::uint8_t fire;    // enabled in this step's first pass
    std::uint8_t outputs; // the outputs receive the flow (reservation byte clear)
    // The flow is speed × sample time (computed again where it is used, the
    // same product with the same rounding); else it is the transition's flow.
    std::uint8_t product;
};

struct TSimulationEngine::FlowArc {
    double* marking; // the marking owner's cells
    double* next;
    std::uint32_t cell;
    std::uint32_t arc; // slot in arcs_; kDiscretePlace set for a discrete place
};

namespace {

constexpr std::uint32_t kDiscretePlace = 0x80000000u;
// How many transitions ahead the cells of a transition are fetched.
constexpr std::size_t kFlowAhead = 12;

} // namespace

// The program is built when first needed after the start, a Refresh, or a
// change of any parser's compiled list (a recompiled, cleared or destroyed
// formula), so it never runs records of a list that is gone.
bool TSimulationEngine::FlowReady() {
    if (!flowBuilt_ || TCustomParser::listChanges.load(std::memory_order_relaxed) != seenLists_) {
        BuildFlow();
    }
    return !flowRepeats_;
}

void TSimulationEngine::BuildFlow() {
    seenLists_ = TCustomParser::listChanges.load(std::memory_order_relaxed);
    flowBuilt_ = true;
    flowRepeats_ = false;
    flowDiscrete_ = false;
    flow_.clear();
    flowArcs_.clear();
    flow_.reserve(continuous_.size());
    std::vector<std::uint8_t> listed(trans_.size(), 0);
    std::vector<const TCustomParser*> parsers;
    parsers.reserve(continuous_.size());
    auto add = [this](std::uint32_t i) {
        const ArcSlot& a = arcs_[i];
        if (!a.placeContinuous) flowDiscrete_ = true;
        flowArcs_.push_back(FlowArc{a.marking, a.next, a.cell, i | (a.placeContinuous ? 0 : kDiscretePlace)});
    };
    for (std::uint32_t slot : continuous_) {
        if (listed[slot]) flowRepeats_ = true;
        listed[slot] = 1;
        const TransSlot& s = trans_[slot];
        FlowSlot f{};
        f.t = s.t;
        f.slot = slot;
        f.arc0 = static_cast<std::uint32_t>(flowArcs_.size());
        for (std::uint32_t i = s.in0; i < s.in1; ++i) {
            if (arcs_[i].kind == akNormal) add(i);
        }
        f.arc1 = static_cast<std::uint32_t>(flowArcs_.size());
        for (std::uint32_t i = s.out0; i < s.out1; ++i) add(i);
        f.arc2 = static_cast<std::uint32_t>(flowArcs_.size());
        flow_.push_back(f);
        parsers.push_back(s.t->parser.get());
    }
    touchLater_.assign(flowArcs_.size(), 0);
    if (!program_) program_ = std::make_unique<FlowProgram>();
    program_->Build(parsers);
}

namespace {

// What MarkingValue gives for the double `d` a value was stored as.
inline double MarkingOfStored(bool discrete, double d) {
    if (discrete) d = std::nearbyint(d);
    const double whole = std::trunc(d);
    if (std::fabs(d - whole) < 1e-9) d = whole;
    return d;
}

} // namespace

namespace {

// std::trunc(d) when the result is compared with d only: the integer
// conversion's "indefinite" result for values beyond 64 bits and for NaN
// leaves such values unsnapped, as trunc does (they are integral, infinite or
// NaN), and the sign of a zero does not change a difference.
inline double WholeForSnap(double d) {
#if defined(__SSE2__)
    return _mm_cvtsd_f64(_mm_cvtsi64_sd(_mm_setzero_pd(), _mm_cvttsd_si64(_mm_set_sd(d))));
#else
    return std::trunc(d);
#endif
}

// MarkingOfStored for a continuous place.
inline double ContinuousMarking(double d) {
    if (std::fabs(d - WholeForSnap(d)) < 1e-9) [[unlikely]] d = std::trunc(d);
    return d;
}

} // namespace

// Fire for a continuous transition: the flow leaves every normal input place
// (snapped to 0 below 1E-9) and enters every output place. The snap test runs
// on the stored double first: a double above 2E-9 stands for an extended
// value above 1E-9, so only values near 0 need the extended comparison.
void TSimulationEngine::FireFlow(const FlowSlot& f, bool drawing) {
    const long double flow = f.product ? static_cast<long double>(f.speed) * sampleTime_ : f.t->flow;
    const FlowArc* a = flowArcs_.data() + f.arc0;
    const FlowArc* const inputsEnd = flowArcs_.data() + f.arc1;
    for (; a != inputsEnd; ++a) {
        const long double v = *a->marking - flow;
        double d = static_cast<double>(v);
        if (std::fabs(d) <= 2e-9 && std::fabs(v) < kEpsilon) d = 0;
        d = MarkingOfStored((a->arc & kDiscretePlace) != 0, d);
        *a->marking = d;
        *a->next = d;
        Touch(a->cell);
        if (drawing) arcs_[a->arc & ~kDiscretePlace].place->InvalidateIfShown();
    }
    if (!f.outputs) return;
    const FlowArc* const end = flowArcs_.data() + f.arc2;
    for (; a != end; ++a) {
        const double d = MarkingOfStored((a->arc & kDiscretePlace) != 0,
                                         static_cast<double>(*a->marking + flow));
        *a->marking = d;
        *a->next = d;
        Touch(a->cell);
        if (drawing) arcs_[a->arc & ~kDiscretePlace].place->InvalidateIfShown();
    }
}

// The second pass at "Max Speed", for the arcs of continuous places: the
// steps of FireFlow without drawing and without calls, so the flow stays in
// a register.
inline std::uint32_t* TSimulationEngine::FireFlowFast(const FlowSlot& f, double sampleTime,
                                                      std::uint32_t* touch) {
    const long double flow =
        f.product ? static_cast<long double>(f.speed) * static_cast<long double>(sampleTime) : f.t->flow;
    const FlowArc* a = flowArcs_.data() + f.arc0;
    const FlowArc* const inputsEnd = flowArcs_.data() + f.arc1;
    const std::uint8_t* const dirty = cellDirty_.data();
    const std::uint8_t* const watched = cellWatched_.data();
    for (; a != inputsEnd; ++a) {
        const long double v = *a->marking - flow;
        double d = static_cast<double>(v);
        if (std::fabs(d) <= 2e-9 && std::fabs(v) < kEpsilon) [[unlikely]] d = 0;
        d = ContinuousMarking(d);
        *a->marking = d;
        *a->next = d;
        if (!dirty[a->cell] && watched[a->cell]) [[unlikely]] *touch++ = a->cell;
    }
    if (!f.outputs) return touch;
    const FlowArc* const end = flowArcs_.data() + f.arc2;
    for (; a != end; ++a) {
        const double d = ContinuousMarking(static_cast<double>(*a->marking + flow));
        *a->marking = d;
        *a->next = d;
        if (!dirty[a->cell] && watched[a->cell]) [[unlikely]] *touch++ = a->cell;
    }
    return touch;
}

void TSimulationEngine::ProcessFlow() {
    const bool drawing = !maxSpeed;
    // A double: the products below take it as an extended operand, exactly.
    const double sampleTime = sampleTime_;
    const std::size_t n = flow_.size();
    const FlowProgram& program = *program_;
    int count = 0;
    for (std::size_t i = 0; i < n; ++i) {
        if (i + kFlowAhead < n) {
            const FlowSlot& ahead = flow_[i + kFlowAhead];
            __builtin_prefetch(&ahead.t->value, 1); // the line up to flow
            if (const double* v = program.FirstVariable(i + kFlowAhead)) __builtin_prefetch(v);
        }
        FlowSlot& f = flow_[i];
        TTransition& t = *f.t;
        // EnabledNow for a continuous transition.
        bool enabled;
        if (incremental_) {
            if (!checksValid_ || !dirtyCells_.empty() || !staleSlots_.empty()) Flush();
            enabled = check_[f.slot] != 0;
        } else {
            enabled = Enabled(f.slot);
        }
        f.fire = enabled;
        if (enabled) {
            f.product = 0;
            if (!t.isExpression) {
                t.flow = t.value * static_cast<long double>(sampleTime);
            } else {
                try {
                    const double v = program.Value(i);
                    const long double flow = static_cast<long double>(v) * static_cast<long double>(sampleTime);
                    f.speed = v;
                    t.flow = flow;
                    t.value = static_cast<long double>(v);
                    f.product = 1;
                } catch (const std::exception&) {
                    FlowError(t);
                }
            }
            f.outputs = t.reservation == 0;
            t.fireFlag = 1;
            ++count;
        } else {
            t.fireFlag = 0;
        }
        if (drawing) ShowContinuous(f.slot, enabled);
    }
    if (count == 0) return;
    if (drawing || flowDiscrete_) {
        for (const FlowSlot& f : flow_) {
            if (f.fire) FireFlow(f, drawing);
        }
        return;
    }
    // Cells to be marked changed are collected and marked after the pass, in
    // the same order: the marks are only read by the next enabling check.
    // touchLater_ has room for every arc of flowArcs_.
    std::uint32_t* const touched = touchLater_.data();
    std::uint32_t* touch = touched;
    for (std::size_t i = 0; i < n; ++i) {
        if (i + kFlowAhead < n) {
            const FlowSlot& ahead = flow_[i + kFlowAhead];
            for (std::uint32_t k = ahead.arc0; k < ahead.arc2 && k < ahead.arc0 + 4; ++k) {
                __builtin_prefetch(flowArcs_[k].marking, 1);
            }
        }
        if (flow_[i].fire) touch = FireFlowFast(flow_[i], sampleTime, touch);
    }
    for (const std::uint32_t* c = touched; c != touch; ++c) Touch(*c);
}

std::vector<TEdge*> TSimulationEngine::FlowingArcs() const {
    std::vector<TEdge*> arcs;
    for (std::uint32_t slot : continuous_) {
        const TransSlot& s = trans_[slot];
        for (std::uint32_t i = s.in0; i < s.out1; ++i) {
            if (arcs_[i].edge->flowing) arcs.push_back(arcs_[i].edge);
        }
    }
    return arcs;
}

// ---------------------------------------------------------------------------
// The step

void TSimulationEngine::EvaluateWeights() {
    for (const auto& [edge, slot] : formulaArcs_) {
        if (!edge->isExpression) continue;
        const double v = edge->parser->Value();
        edge->weight = v;
        if (slot == kNone) continue;
        ArcSlot& a = arcs_[slot];
        if (SameBits(Stored(a.weight), v) && a.weight == static_cast<long double>(v)) continue;
        a.weight = v;
        if (!stale_[a.trans]) {
            stale_[a.trans] = 1;
            staleSlots_.push_back(a.trans);
        }
    }
}

void TSimulationEngine::SampleDiagrams() {
    if (watched_.empty()) return;
    Clock& clock = *Platform().clock;
    const std::uint32_t start = clock.Milliseconds();
    const double time = root_->modelTime;
    for (TPlatz* p : watched_) {
        if (!p->oscilloscope) continue;
        p->oscilloscope->AddSample(time, p->Marking());
        p->oscilloscope->SetCurveOn(true);
    }
    diagramMilliseconds += clock.Milliseconds() - start;
}

void TSimulationEngine::RunTokenAnimation() {
    if (!view.animateTokens || (inputAnimation_.empty() && outputAnimation_.empty())) return;
    TokenAnimation plan{&inputAnimation_, &outputAnimation_, TokenAnimationFrames(speedBarPosition),
                        TokenAnimationDelay(speedBarPosition)};
    view.animateTokens(plan);
}

bool TSimulationEngine::Step() {
    if (!root_) return false;
    Prepare();
    const bool animating = showAnimations && !maxSpeed;
    inputAnimation_.clear();
    outputAnimation_.clear();
    EvaluateWeights();
    bool event = false;
    if (!immediate_.empty()) event = ProcessImmediate();
    if (!event) {
        if (!timed_.empty()) event = ProcessTimed();
        SampleDiagrams();
        if (!event) {
            if (!continuous_.empty()) ProcessContinuous();
            root_->modelTime = Stored(static_cast<long double>(root_->modelTime) + sampleTime_);
            timeAdvanced = true;
        }
        if (animating) {
            RunTokenAnimation();
            for (TEdge* e : outputAnimation_) {
                if (TPlatz* p = e->PlaceEnd()) p->InvalidateIfShown();
            }
        }
    }
    return event;
}

void TSimulationEngine::InitNet() {
    if (!root_) return;
    root_->modelTime = 0;
    root_->ResetToInitialState();
    MarkingsChanged();
    timeAdvanced = true;
}

} // namespace qz
