#pragma once
#include <string>
#include <vector>

#include "workspace/Commands.h"

namespace qz {
class TPNObjekt;
}

namespace qz::ui {

class TActionSet;
class TDocForm;
class TWorkspace;
struct TAppWindows;

// The main window as the other windows see it: the shared state, the
// actions of the commands, the windows that exist once, and the few steps
// in which a document window or a tool window hands over to the main window.
class MainFrame {
public:
    virtual ~MainFrame() = default;

    virtual TWorkspace& Workspace() = 0;
    virtual TActionSet& Actions() = 0;
    virtual TAppWindows& Windows() = 0;

    // The open document windows, in creation order, and the active one.
    virtual std::vector<TDocForm*> Documents() const = 0;
    virtual TDocForm* ActiveDocument() const = 0;
    // Whether the window still shows an open document (deferred commands
    // check this before they act).
    virtual bool IsOpen(const TDocForm* form) const = 0;

    // The tool chosen on the tool bar or tool page (a cursor number), and
    // choosing one as its button would.
    virtual int CurrentTool() const = 0;
    virtual void ChooseTool(Cmd tool) = 0;
    // The "Show Variables or Values" button.
    virtual bool ShowValuesDown() const = 0;
    virtual void SetShowValuesButton(bool down) = 0;
    // The simulation switch: pressed (down) or released as its button
    // would be; the controls following a document's mode.
    virtual void SimuButtonClick(bool down) = 0;
    virtual void SetSimulationControls(bool on) = 0;

    // A document entered or left simulation mode, zoomed, became active.
    virtual void SimulationModeChanged(TDocForm& form) = 0;
    virtual void ZoomChanged(TDocForm& form) = 0;
    virtual void DocumentActivated(TDocForm& form) = 0;
    // The close question of a document and, unless cancelled, its closing
    // steps; true when the window may close.
    virtual bool CloseDocumentQuery(TDocForm& form) = 0;
    // Something the commands depend on changed (selection, clipboard, undo).
    virtual void UpdateCommands() = 0;
    // Opens the library class of that name in a new document window;
    // reports "Object <name> not found..." and answers null when the
    // library has no such class or its file cannot be read.
    virtual TDocForm* OpenClass(const std::string& className) = 0;
    // Opens a net file in a new document window; null when nothing could
    // be read (the reader has said why).
    virtual TDocForm* OpenFile(const std::string& path) = 0;
    // Opens a window onto an object of `from`'s document (an instance placed
    // in it, or a class an object inherits from), editable or as a view; an
    // open window onto that object comes to the front in that mode.
    virtual TDocForm* OpenObjectWindow(TDocForm& from, TPNObjekt& object, bool editable) = 0;
};

} // namespace qz::ui
