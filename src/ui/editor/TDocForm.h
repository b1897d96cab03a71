#pragma once
#include <QImage>
#include <QPointer>
#include <QRect>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "editor/Document.h"
#include "editor/EditorHost.h"
#include "editor/FrameCommands.h"
#include "model/TNetList.h"

class QDragMoveEvent;
class QDropEvent;
class QMdiSubWindow;
class QProgressBar;
class QScrollBar;
class QTimer;
class QWheelEvent;
class QPainter;

namespace qz {
class TObjectFrame;
}

namespace qz::ui {

class DocumentCommands;
class EditGestures;
class MainFrame;
class TInPlaceEditor;
class TResizeFrame;
class TStatusPanels;
class QtWindowSurface;
struct InPlaceEdit;

// A document window: shows one net, with the program-wide scale and its own
// scrolling, the grid, the status bar and the save progress bar; the surface
// on which the net is drawn by hand and which the simulation animates. The
// document it shows (file, modes, view arithmetic, file commands, undo) is a
// TDocument, the mouse gestures are EditGestures and the editing commands
// DocumentCommands; this window translates events, paints through the
// core's canvas and shows the in-place editors and popups.
class TDocForm final : public QWidget, private EditorHost {
    Q_OBJECT
public:
    explicit TDocForm(MainFrame& main, QWidget* parent = nullptr);
    // A window onto an object of `owner`'s hierarchy (a placed instance, or
    // a class an object inherits from): editable, or a view.
    TDocForm(MainFrame& main, TDocForm& owner, TPNObjekt& object, bool editable, QWidget* parent = nullptr);
    ~TDocForm() override;

    // The window of the document that owns the object this window shows
    // (null for a window that owns its root object).
    TDocForm* OwnerForm() const;
    // The windows onto objects of this window's document.
    std::vector<TDocForm*> ObjectWindows() const;
    // Closes them (the owner closes).
    void CloseObjectWindows();

    TDocument& Document() { return *document_; }
    const TDocument& Document() const { return *document_; }
    MainFrame& Main() { return main_; }
    QtWindowSurface& WindowSurface() { return *surface_; }
    QWidget* ClientArea() const { return client_; }
    EditGestures& Gestures() { return *gestures_; }
    TInPlaceEditor& InPlaceEditor() { return *editor_; }
    TResizeFrame& ResizeFrame() { return *shapeFrame_; }
    // The frame the main window's work area gives this window.
    QMdiSubWindow* SubWindow() const;

    // Reads a net file into this (new) window and shows it.
    bool LoadDocument(const std::string& path);
    void SetShowValues(bool on);
    // Enters or leaves simulation mode: the panel starts or stops and the
    // Delete commands follow.
    void SetSimulationMode(bool on);
    // The editing tool (cursor number) of this document.
    void SetTool(int cursorNumber);
    int Tool() const;

    // Status panel texts.
    QString StatusText(int panel) const;
    void RefreshStatus();
    void RefreshCaption();

    // The view.
    void FormResize() override;
    void InvalidateWindow();
    // Sets the current world-to-screen mapping on the window's canvas.
    void ApplyViewMapping();
    // Draws the net into the window's surface now (paint order: grid,
    // elements in drawing order, the root object's decorations); only the
    // elements that reach into the view draw.
    void FormPaint();
    // Shows at once what was drawn into the surface.
    void RepaintNow();
    TPoint ScreenToWorld(int x, int y) const;
    // Scrolls to these positions (screen pixels at the current scale),
    // kept within the scroll ranges; the net navigator's drag sets them.
    void SetScrollPosition(int h, int v);
    // The program-wide scale changed: status text, ranges, repaint.
    void ScaleChanged();
    // A selection is dragged: painting leaves the scroll ranges as they are.
    bool DraggingSelection() const;

    // Zoom commands.
    void Vergrern1Click();
    void Verkleinern1Click();
    void N111Click();
    void LetzteClick();
    // "Export Graphic": the picture of the selection into a chosen file.
    void PN_ExportClick();
    // The picture of the selection (of the whole net when nothing is
    // selected) as an enhanced metafile, as the view shows it; for copying.
    std::optional<std::vector<std::uint8_t>> ErstelleMetaFile(std::string* error = nullptr);

    // Whether an in-place value or label editor is open (the value display
    // may not change then).
    bool InPlaceEditorOpen() const;

    // The close question; true when the window may close.
    bool CloseQuery();

    // Mouse and keys on the net.
    void FormMouseDown(QMouseEvent* e);
    void FormMouseMove(QMouseEvent* e);
    void FormMouseUp(QMouseEvent* e);
    void FormDblClick(QMouseEvent* e);
    void FormKeyDown(QKeyEvent* e);
    // The wheel scrolls; with Ctrl it zooms by the zoom steps about the
    // pointer.
    void FormMouseWheel(QWheelEvent* e);

    // The element becomes the current and anchor element (null: none).
    void SelectElement(TGraphItem* e) override;

