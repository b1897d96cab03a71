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
#include "simulation/EnablingThresholds.h"

namespace qz {

namespace {

constexpr long double kEpsilon = 1E-9L;
constexpr std::uint32_t kNone = std::numeric_limits<std::uint32_t>::max();
constexpr std::uint32_t kNoPosition = kNone - 1;   // immOne_: the slot is not in the immediate list
constexpr std::uint32_t kManyPositions = kNone;    // immOne_: it stands there more than once

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
    if (discrete && d != std::trunc(d)) d = std::nearbyint(d);
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
    // The weight is a whole number below 2^52: added to or taken from a
    // whole marking below 2^52 it gives the exact result in doubles.
    std::uint8_t wholeWeight = 0;
    double weightD = 0;

    void SetWeight(long double w) {
        weight = w;
        wholeWeight = std::fabs(w) < kWholeLimit && w == std::trunc(w) ? 1 : 0;
        weightD = static_cast<double>(w);
    }
    // Whether m -/+ weight is exact in doubles (and so needs no rounding).
    bool ExactWith(double m) const {
        return wholeWeight && std::fabs(m) < static_cast<double>(kWholeLimit) &&
               static_cast<double>(static_cast<std::int64_t>(m)) == m;
    }
    static constexpr long double kWholeLimit = 4503599627370496.0L; // 2^52
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
    std::uint32_t arc0, arc1; // range in groupArcs_ and groupTrans_
    std::uint32_t cell;       // the place's marking cell, or kNone
};

// The records of the continuous phase's fast path (see FlowReady), complete
// before the first member that keeps them in vectors.
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
    // Deferred runs: what the first pass has not written to the transition
    // yet (kPendingFire, kPendingFlow), and the two bytes it reads, taken
    // when the program was built.
    std::uint8_t pending;
    std::uint8_t expression;
    std::uint8_t reservation;
};

struct TSimulationEngine::FlowArc {
    double* marking; // the marking owner's cells
    double* next;
    std::uint32_t cell;
    std::uint32_t arc; // slot in arcs_; kDiscretePlace set for a discrete place
};

void ClassifyTransitions(TPNObjekt& root, SimulationLists& lists) {
    lists.Clear();
    root.CollectSimulationLists(lists);
}

TSimulationEngine::TSimulationEngine() = default;
TSimulationEngine::~TSimulationEngine() = default;

void TSimulationEngine::Clear() {
    PublishPending();
    root_ = nullptr;
    lists_.Clear();
    groups_.clear();
    trans_.clear();
    arcs_.clear();
    groupSlots_.clear();
    groupArcs_.clear();
    groupTrans_.clear();
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
    dirtyCells_.Clear();
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
    chosenList_.clear();
    chosenGroups_.clear();
    cellSeen_.clear();
    groupOfPos_.clear();
    posBits_.clear();
    posSummary_.clear();
    cellIndex_.clear();
    checks_.clear();
    checkArc_.clear();
    checkStart_.clear();
    cellSlots0_.clear();
    cellSlots_.clear();
    recheck_ = false;
    flow_.clear();
    flowArcs_.clear();
    if (program_) program_->Clear();
    flowBuilt_ = false;
    MarkingsChanged();
    listsOverlap_ = false;
}

