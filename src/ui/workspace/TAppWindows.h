#pragma once

namespace qz::ui {

class TAboutWindow;
class TCMIWindow;
class TDebugWindow;
class TDocumentationWindow;
class TEditorWindow;
class TErrorFenster;
class TExportForm;
class TFactoryWindow;
class TFarbenFenster;
class TFormelEditor;
class THelpWindow;
class TLogWindow;
class TOptionsWindow;
class TOverviewForm;
class TProjectHierarchyWindow;
class TPropertyWindow;
class TResourceWindow;
class TSimuPanel;

// The windows that exist once, made at start-up in this order after the main
// window (and the first document after the options window). Each is owned
// by the main window as its Qt parent.
struct TAppWindows {
    TFactoryWindow* factory = nullptr;
    TPropertyWindow* properties = nullptr;
    TFormelEditor* formulaEditor = nullptr;
    TOptionsWindow* options = nullptr;
    TErrorFenster* errors = nullptr;
    TAboutWindow* about = nullptr;
    TFarbenFenster* colours = nullptr;
    TEditorWindow* textEditor = nullptr;
    TDebugWindow* debug = nullptr;
    TResourceWindow* resources = nullptr;
    TSimuPanel* simulation = nullptr;
    TProjectHierarchyWindow* hierarchy = nullptr;
    TCMIWindow* initialMarking = nullptr;
    TDocumentationWindow* documentation = nullptr;
    TExportForm* exportForm = nullptr;
    TOverviewForm* navigator = nullptr;
    TLogWindow* log = nullptr;
    THelpWindow* help = nullptr;
};

} // namespace qz::ui
