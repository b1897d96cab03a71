#include "simulation/SimulationEngine.h"

#include <algorithm>

#include "diagrams/Oscilloscope.h"
#include "formula/Parser.h"
#include "model/TEdge.h"
#include "model/TNetList.h"
#include "model/TPNObjekt.h"
#include "model/TPlatz.h"
#include "model/TTransition.h"
#include "platform/Services.h"

namespace qz {

void ClassifyTransitions(TPNObjekt& root, SimulationLists& lists) {
    lists.Clear();
    root.CollectSimulationLists(lists);
}

TSimulationEngine::TSimulationEngine() = default;
TSimulationEngine::~TSimulationEngine() = default;

void TSimulationEngine::Clear() {
    continuousPhase_.Clear();
    root_ = nullptr;
    lists_.Clear();
    net_.Clear();
    index_.Clear();
    conflicts_.Clear();
    watched_.clear();
    flagged_.clear();
    faults_.clear();
    firing_.inputAnimation.clear();
    firing_.outputAnimation.clear();
    MarkingsChanged();
}

void TSimulationEngine::MarkingsChanged() {
    quiet_ = false;
    seenWrites_ = TPlatz::markingWrites.load(std::memory_order_relaxed);
    index_.Invalidate();
    conflicts_.Invalidate();
    flat_.Invalidate();
    flatActive_ = false;
    flatDead_ = false;
    flagsKnown_ = false;
}

void TSimulationEngine::SetEnhancedRule(bool on) {
    if (on == index_.Enhanced()) return;
    index_.SetEnhanced(on);
    MarkingsChanged();
}

void TSimulationEngine::Start(TPNObjekt& root) {
    Clear();
    root_ = &root;
    index_.SetEnhanced(root.enhancedFiringRule != 0);
    firing_.discreteFirings = 0;
    ClassifyTransitions(root, lists_);
    net_.Build(root, lists_);
    index_.Build();
    conflicts_.Clear();
    Refresh();
    timeAdvanced = true;
    stopRequest = false;
    arithmeticError = false;
    diagramMilliseconds = 0;
    if (seed) Platform().random->Seed(*seed);
}

std::size_t TSimulationEngine::BuildConflictGroups() {
    continuousPhase_.Invalidate(); // whether continuous transitions are grouped may change
    flat_.Invalidate();
    if (!root_) {
        conflicts_.Clear();
        return 0;
    }
    return conflicts_.Build(*root_);
}

void TSimulationEngine::Refresh() {
    MarkingsChanged();
    continuousPhase_.Invalidate();
    for (ArcSlot& a : net_.arcs) {
        a.SetWeight(a.edge->weight);
        a.capacity = a.place->capacity;
    }
    index_.LoadAllChecks();
    CollectWatched();
}

// The places with an oscilloscope.
void TSimulationEngine::CollectWatched() {
    quiet_ = false;
    seenDiagrams_ = TPlatz::diagramChanges.load(std::memory_order_relaxed);
    watched_.clear();
    if (!root_) return;
    root_->ForEachNet([this](TNetList& net) {
        for (TGraphItem* e : net.Elements()) {
            if (e->Kind() == kind::Place && static_cast<TPlatz*>(e)->Diagram()) {
                watched_.push_back(static_cast<TPlatz*>(e));
            }
        }
    });
}

[[gnu::always_inline]] inline void TSimulationEngine::Prepare() {
    if (inStep_) return; // prepared once by the step
    if (TPlatz::markingWrites.load(std::memory_order_relaxed) != seenWrites_) [[unlikely]] MarkingsChanged();
    const bool use = incremental && net_.arcs.size() >= incrementalFromArcs;
    if (use != index_.Incremental()) [[unlikely]] {
        MarkingsChanged();
        index_.SetIncremental(use);
    }
    index_.recheckUpTo = recheckUpTo;
    sampleTime_ = root_ ? root_->sampleTimeSeconds : 0;
}

bool TSimulationEngine::IsEnabled(const TTransition& t) const {
    const int s = net_.SlotOf(t);
    if (s < 0) return false;
    const_cast<TSimulationEngine*>(this)->Prepare();
    return index_.Enabled(static_cast<std::uint32_t>(s), timeAdvanced);
}

bool TSimulationEngine::InputsSatisfied(const TTransition& t) const {
    const int s = net_.SlotOf(t);
    if (s < 0) return false;
    const_cast<TSimulationEngine*>(this)->Prepare();
    return index_.Inputs(net_.trans[static_cast<std::uint32_t>(s)]);
}

bool TSimulationEngine::OutputsHaveRoom(const TTransition& t) const {
    const int s = net_.SlotOf(t);
    if (s < 0) return false;
    return index_.Outputs(net_.trans[static_cast<std::uint32_t>(s)]);
}

void TSimulationEngine::Fire(TTransition& t) {
    const int s = net_.SlotOf(t);
    if (s < 0) return;
    Prepare();
    LeaveFlat();
    quiet_ = false;
    firing_.Fire(static_cast<std::uint32_t>(s), Mode());
}

// ---------------------------------------------------------------------------
// The immediate phase

bool TSimulationEngine::ProcessImmediate() { return Immediate(); }

// Back to the general phases after flat ones: the index and the resolver
// read the net again.
void TSimulationEngine::LeaveFlat() {
    if (flatActive_) [[unlikely]] MarkingsChanged();
}

// A plain net at "Max Speed" without a trace.
[[gnu::noinline]] bool TSimulationEngine::ImmediateFlat() {
    const PlatformServices& services = Platform();
    flatActive_ = true;
    flatDead_ = false;
    if (!flat_.Step(*services.random, seed.has_value(), firing_.discreteFirings)) {
        flatDead_ = true;
        return false;
    }
    if (flat_.Overflowed()) LeaveFlat();
    timeAdvanced = false;
    return true;
}

// The immediate phase, inline in the step: a dead net costs a few compares.
[[gnu::always_inline]] inline bool TSimulationEngine::Immediate() {
    Prepare();
    // (A change of the incremental setting ends a flat run in Prepare.)
    if (!index_.Incremental()) return ImmediateFull();
    if (maxSpeed && flatDiscrete && !runToEvent && flat_.Ready(flatTrackingFrom) && !Platform().trace->Enabled()) {
        return ImmediateFlat();
    }
    LeaveFlat();
    if (net_.listsOverlap || !flagsKnown_) return ImmediateFull();
    index_.Update();
    if (index_.Generation() == deadGeneration_) return false;
    return ImmediateFlagged();
}

bool TSimulationEngine::ImmediateFull() {
    const bool event = ProcessImmediateFull();
    if (!net_.listsOverlap && !flagsKnown_) {
        flagsKnown_ = std::none_of(net_.immediate.begin(), net_.immediate.end(),
                                   [this](std::uint32_t s) { return net_.trans[s].t->fireFlag != 0; });
    }
    return event;
}

// An enabled immediate transition will fire: shown selected unless at
// "Max Speed"; with reservation it takes its inputs now and is busy until it
// delivers.
[[gnu::always_inline]] inline void TSimulationEngine::Flag(TTransition& t) const {
    t.fireFlag = 1;
    if (!maxSpeed) t.SetSelected(true);
    if (!runToEvent && t.reservation) {
        t.busy = 1;
        t.started = 1;
    }
}

// Only transitions whose structural part holds can be enabled; they are
// visited in list order. No other transition of the list has its fire flag
// set.
bool TSimulationEngine::ImmediateFlagged() {
    // The arrays in registers (the flag stores would reload them).
    const std::uint64_t* const bits = index_.ImmediateBits().data();
    const std::size_t words = index_.ImmediateBits().size();
    const std::uint32_t* const immediate = net_.immediate.data();
    const TransSlot* const trans = net_.trans.data();
    const bool timeAdvancedNow = timeAdvanced;
    // Flags a transition whose structural part holds, if it is enabled.
    auto flag = [this, trans, timeAdvancedNow](std::uint32_t s) {
        const TransSlot& ts = trans[s];
        TTransition& t = *ts.t;
        if (t.busy || !EnablingIndex::Conditions(ts, timeAdvancedNow)) return false;
        Flag(t);
        return true;
    };
    // The candidates first, their transitions' working fields fetched
    // together (in large nets these are mostly cache misses); then the
    // enabled ones flagged, in list order.
    flagged_.clear();
    std::uint64_t any = 0;
    for (std::size_t w = 0; w < words; ++w) {
        any |= bits[w];
        for (std::uint64_t word = bits[w]; word != 0; word &= word - 1) {
            const std::uint32_t s = immediate[w * 64 + static_cast<std::size_t>(__builtin_ctzll(word))];
            __builtin_prefetch(&trans[s].t->value, 1);
            flagged_.push_back(s);
        }
    }
    if (any == 0) {
        deadGeneration_ = index_.Generation();
        return false;
    }
    std::size_t n = 0;
    for (std::size_t i = 0; i < flagged_.size(); ++i) {
        if (flag(flagged_[i])) flagged_[n++] = flagged_[i];
    }
    flagged_.resize(n);
    if (flagged_.empty()) return false;
    if (!conflicts_.Empty()) conflicts_.ResolveFlagged(flagged_, Mode(), seed.has_value());
    return FireImmediate(&flagged_);
}

bool TSimulationEngine::ProcessImmediateFull() {
    // The arrays in registers: the stores below would make the compiler
    // reload them for every transition.
    const EnablingIndex& index = index_;
    const bool followCells = index.Incremental();
    const std::vector<std::uint32_t>& immediate = net_.immediate;
    const std::uint32_t* const slots = immediate.data();
    const TransSlot* const trans = net_.trans.data();
    flagged_.clear();
    for (std::size_t i = 0, n = immediate.size(); i < n; ++i) {
        if (followCells) net_.Prefetch(immediate, i);
        const std::uint32_t s = slots[i];
        // Enabled, with the arc conditions first: they fail for most
        // transitions and need no look at the transition itself.
        const TransSlot& ts = trans[s];
        if (!(ts.continuous ? index.Inputs(ts) : index.ChecksHold(s))) continue;
        TTransition& t = *ts.t;
        if (t.busy || !EnablingIndex::Conditions(ts, timeAdvanced)) continue;
        flagged_.push_back(s);
        Flag(t);
    }
    if (flagged_.empty()) return false;
    if (!conflicts_.Empty()) conflicts_.ResolveAll(Mode(), seed.has_value());
    // Without stale fire flags only the transitions flagged here can fire.
    return FireImmediate(flagsKnown_ && !net_.listsOverlap ? &flagged_ : nullptr);
}

// Fires the immediate transitions whose fire flag survived the conflict
// resolution (`flagged`: the only ones that can have it; null: any of the
// list), then the timed ones whose time ran out.
bool TSimulationEngine::FireImmediate(const std::vector<std::uint32_t>* flagged) {
    const std::vector<std::uint32_t>& list = flagged ? *flagged : net_.immediate;
    if (runToEvent) {
        for (std::uint32_t s : list) net_.trans[s].t->fireFlag = 0;
        return true;
    }
    const StepMode mode = Mode();
    const TransSlot* const trans = net_.trans.data();
    Firing& firing = firing_;
    for (std::uint32_t s : list) {
        const TransSlot& ts = trans[s];
        if (ts.t->fireFlag) firing.Fire(ts, mode);
    }
    timeAdvanced = false;
    for (std::uint32_t s : net_.timed) {
        TTransition& t = *trans[s].t;
        if (!t.fireFlag) continue;
        firing.Fire(trans[s], mode);
        t.busy = 0;
    }
    if (mode.animating) {
        RunTokenAnimation();
        for (TEdge* e : firing_.outputAnimation) {
            if (TPlatz* p = e->PlaceEnd()) p->InvalidateIfShown();
        }
    }
    return true;
}

void TSimulationEngine::ResolveConflicts() {
    Prepare();
    LeaveFlat();
    conflicts_.ResolveAll(Mode(), seed.has_value());
}

// ---------------------------------------------------------------------------
// The timed and the continuous phase

bool TSimulationEngine::ProcessTimed() {
    if (!root_) return false;
    Prepare();
    LeaveFlat();
    const bool onlyFlagged = index_.Incremental() && flagsKnown_ && !net_.listsOverlap;
    return timedPhase_.Process(Mode(), sampleTime_, onlyFlagged, seed.has_value(), *root_);
}

void TSimulationEngine::ProcessContinuous() {
    Prepare();
    const std::size_t before = faults_.size();
    continuousPhase_.Process(Mode(), sampleTime_, {flowProgram, deferWorkingFields, stopRequest}, faults_);
    NoteFaults(before);
}

void TSimulationEngine::ComputeFlow(TTransition& t) {
    if (!root_) Prepare();
    const std::size_t before = faults_.size();
    continuousPhase_.ComputeFlow(t, root_ ? root_->sampleTimeSeconds : sampleTime_, faults_);
    NoteFaults(before);
}

// A speed error requests the stop at the end of the step.
void TSimulationEngine::NoteFaults(std::size_t before) {
    if (faults_.size() == before) return;
    stopRequest = true;
    arithmeticError = true;
}

void TSimulationEngine::PublishWorkingFields() { continuousPhase_.PublishWorkingFields(); }

// ---------------------------------------------------------------------------
// The step

void TSimulationEngine::EvaluateFormulaWeights() {
    for (const auto& [edge, slot] : net_.formulaArcs) {
        if (!edge->isExpression) continue;
        const double v = edge->parser->Value();
        edge->weight = v;
        if (slot == kNone) continue;
        ArcSlot& a = net_.arcs[slot];
        if (SameBits(Stored(a.weight), v) && a.weight == static_cast<long double>(v)) continue;
        a.SetWeight(v);
        index_.WeightChanged(slot);
    }
}

void TSimulationEngine::SampleDiagrams() {
    // Reading the clock can cost as much as a whole step of a small net:
    // every 16th sampling is timed and stands for the 16.
    constexpr std::uint32_t kTimedEvery = 16;
    Clock* clock = samplings_++ % kTimedEvery == 0 ? Platform().clock : nullptr;
    const std::uint32_t start = clock ? clock->Milliseconds() : 0;
    const double time = root_->modelTime;
    for (TPlatz* p : watched_) {
        Oscilloscope* o = p->Diagram();
        if (!o) continue;
        o->AddSample(time, p->Marking());
        o->SetCurveOn(true);
    }
    if (clock) diagramMilliseconds += kTimedEvery * (clock->Milliseconds() - start);
}

void TSimulationEngine::RunTokenAnimation() {
    if (!view.animateTokens || (firing_.inputAnimation.empty() && firing_.outputAnimation.empty())) return;
    TokenAnimation plan{&firing_.inputAnimation, &firing_.outputAnimation, TokenAnimationFrames(speedBarPosition),
                        TokenAnimationDelay(speedBarPosition)};
    view.animateTokens(plan);
}

// Nothing a step looks at changed since a step that found the net dead and
// had nothing else to do (the enabling index, marking writes outside the
// engine, diagrams, the incremental setting, faults of a ComputeFlow).
[[gnu::always_inline]] inline bool TSimulationEngine::Quiet() const {
    return quiet_ && (flatDead_ || (index_.Generation() == deadGeneration_ && index_.Current())) && faults_.empty() &&
           TPlatz::markingWrites.load(std::memory_order_relaxed) == seenWrites_ &&
           TPlatz::diagramChanges.load(std::memory_order_relaxed) == seenDiagrams_ && incremental &&
           net_.arcs.size() >= incrementalFromArcs && !inStep_;
}

bool TSimulationEngine::Step() {
    if (Quiet()) {
        sampleTime_ = root_->sampleTimeSeconds;
        root_->modelTime = Stored(static_cast<long double>(root_->modelTime) + sampleTime_);
        timeAdvanced = true;
        return false;
    }
    quiet_ = false;
    if (!root_) return false;
    if (!deferWorkingFields) continuousPhase_.PublishPending();
    faults_.clear();
    Prepare();
    struct InStep {
        bool& flag;
        explicit InStep(bool& f) : flag(f) { flag = true; }
        ~InStep() { flag = false; }
    } inStep(inStep_);
    const bool animating = showAnimations && !maxSpeed;
    firing_.inputAnimation.clear();
    firing_.outputAnimation.clear();
    EvaluateWeights();
    bool event = false;
    if (!net_.immediate.empty()) event = Immediate();
    if (!event) {
        if (!net_.timed.empty()) event = ProcessTimed();
        if (TPlatz::diagramChanges.load(std::memory_order_relaxed) != seenDiagrams_) CollectWatched();
        if (!watched_.empty()) SampleDiagrams();
        if (!event) {
            if (!net_.continuous.empty()) ProcessContinuous();
            root_->modelTime = Stored(static_cast<long double>(root_->modelTime) + sampleTime_);
            timeAdvanced = true;
            // Quiet() checks at the next step whether the net is still dead.
            quiet_ = net_.formulaArcs.empty() && net_.timed.empty() && net_.continuous.empty() &&
                     watched_.empty() && firing_.inputAnimation.empty() && firing_.outputAnimation.empty();
        }
        if (animating) {
            RunTokenAnimation();
            for (TEdge* e : firing_.outputAnimation) {
                if (TPlatz* p = e->PlaceEnd()) p->InvalidateIfShown();
            }
        }
    }
    return event;
}

void TSimulationEngine::InitNet() {
    if (!root_) return;
    continuousPhase_.PublishPending();
    root_->modelTime = 0;
    root_->ResetToInitialState();
    MarkingsChanged();
    timeAdvanced = true;
}

} // namespace qz
