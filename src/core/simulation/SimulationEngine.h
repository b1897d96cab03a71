#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <unordered_map>
#include <string>
#include <vector>

#include "model/SimulationLists.h"
#include "simulation/SimulationView.h"

namespace qz {

class FlowProgram;
class RandomSource;
class TEdge;
class TPNObjekt;
class TraceSink;
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

    // Builds the working lists of `root`'s hierarchy, takes the document's
    // enhanced firing rule and sets the time-advanced flag. Fusion must be
    // resolved.
    void Start(TPNObjekt& root);
    // The enhanced firing rule of continuous transitions in this session
    // (the options window changes it for the session's document).
    void SetEnhancedRule(bool on);
    bool EnhancedRule() const { return enhanced_; }
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
    // weight and firing-time formulas propagate to the caller.
    bool Step();

    // Set by a maximum-speed run: the fire flags, speeds and flows of
    // continuous transitions with speed formulas stay in the engine between
    // its steps (unless a conflict group or another working list shares
    // them) and reach the transitions when PublishWorkingFields is called,
    // at the latest when the run stops, the lists change or a step runs
    // without it. Code that edits transitions during such a run publishes
    // first (an edit made before would be overwritten).
    bool deferWorkingFields = false;
    void PublishWorkingFields();

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
    // Whether the continuous phase evaluates the speed formulas from the
    // session's own copy of them (a FlowProgram, rebuilt whenever a formula
    // may have been recompiled) and moves marking from compact arrays. Off:
    // each speed through its transition's parser and each firing through
    // Fire (the reference the fast path is compared with).
    bool flowProgram = true;

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
    struct FlowSlot;
    struct FlowArc;
    // An arc as the cell it reads sees it: the kind of its condition and,
    // for a constant finite weight, the threshold that decides it.
    struct CellReader {
        double bound;
        std::uint32_t arc;
        std::uint32_t trans; // the arc's transition slot
        std::uint8_t mode;
    };

    bool Enabled(std::uint32_t s) const;
    bool ChecksHold(std::uint32_t s) const;
    bool ExactChecksHold(std::uint32_t first, std::uint32_t last) const;
    bool ExactCondition(std::uint32_t arc) const;
    void BuildChecks();
    void LoadChecks(std::uint32_t s);
    bool Inputs(const TransSlot& s) const;
    bool Outputs(const TransSlot& s) const;
    void FireSlot(std::uint32_t s);
    void Deliver(std::uint32_t s);
    void ThrowOut(std::uint32_t arc);
    void RecheckAfterWinner(std::uint32_t winner, const GroupSlot& g);
    struct FlaggedArcs {
        std::uint32_t group;
        const std::uint64_t* first; // entries of touched_, or null
        const std::uint64_t* last;
    };
    void ResolveGroup(const GroupSlot& g, long double avail, std::vector<std::uint32_t>* lowered,
                      const FlaggedArcs& flagged);
    void KnowChosen();
    void BeginResolution();
    void ResolveConflictsOf(const std::vector<std::uint32_t>& flagged);
    void ResetNextMarkings(std::vector<std::uint32_t>* lowered);
    bool ProcessImmediateFull();
    bool FireImmediate(const std::vector<std::uint32_t>* flagged);
    bool Conditions(std::uint32_t s) const;
    bool Structural(std::uint32_t s);
    bool EnabledNow(std::uint32_t s);
    bool ArcOk(std::uint32_t arc) const;
    void LoadReader(std::uint32_t arc);
    void SetArcOk(std::uint32_t arc, std::uint32_t slot, bool ok);
    void FlipArc(std::uint32_t arc, std::uint32_t slot, bool ok);
    void BuildCellSlots();
    void Recheck();
    bool CellChanged(std::uint32_t cell);
    void Touch(std::uint32_t cell);
    void Flush();
    void SetCheck(std::uint32_t s, bool ok);
    void BuildAdjacency();
    void WriteMarking(const ArcSlot& a, long double v);
    void TakeWeight(const ArcSlot& a);
    void AddWeight(const ArcSlot& a);
    void ShowRunningTimers();
    void RunTokenAnimation();
    void SampleDiagrams();
    int SlotOf(const TTransition& t) const;
    void Prepare();
    void Prefetch(const std::vector<std::uint32_t>& list, std::size_t i) const;
    void ShowContinuous(std::uint32_t slot, bool enabled);
    void FlowError(TTransition& t);
    void FlowFault(TTransition& t);
    void ReportFlowError(TTransition& t);
    void SpeedError(TTransition& t, bool drawing);
    void OrderFlowFirings();
    bool EvaluateFlow(FlowSlot& f, std::size_t i, bool defer, bool drawing, double sampleTime);
    bool FlowReady();
    void BuildFlow();
    void ProcessFlow();
    void FireFlow(const FlowSlot& f, bool drawing);
    void PublishWorkingFields(FlowSlot& f);
    void PublishPending();
    bool FlowEnabled(std::uint32_t slot);
    std::uint32_t* FireFlowFast(const FlowSlot& f, double sampleTime, std::uint32_t* touch);

