#pragma once
#include <vector>

#include "model/SimulationLists.h"

namespace qz {

class TPNObjekt;

// Builds the conflict groups of a document's whole hierarchy, in hierarchy
// order (own net, child objects, base object), one group per discrete place
// that owns its marking and has at least two competing normal arcs: its own
// output arcs, then those of the places fused to it and the interface arcs
// that read it, in the order the hierarchy lists them; ordered by falling
// transition priority (stable among equal priorities). Each group's place
// keeps its arcs as its conflict arcs. One pass over the hierarchy: linear
// in the number of elements. Fusion must be resolved first.
void BuildConflictGroups(TPNObjekt& root, std::vector<ConflictGroup>& groups);

} // namespace qz
