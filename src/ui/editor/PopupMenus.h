#pragma once
#include <span>

#include "model/BendPoints.h"
#include "workspace/Commands.h"

namespace qz {
class TGraphItem;
}

namespace qz::ui {

// The popup menus of a document window.
enum class PopupMenu { Document, Simulation, Place, Transition, Arc, Object, Frame, InheritedFrame };

// Which popup the right button opens, and what it shows of its items.
struct PopupChoice {
    PopupMenu menu = PopupMenu::Document;
    // The element under the mouse (null on empty space).
    TGraphItem* element = nullptr;
    // Frames: the "Selected Interface Item" submenu (an interface place of
    // the frame is selected).
    bool interfaceItems = false;
    // Arcs: "Delete Selected Point" (a bend point is under the mouse) and
    // the bend point; "Typ" and "Arrange Weight" (not for fusion arcs).
    bool deletePoint = false;
    BendHit bend;
    bool arcType = true;
};

// The popup for what lies under the mouse: the element's kind, or the
// document's (simulation's) menu on empty space. `bend` is what the point
// hits of an arc's bend points.
PopupChoice ChoosePopup(TGraphItem* element, const BendHit& bend, bool simulationMode);

// An entry of a popup menu: a command, a separator, or a submenu whose
// entries follow up to its end.
struct PopupEntry {
    enum class Kind { Item, Separator, Submenu, EndSubmenu } kind = Kind::Item;
    Cmd command = Cmd::Count;
};

// The entries of each popup, in order.
std::span<const PopupEntry> EntriesOf(PopupMenu menu);

// Whether a command of a popup shows in that choice (items that exist only
// for some elements, debug items).
bool PopupItemVisible(Cmd c, const PopupChoice& choice, bool debugItems);

} // namespace qz::ui
