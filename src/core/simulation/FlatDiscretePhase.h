#pragma once
#include <cstdint>
#include <vector>

#include "simulation/SessionNet.h"

namespace qz {

class ConflictResolver;
class RandomSource;
class TTransition;

// The immediate phase of a plain net at "Max Speed", on dense arrays: every
// transition immediate and without reservation, every place discrete,
// every arc a normal arc of constant whole weight from 1 to 2^20, no
// capacities on output places, no weight formulas, whole markings below
// 2^50. It follows the engine's rule step for step (flags in list order,
// conflict groups in group order, winners lowering next markings, the last
// winner's other groups re-checked, fire order) and draws the same random
// numbers, so a run is the same bit for bit; the markings and chosen flags
// are written through to the model as they change.
class FlatDiscretePhase {
public:
    // `groups`: the session's conflict groups, whose tables and scratch
    // bitmap the phase shares.
    FlatDiscretePhase(const SessionNet& net, ConflictResolver& groups) : net_(net), groups_(groups) {}

    // Markings, flags, weights or groups may have changed outside: the next
    // Ready reads the net again.
    void Invalidate() { state_ = State::Unknown; }
    // Whether the session's net is plain (read again after Invalidate).
    bool Ready();
    // One immediate phase: false when no transition was enabled. `seeded`:
    // without a seed the generator is reseeded from the clock before a
    // resolution, as the engine does.
    bool Step(RandomSource& random, bool seeded, std::uint64_t& firings);
    // A marking came close to the range whole numbers keep in doubles: the
    // net is no longer plain.
    bool Overflowed() const { return state_ == State::No; }

private:
    enum class State { Unknown, Yes, No };
    struct Arc {
        std::uint32_t cell;
        double weight;
    };
    struct GroupArc {
        std::uint32_t slot;
        double weight;
    };

    bool Load();
    bool Enabled(std::uint32_t slot) const;
    bool Flagged(std::uint32_t slot) const;
    void SetEnabled(std::uint32_t slot, bool on);
    void SetChosen(std::uint32_t slot, std::uint8_t on);
    void Write(std::uint32_t cell, double marking, double next);
    void Resolve(std::uint32_t group, const std::uint64_t* first, const std::uint64_t* last, RandomSource& random);
    void RecheckAfterWinner(std::uint32_t winner, std::uint32_t group);

    const SessionNet& net_;
    ConflictResolver& groups_;
    State state_ = State::Unknown;
    // Per cell: the marking and next marking (mirrors of the model's), the
    // readers, the group it heads (or -1), the step's dirty mark.
    std::vector<double> marking_, next_;
    std::vector<double> seen_; // next marking when its readers were last checked
    std::vector<std::uint32_t> readers0_, readers_;
    std::vector<std::int32_t> groupOfCell_;
    std::vector<std::uint8_t> dirty_;
    std::vector<std::uint32_t> dirtyCells_;
    // Per slot: inputs and outputs, position in the immediate list, flags.
    std::vector<std::uint32_t> in0_, out0_;
    std::vector<Arc> arcs_; // inputs then outputs of each slot
    std::vector<TTransition*> trans_; // compact: priorities and chosen flags
    std::vector<std::uint32_t> positionOf_;
    std::vector<std::uint8_t> fire_, chosen_;
    std::vector<std::uint64_t> enabled_; // per position of the immediate list
    // Per position of the resolver's group arcs: transition and weight.
    std::vector<GroupArc> groupArcs_;
    std::vector<std::uint32_t> groupCell_, groupArc0_; // compact copies of the resolver's
    // Scratch of a step.
    std::vector<std::uint32_t> flagged_, lowered_, candidates_;
    std::vector<std::uint64_t> touched_; // group << 32 | position, in group order
    std::size_t touchedCount_ = 0;
};

} // namespace qz
