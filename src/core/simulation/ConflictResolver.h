#pragma once
#include <cstdint>
#include <vector>

#include "model/SimulationLists.h"
#include "simulation/OrderedPositions.h"
#include "simulation/SessionNet.h"

namespace qz {

class EnablingIndex;
struct PlatformServices;
class RandomSource;
class TPNObjekt;
class TraceSink;

// The conflict resolution of a session: for each conflict group whose
// flagged transitions need more tokens than its place holds, the winners
// are drawn by priority and then at random, the losers thrown out, and the
// transitions reading the winners' other input places re-checked; the next
// markings of the groups' places are reset afterwards.
//
// Only the groups of transitions whose fire flag is set are visited, in
// group order (their arcs are collected in a bitmap), and in each group
// only its flagged arcs and the transitions chosen earlier; the next
// markings are reset only where a winner lowered them. With the debug trace
// on, every group is walked and reported.
class ConflictResolver {
public:
    ConflictResolver(SessionNet& net, EnablingIndex& index);

    // Builds the conflict groups of `root`'s hierarchy; returns their number.
    std::size_t Build(TPNObjekt& root);
    void Clear();
    bool Empty() const { return groupSlots_.empty(); }
    const std::vector<ConflictGroup>& Groups() const { return groups_; }
    // Whether a transition competes in some group.
    bool Grouped(std::uint32_t slot) const { return slotGroups0_[slot + 1] != slotGroups0_[slot]; }
    // Markings or flags changed outside a step: the next resolution looks
    // at every transition's chosen flag and resets every group's place.
    void Invalidate() {
        chosenKnown_ = false;
        fullReset_ = true;
    }

    // Every group in order. `seeded`: the random source was seeded for the
    // session; otherwise it is reseeded from the clock first.
    void ResolveAll(StepMode mode, bool seeded);
    // The groups of `flagged` (the flagged transitions of the immediate
    // list) and of the grouped transitions outside it whose fire flag is
    // set: fire flags are only ever cleared during a resolution, so only
    // those groups can be in conflict.
    void ResolveFlagged(const std::vector<std::uint32_t>& flagged, StepMode mode, bool seeded);

    // The group tables, for a phase that resolves on arrays of its own
    // (valid from Build to Clear): group g's arcs are the positions
    // GroupArc0(g) to GroupArc0(g + 1) of GroupArcSlot.
    std::uint32_t GroupCount() const { return static_cast<std::uint32_t>(groupSlots_.size()); }
    std::uint32_t GroupCell(std::uint32_t g) const { return groupSlots_[g].cell; }
    std::uint32_t GroupArc0(std::uint32_t g) const {
        return g < groupSlots_.size() ? groupSlots_[g].arc0 : static_cast<std::uint32_t>(groupArcs_.size());
    }
    std::uint32_t GroupArcCount() const { return static_cast<std::uint32_t>(groupArcs_.size()); }
    std::uint32_t GroupArcSlot(std::uint32_t position) const { return groupArcs_[position]; }

private:
    // Marks the group arcs of slot `s`; DrainGroupArcs writes the marked ones
    // as group << 32 | position, in group and arc order, each once, to `out`
    // (room for every group arc) and returns their number.
    void MarkGroupArcs(std::uint32_t s) {
        for (std::uint32_t k = slotGroups0_[s]; k < slotGroups0_[s + 1]; ++k) {
            flaggedArcs_.Mark(static_cast<std::uint32_t>(slotGroups_[k]));
        }
    }
    std::size_t DrainGroupArcs(std::uint64_t* out) {
        std::size_t count = 0;
        const std::uint32_t* const groupOfPos = groupOfPos_.data();
        flaggedArcs_.Drain([out, groupOfPos, &count](std::uint32_t pos) {
            out[count++] = static_cast<std::uint64_t>(groupOfPos[pos]) << 32 | pos;
        });
        return count;
    }
    struct GroupSlot {
        double* marking; // the place's cells
        double* next;
        TPlatz* place;
        std::uint32_t arc0, arc1; // range in groupArcs_ and groupTrans_
        std::uint32_t cell;       // the place's marking cell, or kNone
    };
    struct FlaggedArcs {
        std::uint32_t group;
        const std::uint64_t* first; // entries of touched_, or null
        const std::uint64_t* last;
    };

    void Begin(bool seeded);
    template <class Position>
    bool InConflict(double avail, std::size_t count, Position position) const;
    void KnowChosen();
    void ResolveGroup(const GroupSlot& g, long double avail, std::vector<std::uint32_t>* lowered,
                      const FlaggedArcs& flagged, StepMode mode);
    void ThrowOut(std::uint32_t arc, StepMode mode);
    void TraceThrowOut(const ArcSlot& a, const TTransition& t);
    void RecheckAfterWinner(std::uint32_t winner, const GroupSlot& g, StepMode mode);
    void ResetNextMarkings(std::vector<std::uint32_t>* lowered);

    SessionNet& net_;
    EnablingIndex& index_;
    std::vector<ConflictGroup> groups_;
    std::vector<GroupSlot> groupSlots_;
    std::vector<std::uint32_t> groupArcs_;  // arc slots of all groups, group after group
    std::vector<TTransition*> groupTrans_;  // their transitions
    std::vector<std::uint8_t> cellIsGroup_; // per cell: it heads a group
    std::vector<std::uint32_t> slotGroups0_ = {0}; // per slot: range in slotGroups_
    std::vector<std::uint64_t> slotGroups_;        // group << 32 | position in groupArcs_
    std::vector<std::uint32_t> groupedOthers_;     // grouped slots outside the immediate list
    std::vector<std::uint32_t> groupOfPos_;        // per position in groupArcs_
    OrderedPositions flaggedArcs_;                 // scratch over groupArcs_
    std::vector<std::uint64_t> touched_;           // scratch, room for every group arc
    std::size_t touchedCount_ = 0;
    std::vector<std::uint32_t> lowered_;           // scratch
    std::vector<std::uint32_t> candidates_;        // scratch
    bool fullReset_ = true;    // the next resolution resets every group's next marking
    bool flaggedKnown_ = false;
    bool chosenKnown_ = false; // chosenList_ holds every transition with its chosen flag set
    std::vector<std::uint32_t> chosenList_;
    std::vector<std::uint64_t> chosenGroups_; // group << 32 | slot of the chosen ones, sorted
    std::size_t chosenCursor_ = 0;
    // The program's platform services (one object for the program's life,
    // whose members a PlatformScope replaces) and those of the running
    // resolution.
    const PlatformServices& services_;
    RandomSource* random_ = nullptr;
    TraceSink* sink_ = nullptr;
    bool tracing_ = false; // touched_ holds every group arc of a flagged transition
};

} // namespace qz
