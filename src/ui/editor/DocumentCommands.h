#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "common/Geometry.h"
#include "model/TNetList.h"

namespace qz {
class TPNObjekt;
}

namespace qz::ui {

class EditorHost;
class TDocument;

inline constexpr char kNothingToArrange[] = "There is nothing to arrange.\r\nPlease select more then one item.";
inline constexpr char kDeleteInSimulation[] =
    "You want to delete items in simulation modus.\rNow the simulation modus becomes disabled.";
inline constexpr char kPasteInSimulation[] =
    "To make your pasted elements working \r\nyou must change into edit mode. Do you \r\nwant to do it now ?";
inline constexpr char kCopyReady[] = "Copy ready";
inline constexpr char kPasteReady[] = "Paste ready";
inline constexpr char kDuplicateReady[] = "Duplicate ready";

// The editing commands of a document's popups and of the main window's Edit
// and Arrange menus, on the document's net: the clipboard, deleting,
// alignment, sizes, the transition's orientation, the arc commands,
// automatic names, the drawing order, labels and the frame commands. Each
// changing command is one undo step of the document; messages go through
// the platform's message boxes, everything else the window shows through
// the host.
class DocumentCommands {
public:
    DocumentCommands(TDocument& document, EditorHost& host);

    // Copies the selection into the workspace's clipboard.
    void Copy();
    // Pastes the clipboard as the new selection; in simulation mode first
    // offers to switch to edit mode (`ask`; the popups' paste at the mouse
    // does not ask). Returns the pasted elements.
    std::vector<TGraphItem*> Paste(bool ask = true);
    // Paste with the group's top-left corner at a world point.
    void PasteAt(TPoint topLeft);
    void Duplicate();
    // Deletes the selection after the net's question; in simulation mode
    // the document first says so and returns to edit mode.
    void Delete();
    void SelectAll();
    // Aligns the selection to the anchor element.
    void Align(Alignment a);
    void SetSizeClass(int sizeClass);
    // The transition under a world point turns.
    void Turn(TPoint at);
    // The current arc.
    void ChangeDirection();
    void SetArcKind(std::uint8_t arcKind);
    void DeleteAllPoints();
    void DeletePoint(std::size_t index);
    void NamePlaces();
    void NameTransitions();
    void NameObjects();
    // The current element to the end (start) of the drawing order.
    void ToFront();
    void ToBack();
    // The current element's name label (an arc's weight label) back at its
    // default position.
    void ArrangeLabel();
    // The frame of the current element and its selected interface places.
    void ChangeSide();
    void BringUp();
    void BringDown();
    void SetShowOnlyUsed(bool on);
    // The answer of the initial-marking dialog becomes the value of the
    // frame's first selected interface place.
    void SetInitialValue(const std::string& answer);
    void InitSize();

    // Whether a class may be dropped on the net now: edit mode, in a window
    // that may change its net.
    bool MayPlaceClass() const;
    // A class dropped at a world point: an instance named by the next free
    // "<class>_<n>" is placed there as one undo step. A class that would
    // contain the document's own class (the owner's, for a window onto an
    // object) is refused with "The class <name> cannot be placed here: it
    // would contain itself."; an unknown class is reported by the library.
    // The instance placed, or null.
    TPNObjekt* PlaceClass(const std::string& className, TPoint at);

private:
    // A window that may not change its net says so; true then.
    bool Refused() const;
    // The class the document is saved as: its root object's name.
    std::string DocumentClass() const;
    // Runs a change as one undo step named `what`; `change` answers whether
    // it changed the net.
    template <class F>
    void Change(const std::string& what, F change);
    // A change of the current element's frame.
    template <class F>
    void ChangeFrame(const std::string& what, F change);

    TDocument& doc_;
    EditorHost& host_;
};

} // namespace qz::ui
