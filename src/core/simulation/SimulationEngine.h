#pragma once
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

#include "model/SimulationLists.h"
#include "simulation/ConflictResolver.h"
#include "simulation/ContinuousPhase.h"
#include "simulation/EnablingIndex.h"
#include "simulation/FlatDiscretePhase.h"
#include "simulation/Firing.h"
#include "simulation/SessionNet.h"
#include "simulation/SimulationView.h"
#include "simulation/TimedPhase.h"

namespace qz {

class TEdge;
class TPNObjekt;
class TPlatz;
class TTransition;

// Fills the working lists of one session in hierarchy order (own net, each
// child object whole, then the base object).
void ClassifyTransitions(TPNObjekt& root, SimulationLists& lists);

// The simulation engine of one session: the immediate phase, the timed
// phase, the continuous phase and the step that runs them in their fixed
// order. Window-independent: drawing goes through the element setters and
// the view hooks, which are skipped at "Max Speed".
//
// At the start of a session the working lists are compiled into flat arrays
// (SessionNet); the enabling rule is kept incrementally (EnablingIndex), the
// conflict groups are resolved by the ConflictResolver, firings go through
// Firing, and the timed and continuous phases are TimedPhase and
// ContinuousPhase. This class runs them and is what the rest of the system
// uses.
class TSimulationEngine {
public:
    TSimulationEngine();
    ~TSimulationEngine();
    TSimulationEngine(const TSimulationEngine&) = delete;
    TSimulationEngine& operator=(const TSimulationEngine&) = delete;

    // Builds the working lists of `root`'s hierarchy, takes the document's
    // enhanced firing rule and sets the time-advanced flag. Fusion must be
    // resolved.
    void Start(TPNObjekt& root);
    // Builds the conflict groups; returns their number.
    std::size_t BuildConflictGroups();
    // Frees the working lists.
    void Clear();
    bool Active() const { return root_ != nullptr; }
    TPNObjekt* Root() const { return root_; }

    // The enhanced firing rule of continuous transitions in this session
    // (the options window changes it for the session's document).
    void SetEnhancedRule(bool on);
    bool EnhancedRule() const { return index_.Enhanced(); }

    // Rereads the weights of arcs with constant weights, the capacities and
    // the watched places (places with an oscilloscope). The run control
    // calls it before every step or run it starts. Places that gain or lose
    // an oscilloscope during a run are noticed at the next step.
    void Refresh();
    // Tells the engine that markings, capacities, weights or the working
    // flags of transitions were changed outside a step (Refresh and InitNet
    // imply it): the next step re-checks every transition.
    void MarkingsChanged();

    // The enabling rule, on next markings. Transitions outside the session
    // are never enabled.
    bool IsEnabled(const TTransition& t) const;
    bool InputsSatisfied(const TTransition& t) const;
    bool OutputsHaveRoom(const TTransition& t) const;

    // The phases; each discrete phase returns true on an event.
    bool ProcessImmediate();
    bool ProcessTimed();
    void ResolveConflicts();
    void ProcessContinuous();
    void ComputeFlow(TTransition& t);
    void Fire(TTransition& t);

    // Steps 3 to 6 of a simulation step: weights, the discrete phases,
    // sampling, the continuous phase and the advance of model time. Errors of
    // weight and firing-time formulas propagate to the caller; errors of
    // speed formulas become faults (below) and request the stop.
    bool Step();

    // The arithmetic errors of speed formulas met by the last step (or by
    // ComputeFlow since): the run control reports them after the step.
    const std::vector<SimulationFault>& Faults() const { return faults_; }
    std::vector<SimulationFault> TakeFaults() { return std::exchange(faults_, {}); }

    // Set by a maximum-speed run: the fire flags, speeds and flows of
    // continuous transitions with speed formulas stay in the engine between
    // its steps (unless a conflict group or another working list shares
    // them) and reach the transitions when PublishWorkingFields is called,
    // at the latest when the run stops, the lists change or a step runs
    // without it. Code that reads or edits transitions during such a run
    // publishes first (an edit made before would be overwritten).
    bool deferWorkingFields = false;
    void PublishWorkingFields();

    // Evaluates the weight formulas (as a step does first).
    void EvaluateWeights() {
        if (!net_.formulaArcs.empty()) EvaluateFormulaWeights();
    }
    // Sets the model time to 0, resets the hierarchy to its initial state and
    // sets the time-advanced flag ("Init Net").
    void InitNet();

    const SimulationLists& Lists() const { return lists_; }
    const std::vector<ConflictGroup>& Groups() const { return conflicts_.Groups(); }
    // The arcs of the last step's token animation (kept until the next step).
    const std::vector<TEdge*>& InputAnimationList() const { return firing_.inputAnimation; }
    const std::vector<TEdge*>& OutputAnimationList() const { return firing_.outputAnimation; }
    // The arcs marked flowing by the last continuous phase.
    std::vector<TEdge*> FlowingArcs() const { return continuousPhase_.FlowingArcs(); }
    // Firings of discrete transitions since the session started (benchmarks).
    std::uint64_t DiscreteFirings() const { return firing_.discreteFirings; }

