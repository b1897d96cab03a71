#include "app/Commands.h"

namespace qz::ui {

namespace {

using C = Cmd;

// clang-format off
constexpr std::array<CommandInfo, kCommandCount> kCommands{{
    {C::New,           "Neu1",               "New",                "", "",       "",        false, false, true,  true,  -1},
    {C::Open,          "Oeffnen1",           "Open",               "", "",       "",        false, false, true,  true,  -1},
    {C::Save,          "Speichern1",         "Save",               "", "Ctrl+S", "",        false, false, true,  false, -1},
    {C::SaveAs,        "Speichernunter1",    "Save as",            "", "",       "",        false, false, true,  false, -1},
    {C::SaveAsAscii,   "SaveAsAscii1",       "Save as ASCII file", "", "",       "",        false, false, true,  true,  -1},
    {C::CloseFile,     "CloseFile1",         "Close File",         "", "",       "",        false, false, true,  false, -1},
    {C::CloseAllFiles, "CloseAllFiles1",     "CloseAllFiles",      "", "",       "",        false, false, true,  true,  -1},
    {C::ExportGraphic, "ExportGraphic1",     "Export Graphic",     "", "",       "",        false, false, true,  false, -1},
    {C::Exit,          "Beenden1",           "Close",              "", "",       "",        false, false, true,  true,  -1},
    {C::Undo,          "Undo1",              "Undo            Strg+Z", "", "",   "",        false, false, false, false, -1},
    {C::Redo,          "Redo1",              "Redo",               "", "",       "",        false, false, false, false, -1},
    {C::Copy,          "Kopieren1",          "Copy             Strg+C", "", "",  "",        false, false, true,  false, -1},
    {C::Paste,         "Einfuegen1",         "Paste            Strg+V", "", "",  "",        false, false, true,  false, -1},
    {C::Duplicate,     "Duplicate1",         "Duplicate      Strg+D", "", "",    "",        false, false, true,  false, -1},
    {C::SelectAll,     "SelectAll1",         "Select All      Strg+A", "", "",   "",        false, false, true,  false, -1},
    {C::Delete,        "Loeschen1",          "Delete",             "", "",       "",        false, false, true,  false, -1},
    {C::Options,       "Options1",           "Options",            "", "F9",     "",        false, false, true,  true,  -1},
    {C::ZoomMenu,      "Zoom1",              "Zoom",               "", "",       "",        false, false, true,  false, -1},
    {C::ZoomIn,        "Vergrern1",          "Zoom In",            "", "",       "",        false, false, true,  true,  -1},
    {C::ZoomOut,       "Verkleinern1",       "Zoom Out",           "", "",       "",        false, false, true,  true,  -1},
    {C::OneToOne,      "N111",               "1:1",                "", "",       "",        false, false, true,  true,  -1},
    {C::Previous,      "Letzte1",            "Previous",           "", "",       "",        false, false, true,  false, -1},
    {C::ZoomAll,       "alles1",             "alles",              "", "",       "",        false, false, false, false, -1},
    {C::PropertyWindow,"PropertyWindow1",    "Property Window",    "", "",       "",        false, false, true,  true,  -1},
    {C::EditorWindow,  "EditorWindow1",      "Editor Window",      "", "",       "",        false, false, true,  true,  -1},
    {C::ProjectHierarchy,"ProjectHierarchy1","Project Hierarchy",  "", "",       "",        false, false, false, true,  -1},
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
    switch (c) {
    // Enabled while a document is open (the after-open step).
    case C::CloseButton: case C::SaveButton: case C::ShowValues: case C::ZoomInTool:
    case C::ZoomOutTool: case C::ZoomAreaTool: case C::HandTool: case C::ShowOverview:
    case C::Simulation: case C::Save: case C::SaveAs: case C::CloseFile: case C::ExportGraphic:
    case C::SelectAll: case C::ZoomMenu:
        return x.anyDocument;
    case C::Previous: return x.anyDocument && x.previousView;
    case C::Copy: case C::Duplicate: return x.anyDocument && x.selection;
    case C::Delete: return x.anyDocument && x.selection && !x.simulationMode;
    case C::Paste: return x.anyDocument && x.clipboardFilled;
    case C::ArrangeMenu: return x.anyDocument && x.anchor;
    // In simulation mode the arc, place and transition tools rest.
    case C::ArcTool: case C::DPlaceTool: case C::KPlaceTool: case C::DTransTool: case C::KTransTool:
        return !(x.anyDocument && x.simulationMode);
    case C::Undo: case C::Redo: case C::ZoomAll: return false;
    default: return InfoOf(c).enabled;
    }
}

} // namespace qz::ui
