#pragma once
#include <cstdint>
#include <vector>

#include "simulation/OrderedPositions.h"
#include "simulation/SessionNet.h"

namespace qz {

class ConflictResolver;
class RandomSource;
class TTransition;

// The immediate phase of a plain net at "Max Speed", on dense arrays: every
// transition immediate and without reservation, every place discrete,
// every arc a normal arc of constant whole weight from 1 to 2^20, no
// capacities on output places, no weight formulas, whole markings below
// 2^50. It follows the engine's rule step for step (conflict groups in
// group order, candidates in arc order, winners lowering next markings, the
// last winner's other groups re-checked) and draws the same random numbers,
// so a run is the same bit for bit; the order in which the enabled
// transitions are flagged and fired leaves no trace in such a net. Chosen
// flags are written through to the model as they change, markings once a
// step.
class FlatDiscretePhase {
public:
    // `groups`: the session's conflict groups, whose tables the phase reads.
    FlatDiscretePhase(const SessionNet& net, ConflictResolver& groups) : net_(net), groups_(groups) {}

    // Markings, flags, weights or groups may have changed outside: the next
    // Ready reads the net again.
    void Invalidate() { state_ = State::Unknown; }
    // Whether the session's net is plain (read again after Invalidate, or
    // when `trackingFrom`, the number of transitions from which the groups
    // in conflict are kept up to date, changes).
    bool Ready(std::size_t trackingFrom);
    // One immediate phase: false when no transition was enabled. `seeded`:
    // without a seed the generator is reseeded from the clock before a
    // resolution, as the engine does.
    bool Step(RandomSource& random, bool seeded, std::uint64_t& firings);
    // A marking came close to the range whole numbers keep in doubles: the
    // net is no longer plain.
    bool Overflowed() const { return state_ == State::No; }

private:
    enum class State { Unknown, Yes, No };
    struct GroupArc {
        std::uint32_t slot;
        double weight;
    };
    struct SlotGroup {
        std::uint32_t group, position;
        double weight;
    };

    bool Load();
    bool Enabled(std::uint32_t slot) const;
    void SetEnabled(std::uint32_t slot, bool on);
    void SetChosen(std::uint32_t slot, std::uint8_t on);
    void Touch(std::uint32_t cell);
    void Reassess(std::uint32_t group);
    template <class F>
    void ForEnabledArcs(std::uint32_t group, F&& f) const;
    void Resolve(std::uint32_t group, RandomSource& random);
    void RecheckAfterWinner(std::uint32_t winner, std::uint32_t group);

    const SessionNet& net_;
    ConflictResolver& groups_;
    State state_ = State::Unknown;
    std::size_t trackingFrom_ = 0;
    bool tracking_ = false; // whether need_ and overdrawn_ are kept up to date
    std::uint64_t step_ = 0; // stamps of the current step
    // Per cell: the marking and next marking (mirrors of the model's,
    // written back once a step), the readers, the group it heads (or -1).
    std::vector<double> marking_, next_;
    std::vector<double> seen_; // next marking when its readers were last checked
    std::vector<std::uint32_t> readers0_, readers_;
    std::vector<std::int32_t> groupOfCell_;
    std::vector<std::uint64_t> touchedIn_; // step that changed the cell
    std::vector<std::uint32_t> touched_;
    // Per slot: inputs and outputs, flags, the enabled ones in any order
    // (the order of a step's firings and checks leaves no trace).
    std::vector<std::uint32_t> in0_, inCell_, out0_, outCell_;
    std::vector<double> inWeight_, outWeight_;
    std::vector<TTransition*> trans_; // compact: priorities and chosen flags
    std::vector<std::uint8_t> enabled_, fire_, chosen_;
    std::vector<std::uint32_t> enabledList_, enabledAt_;
    std::vector<std::uint64_t> checkedIn_; // step that last checked the slot
    // Per position of the resolver's group arcs: transition and weight; per
    // slot its groups with the weights it needs there.
    std::vector<GroupArc> groupArcs_;
    std::vector<std::uint32_t> groupCell_, groupArc0_; // compact copies of the resolver's
    std::vector<std::uint32_t> slotGroup0_;
    std::vector<SlotGroup> slotGroups_;
    // While tracking, per group: what its enabled transitions need, whether
    // that is more than the next marking (the only groups a step can find in
    // conflict, with those whose cell a winner lowers), how many of its
    // transitions are chosen.
    std::vector<double> need_;
    OrderedPositions overdrawn_;
    std::vector<std::uint32_t> chosenIn_;
    // While tracking, per position of the group arcs: whether its
    // transition is enabled.
    std::vector<std::uint64_t> enabledArcs_;
    // Scratch of a step.
    OrderedPositions visit_;
    std::vector<std::uint32_t> lowered_, candidates_;
};

} // namespace qz
