#pragma once
#include "common/Geometry.h"

namespace qz {

class TEdge;
class TSchriftObjekt;
class Window;

// Automatic positions of element labels that the user has not moved.
// Above and left of a place's circle.
void PositionPlaceNameLabel(TSchriftObjekt& label, const TRect& placeHit);
// Above and left of a transition's bar.
void PositionTransitionNameLabel(TSchriftObjekt& label, const TRect& barHit);
// Below a transition's bar.
void PositionTransitionValueLabel(TSchriftObjekt& label, const TRect& barHit, TPoint centre);
// Beside the middle of an arc.
void PositionArcValueLabel(TEdge& arc);

// A selected label is dragged on its own and becomes user positioned; false
// (nothing moved) when the label is not selected.
bool DragSelectedLabel(TSchriftObjekt& label, int dx, int dy, Window* w, bool shown);

} // namespace qz