    TPNObjekt* root_ = nullptr;
    SimulationLists lists_;
    std::vector<ConflictGroup> groups_;
    std::vector<TransSlot> trans_;
    std::vector<ArcSlot> arcs_;
    std::vector<GroupSlot> groupSlots_;
    std::vector<std::uint32_t> groupArcs_; // arc slots of all groups, group after group
    std::vector<TTransition*> groupTrans_; // their transitions
    std::vector<std::uint32_t> immediate_, timed_, continuous_;
    std::vector<std::pair<TEdge*, std::uint32_t>> formulaArcs_;
    std::vector<std::uint32_t> candidates_; // scratch list of ResolveConflicts
    std::vector<TPlatz*> watched_;
    std::vector<TEdge*> inputAnimation_, outputAnimation_;
    std::vector<std::pair<const TTransition*, std::uint32_t>> index_; // sorted by address
    std::unordered_map<const TEdge*, std::uint32_t> arcIndex_;        // set-up only
    bool enhanced_ = false;
    double sampleTime_ = 0;

    // Incremental enabling. A marking cell is the shared marking and next
    // marking of a marking owner; every arc slot names its cell.
    std::vector<double*> cellMarking_, cellNext_;      // per cell
    std::vector<std::uint8_t> cellIsGroup_;            // cell heads a conflict group
    std::vector<std::uint32_t> cellArcs0_;             // range of a cell in readers_
    std::vector<CellReader> readers_;                  // arcs reading each cell, cell after cell
    std::vector<std::uint32_t> readerOf_;              // per arc slot
    // A cell's readers: four blocks sorted by threshold whose holding
    // conditions form a prefix (inputs of discrete transitions from discrete
    // and from continuous places, inputs of continuous transitions, and
    // inhibitors, whose failing conditions form the prefix), then the
    // readers checked one by one (capacities, formula weights), then those
    // without a condition.
    struct CellBlocks {
        std::uint32_t start[6];
        std::uint32_t count[4]; // length of the prefix
        std::uint32_t sorted;   // bit b: block b (0 to 3) has readers
        std::uint32_t uniform;  // bit b: the readers of block b share one threshold
    };
    std::vector<CellBlocks> cellBlocks_;
    std::vector<std::uint8_t> cellWatched_;            // the cell has readers with a condition
    std::vector<std::uint8_t> arcVariable_;            // per arc slot: formula weight
    void SortReaders();
    std::vector<std::uint8_t> arcOk_;                  // per arc slot: its condition holds
    std::vector<std::uint32_t> unsatisfied_;           // per slot: arcs whose condition fails
    std::vector<std::uint8_t> cellDirty_;
    std::vector<double> cellSeen_;                     // per cell: marking and next at the last check
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
    CellList dirtyCells_;
    std::vector<std::uint8_t> check_;  // structural part of the rule holds, per slot
    bool recheck_ = false;              // Flush re-checks the readers of a changed cell whole
    std::vector<std::uint32_t> cellSlots0_, cellSlots_; // per cell: its readers with a condition, each once
    std::vector<std::uint8_t> stale_;  // per slot
    std::vector<std::uint32_t> staleSlots_;
    std::vector<std::uint32_t> immPos0_, immPos_;      // positions of a slot in immediate_
    std::vector<std::uint32_t> immOne_;                // per slot: its only position, kNoPosition or kManyPositions
    std::vector<std::uint64_t> immBits_;               // positions whose check holds
    std::vector<std::uint32_t> slotGroups0_;           // per slot: range in slotGroups_
    std::vector<std::uint64_t> slotGroups_;            // group << 32 | position in groupArcs_
    std::vector<std::uint32_t> groupedOthers_;         // grouped slots outside immediate_
    std::vector<std::uint32_t> groupOfPos_;            // per position in groupArcs_
    std::vector<std::uint64_t> posBits_, posSummary_;  // scratch bitmap over groupArcs_
    std::vector<std::uint64_t> touched_;               // scratch
    std::vector<std::uint32_t> flagged_, lowered_;     // scratch
    bool checksValid_ = false;   // check_ holds for every slot
    bool flagsKnown_ = false;    // no transition of immediate_ has its fire flag set between steps
    bool fullReset_ = true;      // the next conflict resolution resets every group's next marking
    bool listsOverlap_ = false;  // a slot of immediate_ is also timed or continuous
    bool incremental_ = false;   // incremental, for this net's size
    bool flaggedKnown_ = false;
    bool inStep_ = false;        // Step has prepared the phases
    bool chosenKnown_ = false;   // chosenList_ holds every transition with its chosen flag set
    std::vector<std::uint32_t> chosenList_;
    std::vector<std::uint64_t> chosenGroups_; // group << 32 | slot of the chosen ones, sorted
    std::size_t chosenCursor_ = 0;
    // Services of the running conflict resolution.
    RandomSource* random_ = nullptr;
    TraceSink* sink_ = nullptr;
    bool tracing_ = false;  // touched_ holds every group arc of a flagged transition
    std::uint64_t seenWrites_ = 0; // TPlatz::markingWrites when the engine last looked
    std::unordered_map<const double*, std::uint32_t> cellIndex_; // set-up only