void TSimulationEngine::MarkingsChanged() {
    seenWrites_ = TPlatz::markingWrites.load(std::memory_order_relaxed);
    chosenKnown_ = false;
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
            readers_[readerOf_[i]].trans = arcs_[i].trans;
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
    dirtyCells_.Reset(cells);
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
    immOne_.assign(slots, kNoPosition);
    for (std::size_t k = 0; k < slots; ++k) {
        const std::uint32_t count = immPos0_[k + 1] - immPos0_[k];
        if (count == 1) immOne_[k] = immPos_[immPos0_[k]];
        if (count > 1) immOne_[k] = kManyPositions;
    }
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
            arcs_.back().SetWeight(e->weight);
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
    groupTrans_.clear();
    if (!root_) return 0;
    qz::BuildConflictGroups(*root_, groups_);
    std::unordered_map<const TPlatz*, std::int32_t> groupOf;
    std::size_t largest = 0;
    for (const ConflictGroup& g : groups_) {
        GroupSlot gs{g.place->MarkingRef(), g.place->NextMarkingRef(), g.place,
                     static_cast<std::uint32_t>(groupArcs_.size()), 0, kNone};
        auto cell = cellIndex_.find(gs.marking);
        if (cell != cellIndex_.end()) gs.cell = cell->second;
        for (TEdge* e : g.arcs) {
            auto it = arcIndex_.find(e);
            if (it == arcIndex_.end()) continue;
            groupArcs_.push_back(it->second);
            groupTrans_.push_back(trans_[arcs_[it->second].trans].t);
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
        if (gs.cell != kNone) cellIsGroup_[gs.cell] = 1;
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
    groupOfPos_.assign(groupArcs_.size(), 0);
    for (std::uint32_t g = 0; g < groupSlots_.size(); ++g) {
        std::fill(groupOfPos_.begin() + groupSlots_[g].arc0, groupOfPos_.begin() + groupSlots_[g].arc1, g);
    }
    posBits_.assign((groupArcs_.size() + 63) / 64, 0);
    posSummary_.assign((posBits_.size() + 63) / 64, 0);
    groupedOthers_.clear();
    for (std::uint32_t s = 0; s < trans_.size(); ++s) {
        if (slotGroups0_[s + 1] != slotGroups0_[s] && immPos0_[s + 1] == immPos0_[s]) {
            groupedOthers_.push_back(s);
        }
    }
    fullReset_ = true;
    flowBuilt_ = false; // whether continuous transitions are grouped may have changed
    return groups_.size();
}

void TSimulationEngine::Refresh() {
    MarkingsChanged();
    flowBuilt_ = false;
    for (ArcSlot& a : arcs_) {
        a.SetWeight(a.edge->weight);
        a.capacity = a.place->capacity;
    }
    BuildChecks();
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
    if (inStep_) return; // prepared once by the step
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
    __builtin_prefetch(&s.t->value); // the line of the working fields
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

// The structural part of the rule for a discrete transition: every arc
// condition, decided on double thresholds (lower bounds alone, then
// intervals), then the conditions checked exactly.
[[gnu::always_inline]] inline bool TSimulationEngine::ChecksHold(std::uint32_t slot) const {
    const std::uint32_t* b = checkStart_.data() + slot * kCheckParts;
    const Check* c = checks_.data();
    for (const Check* k = c + b[0], *end = c + b[1]; k != end; ++k) {
        if (!(*k->v >= k->lo)) return false;
    }
    bool ok = true;
    for (std::uint32_t k = b[1]; k < b[2]; ++k) {
        const double v = *c[k].v;
        ok &= (v >= c[k].lo) & (v <= c[k].hi) & (v != c[k].unless);
    }
    if (!ok || b[2] == b[3]) return ok;
    return ExactChecksHold(b[2], b[3]);
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
    return ChecksHold(slot);
}

namespace {

constexpr std::uint32_t kNoBlock = 5;

// The most recent threshold of each block: most arcs of a net share their
// weight, so a rebuild searches rarely.
class ThresholdCache {
public:
    double Get(std::uint32_t block, long double w, long double capacity) {
        if (block > 3) return 0;
        Entry& e = last_[block];
        if (e.valid && SameValue(e.w, w) && SameValue(e.capacity, capacity)) return e.bound;
        e = Entry{w, capacity, Compute(block, w, capacity), true};
        return e.bound;
    }

private:
    struct Entry {
        long double w = 0, capacity = 0;
        double bound = 0;
        bool valid = false;
    };
    static bool SameValue(long double a, long double b) { return a == b && std::signbit(a) == std::signbit(b); }
    static double Compute(std::uint32_t block, long double w, long double capacity) {
        switch (block) {
        case 0:
        case 1: return TokensThreshold(w);
        case 2: return InhibitorThreshold(w);
        case 3: return CapacityThreshold(capacity, w);
        default: return 0;
        }
    }
    Entry last_[5]; // one per block; block 4 has none
};

} // namespace

// The check block of an arc of a discrete transition, or kNoBlock for arcs
// without a condition.
static std::uint32_t CheckBlock(bool input, std::uint8_t kind, bool placeContinuous, long double weight,
                                long double capacity) {
    std::uint32_t block = kNoBlock;
    if (input) {
        if (kind == akNormal || kind == akTest) {
            block = placeContinuous ? 1 : 0;
        } else if (kind == akInhibitor) {
            block = 2;
        }
    } else if (capacity != -1) {
        block = 3;
    }
    if (block != kNoBlock && (!std::isfinite(weight) || (block == 3 && !std::isfinite(capacity)))) block = 4;
    return block;
}

void TSimulationEngine::BuildChecks() {
    const std::size_t slots = trans_.size();
    checkStart_.assign(slots * kCheckParts + 1, 0);
    std::uint32_t total = 0;
    for (std::size_t s = 0; s < slots; ++s) {
        checkStart_[s * kCheckParts] = total;
        const TransSlot& t = trans_[s];
        if (t.continuous) continue;
        for (std::uint32_t i = t.in0; i < t.out1; ++i) {
            const ArcSlot& a = arcs_[i];
            if (CheckBlock(i < t.in1, a.kind, a.placeContinuous, 0, a.capacity == -1 ? -1 : 0) != kNoBlock) {
                ++total;
            }
        }
    }
    checkStart_[slots * kCheckParts] = total;
    checks_.assign(total, Check{nullptr, 0, 0, 0});
    checkArc_.assign(total, 0);
    for (std::uint32_t s = 0; s < slots; ++s) LoadChecks(s);
}

// Computes the conditions of a slot from the current weights and
// capacities and sorts them into its parts.
void TSimulationEngine::LoadChecks(std::uint32_t slot) {
    static thread_local ThresholdCache cache;
    const TransSlot& t = trans_[slot];
    std::uint32_t* start = checkStart_.data() + slot * kCheckParts;
    std::uint32_t k = start[0];
    // The part of a condition: 0 when it is v >= lo alone (a lower bound
    // above 0 makes "not 0" follow), 1 for any other interval, 2 for an
    // exact check.
    auto partOf = [](std::uint32_t block, const Check& c) -> std::uint32_t {
        if (block == 4) return 2;
        const bool simple = c.hi == std::numeric_limits<double>::infinity() &&
                            (std::isnan(c.unless) || (c.unless == 0 && c.lo > 0));
        return simple ? 0 : 1;
    };
    for (std::uint32_t part = 0; part < kCheckParts; ++part) {
        start[part] = k;
        if (t.continuous) continue;
        for (std::uint32_t i = t.in0; i < t.out1; ++i) {
            const ArcSlot& a = arcs_[i];
            const std::uint32_t b = CheckBlock(i < t.in1, a.kind, a.placeContinuous, a.weight, a.capacity);
            if (b == kNoBlock) continue;
            const Check c = MakeCheck(b, b == 3 ? a.marking : a.next, b == 4 ? 0 : cache.Get(b, a.weight, a.capacity));
            if (partOf(b, c) != part) continue;
            checks_[k] = c;
            checkArc_[k] = i;
            ++k;
        }
    }
}

// The condition of one arc of a discrete transition in extended precision.
bool TSimulationEngine::ExactCondition(std::uint32_t arc) const {
    const ArcSlot& a = arcs_[arc];
    const TransSlot& s = trans_[a.trans];
    if (arc >= s.out0) return a.capacity >= static_cast<long double>(*a.marking) + a.weight;
    const long double m = *a.next;
    if (a.kind == akInhibitor) return m < a.weight;
    if (!a.placeContinuous && m == 0) return false;
    return a.weight <= m + kEpsilon;
}

bool TSimulationEngine::ExactChecksHold(std::uint32_t first, std::uint32_t last) const {
    for (std::uint32_t k = first; k < last; ++k) {
        if (!ExactCondition(checkArc_[k])) return false;
    }
    return true;
}

// A block's condition as an interval of markings: v >= lo, v <= hi and
// v != unless (NaN: no exception; 0: a discrete input needs a token).
TSimulationEngine::Check TSimulationEngine::MakeCheck(std::uint32_t block, const double* v, double threshold) {
    constexpr double inf = std::numeric_limits<double>::infinity();
    constexpr double none = std::numeric_limits<double>::quiet_NaN();
    switch (block) {
    case 0: return Check{v, threshold, inf, 0.0};
    case 1: return Check{v, threshold, inf, none};
    case 2: return Check{v, -inf, std::nextafter(threshold, -inf), none};
    case 3: return Check{v, -inf, threshold, none};
    default: return Check{v, 0, 0, none};
    }
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

// The condition of the prefix of each sorted block for the cell's next
// marking `v`, on the readers' thresholds (EnablingThresholds.h): true for a
// prefix of thresholds in ascending order. Block 3 (inhibitors) holds for
// the prefix whose condition fails.
inline bool PrefixHolds(std::uint32_t block, double bound, double v) {
    if (block == 0) return v != 0 && v >= bound;
    return v >= bound;
}

// Readers of blocks 0 to 3 need a finite constant weight; the others are
// checked one by one in extended precision.
inline std::uint32_t BlockOf(std::uint8_t mode, bool variable, long double weight) {
    if (mode == rmAlways) return 5;
    if (variable || mode == rmCapacity || !std::isfinite(weight)) return 4;
    switch (mode) {
    case rmTokens: return 0;
    case rmAmount: return 1;
    case rmContinuousInput: return 2;
    default: return 3;
    }
}

// The threshold of a sorted reader: the smallest next marking at which its
// prefix condition holds.
inline double ReaderBound(std::uint8_t mode, long double weight) {
    if (!std::isfinite(weight)) return 0;
    if (mode == rmTokens || mode == rmAmount) return TokensThreshold(weight);
    return InhibitorThreshold(weight); // w <= v, and !(v < w), for finite w
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

// Orders each cell's readers into its blocks, sorted by threshold, and sets the
// prefix lengths for the cell's current next marking.
void TSimulationEngine::SortReaders() {
    for (std::uint32_t c = 0; c < cellBlocks_.size(); ++c) {
        const auto first = readers_.begin() + cellArcs0_[c];
        const auto last = readers_.begin() + cellArcs0_[c + 1];
        auto key = [this](const CellReader& r) {
            return BlockOf(r.mode, arcVariable_[r.arc] != 0, arcs_[r.arc].weight);
        };
        std::sort(first, last, [&key](const CellReader& x, const CellReader& y) {
            const std::uint32_t bx = key(x), by = key(y);
            if (bx != by) return bx < by;
            if (bx >= 4 || x.bound == y.bound) return x.arc < y.arc;
            return x.bound < y.bound;
        });
        CellBlocks& cb = cellBlocks_[c];
        std::uint32_t k = cellArcs0_[c];
        const double next = *cellNext_[c];
        for (std::uint32_t b = 0; b < 6; ++b) {
            cb.start[b] = k;
            while (k < cellArcs0_[c + 1] && key(readers_[k]) == b) ++k;
            if (b < 4) {
                std::uint32_t n = cb.start[b];
                while (n < k && PrefixHolds(b, readers_[n].bound, next)) ++n;
                cb.count[b] = n - cb.start[b];
            }
        }
        cb.sorted = 0;
        cb.uniform = 0;
        for (std::uint32_t b = 0; b < 4; ++b) {
            if (cb.start[b] == cb.start[b + 1]) continue;
            cb.sorted |= 1u << b;
            if (readers_[cb.start[b]].bound == readers_[cb.start[b + 1] - 1].bound) cb.uniform |= 1u << b;
        }
        cellWatched_[c] = cb.start[0] != cb.start[5] ? 1 : 0;
    }
    for (std::uint32_t k = 0; k < readers_.size(); ++k) readerOf_[readers_[k].arc] = k;
}

// Sets the kind of condition of an arc's reader and its threshold.
void TSimulationEngine::LoadReader(std::uint32_t arc) {
    const ArcSlot& a = arcs_[arc];
    const TransSlot& s = trans_[a.trans];
    CellReader& r = readers_[readerOf_[arc]];
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
    r.bound = ReaderBound(r.mode, a.weight);
}

bool TSimulationEngine::ArcOk(std::uint32_t arc) const {
    const CellReader& r = readers_[readerOf_[arc]];
    const ArcSlot& a = arcs_[arc];
    return ReaderOk(a.weight, a.capacity, r.mode, *a.marking, *a.next);
}

[[gnu::always_inline]] inline void TSimulationEngine::Touch(std::uint32_t cell) {
    if (!incremental_ || cellDirty_[cell] || !cellWatched_[cell]) return;
    cellDirty_[cell] = 1;
    dirtyCells_.Push(cell);
}

// The structural check of a slot and the bits of its positions in the
// immediate list, written whether they changed or not (without branching on
// the value).
[[gnu::always_inline]] inline void TSimulationEngine::SetCheck(std::uint32_t slot, bool ok) {
    check_[slot] = ok ? 1 : 0;
    auto store = [this, ok](std::uint32_t position) {
        std::uint64_t& word = immBits_[position / 64];
        const std::uint64_t bit = std::uint64_t{1} << (position % 64);
        word = (word & ~bit) | (ok ? bit : 0);
    };
    const std::uint32_t one = immOne_[slot];
    if (one < kNoPosition) [[likely]] {
        store(one);
    } else if (one == kManyPositions) {
        for (std::uint32_t k = immPos0_[slot]; k < immPos0_[slot + 1]; ++k) store(immPos_[k]);
    }
}

// An arc condition that changed: the count of failing conditions of its
// slot and the slot's check follow.
[[gnu::always_inline]] inline void TSimulationEngine::FlipArc(std::uint32_t arc, std::uint32_t slot, bool ok) {
    arcOk_[arc] = ok ? 1 : 0;
    const std::uint32_t failing = unsatisfied_[slot] + (ok ? std::uint32_t(-1) : 1u);
    unsatisfied_[slot] = failing;
    SetCheck(slot, failing == 0);
}

inline void TSimulationEngine::SetArcOk(std::uint32_t arc, std::uint32_t slot, bool ok) {
    if ((arcOk_[arc] != 0) == ok) return;
    FlipArc(arc, slot, ok);
}

// Clears a dirty cell's mark; false when the cell was written but is back
// at the values last seen (a token taken and put back), else the values are
// now the ones seen.
[[gnu::always_inline]] inline bool TSimulationEngine::CellChanged(std::uint32_t c) {
    cellDirty_[c] = 0;
    const double marking = *cellMarking_[c];
    const double next = *cellNext_[c];
    double* const seen = cellSeen_.data() + 2 * c;
    if (SameBits(marking, seen[0]) && SameBits(next, seen[1])) return false;
    seen[0] = marking;
    seen[1] = next;
    return true;
}

// Re-evaluates the structural part of the transitions reading a changed cell
// or an arc whose weight changed (of every transition after a change outside
// the engine).
void TSimulationEngine::Flush() {
    if (!checksValid_) {
        for (std::uint32_t c : dirtyCells_) cellDirty_[c] = 0;
        dirtyCells_.Clear();
        for (std::uint32_t s : staleSlots_) stale_[s] = 0;
        staleSlots_.clear();
        for (std::uint32_t i = 0; i < arcs_.size(); ++i) LoadReader(i);
        SortReaders();
        cellSeen_.resize(2 * cellMarking_.size());
        for (std::size_t c = 0; c < cellMarking_.size(); ++c) {
            cellSeen_[2 * c] = *cellMarking_[c];
            cellSeen_[2 * c + 1] = *cellNext_[c];
        }
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
        BuildCellSlots();
        checksValid_ = true;
        return;
    }
    if (recheck_) {
        Recheck();
        return;
    }
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
            const bool ok = (count > old) != (b == 3);
            for (std::uint32_t k = lo + std::min(old, count); k < lo + std::max(old, count); ++k) {
                FlipArc(readers_[k].arc, readers_[k].trans, ok);
            }
        }
        for (std::uint32_t k = cb.start[4]; k < cb.start[5]; ++k) {
            const CellReader& r = readers_[k];
            const ArcSlot& a = arcs_[r.arc];
            const bool ok = ReaderOk(a.weight, a.capacity, r.mode, marking, next);
            if ((arcOk_[r.arc] != 0) != ok) SetArcOk(r.arc, r.trans, ok);
        }
    }
    dirtyCells_.Clear();
    for (std::uint32_t s : staleSlots_) {
        stale_[s] = 0;
        for (std::uint32_t i = trans_[s].in0; i < trans_[s].out1; ++i) {
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
void TSimulationEngine::BuildCellSlots() {
    const std::size_t cells = cellBlocks_.size();
    cellSlots0_.assign(cells + 1, 0);
    cellSlots_.clear();
    recheck_ = recheckUpTo > 0;
    for (std::size_t c = 0; c < cells && recheck_; ++c) {
        const CellBlocks& cb = cellBlocks_[c];
        const auto first = static_cast<std::ptrdiff_t>(cellSlots_.size());
        for (std::uint32_t k = cb.start[0]; k < cb.start[5]; ++k) cellSlots_.push_back(readers_[k].trans);
        std::sort(cellSlots_.begin() + first, cellSlots_.end());
        cellSlots_.erase(std::unique(cellSlots_.begin() + first, cellSlots_.end()), cellSlots_.end());
        std::size_t conditions = 0;
        for (auto it = cellSlots_.begin() + first; it != cellSlots_.end(); ++it) {
            if (trans_[*it].continuous) recheck_ = false;
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
void TSimulationEngine::Recheck() {
    for (std::uint32_t c : dirtyCells_) {
        if (!CellChanged(c)) continue;
        for (std::uint32_t k = cellSlots0_[c]; k < cellSlots0_[c + 1]; ++k) {
            const std::uint32_t slot = cellSlots_[k];
            SetCheck(slot, ChecksHold(slot));
        }
    }
    dirtyCells_.Clear();
    for (std::uint32_t slot : staleSlots_) {
        stale_[slot] = 0;
        SetCheck(slot, ChecksHold(slot));
    }
    staleSlots_.clear();
}

bool TSimulationEngine::Structural(std::uint32_t slot) {
    if (!checksValid_ || !dirtyCells_.Empty() || !staleSlots_.empty()) Flush();
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

// Marking minus / plus the arc's weight, written as WriteMarking does; whole
// numbers need neither extended precision nor rounding.
inline void TSimulationEngine::TakeWeight(const ArcSlot& a) {
    const double m = *a.marking;
    if (a.ExactWith(m)) {
        *a.marking = *a.next = m - a.weightD;
        Touch(a.cell);
    } else {
        WriteMarking(a, m - a.weight);
    }
}

inline void TSimulationEngine::AddWeight(const ArcSlot& a) {
    const double m = *a.marking;
    if (a.ExactWith(m)) {
        *a.marking = *a.next = m + a.weightD;
        Touch(a.cell);
    } else {
        WriteMarking(a, m + a.weight);
    }
}

void TSimulationEngine::FireSlot(std::uint32_t slot) {
    const TransSlot& s = trans_[slot];
    TTransition& t = *s.t;
    const bool drawing = !maxSpeed;
    const bool animating = showAnimations && drawing;
    if (!s.continuous) {
        ++discreteFirings;
        t.remainingTime = t.firingTime;
        if (!drawing) {
            bool taken = false;
            for (const ArcSlot* a = arcs_.data() + s.in0, *end = arcs_.data() + s.in1; a != end; ++a) {
                if (a->kind != akNormal) continue;
                TakeWeight(*a);
                taken = true;
            }
            if (taken) t.chosen = 0;
            if (!t.reservation) {
                for (const ArcSlot* a = arcs_.data() + s.out0, *end = arcs_.data() + s.out1; a != end; ++a) {
                    AddWeight(*a);
                }
            }
            t.fireFlag = 0;
            return;
        }
        for (std::uint32_t i = s.in0; i < s.in1; ++i) {
            const ArcSlot& a = arcs_[i];
            if (a.kind != akNormal) continue;
            if (animating && a.edge->shown) inputAnimation_.push_back(a.edge);
            TakeWeight(a);
            if (drawing) a.place->InvalidateIfShown();
            t.chosen = 0;
        }
        if (!t.reservation) {
            for (std::uint32_t i = s.out0; i < s.out1; ++i) {
                const ArcSlot& a = arcs_[i];
                if (animating && a.edge->shown) outputAnimation_.push_back(a.edge);
                AddWeight(a);
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
        if (!listsOverlap_ && !flagsKnown_) {
            flagsKnown_ = std::none_of(immediate_.begin(), immediate_.end(),
                                       [this](std::uint32_t s) { return trans_[s].t->fireFlag != 0; });
        }
        return event;
    }
    // Only transitions whose structural part holds can be enabled; they are
    // visited in list order. No other transition of the list has its fire
    // flag set.
    if (!checksValid_ || !dirtyCells_.Empty() || !staleSlots_.empty()) Flush();
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
    flagged_.clear();
    for (std::size_t i = 0; i < immediate_.size(); ++i) {
        if (incremental_) Prefetch(immediate_, i);
        const std::uint32_t s = immediate_[i];
        // Enabled, with the arc conditions first: they fail for most
        // transitions and need no look at the transition itself.
        const TransSlot& ts = trans_[s];
        if (!(ts.continuous ? Inputs(ts) : ChecksHold(s))) continue;
        TTransition& t = *ts.t;
        if (t.busy || !Conditions(s)) continue;
        flagged_.push_back(s);
        t.fireFlag = 1;
        if (!maxSpeed) t.SetSelected(true);
        if (!runToEvent && t.reservation) {
            t.busy = 1;
            t.started = 1;
        }
    }
    if (flagged_.empty()) return false;
    if (!groupSlots_.empty()) ResolveConflicts();
    // Without stale fire flags only the transitions flagged here can fire.
    return FireImmediate(flagsKnown_ && !listsOverlap_ ? &flagged_ : nullptr);
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
        AddWeight(a);
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
    if (tracing_) {
        sink_->Trace("Rauswurf von Kante: " + a.place->name + "-" + t.name);
        sink_->Trace("Rauswurf von " + t.name);
    }
}

void TSimulationEngine::RecheckAfterWinner(std::uint32_t winner, const GroupSlot& g) {
    TraceSink* sink = sink_;
    const bool tracing = tracing_;
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
    BeginResolution();
    std::vector<std::uint32_t>* lowered = fullReset_ || tracing_ ? nullptr : &lowered_;
    lowered_.clear();
    for (const GroupSlot& g : groupSlots_) {
        long double avail = *g.next;
        long double need = 0;
        for (std::uint32_t k = g.arc0; k < g.arc1; ++k) {
            if (groupTrans_[k]->fireFlag) need += arcs_[groupArcs_[k]].weight;
        }
        if (!(avail < need) || avail == 0) continue;
        ResolveGroup(g, avail, lowered, FlaggedArcs{0, nullptr, nullptr});
    }
    ResetNextMarkings(lowered);
}

// Fire flags are only ever cleared during a resolution (a winner was a
// candidate), so only the groups of the transitions flagged at its start can
// be in conflict: they are visited in group order, summing the weights of
// their flagged arcs in arc order. `flagged` are the flagged transitions of
// the immediate list; every other transition of a group is looked at.
void TSimulationEngine::ResolveConflictsOf(const std::vector<std::uint32_t>& flagged) {
    Prepare();
    BeginResolution();
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
        if (trans_[s].t->fireFlag) add(s);
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
    for (std::size_t i = 0; i < touched_.size();) {
        const auto group = static_cast<std::uint32_t>(touched_[i] >> 32);
        const GroupSlot& g = groupSlots_[group];
        long double avail = *g.next;
        long double need = 0;
        const std::size_t first = i;
        for (; i < touched_.size() && (touched_[i] >> 32) == group; ++i) {
            const auto k = static_cast<std::uint32_t>(touched_[i]);
            if (groupTrans_[k]->fireFlag) need += arcs_[groupArcs_[k]].weight;
        }
        if (!(avail < need) || avail == 0) continue;
        if (!chosenReady) {
            KnowChosen();
            chosenReady = true;
        }
        ResolveGroup(g, avail, lowered, FlaggedArcs{group, touched_.data() + first, touched_.data() + i});
    }
    flaggedKnown_ = false;
    ResetNextMarkings(lowered);
}

// The services a resolution uses, looked up once; without a seed the
// generator is reseeded from the clock.
void TSimulationEngine::BeginResolution() {
    const PlatformServices& services = Platform();
    random_ = services.random;
    sink_ = services.trace;
    tracing_ = sink_->Enabled();
    if (!seed) random_->SeedFromClock();
}

// Collects every transition whose chosen flag is set (only winners of a
// resolution get it), so a resolution can clear the flags of a group
// without walking all of its arcs.
void TSimulationEngine::KnowChosen() {
    if (chosenKnown_) {
        std::erase_if(chosenList_, [this](std::uint32_t s) { return trans_[s].t->chosen == 0; });
    } else {
        chosenList_.clear();
        for (std::uint32_t s = 0; s < trans_.size(); ++s) {
            if (trans_[s].t->chosen) chosenList_.push_back(s);
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
void TSimulationEngine::ResolveGroup(const GroupSlot& g, long double avail,
                                     std::vector<std::uint32_t>* lowered, const FlaggedArcs& flagged) {
    RandomSource& random = *random_;
    candidates_.clear();
    if (flagged.first) {
        // Groups are visited in ascending order.
        while (chosenCursor_ < chosenGroups_.size() && (chosenGroups_[chosenCursor_] >> 32) < flagged.group) {
            ++chosenCursor_;
        }
        for (; chosenCursor_ < chosenGroups_.size() && (chosenGroups_[chosenCursor_] >> 32) == flagged.group;
             ++chosenCursor_) {
            trans_[static_cast<std::uint32_t>(chosenGroups_[chosenCursor_])].t->chosen = 0;
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
        if (!ws.t->chosen && chosenKnown_) chosenList_.push_back(picked.trans);
        ws.t->chosen = 1;
        for (std::uint32_t j = ws.in0; j < ws.in1; ++j) {
            const ArcSlot& a = arcs_[j];
            if (a.kind != akNormal) continue;
            *a.next = a.ExactWith(*a.next) ? *a.next - a.weightD : Stored(*a.next - a.weight);
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
        if (g.cell != kNone && !SameBits(old, *g.next)) Touch(g.cell);
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
    FlowFault(t);
    ReportFlowError(t);
}

// What a speed error changes in the step: the stop request and a zero flow.
void TSimulationEngine::FlowFault(TTransition& t) {
    stopRequest = true;
    arithmeticError = true;
    t.flow = 0;
}

// The error mark, the message and the end of automatic running.
void TSimulationEngine::ReportFlowError(TTransition& t) {
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

namespace {

constexpr std::uint32_t kDiscretePlace = 0x80000000u;
constexpr std::uint8_t kPendingFire = 1;
constexpr std::uint8_t kPendingFlow = 2;
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
    PublishPending();
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
        f.expression = s.t->isExpression;
        f.reservation = s.t->reservation;
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
    flowDeferrable_ = !listsOverlap_ && !flowRepeats_;
    for (std::uint32_t slot : continuous_) {
        if (slotGroups0_[slot + 1] != slotGroups0_[slot]) flowDeferrable_ = false;
    }
    if (!program_) program_ = std::make_unique<FlowProgram>();
    program_->Build(parsers);
    OrderFlowFirings();
}

// A transition may fire as soon as the first pass has taken the speed and
// the enabling of every transition that reads a cell it writes (its formula
// or its input arcs read the cell), and every earlier transition has fired.
// The result equals two separate passes: every read of a cell comes before
// every write of it, and each cell sees its writes in list order. In a net of
// tanks in a chain each transition fires right after its successor's speed,
// while the cells it touches are still in the cache.
void TSimulationEngine::OrderFlowFirings() {
    const std::size_t n = flow_.size();
    std::unordered_map<const double*, std::uint32_t> writes; // cell storage -> index in lastReader
    std::vector<std::uint32_t> arcCell(flowArcs_.size());
    for (std::size_t k = 0; k < flowArcs_.size(); ++k) {
        const FlowArc& a = flowArcs_[k];
        const auto index = static_cast<std::uint32_t>(writes.size() / 2);
        const auto [it, added] = writes.emplace(a.marking, index);
        if (added) writes.emplace(a.next, index);
        arcCell[k] = it->second;
    }
    std::vector<std::uint32_t> lastReader(writes.size() / 2 + 1, 0);
    std::uint32_t reach = 0; // the last position whose formula may read anything
    std::vector<const double*> reads;
    for (std::uint32_t k = 0; k < n; ++k) {
        reads.clear();
        if (!program_->ReadsOf(k, reads)) reach = k;
        const TransSlot& s = trans_[flow_[k].slot];
        for (std::uint32_t i = s.in0; i < s.in1; ++i) {
            reads.push_back(arcs_[i].marking);
            reads.push_back(arcs_[i].next);
        }
        for (const double* v : reads) {
            if (const auto it = writes.find(v); it != writes.end()) lastReader[it->second] = k;
        }
    }
    fireAfter_.assign(n, 0);
    flowInterleaved_ = false;
    for (std::uint32_t k = 0; k < n; ++k) {
        reach = std::max(reach, k);
        for (std::uint32_t a = flow_[k].arc0; a < flow_[k].arc2; ++a) reach = std::max(reach, lastReader[arcCell[a]]);
        fireAfter_[k] = reach;
        if (reach + 1 < n) flowInterleaved_ = true;
    }
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

void TSimulationEngine::PublishWorkingFields(FlowSlot& f) {
    TTransition& t = *f.t;
    if (f.pending & kPendingFire) t.fireFlag = f.fire;
    if (f.pending & kPendingFlow) {
        t.flow = static_cast<long double>(f.speed) * static_cast<long double>(deferredSampleTime_);
        t.value = static_cast<long double>(f.speed);
    }
    f.pending = 0;
}

void TSimulationEngine::PublishPending() {
    if (!deferredPending_) return;
    for (FlowSlot& f : flow_) {
        if (f.pending) PublishWorkingFields(f);
    }
    deferredPending_ = false;
}

// The transitions are handed back: what a deferred run took from them when
// the program was built (speed kinds, reservation bytes) is read again.
void TSimulationEngine::PublishWorkingFields() {
    PublishPending();
    flowBuilt_ = false;
}

// EnabledNow for a continuous transition (no per-step conditions).
inline bool TSimulationEngine::FlowEnabled(std::uint32_t slot) {
    if (!incremental_) return Enabled(slot);
    return Structural(slot);
}

// A speed formula failed: at once in two separate passes; in a pass that
// fires as it goes, the fault now and the report after the pass.
void TSimulationEngine::SpeedError(TTransition& t, bool drawing) {
    if (flowInterleaved_ && !drawing && !flowDiscrete_) {
        FlowFault(t);
        flowFaults_.push_back(&t);
    } else {
        FlowError(t);
    }
}

// The first pass for position i: enabling and speed, into the transition or
// (deferred) into flow_. True when the transition is enabled.
[[gnu::always_inline]] inline bool TSimulationEngine::EvaluateFlow(FlowSlot& f, std::size_t i, bool defer,
                                                                   bool drawing, double sampleTime) {
    if (defer && f.expression) {
        // As below, into flow_ instead of the transition.
        const bool enabled = FlowEnabled(f.slot);
        f.fire = enabled;
        f.pending |= kPendingFire;
        if (!enabled) return false;
        f.product = 0;
        try {
            f.speed = program_->Value(i);
            f.product = 1;
            f.pending |= kPendingFlow;
        } catch (const std::exception&) {
            PublishWorkingFields(f);
            SpeedError(*f.t, drawing);
        }
        f.outputs = f.reservation == 0;
        return true;
    }
    if (f.pending) PublishWorkingFields(f);
    TTransition& t = *f.t;
    const bool enabled = FlowEnabled(f.slot);
    f.fire = enabled;
    if (enabled) {
        f.product = 0;
        if (!t.isExpression) {
            t.flow = t.value * static_cast<long double>(sampleTime);
        } else {
            try {
                const double v = program_->Value(i);
                const long double flow = static_cast<long double>(v) * static_cast<long double>(sampleTime);
                f.speed = v;
                t.flow = flow;
                t.value = static_cast<long double>(v);
                f.product = 1;
            } catch (const std::exception&) {
                SpeedError(t, drawing);
            }
        }
        f.outputs = t.reservation == 0;
        t.fireFlag = 1;
    } else {
        t.fireFlag = 0;
    }
    if (drawing) ShowContinuous(f.slot, enabled);
    return enabled;
}

void TSimulationEngine::ProcessFlow() {
    const bool drawing = !maxSpeed;
    // A double: the products below take it as an extended operand, exactly.
    const double sampleTime = sampleTime_;
    const std::size_t n = flow_.size();
    const FlowProgram& program = *program_;
    // In a deferred run the transitions are not touched: their fire flags,
    // speeds and flows wait in flow_ for PublishWorkingFields.
    const bool defer = deferWorkingFields && flowDeferrable_ && !drawing;
    // A pending flow is speed × the sample time of the step that computed it.
    if (deferredPending_ && (!defer || !SameBits(sampleTime, deferredSampleTime_))) PublishPending();
    deferredSampleTime_ = sampleTime;
    // Without drawing and discrete places, firings run inside the first pass
    // as soon as OrderFlowFirings allows; cells to be marked changed are
    // collected and marked after the pass, in the same order: the marks are
    // only read by the next enabling check. touchLater_ has room for every
    // arc of flowArcs_.
    const bool fast = !drawing && !flowDiscrete_;
    const bool interleave = fast && flowInterleaved_;
    if (interleave && incremental_ && (!checksValid_ || !dirtyCells_.Empty() || !staleSlots_.empty())) Flush();
    flowFaults_.clear();
    std::uint32_t* const touched = touchLater_.data();
    std::uint32_t* touch = touched;
    std::size_t fired = 0;
    int count = 0;
    for (std::size_t i = 0; i < n; ++i) {
        if (i + kFlowAhead < n) {
            const FlowSlot& ahead = flow_[i + kFlowAhead];
            if (!defer) __builtin_prefetch(&ahead.t->value, 1); // the line up to flow
            if (const double* v = program.FirstVariable(i + kFlowAhead)) __builtin_prefetch(v);
        }
        if (EvaluateFlow(flow_[i], i, defer, drawing, sampleTime)) ++count;
        if (!interleave) continue;
        for (; fired <= i && fireAfter_[fired] <= i; ++fired) {
            if (flow_[fired].fire) touch = FireFlowFast(flow_[fired], sampleTime, touch);
        }
    }
    if (defer) deferredPending_ = true;
    if (count > 0) {
        if (!fast) {
            for (const FlowSlot& f : flow_) {
                if (f.fire) FireFlow(f, drawing);
            }
            return;
        }
        for (std::size_t i = fired; i < n; ++i) {
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
    for (TTransition* t : flowFaults_) ReportFlowError(*t);
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
        a.SetWeight(v);
        LoadChecks(a.trans);
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
    if (!deferWorkingFields) PublishPending();
    Prepare();
    struct InStep {
        bool& flag;
        explicit InStep(bool& f) : flag(f) { flag = true; }
        ~InStep() { flag = false; }
    } inStep(inStep_);
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
    PublishPending();
    root_->modelTime = 0;
    root_->ResetToInitialState();
    MarkingsChanged();
    timeAdvanced = true;
}

} // namespace qz
