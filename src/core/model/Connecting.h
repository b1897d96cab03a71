#pragma once

namespace qz {

class TEdge;
class TGraphItem;
class TNetList;

inline constexpr char kConnectionExists[] = "This connection already exists, it will be ignored...";

// The arc tool's connect, from the element where the drag started to the
// element under the release point; a frame stands for its selected
// interface place (none selected: nothing is made). A place and a
// transition that are already joined in that direction (also through an
// interface place) report kConnectionExists; refused fusions report "Fusion
// not valid..." (ConnectArc); pairs no arc may join are ignored silently.
// With the enhanced firing rule on, an arc from a continuous place gets the
// weight "1E-6" and shows it. Null when nothing was made.
TEdge* ConnectElements(TNetList& net, TGraphItem* source, TGraphItem* target, bool enhancedRule);

} // namespace qz
