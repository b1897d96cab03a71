#pragma once
#include <string>

#include "common/Geometry.h"

namespace qz {
class TGraphItem;
}

namespace qz::ui {

struct PopupChoice;

// What the document window does for the editing gestures and commands:
// selection and the windows around the net, the in-place editors, the view
// tools, popups and the switch back to edit mode.
class EditorHost {
public:
    virtual ~EditorHost() = default;
    // The element becomes current and anchor element (null: none), with the
    // selection commands and the property window.
    virtual void SelectElement(TGraphItem* e) = 0;
    // Only the current element changes (shift-click).
    virtual void SetCurrentElement(TGraphItem* e) = 0;
    virtual TGraphItem* CurrentElement() const = 0;
    // The selection commands follow whether anything is selected.
    virtual void SelectionChanged() = 0;
    // The property window's grids are emptied.
    virtual void ClearProperties() = 0;
    // In-place editors: the label or value editor, and the resize frame of
    // a graphical object.
    virtual bool TextEditorOpen() const = 0;
    virtual bool ResizeFrameOpen() const = 0;
    // Closes the label or value editor without taking its text.
    virtual void CloseTextEditor() = 0;
    // Takes the resize frame's rectangle into its object and closes it.
    virtual void CommitResizeFrame() = 0;
    // The document was changed: "Changed", the property window.
    virtual void Modified() = 0;
    // The document shows markings (a token was added).
    virtual void ShowValues() = 0;
    virtual void RefreshPropertyList() = 0;
    // The net is drawn again; the overlay changed.
    virtual void Redraw() = 0;
    virtual void OverlayChanged() = 0;
    // The scroll ranges follow the net.
    virtual void FormResize() = 0;
    // The main window's select tool is chosen (right button, label and
    // shape tools after use).
    virtual void ChooseSelectTool() = 0;
    // View tools.
    virtual void ZoomAt(bool in, int x, int y) = 0;
    virtual void ZoomArea(const TRect& pixels) = 0;
    virtual void Hand(int x0, int y0, int x1, int y1) = 0;
    // A popup menu at a client point.
    virtual void ShowPopup(const PopupChoice& choice, int x, int y) = 0;
    // The document leaves simulation mode as "Edit Modus" does.
    virtual void LeaveSimulation() = 0;
    // Status panel 0 of the document.
    virtual void SetStatusText(const std::string& text) = 0;
    // The property window shows the current element again.
    virtual void ReloadProperties() = 0;
};

} // namespace qz::ui
