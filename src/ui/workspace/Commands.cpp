#include "workspace/Commands.h"

namespace qz::ui {

namespace {

using C = Cmd;

// clang-format off
constexpr std::array<CommandInfo, kCommandCount> kCommands{{
    {C::New,           "Neu1",               "New",                "", "Ctrl+N", "",        false, false, true,  true,  -1},
    {C::Open,          "Oeffnen1",           "Open",               "", "Ctrl+O", "",        false, false, true,  true,  -1},
    {C::Save,          "Speichern1",         "Save",               "", "Ctrl+S", "",        false, false, true,  false, -1},
    {C::SaveAs,        "Speichernunter1",    "Save as",            "", "",       "",        false, false, true,  false, -1},
    {C::SaveAsAscii,   "SaveAsAscii1",       "Save as ASCII file", "", "",       "",        false, false, true,  true,  -1},
    {C::CloseFile,     "CloseFile1",         "Close File",         "", "",       "",        false, false, true,  false, -1},
    {C::CloseAllFiles, "CloseAllFiles1",     "CloseAllFiles",      "", "",       "",        false, false, true,  true,  -1},
    {C::ExportGraphic, "ExportGraphic1",     "Export Graphic",     "", "",       "",        false, false, true,  false, -1},
    {C::Exit,          "Beenden1",           "Close",              "", "Ctrl+Q", "",        false, false, true,  true,  -1},
    {C::Undo,          "Undo1",              "Undo            Strg+Z", "", "",   "",        false, false, true,  false, -1},
    {C::Redo,          "Redo1",              "Redo",               "", "",       "",        false, false, true,  false, -1},
    {C::Copy,          "Kopieren",           "Copy             Strg+C", "", "",  "",        false, false, true,  false, -1},
    {C::Paste,         "Einfuegen",          "Paste            Strg+V", "", "",  "",        false, false, true,  false, -1},
    {C::Duplicate,     "TransDuplicate",     "Duplicate      Strg+D", "", "",    "",        false, false, true,  false, -1},
    {C::SelectAll,     "allesmarkieren1",    "Select All      Strg+A", "", "",   "",        false, false, true,  false, -1},
    {C::Delete,        "ItemsDelete",        "Delete",             "", "",       "",        false, false, true,  false, -1},
    {C::Options,       "Options1",           "Options",            "", "F9",     "",        false, false, true,  true,  -1},
    {C::ZoomMenu,      "Zoom1",              "Zoom",               "", "",       "",        false, false, true,  false, -1},
    {C::ZoomIn,        "Vergrern1",          "Zoom In",            "", "Ctrl++; Ctrl+=", "",        false, false, true,  true,  -1},
    {C::ZoomOut,       "Verkleinern1",       "Zoom Out",           "", "Ctrl+-", "",        false, false, true,  true,  -1},
    {C::OneToOne,      "N111",               "1:1",                "", "",       "",        false, false, true,  true,  -1},
    {C::Previous,      "Letzte1",            "Previous",           "", "",       "",        false, false, true,  false, -1},
    {C::ZoomAll,       "alles1",             "alles",              "", "",       "",        false, false, false, false, -1},
    {C::PropertyWindow,"PropertyWindow1",    "Property Window",    "", "",       "",        false, false, true,  true,  -1},
    {C::EditorWindow,  "EditorWindow1",      "Editor Window",      "", "",       "",        false, false, true,  true,  -1},
    {C::ProjectHierarchy,"ProjectHierarchy1","Project Hierarchy",  "", "",       "",        false, false, true,  true,  -1},
    {C::LibraryHierarchy,"LibraryHierarchy1","Library Hierarchy",  "", "",       "",        false, false, false, true,  -1},
    {C::Factory,       "Factory1",           "Factory",            "", "",       "",        false, false, true,  true,  -1},
    {C::ArrangeAll,    "ArrangeAll1",        "Automatic Arrange All Windows", "", "F3", "", false, false, true,  true,  -1},
    {C::StartWindow,   "StartWindow1",       "Start Window",       "", "",       "",        true,  true,  true,  true,  -1},
    {C::CompileErrors, "CompileErrors1",     "Error Messages during Compiling", "", "", "", true,  true,  true,  true,  -1},
    {C::ResourceWindow,"RessourceWindow1",   "Ressource Window",   "", "",       "",        false, false, false, true,  -1},
    {C::Cascade,       "Cascade1",           "Cascade",            "", "",       "",        false, false, true,  true,  -1},
    {C::Tile,          "Tile1",              "Tile",               "", "",       "",        false, false, true,  true,  -1},
    {C::ArrangeIcons,  "ArrangeIcons1",      "Arrange Icons",      "", "",       "",        false, false, true,  true,  -1},
    {C::ArrangeMenu,   "Arrange1",           "Arrange",            "", "",       "",        false, false, true,  false, -1},
    {C::AlignLeft,     "Left1",              "Left",               "", "",       "",        false, false, true,  true,  -1},
    {C::AlignHMiddle,  "xMiddle1",           "Horizontal-Middle",  "", "",       "",        false, false, true,  true,  -1},
    {C::AlignRight,    "Right1",             "Right",              "", "",       "",        false, false, true,  true,  -1},
    {C::AlignUpper,    "Upper1",             "Upper",              "", "",       "",        false, false, true,  true,  -1},
    {C::AlignVMiddle,  "yMiddle1",           "Vertical-Middle",    "", "",       "",        false, false, true,  true,  -1},
    {C::AlignDown,     "Down1",              "Down",               "", "",       "",        false, false, true,  true,  -1},
    {C::AbstractObject,"AbstractObject1",    "Abstract Current Object", "", "",  "",        false, false, true,  true,  -1},
    {C::Help,          "Help1",              "Help",               "", "F1",     "",        false, false, true,  true,  -1},
    {C::About,         "About1",             "About Quenzor",      "", "",       "",        false, false, true,  true,  -1},
    {C::NewButton,     "NewFileBtn",         "",  "New",                       "", "New",         false, false, true, true,  -1},
    {C::OpenButton,    "OpenFileBtn",        "",  "Open",                      "", "Open",        false, false, true, true,  -1},
    {C::CloseButton,   "CloseFileBtn",       "",  "Close File",                "", "Close",       false, false, true, false, -1},
    {C::SaveButton,    "SaveFileBtn",        "",  "Save",                      "", "Save",        false, false, true, false, -1},
    {C::ShowValues,    "ShowValuesBtn",      "",  "Show Variables or Values",  "", "ShowOff",     true,  false, true, false, -1},
    {C::ZoomInTool,    "PlusButton",         "",  "Zoom In",                   "", "Plus",        true,  false, true, false, 13},
    {C::ZoomOutTool,   "MinusButton",        "",  "Zoom Out",                  "", "MinusLupe",   true,  false, true, false, 14},
    {C::ZoomAreaTool,  "RectButton",         "",  "Zoom Area",                 "", "Rect",        true,  false, true, false, 15},
    {C::HandTool,      "HandButton",         "",  "Manual Moving",             "", "Hand_offen",  true,  false, true, false, 11},
    {C::ShowOverview,  "ShowOverviewBtn",    "",  "Net Navigator",             "", "Navigator",   true,  false, true, false, -1},
    {C::Simulation,    "SimuButton",         "Start", "Enable/Disable Simulation Modus", "F5", "Simulation", true, false, true, false, -1},
    {C::SelectTool,    "PfeilBtn",           "",  "Select Objects",            "", "Pfeil",       true,  true,  true, true,  0},
    {C::ArcTool,       "Connector",          "",  "Arcs",                      "", "Connector",   true,  false, true, true,  -3},
    {C::DPlaceTool,    "DPlatz",             "",  "Discrete Place",            "", "DPlatz",      true,  false, true, true,  1},
    {C::KPlaceTool,    "KPlatz",             "",  "Continuous Place",          "", "KPlatz",      true,  false, true, true,  2},
    {C::DTransTool,    "DTrans",             "",  "Discrete Transition",       "", "DTrans",      true,  false, true, true,  3},
    {C::KTransTool,    "KTrans",             "",  "Continuous Transition",     "", "KTrans",      true,  false, true, true,  4},
    {C::TokenTool,     "Marke",              "",  "Whole Token",               "", "Marke",       true,  false, true, true,  5},
    {C::LabelTool,     "Labels",             "",  "Label",                     "", "Text",        true,  false, true, true,  6},
    {C::ShapeTool,     "Objekt",             "",  "Graphical Object",          "", "Obj",         true,  false, true, true,  7},
    {C::NewMenu,       "NewMenu",            "New",                "", "",       "",        false, false, true,  true,  -1},
    {C::NewPlace,      "NewPlace",           "Place",              "", "",       "",        false, false, true,  true,  -1},
    {C::NewTransition, "NewTransition",      "Transition",         "", "",       "",        false, false, true,  true,  -1},
    {C::NewArc,        "NewArc1",            "Arc",                "", "",       "",        false, false, true,  true,  -1},
    {C::NewLabel,      "NewLabel",           "Label",              "", "",       "",        false, false, true,  true,  -1},
    {C::NewObject,     "NewObject",          "Graphical Object",   "", "",       "",        false, false, true,  true,  -1},
    {C::DocPaste,      "DocPaste",           "Paste",              "", "",       "",        false, false, true,  false, -1},
    {C::ToFront,       "ToFront",            "To Front",           "", "",       "",        false, false, false, true,  -1},
    {C::ToBack,        "ToBack",             "To Back",            "", "",       "",        false, false, false, true,  -1},
    {C::ArrangeName,   "Namen",              "Arrange Name",       "", "",       "",        false, false, true,  true,  -1},
    {C::ArrangeWeight, "Namen1",             "Arrange Weight",     "", "",       "",        false, false, true,  true,  -1},
    {C::PopupArrangeMenu, "ArrangeItems",    "Arrange",            "", "",       "",        false, false, true,  true,  -1},
    {C::SizeMenu,      "Groesse1",           "Size",               "", "",       "",        false, false, true,  true,  -1},
    {C::SizeVerySmall, "sehrklein1",         "Very Small",         "", "",       "",        false, false, true,  true,  -1},
    {C::SizeSmall,     "klein1",             "Small",              "", "",       "",        false, false, true,  true,  -1},
    {C::SizeNormal,    "normal1",            "Normal",             "", "",       "",        false, false, true,  true,  -1},
    {C::SizeLarge,     "gro1",               "Large",              "", "",       "",        false, false, true,  true,  -1},
    {C::SizeVeryLarge, "sehrgro1",           "Very Large",         "", "",       "",        false, false, true,  true,  -1},
    {C::Turn,          "Turn",               "Turn",               "", "",       "",        false, false, true,  true,  -1},
    {C::ChangeDirection, "Richtungtauschen1", "Change Direction",  "", "",       "",        false, false, true,  true,  -1},
    {C::ArcTypeMenu,   "Typ1",               "Typ",                "", "",       "",        false, false, true,  true,  -1},
    {C::NormalArc,     "normal4",            "Normal Arc",         "", "",       "",        false, false, true,  true,  -1},
    {C::InhibitorArc,  "InhibitorItem",      "Inhibitor",          "", "",       "",        false, false, true,  true,  -1},
    {C::TestArc,       "TestArcItem",        "Test Arc",           "", "",       "",        false, false, true,  true,  -1},
    {C::DeleteAllPoints, "AllePunkteLschen1", "Delete All Points", "", "",       "",        false, false, true,  true,  -1},
    {C::DeletePoint,   "PunktLschen",        "Delete Selected Point", "", "",    "",        false, false, true,  true,  -1},
    {C::NamePlaces,    "allePltzeautomatischbezeichnen1", "Automatically Name All Places", "", "", "", false, false, true, true, -1},
    {C::NameTransitions, "alleTransitionenautomatischbezeichnen1", "Automatically Name All Transistions", "", "", "", false, false, true, true, -1},
    {C::NameObjects,   "alleObjekteautomatischbezeichnen1", "Automatically Name All Objects", "", "", "", false, false, true, true, -1},
    {C::ShowDiagramWindow, "ShowDiagramWindow", "Show Diagram Window", "", "",   "",        false, false, true,  true,  -1},
    {C::InitNet,       "Initialisieren1",    "Init Net",           "", "",       "",        false, false, true,  true,  -1},
    {C::InitNetAndDiagrams, "InitAll1",      "Init Net and Diagramms", "", "",   "",        false, false, true,  true,  -1},
    {C::EditMode,      "EditierModus",       "Edit Modus",         "", "",       "",        false, false, true,  true,  -1},
    {C::Step,          "Schritt1",           "Step",               "", "",       "",        false, false, true,  true,  -1},
    {C::RunToNextEvent, "RuntoNextEvent1",   "Run to Next Event",  "", "",       "",        false, false, true,  true,  -1},
    {C::Properties,    "Properties1",        "Properties",         "", "",       "",        false, false, true,  true,  -1},
    {C::OpenInstancedObject, "OpenInstancedObject", "Open Instanced Object", "", "", "",    false, false, true,  true,  -1},
    {C::ViewInstancedObject, "ViewInstancedObject", "View Instanced Object", "", "", "",    false, false, true,  true,  -1},
    {C::ViewParentObject, "ViewParentObject", "View Parent Object", "", "",      "",        false, false, true,  true,  -1},
    {C::OpenParentObject, "OpenParentObject", "Open Parent Object", "", "",      "",        false, false, true,  true,  -1},
    {C::EditDocumentation, "EditDocumentation", "Edit Documentation", "", "",    "",        false, false, true,  true,  -1},
    {C::ViewClassDocumentation, "ViewClassDocumentation", "View Class Documentation", "", "", "", false, false, true, true, -1},
    {C::EditClassDescription, "EditClassDescription", "Edit Class Description", "", "", "", false, false, true, true, -1},
    {C::InterfaceItemMenu, "SelectedInterfaceItem", "Selected Interface Item", "", "", "",  false, false, true,  true,  -1},
    {C::ChangeSide,    "ChangeSide",         "Change Side",        "", "",       "",        false, false, true,  true,  -1},
    {C::BringUp,       "BringUp",            "Bring Up",           "", "",       "",        false, false, true,  true,  -1},
    {C::BringDown,     "BringDown",          "Bring Down",         "", "",       "",        false, false, true,  true,  -1},
    {C::SetInitialValue, "SetInitialValue",  "Set Initial Value",  "", "",       "",        false, false, true,  true,  -1},
    {C::ShowOnlyUsed,  "ShowOnlyUsed",       "Show Only Used Attributes", "", "", "",       true,  false, true,  true,  -1},
    {C::InitSize,      "InitSize",           "Init Size",          "", "",       "",        false, false, true,  true,  -1},
    {C::DebugInfos,    "DebugInfos",         "DebugInfos",         "", "",       "",        false, false, false, true,  -1},
    {C::DebugInformations, "Debuginformations", "Debuginformations", "", "",     "",        false, false, false, true,  -1},
    {C::ShowObjects,   "ShowObjects",        "ShowObjects",        "", "",       "",        false, false, false, true,  -1},
}};
// clang-format on

constexpr bool TableInOrder() {
    for (std::size_t i = 0; i < kCommands.size(); ++i) {
        if (static_cast<std::size_t>(kCommands[i].id) != i) return false;
    }
    return true;
}
static_assert(TableInOrder(), "the command table lists every command in the order of Cmd");

} // namespace

const CommandInfo& InfoOf(Cmd c) { return kCommands[static_cast<std::size_t>(c)]; }

const std::array<CommandInfo, kCommandCount>& AllCommands() { return kCommands; }

const char* AccessibleNameOf(const CommandInfo& c) { return *c.text ? c.text : c.hint; }

bool CommandEnabled(Cmd c, const CommandContext& x) {
    const bool editing = x.anyDocument && !x.simulationMode && x.editable;
    switch (c) {
    // Enabled while a document is open (the after-open step).
    case C::CloseButton: case C::SaveButton: case C::ShowValues: case C::ZoomInTool:
    case C::ZoomOutTool: case C::ZoomAreaTool: case C::HandTool: case C::ShowOverview:
    case C::Simulation: case C::Save: case C::SaveAs: case C::CloseFile: case C::ExportGraphic:
    case C::SelectAll: case C::ZoomMenu: case C::InitNet: case C::InitNetAndDiagrams: case C::Properties:
        return x.anyDocument;
    case C::Previous: return x.anyDocument && x.previousView;
    case C::Copy: return x.anyDocument && x.selection;
    // Deleting, the new elements and the arc tools rest in simulation mode.
    case C::Delete: return x.selection && editing;
    case C::Paste: case C::DocPaste: return x.anyDocument && x.clipboardFilled && x.editable;
    case C::ArrangeMenu: case C::PopupArrangeMenu: return x.anyDocument && x.anchor && x.editable;
    case C::NewMenu: case C::NewPlace: case C::NewTransition: case C::NewArc: return editing;
    case C::ArcTool: case C::DPlaceTool: case C::KPlaceTool: case C::DTransTool: case C::KTransTool:
        return !(x.anyDocument && x.simulationMode);
    // Undo works on the drawing, not on a simulated net.
    case C::Undo: return editing && !x.engineRunning && x.canUndo;
    case C::Redo: return editing && !x.engineRunning && x.canRedo;
    case C::Step: case C::RunToNextEvent: case C::EditMode: return x.anyDocument && x.simulationMode;
    case C::ShowDiagramWindow: return x.anyDocument;
    // Looking at objects, classes and documentation; a view shows the
    // documentation read-only.
    case C::ViewInstancedObject: case C::ViewParentObject: case C::OpenParentObject:
    case C::EditDocumentation: case C::ViewClassDocumentation: case C::EditClassDescription:
        return x.anyDocument;
    // A view opens views only: what it shows is not kept in the document.
    case C::OpenInstancedObject: return x.anyDocument && x.editable;
    // Commands that change the net rest in a view.
    case C::SetInitialValue: case C::ChangeSide: case C::BringUp: case C::BringDown: case C::ShowOnlyUsed:
    case C::InitSize: case C::Turn: case C::ToFront: case C::ToBack: case C::ArrangeName: case C::ArrangeWeight:
    case C::SizeMenu: case C::SizeVerySmall: case C::SizeSmall: case C::SizeNormal: case C::SizeLarge:
    case C::SizeVeryLarge: case C::ChangeDirection: case C::ArcTypeMenu: case C::NormalArc: case C::InhibitorArc:
    case C::TestArc: case C::DeleteAllPoints: case C::DeletePoint: case C::NamePlaces: case C::NameTransitions:
    case C::NameObjects:
        return x.editable;
    case C::Duplicate: return x.anyDocument && x.selection && x.editable;
    case C::ZoomAll:
        return false;
    default: return InfoOf(c).enabled;
    }
}

Cmd ToolCommandOf(int cursor) {
    for (const CommandInfo& c : kCommands) {
        if (c.cursor == cursor) return c.id;
    }
    return C::SelectTool;
}

} // namespace qz::ui
