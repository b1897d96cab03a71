#pragma once

namespace qz {

class TEdge;
class TGraphItem;
class TInterfacePlace;
class TNetList;
class TPlatz;

// The rules for arcs that end or start at interface places, as the editor
// applies them when it connects or reverses an arc.
//
// Connection kinds: 0 place/transition -> transition/place, 1 place ->
// interface place (the inner place takes the place's marking), 2 interface
// place -> place (the place takes the inner place's marking), 3 transition ->
// interface place (acts on the inner place), 4 interface place -> transition
// (reads the inner place), 5 interface place -> interface place (the target's
// inner place takes the source's inner place's marking).

// The connection kind of an arc from `source` to `target`, or -1 when no arc
// may join them (two transitions, two plain places, labels, shapes, frames).
int ConnectionKindOf(const TGraphItem* source, const TGraphItem* target);

// True when `place` takes its marking from `other`, directly or through a
// chain of fusions.
bool FollowsInFusion(const TPlatz& place, const TPlatz& other);

// Whether a fusion arc may be drawn (no message).
bool CanFusePlaceToInterface(const TPlatz& place, const TInterfacePlace& target);        // kind 1
bool CanFuseInterfaceToPlace(const TInterfacePlace& source, const TPlatz& place);        // kind 2
bool CanFuseInterfaces(const TInterfacePlace& source, const TInterfacePlace& target);    // kind 5
// Any connection: -1 kinds are refused, 3 and 4 always allowed.
bool CanConnect(const TGraphItem* source, const TGraphItem* target);

// Creates an arc from `source` to `target` in `net` (the interface place
// under the mouse is given as the end for kinds 1 to 5), enters it into its
// ends' lists and makes the fusion. A refused fusion reports
// "Fusion not valid..." and creates nothing; ends no arc may join give null
// without a message.
TEdge* ConnectArc(TNetList& net, TGraphItem* source, TGraphItem* target);

// Enters an arc whose ends, interface ends and connection kind are set into
// its ends' lists and makes its fusion (kind 1: the target's inner place
// takes the source place; 2: the target place takes the source's inner
// place; 5: the target's inner place takes the source's inner place). The
// loader resolves the fusion of the whole document once after its arcs;
// ConnectArc and ReverseArc resolve it themselves.
void AttachArc(TEdge& arc);

// Reverses an arc: kinds 1 and 2 turn into each other and fuse in the new
// direction, refused with "This operation is not valid.\rThere would be a
// fusion conflict." when the new target already takes its marking from
// elsewhere; kind 5 swaps its ends and fuses anew; kinds 3 and 4 turn into
// each other; kind 0 swaps its ends. False when refused (the arc is
// unchanged).
bool ReverseArc(TEdge& arc);

} // namespace qz
