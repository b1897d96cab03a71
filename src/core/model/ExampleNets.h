#pragma once
#include <string>

namespace qz {
class TEdge;
class TGraphItem;
class TNetList;
class TPNObjekt;
class TPlatz;
class TTransition;
} // namespace qz

// Small nets built in memory: the bundled examples, test fixtures and
// benchmark loads. Each builder fills an empty root object.
namespace qz::examples {

// Name of the object class the plant example places twice.
inline constexpr const char* kTankClass = "Tank";

// Every element kind: discrete places with 0 to 7 tokens and a capacity, a
// continuous place, immediate, timed, stepwise, prioritised and reserving
// transitions in both orientations, a continuous transition, normal,
// inhibitor and test arcs, an arc with bend points and a visible weight,
// a free label and the four shapes. Markings are shown.
void BuildElementKinds(TPNObjekt& root);

// A hybrid net: a continuous tank level filled and drained by continuous
// transitions whose pump is switched by a discrete controller through test
// and inhibitor arcs.
void BuildHybrid(TPNObjekt& root);

// The classic producer/consumer cycle with a bounded buffer.
void BuildProducerConsumer(TPNObjekt& root);

// The object class kTankClass: a continuous level and a discrete alarm
// place, both published, with an overflow transition.
void BuildTankClass(TPNObjekt& cls);

// Two instances of kTankClass fed by a source transition and connected
// through their interface places (transition arcs and a fusion). The class
// must be known to the object library.
void BuildPlant(TPNObjekt& root);

// A grid of places and transitions joined by arcs, `elements` elements in
// all, for load tests.
void BuildLargeNet(TPNObjekt& root, int elements);

// Building blocks.
TPlatz* AddPlace(TNetList& net, int cx, int cy, const std::string& name, const std::string& variable,
                 double marking = 0, bool continuous = false);
TTransition* AddTransition(TNetList& net, int cx, int cy, const std::string& name,
                           const std::string& function = "0", bool continuous = false,
                           bool horizontal = true);
// A free label with its top-left corner at (x, y); "|" breaks lines.
void AddLabel(TNetList& net, int x, int y, const std::string& text);
// An arc between the elements it is drawn between (a place and a
// transition, or an interface place and a place or transition), joined.
TEdge* Connect(TNetList& net, TGraphItem* from, TGraphItem* to, int arcKind = 0,
               const std::string& weight = "1");

} // namespace qz::examples
