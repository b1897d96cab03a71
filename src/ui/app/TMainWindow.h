#pragma once
#include <QMainWindow>
#include <functional>
#include <string>

#include "workspace/Commands.h"
#include "workspace/MainFrame.h"
#include "workspace/TAppWindows.h"

class QActionGroup;
class QDockWidget;
class QMdiArea;
class QMdiSubWindow;
class QTabWidget;

namespace qz::ui {

class TActionSet;
class TDocForm;
class TWorkspace;

inline constexpr const char* kMainCaption = "Quenzor 2.7a";
inline constexpr const char* kNoFileLoaded = "No File Loaded";
inline constexpr const char* kValueModeLocked =
    "This mode is not changable now because\r\nyou just edit a value or label.";

// The main window: menus, tool bar and tool page, the work area with the
// document windows, the two docked tool windows (properties above the object
// library), the file commands with their questions, the simulation switch,
// window arrangement, and the configuration written on exit.
class TMainWindow final : public QMainWindow, public MainFrame {
    Q_OBJECT
public:
    explicit TMainWindow(TWorkspace& workspace);
    ~TMainWindow() override;

    TWorkspace& Workspace() override { return workspace_; }
    TActionSet& Actions() override { return *actions_; }
    TAppWindows& Windows() override { return windows_; }
    QMdiArea* WorkArea() const { return mdi_; }
    // Docks the property window and the object library window.
    void DockToolWindows();
    // The two check items of the View menu take the configuration's values.
    void TakeOptionItems();

    // Documents.
    TDocForm* ActiveDocument() const override;
    std::vector<TDocForm*> Documents() const override;
    // Whether the window still shows an open document (commands that were
    // deferred check this before they act).
    bool IsOpen(const TDocForm* form) const override;
    // "New": an empty document window.
    TDocForm* NewDocument();
    // Opens a net file in a new document window; null when nothing could be
    // read.
    TDocForm* OpenFile(const std::string& path) override;
    TDocForm* OpenClass(const std::string& className) override;
    TDocForm* OpenObjectWindow(TDocForm& from, TPNObjekt& object, bool editable) override;

    // File menu.
    void Neu1Click();
    void Oeffnen1Click();
    void Speichern1Click();
    void Speichernunter1Click();
    void SaveAsAscii1Click();
    void CloseFile1Click();
    void CloseAllFiles1Click();
    void ExportGraphic1Click();
    void Beenden1Click();
    // Other commands.
    void ShowValuesBtnClick();
    void SimuButtonClick(bool down) override;
    void ArrangeAll1Click();
    void AbstractObject1Click();
    void Help1Click();
    void SelectAll1Click();

    // The simulation controls follow a document's mode.
    void SetSimulationControls(bool on) override;
    bool SimulationControls() const { return simulationControls_; }
    // A document entered or left simulation mode.
    void SimulationModeChanged(TDocForm& form) override;
    // A document zoomed: status text, "Previous", ranges, repaint.
    void ZoomChanged(TDocForm& form) override;
    // A document became the active one.
    void DocumentActivated(TDocForm& form) override;
    // The close question of a document and, unless cancelled, its closing
    // steps; true when the window may close.
    bool CloseDocumentQuery(TDocForm& form) override;

    bool ShowValuesDown() const override;
    // The "Show Variables or Values" button down or up, with its glyph.
    void SetShowValuesButton(bool down) override;
    // The tool (cursor number) chosen on the tool bar or tool page.
    int CurrentTool() const override { return currentTool_; }
    void ChooseTool(Cmd tool) override;
    // Recomputes which commands are enabled.
    void UpdateCommands() override;
    // Writes the configuration file.
    bool SaveOptions();

    // The "Start Window" and "Error Messages during Compiling" items.
    bool StartWindowChecked() const;
    bool CompileErrorsChecked() const;

protected:
    void closeEvent(QCloseEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

private:
    void BuildMenus();
    void BuildToolBar();
    void Connect();
    QMdiSubWindow* AddDocument(TDocForm* form);
    void AfterOpen(TDocForm& form);
    void AfterLastDocument();
    bool CloseAll(bool cancelMeansNo);
    void LayoutWindows(bool both);
    void ArrangeIcons();
    // Tile or cascade the open documents inside the visible part of the area.
    void ArrangeSubWindows(bool tile);

    TWorkspace& workspace_;
    TAppWindows windows_;
    TActionSet* actions_ = nullptr;
    QActionGroup* toolGroup_ = nullptr;
    QMdiArea* mdi_ = nullptr;
    QTabWidget* toolPages_ = nullptr;
    QDockWidget* propertyDock_ = nullptr;
    QDockWidget* factoryDock_ = nullptr;
    int currentTool_ = 0;
    bool firstLayout_ = true;
    bool laidOut_ = false;
    bool navigatorPlaced_ = false;
    bool simulationControls_ = false;
    bool closing_ = false;
};

} // namespace qz::ui
