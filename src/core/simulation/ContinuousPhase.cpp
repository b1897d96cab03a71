#include "simulation/ContinuousPhase.h"

#include <algorithm>
#include <exception>
#include <unordered_map>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "formula/Parser.h"
#include "model/TEdge.h"
#include "model/TPlatz.h"
#include "model/TTransition.h"
#include "simulation/ConflictResolver.h"
#include "simulation/EnablingIndex.h"
#include "simulation/Firing.h"
#include "simulation/FlowProgram.h"
#include "simulation/SimulationView.h"

namespace qz {

// The fast path takes the same steps as the list path, in the same order and
// with the same arithmetic: the first pass decides and computes every flow
// (the formulas run from the session's FlowProgram), the second moves the
// marking. Between the passes nothing can change a fire flag, a flow or a
// reservation byte, so the second pass takes them from flow_ instead of from
// the transitions.
struct ContinuousPhase::FlowSlot {
    TTransition* t;
    double speed;      // this step's speed, when product is set
    std::uint32_t slot;
    std::uint32_t arc0, arc1, arc2; // in arcs_: normal inputs, then every output
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

struct ContinuousPhase::FlowArc {
    double* marking; // the marking owner's cells
    double* next;
    std::uint32_t cell;
    std::uint32_t arc; // slot in the session's arcs; kDiscretePlace set for a discrete place
};

namespace {

constexpr std::uint32_t kDiscretePlace = 0x80000000u;
constexpr std::uint8_t kPendingFire = 1;
constexpr std::uint8_t kPendingFlow = 2;
// How many transitions ahead the cells of a transition are fetched.
constexpr std::size_t kFlowAhead = 12;
// How many speeds the interleaved pass takes before it fires what they allow.
constexpr std::size_t kFlowBlock = 4;

// What MarkingValue gives for the double `d` a value was stored as.
inline double MarkingOfStored(bool discrete, double d) {
    if (discrete) d = std::nearbyint(d);
    const double whole = std::trunc(d);
    if (std::fabs(d - whole) < 1e-9) d = whole;
    return d;
}

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

// MarkingOfStored for a continuous place. A value this close to the
// conversion's result is below 2^63 in magnitude, where the conversion is
// std::trunc but for the sign of a zero.
inline double ContinuousMarking(double d) {
    const double whole = WholeForSnap(d);
    if (std::fabs(d - whole) < 1e-9) d = std::copysign(whole, d);
    return d;
}

} // namespace

ContinuousPhase::ContinuousPhase(const SessionNet& net, EnablingIndex& index, const ConflictResolver& conflicts,
                                 Firing& firing, const SimulationView& view)
    : net_(net), index_(index), conflicts_(conflicts), firing_(firing), view_(view) {}

ContinuousPhase::~ContinuousPhase() = default;

void ContinuousPhase::Clear() {
    PublishPending();
    flow_.clear();
    arcs_.clear();
    if (program_) program_->Clear();
    built_ = false;
}

// An arithmetic error in the speed formula of `t`: flow 0, and the fault for
// the run control (which stops the run at the end of the step).
void ContinuousPhase::Fault(TTransition& t, const char* what, std::vector<SimulationFault>& faults) {
    t.flow = 0;
    faults.push_back(SimulationFault{&t, what});
}

void ContinuousPhase::ComputeFlow(TTransition& t, double sampleTime, std::vector<SimulationFault>& faults) {
    if (!t.continuous) return;
    if (!t.isExpression) {
        t.flow = t.value * sampleTime;
        return;
    }
    try {
        t.value = t.parser->Value();
        t.flow = t.value * sampleTime;
    } catch (const std::exception& e) {
        Fault(t, e.what(), faults);
    }
}

// The drawing of the first pass for one transition (not at "Max Speed").
void ContinuousPhase::Show(std::uint32_t slot, bool enabled, bool stopRequest) {
    const TransSlot& s = net_.trans[slot];
    TTransition& t = *s.t;
    if (enabled) {
        if (!stopRequest) {
            if (view_.refreshViewMapping) view_.refreshViewMapping();
            if (!t.selected) t.SetSelected(true);
        }
        for (std::uint32_t i = s.in0; i < s.out1; ++i) {
            if (net_.arcs[i].kind == akNormal) net_.arcs[i].edge->flowing = 1;
        }
    } else {
        t.SetSelected(false);
        for (std::uint32_t i = s.in0; i < s.out1; ++i) {
            net_.arcs[i].edge->flowing = 0;
            net_.arcs[i].edge->InvalidateIfShown();
        }
    }
}

void ContinuousPhase::Process(StepMode mode, double sampleTime, const Options& options,
                              std::vector<SimulationFault>& faults) {
    if (options.flowProgram && Ready()) {
        faults_ = &faults;
        ProcessFlow(mode, sampleTime, options);
        faults_ = nullptr;
        return;
    }
    const std::size_t before = faults.size();
    const std::vector<std::uint32_t>& list = net_.continuous;
    int count = 0;
    for (std::size_t i = 0; i < list.size(); ++i) {
        net_.Prefetch(list, i);
        const std::uint32_t slot = list[i];
        TTransition& t = *net_.trans[slot].t;
        const bool enabled = index_.FlowEnabled(slot);
        if (enabled) {
            ComputeFlow(t, sampleTime, faults);
            t.fireFlag = 1;
            ++count;
        } else {
            t.fireFlag = 0;
        }
        if (mode.drawing) Show(slot, enabled, options.stopRequest || faults.size() != before);
    }
    if (count == 0) return;
    for (std::size_t i = 0; i < list.size(); ++i) {
        net_.Prefetch(list, i);
        if (net_.trans[list[i]].t->fireFlag) firing_.Fire(list[i], mode);
    }
}

// The program is built when first needed after the start, a Refresh, or a
// change of any parser's compiled list (a recompiled, cleared or destroyed
// formula), so it never runs records of a list that is gone.
bool ContinuousPhase::Ready() {
    if (!built_ || TCustomParser::listChanges.load(std::memory_order_relaxed) != seenLists_) Build();
    return !repeats_;
}

void ContinuousPhase::Build() {
    PublishPending();
    seenLists_ = TCustomParser::listChanges.load(std::memory_order_relaxed);
    built_ = true;
    repeats_ = false;
    discrete_ = false;
    flow_.clear();
    arcs_.clear();
    const std::vector<std::uint32_t>& list = net_.continuous;
    flow_.reserve(list.size());
    std::vector<std::uint8_t> listed(net_.trans.size(), 0);
    std::vector<const TCustomParser*> parsers;
    parsers.reserve(list.size());
    auto add = [this](std::uint32_t i) {
        const ArcSlot& a = net_.arcs[i];
        if (!a.placeContinuous) discrete_ = true;
        arcs_.push_back(FlowArc{a.marking, a.next, a.cell, i | (a.placeContinuous ? 0 : kDiscretePlace)});
    };
    for (std::uint32_t slot : list) {
        if (listed[slot]) repeats_ = true;
        listed[slot] = 1;
        const TransSlot& s = net_.trans[slot];
        FlowSlot f{};
        f.t = s.t;
        f.slot = slot;
        f.expression = s.t->isExpression;
        f.reservation = s.t->reservation;
        f.arc0 = static_cast<std::uint32_t>(arcs_.size());
        for (std::uint32_t i = s.in0; i < s.in1; ++i) {
            if (net_.arcs[i].kind == akNormal) add(i);
        }
        f.arc1 = static_cast<std::uint32_t>(arcs_.size());
        for (std::uint32_t i = s.out0; i < s.out1; ++i) add(i);
        f.arc2 = static_cast<std::uint32_t>(arcs_.size());
        flow_.push_back(f);
        parsers.push_back(s.t->parser.get());
    }
    touchLater_.assign(arcs_.size(), 0);
    deferrable_ = !net_.listsOverlap && !repeats_;
    for (std::uint32_t slot : list) {
        if (conflicts_.Grouped(slot)) deferrable_ = false;
    }
    if (!program_) program_ = std::make_unique<FlowProgram>();
    program_->Build(parsers);
    OrderFirings();
}

// A transition may fire as soon as the first pass has taken the speed and
// the enabling of every transition that reads a cell it writes (its formula
// or its input arcs read the cell), and every earlier transition has fired.
// The result equals two separate passes: every read of a cell comes before
// every write of it, and each cell sees its writes in list order. In a net of
// tanks in a chain each transition fires right after its successor's speed,
// while the cells it touches are still in the cache.
void ContinuousPhase::OrderFirings() {
    const std::size_t n = flow_.size();
    std::unordered_map<const double*, std::uint32_t> writes; // cell storage -> index in lastReader
    std::vector<std::uint32_t> arcCell(arcs_.size());
    for (std::size_t k = 0; k < arcs_.size(); ++k) {
        const FlowArc& a = arcs_[k];
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
        const TransSlot& s = net_.trans[flow_[k].slot];
        for (std::uint32_t i = s.in0; i < s.in1; ++i) {
            reads.push_back(net_.arcs[i].marking);
            reads.push_back(net_.arcs[i].next);
        }
        for (const double* v : reads) {
            if (const auto it = writes.find(v); it != writes.end()) lastReader[it->second] = k;
        }
    }
    fireAfter_.assign(n, 0);
    interleaved_ = false;
    for (std::uint32_t k = 0; k < n; ++k) {
        reach = std::max(reach, k);
        for (std::uint32_t a = flow_[k].arc0; a < flow_[k].arc2; ++a) reach = std::max(reach, lastReader[arcCell[a]]);
        fireAfter_[k] = reach;
        if (reach + 1 < n) interleaved_ = true;
    }
}

// Firing::Fire for a continuous transition: the flow leaves every normal
// input place (snapped to 0 below 1E-9) and enters every output place. The
// snap test runs on the stored double first: a double above 2E-9 stands for
// an extended value above 1E-9, so only values near 0 need the extended
// comparison.
void ContinuousPhase::Fire(const FlowSlot& f, bool drawing, double sampleTime) {
    const long double flow = f.product ? static_cast<long double>(f.speed) * sampleTime : f.t->flow;
    const FlowArc* a = arcs_.data() + f.arc0;
    const FlowArc* const inputsEnd = arcs_.data() + f.arc1;
    for (; a != inputsEnd; ++a) {
        const long double v = *a->marking - flow;
        double d = static_cast<double>(v);
        if (std::fabs(d) <= 2e-9 && std::fabs(v) < kEpsilon) d = 0;
        d = MarkingOfStored((a->arc & kDiscretePlace) != 0, d);
        *a->marking = d;
        *a->next = d;
        index_.Touch(a->cell);
        if (drawing) net_.arcs[a->arc & ~kDiscretePlace].place->InvalidateIfShown();
    }
    if (!f.outputs) return;
    const FlowArc* const end = arcs_.data() + f.arc2;
    for (; a != end; ++a) {
        const double d = MarkingOfStored((a->arc & kDiscretePlace) != 0, static_cast<double>(*a->marking + flow));
        *a->marking = d;
        *a->next = d;
        index_.Touch(a->cell);
        if (drawing) net_.arcs[a->arc & ~kDiscretePlace].place->InvalidateIfShown();
    }
}

ContinuousPhase::FireArrays ContinuousPhase::Arrays() const {
    return {arcs_.data(), index_.DirtyMarks(), index_.WatchedMarks()};
}

// The second pass at "Max Speed", for the arcs of continuous places: the
// steps of Fire without drawing and without calls, so the flow stays in a
// register.
inline std::uint32_t* ContinuousPhase::FireFast(const FlowSlot& f, FireArrays arrays, double sampleTime,
                                                std::uint32_t* touch) {
    const long double flow =
        f.product ? static_cast<long double>(f.speed) * static_cast<long double>(sampleTime) : f.t->flow;
    const FlowArc* a = arrays.arcs + f.arc0;
    const FlowArc* const inputsEnd = arrays.arcs + f.arc1;
    const std::uint8_t* const dirty = arrays.dirty;
    const std::uint8_t* const watched = arrays.watched;
    for (; a != inputsEnd; ++a) {
        const long double v = *a->marking - flow;
        double d = static_cast<double>(v);
        // Within 2E-9 of the integer part: either snap may apply (below
        // 2E-9 the integer part is 0).
        if (std::fabs(d - WholeForSnap(d)) <= 2e-9) [[unlikely]] {
            if (std::fabs(d) <= 2e-9 && std::fabs(v) < kEpsilon) d = 0;
            d = ContinuousMarking(d);
        }
        *a->marking = d;
        *a->next = d;
        if (watched[a->cell] && !dirty[a->cell]) [[unlikely]] *touch++ = a->cell;
    }
    if (!f.outputs) return touch;
    const FlowArc* const end = arrays.arcs + f.arc2;
    for (; a != end; ++a) {
        const double d = ContinuousMarking(static_cast<double>(*a->marking + flow));
        *a->marking = d;
        *a->next = d;
        if (watched[a->cell] && !dirty[a->cell]) [[unlikely]] *touch++ = a->cell;
    }
    return touch;
}

void ContinuousPhase::Publish(FlowSlot& f) {
    TTransition& t = *f.t;
    if (f.pending & kPendingFire) t.fireFlag = f.fire;
    if (f.pending & kPendingFlow) {
        t.flow = static_cast<long double>(f.speed) * static_cast<long double>(pendingSampleTime_);
        t.value = static_cast<long double>(f.speed);
    }
    f.pending = 0;
}

void ContinuousPhase::PublishAll() {
    for (FlowSlot& f : flow_) {
        if (f.pending) Publish(f);
    }
    pending_ = false;
}

// The transitions are handed back: what a deferred run took from them when
// the program was built (speed kinds, reservation bytes) is read again.
void ContinuousPhase::PublishWorkingFields() {
    PublishPending();
    built_ = false;
}

// The first pass for position i: enabling and speed, into the transition or
// (deferred) into flow_. True when the transition is enabled.
[[gnu::always_inline]] inline bool ContinuousPhase::Evaluate(const EnablingIndex& index, FlowSlot& f, std::size_t i,
                                                             bool defer, bool drawing, const std::uint8_t* kept,
                                                             double sampleTime) {
    if (defer && f.expression) {
        // As below, into flow_ instead of the transition.
        const bool enabled = kept ? kept[f.slot] != 0 : index.Enabled(f.slot, false);
        f.fire = enabled;
        f.outputs = f.reservation == 0;
        if (!enabled) {
            f.pending |= kPendingFire;
            return false;
        }
        try {
            f.speed = program_->Value(i);
        } catch (const std::exception& e) {
            f.product = 0;
            f.pending |= kPendingFire;
            Publish(f);
            Fault(*f.t, e.what(), *faults_);
            return true;
        }
        f.product = 1;
        f.pending |= kPendingFire | kPendingFlow;
        return true;
    }
    if (f.pending) Publish(f);
    TTransition& t = *f.t;
    const bool enabled = kept ? kept[f.slot] != 0 : index.Enabled(f.slot, false);
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
            } catch (const std::exception& e) {
                Fault(t, e.what(), *faults_);
            }
        }
        f.outputs = t.reservation == 0;
        t.fireFlag = 1;
    } else {
        t.fireFlag = 0;
    }
    if (drawing) Show(f.slot, enabled, stopRequest_ || faults_->size() != faultsBefore_);
    return enabled;
}

