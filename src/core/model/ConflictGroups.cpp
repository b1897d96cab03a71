#include "model/ConflictGroups.h"

#include <algorithm>
#include <unordered_map>

#include "model/TEdge.h"
#include "model/TNetList.h"
#include "model/TPNObjekt.h"
#include "model/TPlatz.h"
#include "model/TTransition.h"

namespace qz {

namespace {

bool Competes(const TEdge* a, ConnectionKind connection) {
    return a->arcKind == akNormal && a->connectionKind == connection;
}

int PriorityOf(const TEdge* a) {
    const TTransition* t = a->TransitionEnd();
    return t ? t->priority : 0;
}

} // namespace

void BuildConflictGroups(TPNObjekt& root, std::vector<ConflictGroup>& groups) {
    // Arcs that compete for an owner's tokens from elsewhere in the hierarchy:
    // output arcs of places fused to it, and interface arcs reading it.
    std::unordered_map<TPlatz*, std::vector<TEdge*>> borrowed;
    root.ForEachNet([&borrowed](TNetList& net) {
        for (TGraphItem* e : net.Elements()) {
            if (e->Kind() == kind::Place) {
                auto* p = static_cast<TPlatz*>(e);
                p->conflictArcs.clear();
                if (p->markingOwner == p) continue;
                for (TEdge* a : p->OutEdgeList) {
                    if (Competes(a, ConnectionKind::Plain)) borrowed[p->markingOwner].push_back(a);
                }
            } else if (e->Kind() == kind::Transition) {
                for (TEdge* a : e->InEdgeList) {
                    if (!Competes(a, ConnectionKind::InterfaceToTransition) || !a->source || a->source->Kind() != kind::Place) continue;
                    borrowed[static_cast<TPlatz*>(a->source)->markingOwner].push_back(a);
                }
            }
        }
    });
    root.ForEachNet([&](TNetList& net) {
        for (TGraphItem* e : net.Elements()) {
            if (e->Kind() != kind::Place) continue;
            auto* p = static_cast<TPlatz*>(e);
            if (p->continuous || p->markingOwner != p) continue;
            ConflictGroup g;
            g.place = p;
            for (TEdge* a : p->OutEdgeList) {
                if (Competes(a, ConnectionKind::Plain)) g.arcs.push_back(a);
            }
            if (auto it = borrowed.find(p); it != borrowed.end()) {
                g.arcs.insert(g.arcs.end(), it->second.begin(), it->second.end());
            }
            if (g.arcs.size() < 2) continue;
            std::stable_sort(g.arcs.begin(), g.arcs.end(), [](const TEdge* a, const TEdge* b) {
                return PriorityOf(a) > PriorityOf(b);
            });
            p->conflictArcs = g.arcs;
            groups.push_back(std::move(g));
        }
    });
}

} // namespace qz
