#pragma once
#include <optional>

#include "model/TGraphItem.h"

namespace qz {

class TEdge;
class TInterfacePlace;
class TNetList;
class TPlatz;

// The rules for arcs that end or start at interface places, as the editor
// applies them when it connects or reverses an arc, and the one way every
// arc is entered into its ends' lists (editor, readers, builders).
//
// Connection kinds (TGraphItem.h): Plain between a place and a transition;
// PlaceToInterface (the inner place takes the place's marking),
// InterfaceToPlace (the place takes the inner place's marking),
// TransitionToInterface (acts on the inner place), InterfaceToTransition
// (reads the inner place), InterfaceToInterface (the target's inner place
// takes the source's inner place's marking).

// The connection kind of an arc from `source` to `target`, or none when no
// arc may join them (two transitions, two plain places, labels, shapes,
// frames).
std::optional<ConnectionKind> ConnectionKindOf(const TGraphItem* source, const TGraphItem* target);

// True when `place` takes its marking from `other`, directly or through a
// chain of fusions.
bool FollowsInFusion(const TPlatz& place, const TPlatz& other);

// Whether a fusion arc may be drawn (no message).
bool CanFusePlaceToInterface(const TPlatz& place, const TInterfacePlace& target);
bool CanFuseInterfaceToPlace(const TInterfacePlace& source, const TPlatz& place);
bool CanFuseInterfaces(const TInterfacePlace& source, const TInterfacePlace& target);
// Any connection: ends no arc may join are refused, arcs through interface
// places to transitions always allowed.
bool CanConnect(const TGraphItem* source, const TGraphItem* target);

// The editor's connect: creates an arc from `source` to `target` in `net`
// (the interface place under the mouse is given as the end for the kinds
// through interface places), joins it and resolves the document's fusion. A
// refused fusion reports "Fusion not valid..." and creates nothing; ends no
// arc may join give null without a message.
TEdge* ConnectArc(TNetList& net, TGraphItem* source, TGraphItem* target);

// Joins `arc` (already in its net) as drawn from `source` to `target`: the
// connection kind follows from the ends, an interface place end of an arc
// to or from a transition becomes the interface end and its inner place the
// end, then AttachArc. No fusion check (readers and builders of nets that
// are valid by construction); false, the arc unchanged, when no arc may join
// the ends.
bool JoinArc(TEdge& arc, TGraphItem* source, TGraphItem* target);

// Enters an arc whose ends, interface ends and connection kind are set into
// the lists of the elements it is drawn between and makes its fusion (a
// fusion whose ends are incomplete is left out). The loader resolves the
// fusion of the whole document once after its arcs; ConnectArc and
// ReverseArc resolve it themselves.
void AttachArc(TEdge& arc);

// The reverse of AttachArc: takes the arc out of its ends' lists and puts
// the place that followed through it back on its own marking.
void DetachArc(TEdge& arc);

// Reverses an arc: PlaceToInterface and InterfaceToPlace turn into each
// other and fuse in the new direction, refused with "This operation is not
// valid.\rThere would be a fusion conflict." when the new target already
// takes its marking from elsewhere; InterfaceToInterface swaps its ends and
// fuses anew; the two kinds through interface places to transitions turn
// into each other; Plain swaps its ends. False when refused (the arc is
// unchanged).
bool ReverseArc(TEdge& arc);

} // namespace qz