// The first pass: enabling and speed of every transition in list order, and
// in an interleaved pass each firing as soon as fireAfter_ allows. With
// kMaxSpeed the flags are known: deferred, kept and interleaved, no drawing.
template <bool kMaxSpeed>
ContinuousPhase::FirstPassEnd ContinuousPhase::FirstPass(double sampleTime, bool defer, bool drawing, bool kept,
                                                         bool interleave) {
    if constexpr (kMaxSpeed) {
        defer = kept = interleave = true;
        drawing = false;
    }
    const EnablingIndex& index = index_;
    const FlowProgram& program = *program_;
    const std::size_t n = flow_.size();
    FlowSlot* const flow = flow_.data();
    const std::uint32_t* const fireAfter = fireAfter_.data();
    const FireArrays arrays = Arrays();
    const std::uint8_t* const keptMarks = kept ? index.KeptMarks() : nullptr;
    FirstPassEnd end{0, touchLater_.data(), 0};
    // Speeds are taken a few at a time, then every transition they allow
    // fires.
    for (std::size_t i0 = 0; i0 < n; i0 += kFlowBlock) {
        const std::size_t i1 = std::min(n, i0 + kFlowBlock);
        for (std::size_t i = i0; i < i1; ++i) {
            // Fetching the variables ahead measurably slows the interleaved
            // deferred pass down; the others keep it.
            if (!kMaxSpeed && i + kFlowAhead < n) {
                const FlowSlot& ahead = flow_[i + kFlowAhead];
                if (!defer) __builtin_prefetch(&ahead.t->value, 1); // the line up to flow
                if (const double* v = program.FirstVariable(i + kFlowAhead)) __builtin_prefetch(v);
            }
            if (Evaluate(index, flow[i], i, defer, drawing, keptMarks, sampleTime)) ++end.enabled;
        }
        if (!interleave) continue;
        const std::size_t last = i1 - 1;
        for (; end.fired <= last && fireAfter[end.fired] <= last; ++end.fired) {
            if (flow[end.fired].fire) end.touch = FireFast(flow[end.fired], arrays, sampleTime, end.touch);
        }
    }
    return end;
}

