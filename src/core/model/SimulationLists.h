#pragma once
#include <vector>

namespace qz {

class TEdge;
class TPlatz;
class TTransition;

// The engine's working lists of one simulation session, filled in the
// hierarchy order of the document's objects.
struct SimulationLists {
    std::vector<TTransition*> continuous;  // "KonTransListe"
    std::vector<TTransition*> discrete;    // "DiskTransListe": immediate and stepwise, then reservation
    std::vector<TTransition*> timed;       // "DiskTimedTransListe": timed, then reservation
    std::vector<TEdge*> formulaArcs;       // "FormelKantenListe"
    void Clear() {
        continuous.clear();
        discrete.clear();
        timed.clear();
        formulaArcs.clear();
    }
};

// The competitors for the tokens of one place (the marking owner of a fusion
// group): normal output arcs ordered by falling priority of their transitions.
struct ConflictGroup {
    TPlatz* place = nullptr;
    std::vector<TEdge*> arcs;
};

} // namespace qz
