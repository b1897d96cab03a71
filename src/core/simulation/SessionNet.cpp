#include "simulation/SessionNet.h"

#include <algorithm>

#include "model/TEdge.h"
#include "model/TNetList.h"
#include "model/TPNObjekt.h"
#include "model/TPlatz.h"
#include "model/TTransition.h"

namespace qz {

void SessionNet::Clear() {
    trans.clear();
    arcs.clear();
    immediate.clear();
    timed.clear();
    continuous.clear();
    formulaArcs.clear();
    cellMarking.clear();
    cellNext.clear();
    listsOverlap = false;
    index_.clear();
    arcIndex_.clear();
    cellIndex_.clear();
}

void SessionNet::Build(TPNObjekt& root, const SimulationLists& lists) {
    Clear();
    std::unordered_map<const TTransition*, std::uint32_t> slotOf;
    auto addArcs = [this](const std::vector<TEdge*>& edges, std::uint32_t slot) {
        for (TEdge* e : edges) {
            TPlatz* p = e->PlaceEnd();
            if (!p) continue;
            arcIndex_.emplace(e, static_cast<std::uint32_t>(arcs.size()));
            arcs.push_back(ArcSlot{p->MarkingRef(), p->NextMarkingRef(), p, p->markingOwner, e, e->weight,
                                   p->capacity, slot, -1, 0, e->arcKind, p->continuous});
            arcs.back().SetWeight(e->weight);
        }
    };
    auto addTransition = [&](TTransition* t) {
        if (slotOf.count(t)) return;
        const auto slot = static_cast<std::uint32_t>(trans.size());
        slotOf.emplace(t, slot);
        TransSlot s{t, 0, 0, 0, 0, t->continuous != 0};
        s.in0 = static_cast<std::uint32_t>(arcs.size());
        addArcs(t->InEdgeList, slot);
        s.in1 = s.out0 = static_cast<std::uint32_t>(arcs.size());
        addArcs(t->OutEdgeList, slot);
        s.out1 = static_cast<std::uint32_t>(arcs.size());
        trans.push_back(s);
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
    toSlots(lists.discrete, immediate);
    toSlots(lists.timed, timed);
    toSlots(lists.continuous, continuous);
    for (TEdge* e : lists.formulaArcs) formulaArcs.emplace_back(e, ArcSlotOf(e));
    index_.assign(slotOf.begin(), slotOf.end());
    std::sort(index_.begin(), index_.end());

    for (ArcSlot& a : arcs) {
        auto [it, added] = cellIndex_.emplace(a.marking, static_cast<std::uint32_t>(cellMarking.size()));
        if (added) {
            cellMarking.push_back(a.marking);
            cellNext.push_back(a.next);
        }
        a.cell = it->second;
    }
    std::vector<std::uint8_t> inImmediate(trans.size(), 0);
    for (std::uint32_t s : immediate) inImmediate[s] = 1;
    for (const auto* list : {&timed, &continuous}) {
        for (std::uint32_t s : *list) {
            if (inImmediate[s]) listsOverlap = true;
        }
    }
}

int SessionNet::SlotOf(const TTransition& t) const {
    auto it = std::lower_bound(index_.begin(), index_.end(), &t,
                               [](const auto& entry, const TTransition* key) { return entry.first < key; });
    if (it == index_.end() || it->first != &t) return -1;
    return static_cast<int>(it->second);
}

std::uint32_t SessionNet::ArcSlotOf(const TEdge* e) const {
    auto it = arcIndex_.find(e);
    return it == arcIndex_.end() ? kNone : it->second;
}

std::uint32_t SessionNet::CellOf(const double* marking) const {
    auto it = cellIndex_.find(marking);
    return it == cellIndex_.end() ? kNone : it->second;
}

} // namespace qz