void ContinuousPhase::ProcessFlow(StepMode mode, double sampleTime, const Options& options) {
    const bool drawing = mode.drawing;
    const std::size_t n = flow_.size();
    // In a deferred run the transitions are not touched: their fire flags,
    // speeds and flows wait in flow_ for PublishWorkingFields.
    const bool defer = options.defer && deferrable_ && !drawing;
    // A pending flow is speed × the sample time of the step that computed it.
    if (pending_ && (!defer || !SameBits(sampleTime, pendingSampleTime_))) PublishPending();
    pendingSampleTime_ = sampleTime;
    // Without drawing and discrete places, firings run inside the first pass
    // as soon as OrderFirings allows; cells to be marked changed are
    // collected and marked after the pass, in the same order: the marks are
    // only read by the next enabling check. touchLater_ has room for every
    // arc of arcs_.
    const bool fast = !drawing && !discrete_;
    const bool interleave = fast && interleaved_;
    // Nothing writes a marking cell in the first pass but the firings of an
    // interleaved pass, which mark the cells they write after the pass: the
    // enabling index is brought up to date once.
    EnablingIndex& index = index_;
    const bool kept = index.Incremental();
    if (kept) index.Update();
    stopRequest_ = options.stopRequest;
    faultsBefore_ = faults_->size();
    std::uint32_t* const touched = touchLater_.data();
    // A deferred interleaved run at "Max Speed" (how a fast run steps) takes
    // the loop compiled for it.
    const FirstPassEnd pass = defer && kept && interleave
                                  ? FirstPass<true>(sampleTime, defer, false, kept, interleave)
                                  : FirstPass<false>(sampleTime, defer, drawing, kept, interleave);
    std::uint32_t* touch = pass.touch;
    const std::size_t fired = pass.fired;
    if (defer) pending_ = true;
    if (pass.enabled == 0) return;
    if (!fast) {
        for (const FlowSlot& f : flow_) {
            if (f.fire) Fire(f, drawing, sampleTime);
        }
        return;
    }
    const FireArrays arrays = Arrays();
    for (std::size_t i = fired; i < n; ++i) {
        if (i + kFlowAhead < n) {
            const FlowSlot& ahead = flow_[i + kFlowAhead];
            for (std::uint32_t k = ahead.arc0; k < ahead.arc2 && k < ahead.arc0 + 4; ++k) {
                __builtin_prefetch(arcs_[k].marking, 1);
            }
        }
        if (flow_[i].fire) touch = FireFast(flow_[i], arrays, sampleTime, touch);
    }
    for (const std::uint32_t* c = touched; c != touch; ++c) index.Touch(*c);
}

std::vector<TEdge*> ContinuousPhase::FlowingArcs() const {
    std::vector<TEdge*> arcs;
    for (std::uint32_t slot : net_.continuous) {
        const TransSlot& s = net_.trans[slot];
        for (std::uint32_t i = s.in0; i < s.out1; ++i) {
            if (net_.arcs[i].edge->flowing) arcs.push_back(net_.arcs[i].edge);
        }
    }
    return arcs;
}

} // namespace qz