    // The commands of the popups and of the main window's Edit and Arrange
    // menus. Those that change the net wait for a running maximum-speed
    // loop to end.
    void NewPlaceClick();
    void NewTransitionClick();
    void NewArc1Click();
    void NewLabelClick();
    void NewObjectClick();
    void KopierenClick();
    void EinfuegenClick();
    void DocPasteClick();
    void TransDuplicateClick();
    void ItemsDeleteClick();
    void allesmarkieren1Click();
    void UndoClick();
    void RedoClick();
    void ToFrontClick();
    void ToBackClick();
    void NamenClick();
    void AlignClick(Alignment a);
    void SizeClick(int sizeClass);
    void TurnClick();
    void Richtungtauschen1Click();
    void ArcTypeClick(std::uint8_t arcKind);
    void AllePunkteLschen1Click();
    void PunktLschenClick();
    void allePltzeautomatischbezeichnen1Click();
    void alleTransitionenautomatischbezeichnen1Click();
    void alleObjekteautomatischbezeichnen1Click();
    void EditierModusClick();
    // "Show Diagram Window": the oscilloscope window of the current place (or
    // of the inner place of a frame's selected interface place) at the mouse.
    void ShowDiagramWindowClick();
    void Schritt1Click();
    void RuntoNextEvent1Click();
    void ChangeSideClick();
    void BringUpClick();
    void BringDownClick();
    void ShowOnlyUsedClick(bool on);
    void InitSizeClick();
    // The frame commands on the current frame ("Open Instanced Object" ...)
    // and the document's "Edit Class Description".
    void OpenInstancedObjectClick();
    void ViewInstancedObjectClick();
    void ViewParentObjectClick();
    void OpenParentObjectClick();
    void EditDocumentationClick();
    void ViewClassDocumentationClick();
    void EditClassDescriptionClick();
    void SetInitialValueClick();

    // Classes dragged from the library's class tree: accepted only in edit
    // mode of a window that may change its net; a drop places an instance
    // at the drop point (client pixels).
    void FormDragOver(QDragMoveEvent* e);
    void FormDragDrop(QDropEvent* e);
    void PlaceClassAt(const std::string& className, int x, int y);
    // "Init Net" and "Init Net and Diagramms": the net back to its initial
    // markings (and the diagrams emptied), with or without a session.
    void Initialisieren1Click();
    void InitAll1Click();
    // Commits the resize frame of a graphical object.
    void HideShape();
    // Ends a running gesture and closes the in-place editors (the label or
    // value editor without taking its text; the resize frame with it).
    void CloseEditors();

    // The save progress bar (runs while a file is written).
    void StartSaveProgress();

signals:
    void viewChanged();
    // The net was read anew (undo, redo): every element is new, windows
    // that point at elements attach again.
    void netReplaced();

protected:
    void closeEvent(QCloseEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    // EditorHost.
    void SetCurrentElement(TGraphItem* e) override;
    TGraphItem* CurrentElement() const override;
    void SelectionChanged() override;
    void ClearProperties() override;
    bool TextEditorOpen() const override;
    bool ResizeFrameOpen() const override;
    void CloseTextEditor() override;
    void CommitResizeFrame() override;
    void Modified() override;
    void ShowValues() override;
    void RefreshPropertyList() override;
    void Redraw() override;
    void OverlayChanged() override;
    void ChooseSelectTool() override;
    void ZoomAt(bool in, int x, int y) override;
    void ZoomArea(const TRect& pixels) override;
    void Hand(int x0, int y0, int x1, int y1) override;
    void ShowPopup(const PopupChoice& choice, int x, int y) override;
    void LeaveSimulation() override;
    void SetStatusText(const std::string& text) override;
    void ReloadProperties() override;

    // Runs a command on this document now, or when a running maximum-speed
    // loop has ended (if the document is still open then).
    void WhenIdle(std::function<void(TDocForm&)> command);
    void Build(TDocForm* owner, TPNObjekt* object, bool editable);
    // Undo (back) or redo: the windows onto objects show the same objects
    // of the net read anew, or close when those are gone.
    void StepHistory(bool back);
    // The object this window shows is being destroyed.
    void ObjectGone();
    // Shows another object after the owner's net was read anew.
    void Reattach(TPNObjekt& object);
    TObjectFrame* CurrentFrame() const;
    void OpenObject(TPNObjekt& object, bool editable);
    void ShowDocumentation(const DocumentationRequest& request);
    // The in-place editors.
    void OpenInPlaceEditor(const InPlaceEdit& edit);
    void InPlaceAccepted();
    void InPlaceCancelled();
    QRect WorldToClient(const TRect& r) const;
    // After undo or redo: the net is new.
    void NetReplaced();
    void SyncScrollBars();
    void ScrollBarsMoved();
    void SaveTimerTimer();
    void DrawGrid(QPainter& p, const QRect& window, const QRect& viewport);
    void DrawOverlay(QPainter& p);
    // The lines from oscilloscope windows to their places.
    void DrawConnectors(QPainter& p);
    // The world rectangle the client shows under the current mapping.
    TRect VisibleWorld() const;
    void PaintClient();

    MainFrame& main_;
    QPointer<TDocForm> owner_;
    bool closed_ = false;
    std::unique_ptr<QtWindowSurface> surface_;
    std::unique_ptr<TDocument> document_;
    std::unique_ptr<EditGestures> gestures_;
    std::unique_ptr<DocumentCommands> commands_;
    QWidget* client_ = nullptr;
    QScrollBar* hScroll_ = nullptr;
    QScrollBar* vScroll_ = nullptr;
    TStatusPanels* status_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QTimer* saveTimer_ = nullptr;
    TInPlaceEditor* editor_ = nullptr;
    TResizeFrame* shapeFrame_ = nullptr;
    TGraphItem* resizedShape_ = nullptr;
    bool syncing_ = false;
    bool inPaintEvent_ = false;
    int wheelZoom_ = 0; // angle not yet turned into zoom steps
    // One row of grid dots in device pixels, drawn at every dot row; kept
    // from paint to paint.
    QImage gridRow_;
};

} // namespace qz::ui
