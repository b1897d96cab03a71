#pragma once
#include <array>
#include <cstddef>

namespace qz::ui {

// Every command of the main window's menus, tool bar and tool page,
// declared once: the window builds its actions, menu items and buttons from
// this table, and the popups of the documents reuse the same actions.
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
    Count
};

inline constexpr std::size_t kCommandCount = static_cast<std::size_t>(Cmd::Count);

struct CommandInfo {
    Cmd id;
    const char* objectName;
    const char* text;      // menu text or button caption ("" for picture buttons)
    const char* hint;      // tool tip ("" for none)
    const char* shortcut;  // portable key sequence text ("" for none)
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

// The state the main window's commands depend on.
struct CommandContext {
    bool anyDocument = false;
    bool simulationMode = false;  // of the active document
    bool previousView = false;    // the active document can go back a zoom
    bool selection = false;       // an element is selected
    bool anchor = false;          // an element has been picked
    bool clipboardFilled = false; // the internal clipboard holds copies
};

// Whether a command is enabled in that state (commands without a rule keep
// their starting state).
bool CommandEnabled(Cmd c, const CommandContext& context);

} // namespace qz::ui
