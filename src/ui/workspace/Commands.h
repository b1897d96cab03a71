#pragma once
#include <array>
#include <cstddef>

namespace qz::ui {

// Every command of the main window's menus, tool bar and tool page and of
// the documents' popup menus, declared once: the windows build their
// actions, menu items and buttons from this table, so a command has one
// text, shortcut, picture and accessible name wherever it appears. The
// object name of an item is its handler's name without "Click".
enum class Cmd : int {
    // File
    New, Open, Save, SaveAs, SaveAsAscii, CloseFile, CloseAllFiles, ExportGraphic, Exit,
    // Edit
    Undo, Redo, Copy, Paste, Duplicate, SelectAll, Delete, Options,
    // View
    ZoomMenu, ZoomIn, ZoomOut, OneToOne, Previous, ZoomAll, PropertyWindow, EditorWindow,
    ProjectHierarchy, LibraryHierarchy, Factory, ArrangeAll, StartWindow, CompileErrors, ResourceWindow,
    // Window
    Cascade, Tile, ArrangeIcons,
    // Arrange
    ArrangeMenu, AlignLeft, AlignHMiddle, AlignRight, AlignUpper, AlignVMiddle, AlignDown,
    // Object
    AbstractObject,
    // Help
    Help, About,
    // Tool bar: file buttons, value display, view tools, navigator, simulation
    NewButton, OpenButton, CloseButton, SaveButton, ShowValues, ZoomInTool, ZoomOutTool, ZoomAreaTool,
    HandTool, ShowOverview, Simulation,
    // Tool page "Standard": the editing tools
    SelectTool, ArcTool, DPlaceTool, KPlaceTool, DTransTool, KTransTool, TokenTool, LabelTool, ShapeTool,
    // Popup menus of the documents: new elements
    NewMenu, NewPlace, NewTransition, NewArc, NewLabel, NewObject,
    // ... the clipboard, drawing order and labels
    DocPaste, ToFront, ToBack, ArrangeName, ArrangeWeight, PopupArrangeMenu,
    // ... size classes and the transition's orientation
    SizeMenu, SizeVerySmall, SizeSmall, SizeNormal, SizeLarge, SizeVeryLarge, Turn,
    // ... arcs
    ChangeDirection, ArcTypeMenu, NormalArc, InhibitorArc, TestArc, DeleteAllPoints, DeletePoint,
    // ... naming
    NamePlaces, NameTransitions, NameObjects,
    // ... simulation
    ShowDiagramWindow, InitNet, InitNetAndDiagrams, EditMode, Step, RunToNextEvent, Properties,
    // ... object frames and the document's object
    OpenInstancedObject, ViewInstancedObject, ViewParentObject, OpenParentObject, EditDocumentation,
    ViewClassDocumentation, EditClassDescription, InterfaceItemMenu, ChangeSide, BringUp, BringDown,
    SetInitialValue, ShowOnlyUsed, InitSize,
    // ... diagnostics (shown by Ctrl+Shift+D)
    DebugInfos, DebugInformations, ShowObjects,
    Count
};

inline constexpr std::size_t kCommandCount = static_cast<std::size_t>(Cmd::Count);

struct CommandInfo {
    Cmd id;
    const char* objectName;
    const char* text;      // menu text or button caption ("" for picture buttons)
    const char* hint;      // tool tip ("" for none)
    const char* shortcut;  // portable key sequence texts, "; " between several ("" for none)
    const char* icon;      // picture name ("" for none)
    bool checkable;
    bool checked;          // at start
    bool visible;
    bool enabled;          // at start, before any document exists
    int cursor;            // the tool's cursor number, or -1 for commands
};

const CommandInfo& InfoOf(Cmd c);
const std::array<CommandInfo, kCommandCount>& AllCommands();
// The caption, or the hint where there is no caption.
const char* AccessibleNameOf(const CommandInfo& c);

// The state the commands depend on.
struct CommandContext {
    bool anyDocument = false;
    bool simulationMode = false;  // of the active document
    bool editable = true;         // the active document may be edited (not a view)
    bool engineRunning = false;   // a maximum-speed run steps the engine
    bool previousView = false;    // the active document can go back a zoom
    bool selection = false;       // an element is selected
    bool anchor = false;          // an element has been picked
    bool clipboardFilled = false; // the internal clipboard holds copies
    bool canUndo = false, canRedo = false;
};

// Whether a command is enabled in that state (commands without a rule keep
// their starting state).
bool CommandEnabled(Cmd c, const CommandContext& context);

// The editing tools by cursor number, and back.
Cmd ToolCommandOf(int cursor);

} // namespace qz::ui
