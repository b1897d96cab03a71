#pragma once
#include "common/Geometry.h"

namespace qz {

class TGraphItem;
class TNetList;
class TPlatz;

// The elements the editor's creating tools make.
enum class NewElementKind { DiscretePlace, ContinuousPlace, DiscreteTransition, ContinuousTransition, Label, Shape };

inline constexpr char kNewLabelText[] = "Empty Label|Click on me to edit.";

// The point on the grid nearest to `p`: (round(x / g) * g, round(y / g) * g),
// halves to even.
TPoint SnapToGrid(TPoint p, int gridSize);

// Where a new element's top-left corner goes for a click at the world point
// `click`. Places and shapes are centred on the click, (x - 15, y - 15);
// transitions and labels take the click itself. With the grid, places and
// shapes take the snapped click and transitions the snapped `gridPoint`,
// the world point of the pixel 15 right of and below the clicked one;
// labels are never snapped.
TPoint NewElementCorner(NewElementKind kind, TPoint click, TPoint gridPoint, bool alignToGrid, int gridSize);

// Makes an element of that kind with its top-left corner at `corner` and
// adds it to the net (invalidated where the net is shown): a 30 x 30 place
// of size class "Normal" named by the next free "P<n>" of the net, with a
// variable name unique in the net and the show-values flag given; a 30 x 12
// transition named by the next free "T<n>" (a continuous one with the speed
// "1"); a visible label with the text kNewLabelText; a 100 x 100 shape,
// which goes to the start of the drawing order (the others to the end).
TGraphItem* CreateElement(TNetList& net, NewElementKind kind, TPoint corner, bool showValues);

// The whole-token tool on a place: in edit mode the initial marking grows
// by one and the marking becomes the new initial marking; in simulation
// mode only the marking grows by one (1.0 on a continuous place too).
void AddWholeToken(TPlatz& place, bool simulationMode);

} // namespace qz
