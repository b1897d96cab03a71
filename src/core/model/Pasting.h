#pragma once
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "common/Geometry.h"

namespace qz {

class TGraphItem;
class TNetList;

// Replaces every whole-word occurrence of `word` in a formula text by
// `replacement`: an occurrence whose neighbours are the start or end of the
// text or one of ( ) * + - / ^ , ; (formulas are read without regard to
// case, and so is the word).
std::string ReplaceWholeWord(std::string_view text, std::string_view word, std::string_view replacement);

// Pastes the internal clipboard into the net as its new selection (the
// previous selection is cleared): first every place, with a variable name
// new to the net (counting up from the number its name ends with), then
// the other elements, with the old variable names in transition formulas and
// arc weights replaced word by word by the new ones (shapes go to the start
// of the drawing order). The clipboard's elements now belong to the net;
// the clipboard then holds fresh copies of the pasted selection, so that
// the next paste lies two grid sizes further right and down. Returns the
// pasted elements in the order they were added.
std::vector<TGraphItem*> PasteClipboard(TNetList& net, std::vector<std::unique_ptr<TGraphItem>>& clipboard);

// Merges the elements of another net into `net` as a paste of all of them
// would bring them (places, transitions, the arcs between two of them,
// labels and shapes; variable names new to the net as PasteClipboard gives
// them), at their own positions, as the new selection. Placed objects and
// the arcs to their interface places do not travel this way: *leftOut
// counts the elements of `source` that were not merged. `source` ends with
// everything selected. Returns the merged elements.
std::vector<TGraphItem*> MergeNet(TNetList& net, TNetList& source, std::size_t* leftOut = nullptr);

// Moves pasted elements so that the top-left corner of their bounding
// rectangle (TNetList::ExtentOf) lies at `topLeft`: places, transitions,
// labels and shapes take the offset, arcs recompute their geometry.
void MoveElementsTo(TNetList& net, const std::vector<TGraphItem*>& elements, TPoint topLeft);

} // namespace qz