    // The arc conditions of discrete transitions as intervals of markings
    // from double thresholds (EnablingThresholds.h), made per block (inputs
    // from discrete places, from continuous places, inhibitors, bounded
    // outputs on the marking, the others on the next marking; arcs whose
    // weight or capacity is not finite are checked exactly) and kept per
    // slot in three parts: lower bounds alone, other intervals, exact.
    struct Check {
        const double* v;
        double lo, hi, unless;
    };
    static Check MakeCheck(std::uint32_t block, const double* v, double threshold);
    static constexpr std::uint32_t kCheckParts = 3;
    std::vector<Check> checks_;
    std::vector<std::uint32_t> checkArc_;   // per check: its arc slot
    std::vector<std::uint32_t> checkStart_; // per slot and part; one more at the end

    // The continuous phase's fast path: one entry per position of
    // continuous_ with the arcs it moves marking on, and the speed formulas.
    std::vector<FlowSlot> flow_;
    std::vector<FlowArc> flowArcs_;
    std::unique_ptr<FlowProgram> program_;
    std::uint64_t seenLists_ = 0; // TCustomParser::listChanges when program_ was built
    bool flowBuilt_ = false;
    bool flowDeferrable_ = false;  // no continuous transition is grouped or listed twice
    bool deferredPending_ = false; // flow_ holds fields not yet published
    double deferredSampleTime_ = 0; // the sample time of the pending flows      // flow_ and program_ match the session and its formulas
    bool flowRepeats_ = false;    // a transition stands twice in continuous_
    bool flowDiscrete_ = false;   // a continuous transition has a discrete place
    std::vector<std::uint32_t> touchLater_; // scratch of the second pass
    // Per position of flow_: the last position whose speed and enabling must
    // be known before the transition may fire, because they read a cell it
    // writes or an earlier transition fires later (firings keep list order).
    std::vector<std::uint32_t> fireAfter_;
    bool flowInterleaved_ = false; // some transition may fire before the first pass ends
    std::vector<TTransition*> flowFaults_; // speed errors of an interleaved pass, reported after it
};

} // namespace qz
