#pragma once
#include <cstdint>
#include <optional>
#include <unordered_map>
#include <string>
#include <vector>

#include "model/SimulationLists.h"
#include "simulation/SimulationView.h"

namespace qz {

class TEdge;
class TPNObjekt;
class TPlatz;
class TTransition;

// Fills the working lists of one session in hierarchy order (own net, each
// child object whole, then the base object).
void ClassifyTransitions(TPNObjekt& root, SimulationLists& lists);

// The simulation engine of one session: the discrete phases (immediate and
// timed, with conflict resolution), the continuous phase and the step that
// runs them in their fixed order. Window-independent: drawing goes through
// the element setters and the view hooks, which are skipped at "Max Speed".
//
// At the start of a session the working lists are compiled into flat arrays
// (one slot per transition with contiguous ranges of input and output arcs
// holding the marking owner and the current weight), so a step walks arrays
// without allocating, hashing or formatting.
class TSimulationEngine {
public:
    TSimulationEngine();
    ~TSimulationEngine();
    TSimulationEngine(const TSimulationEngine&) = delete;
    TSimulationEngine& operator=(const TSimulationEngine&) = delete;

    // Builds the working lists of `root`'s hierarchy and sets the
    // time-advanced flag. Fusion must be resolved.
    void Start(TPNObjekt& root);
    // Builds the conflict groups; returns their number.
    std::size_t BuildConflictGroups();
    // Frees the working lists.
    void Clear();
    bool Active() const { return root_ != nullptr; }
    TPNObjekt* Root() const { return root_; }

    // Rereads the weights of arcs with constant weights and the watched
    // places (places with an oscilloscope). The run control calls it before
    // every step or run it starts; a window calls it after opening or closing
    // an oscilloscope during a run.
    void Refresh();

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
    // weight and firing-time formulas propagate to the caller.
    bool Step();

    // Evaluates the weight formulas (as a step does first).
    void EvaluateWeights();
    // Sets the model time to 0, resets the hierarchy to its initial state and
    // sets the time-advanced flag ("Init Net").
    void InitNet();

    const SimulationLists& Lists() const { return lists_; }
    const std::vector<ConflictGroup>& Groups() const { return groups_; }
    // The arcs of the last step's token animation (kept until the next step).
    const std::vector<TEdge*>& InputAnimationList() const { return inputAnimation_; }
    const std::vector<TEdge*>& OutputAnimationList() const { return outputAnimation_; }
    // The arcs marked flowing by the last continuous phase.
    std::vector<TEdge*> FlowingArcs() const;

    // The value TPlatz::SetMarking stores for `v` (the engine writes the
    // shared cells directly).
    static double MarkingValue(bool discrete, long double v);

    // Settings read at every call.
    bool showAnimations = true;
    bool maxSpeed = false;
    bool runToEvent = false;
    // Whether the run control's simulation timer runs (the arithmetic-error
    // message depends on it).
    bool timerRunning = false;
    int speedBarPosition = 500;

    // Engine state.
    bool timeAdvanced = false;
    bool stopRequest = false;
    // Set when an arithmetic error in a speed formula requested the stop.
    bool arithmeticError = false;
    // Milliseconds spent recording diagram samples.
    std::uint32_t diagramMilliseconds = 0;
    // Firings of discrete transitions since the session started (benchmarks).
    std::uint64_t discreteFirings = 0;

    // Conflict draws: with a seed the generator is seeded once when the
    // session starts; without one it is reseeded from the clock at every
    // conflict resolution.
    std::optional<std::uint64_t> seed;

    SimulationView view;
    // Called when a speed-formula error stops the simulation timer.
    std::function<void()> stopSimulationTimer;

private:
    struct ArcSlot;
    struct TransSlot;
    struct GroupSlot;

    bool Enabled(std::uint32_t s) const;
    bool Inputs(const TransSlot& s) const;
    bool Outputs(const TransSlot& s) const;
    void FireSlot(std::uint32_t s);
    void Deliver(std::uint32_t s);
    void ThrowOut(std::uint32_t arc);
    void RecheckAfterWinner(std::uint32_t winner, const GroupSlot& g);
    void ShowRunningTimers();
    void RunTokenAnimation();
    void SampleDiagrams();
    int SlotOf(const TTransition& t) const;
    void Prepare();
    void Prefetch(const std::vector<std::uint32_t>& list, std::size_t i) const;

    TPNObjekt* root_ = nullptr;
    SimulationLists lists_;
    std::vector<ConflictGroup> groups_;
    std::vector<TransSlot> trans_;
    std::vector<ArcSlot> arcs_;
    std::vector<GroupSlot> groupSlots_;
    std::vector<std::uint32_t> groupArcs_; // arc slots of all groups, group after group
    std::vector<std::uint32_t> immediate_, timed_, continuous_;
    std::vector<std::pair<TEdge*, std::uint32_t>> formulaArcs_;
    std::vector<std::uint32_t> candidates_; // scratch list of ResolveConflicts
    std::vector<TPlatz*> watched_;
    std::vector<TEdge*> inputAnimation_, outputAnimation_;
    std::vector<std::pair<const TTransition*, std::uint32_t>> index_; // sorted by address
    std::unordered_map<const TEdge*, std::uint32_t> arcIndex_;        // set-up only
    bool enhanced_ = false;
    double sampleTime_ = 0;
};

} // namespace qz
