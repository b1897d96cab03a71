#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "simulation/SessionNet.h"

namespace qz {

class ConflictResolver;
class EnablingIndex;
class Firing;
class FlowProgram;
struct SimulationView;

// A fault a step met and went on from: an arithmetic error in the speed
// formula of `transition`, whose flow was 0 in that step. The run control
// reports it after the step.
struct SimulationFault {
    TTransition* transition = nullptr;
    std::string what; // the error's own message
};

// The continuous phase of a step: every enabled continuous transition gets
// its flow (speed × sample time, from the markings at the start of the
// phase), then the flows move.
//
// The fast path compiles the speed formulas into one FlowProgram (rebuilt
// whenever a formula may have been recompiled) and moves marking from
// compact arrays, with the same evaluation order, arithmetic and rounding;
// without drawing it fires each transition as soon as every speed and
// enabling check reading a marking it writes is known (the result equals two
// separate passes). A transition listed twice takes the straightforward
// path (through each transition's parser and Firing::Fire), which is also
// the reference the fast path is tested against.
class ContinuousPhase {
public:
    ContinuousPhase(const SessionNet& net, EnablingIndex& index, const ConflictResolver& conflicts,
                    Firing& firing, const SimulationView& view);
    ~ContinuousPhase();

    struct Options {
        bool flowProgram = true;  // the fast path
        bool defer = false;       // keep fire flags, speeds and flows in the phase (see below)
        bool stopRequest = false; // a stop was requested before the phase (no selection marks)
    };
    // Speed errors are appended to `faults`.
    void Process(StepMode mode, double sampleTime, const Options& options,
                 std::vector<SimulationFault>& faults);
    // The value and flow of one continuous transition.
    void ComputeFlow(TTransition& t, double sampleTime, std::vector<SimulationFault>& faults);

    // A deferred run keeps the fire flags, speeds and flows of transitions
    // with speed formulas in the phase (unless a conflict group or another
    // working list shares them); they reach the transitions here, and the
    // program is rebuilt at its next use.
    void PublishWorkingFields();
    // Only the pending fields, without a rebuild.
    void PublishPending() {
        if (pending_) PublishAll();
    }
    // The session's lists or formulas changed: rebuild before the next use.
    void Invalidate() { built_ = false; }
    void Clear();

    // The arcs marked flowing by the last continuous phase.
    std::vector<TEdge*> FlowingArcs() const;

private:
    struct FlowSlot;
    struct FlowArc;

    bool Ready();
    void Build();
    void OrderFirings();
    void ProcessList(StepMode mode, double sampleTime, std::vector<SimulationFault>& faults);
    void ProcessFlow(StepMode mode, double sampleTime, const Options& options);
    struct FirstPassEnd {
        std::size_t fired;     // the transitions fired so far, a prefix of flow_
        std::uint32_t* touch;  // the end of the cells collected in touchLater_
        int enabled;
    };
    template <bool kMaxSpeed>
    FirstPassEnd FirstPass(double sampleTime, bool defer, bool drawing, bool kept, bool interleave);
    // `kept`: the index's kept structural parts, or nullptr to check in full.
    bool Evaluate(const EnablingIndex& index, FlowSlot& f, std::size_t i, bool defer, bool drawing,
                  const std::uint8_t* kept, double sampleTime);
    void Show(std::uint32_t slot, bool enabled, bool stopRequest);
    void Fire(const FlowSlot& f, bool drawing, double sampleTime);
    // What FireFast reads besides the transition, taken once per pass.
    struct FireArrays {
        const FlowArc* arcs;
        const std::uint8_t* dirty;
        const std::uint8_t* watched;
    };
    FireArrays Arrays() const;
    std::uint32_t* FireFast(const FlowSlot& f, FireArrays arrays, double sampleTime, std::uint32_t* touch);
    void Publish(FlowSlot& f);
    void PublishAll();
    static void Fault(TTransition& t, const char* what, std::vector<SimulationFault>& faults);

    const SessionNet& net_;
    EnablingIndex& index_;
    const ConflictResolver& conflicts_;
    Firing& firing_;
    const SimulationView& view_;

    // One entry per position of the continuous list with the arcs it moves
    // marking on, and the speed formulas.
    std::vector<FlowSlot> flow_;
    std::vector<FlowArc> arcs_;
    std::unique_ptr<FlowProgram> program_;
    std::uint64_t seenLists_ = 0;   // TCustomParser::listChanges when program_ was built
    bool built_ = false;            // flow_ and program_ match the session and its formulas
    bool deferrable_ = false;       // no continuous transition is grouped or listed twice
    bool pending_ = false;          // flow_ holds fields not yet published
    double pendingSampleTime_ = 0;  // the sample time of the pending flows
    bool repeats_ = false;          // a transition stands twice in the list
    bool discrete_ = false;         // a continuous transition has a discrete place
    std::vector<std::uint32_t> touchLater_; // scratch of the second pass
    // Per position of flow_: the last position whose speed and enabling must
    // be known before the transition may fire, because they read a cell it
    // writes or an earlier transition fires later (firings keep list order).
    std::vector<std::uint32_t> fireAfter_;
    bool interleaved_ = false; // some transition may fire before the first pass ends
    // The running pass: where it reports speed errors, how many were there
    // before it, and whether a stop was requested before it.
    std::vector<SimulationFault>* faults_ = nullptr;
    std::size_t faultsBefore_ = 0;
    bool stopRequest_ = false;
};

} // namespace qz
