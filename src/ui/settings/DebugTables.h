#pragma once
#include <array>
#include <string>
#include <vector>

namespace qz {
class TNetList;
class TPNObjekt;
} // namespace qz

namespace qz::ui {

// What the options window's "Debug Informations" page shows of a document:
// the element counts of its net and, for the chosen list, one row per
// element.
enum class DebugList { Places, Transitions, Arcs, KnownVariables, AllTransitions };

struct DebugTable {
    std::vector<std::string> header;
    // Empty when the list has no elements (the page shows "no Elements").
    std::vector<std::vector<std::string>> rows;
};

// "Count of Places: " n, "Count of Transitions.: " n, "Count of Arcs: " n,
// "Count of Labels: " n, "Count of Objects: " n (objects placed in the net).
std::array<std::string, 5> ElementCountTexts(const TNetList& net);

// The places, transitions or arcs of the document's own net, the variables
// its formulas know (registered when a simulation starts), or the
// transitions of the whole hierarchy with the object each lies in.
DebugTable DebugTableOf(TPNObjekt& root, DebugList list);

} // namespace qz::ui