    // The value TPlatz::SetMarking stores for `v` (the engine writes the
    // shared cells directly).
    static double MarkingValue(bool discrete, long double v) { return qz::MarkingValue(discrete, v); }

    // Settings read at every call.
    bool showAnimations = true;
    bool maxSpeed = false;
    bool runToEvent = false;
    int speedBarPosition = 500;
    // Whether a step re-checks only the transitions next to markings and
    // weights that changed since the last check and visits only the
    // conflict groups of transitions that want to fire. Off: every step
    // re-checks every transition and walks every conflict group (the
    // reference the incremental path is compared with).
    bool incremental = true;
    // Nets with fewer arcs are re-checked in full: the bookkeeping costs more
    // than it saves there.
    std::size_t incrementalFromArcs = 128;
    // An incremental check re-checks the transitions reading a changed
    // marking whole when every marking is read by discrete transitions with
    // at most this many arc conditions together; otherwise it follows each
    // arc condition (0: always).
    std::size_t recheckUpTo = 16;
    // Whether the immediate phase of a plain net at "Max Speed" runs on
    // dense arrays (FlatDiscretePhase) where the check is incremental. Off:
    // the general phase (the reference the flat one is compared with).
    bool flatDiscrete = true;
    // From this many transitions the flat phase keeps the set of conflict
    // groups whose enabled transitions need more than their marking up to
    // date as enabling changes; below it, each step visits the groups of
    // the enabled transitions (cheaper where few are enabled).
    std::size_t flatTrackingFrom = 256;
    // Whether the continuous phase takes its fast path (ContinuousPhase).
    // Off: each speed through its transition's parser and each firing
    // through Fire (the reference the fast path is compared with).
    bool flowProgram = true;

    // Engine state.
    bool timeAdvanced = false;
    bool stopRequest = false;
    // Set when an arithmetic error in a speed formula requested the stop.
    bool arithmeticError = false;
    // Milliseconds spent recording diagram samples.
    std::uint32_t diagramMilliseconds = 0;

    // Conflict draws: with a seed the generator is seeded once when the
    // session starts; without one it is reseeded from the clock at every
    // conflict resolution.
    std::optional<std::uint64_t> seed;

    SimulationView view;

private:
    StepMode Mode() const { return StepMode{!maxSpeed, showAnimations && !maxSpeed, runToEvent, timeAdvanced}; }
    void Prepare();
    bool Quiet() const;
    bool Immediate();
    bool ImmediateFlat();
    void LeaveFlat();
    bool ImmediateFull();
    bool ImmediateFlagged();
    void Flag(TTransition& t) const;
    bool ProcessImmediateFull();
    void EvaluateFormulaWeights();
    bool FireImmediate(const std::vector<std::uint32_t>* flagged);
    void NoteFaults(std::size_t before);
    void CollectWatched();
    void SampleDiagrams();
    void RunTokenAnimation();

    TPNObjekt* root_ = nullptr;
    SimulationLists lists_;
    SessionNet net_;
    EnablingIndex index_{net_};
    ConflictResolver conflicts_{net_, index_};
    Firing firing_{net_, index_};
    TimedPhase timedPhase_{net_, index_, conflicts_, firing_};
    ContinuousPhase continuousPhase_{net_, index_, conflicts_, firing_, view};
    FlatDiscretePhase flat_{net_, conflicts_};
    // The last immediate phase ran flat: the enabling index and the conflict
    // resolver have not followed it.
    bool flatActive_ = false;
    // The last flat phase found no transition enabled (Quiet).
    bool flatDead_ = false;
    std::vector<SimulationFault> faults_;
    std::vector<std::uint32_t> flagged_; // scratch of the immediate phase
    std::vector<TPlatz*> watched_;
    std::uint32_t samplings_ = 0;
    double sampleTime_ = 0;
    std::uint64_t seenWrites_ = 0;   // TPlatz::markingWrites when the engine last looked
    std::uint64_t seenDiagrams_ = 0; // TPlatz::diagramChanges when watched_ was collected
    bool flagsKnown_ = false; // no transition of the immediate list has its fire flag set between steps
    // The index generation at which no structural part of the immediate
    // list held (a dead net): until it changes, the immediate phase finds
    // nothing without looking.
    std::uint64_t deadGeneration_ = ~std::uint64_t{0};
    // The last step found a dead net with nothing else to do (no weight
    // formulas, timed or continuous transitions, or watched places): the
    // next one only advances the time while nothing changed (Quiet).
    bool quiet_ = false;
    bool inStep_ = false;     // Step has prepared the phases
};

} // namespace qz
