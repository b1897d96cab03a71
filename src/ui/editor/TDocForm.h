#pragma once
#include <QImage>
#include <QRect>
#include <QWidget>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "editor/Document.h"

class QMdiSubWindow;
class QProgressBar;
class QScrollBar;
class QTimer;
class QWheelEvent;
class QPainter;

namespace qz::ui {

class TMainWindow;
class TStatusPanels;
class QtWindowSurface;

// A document window: shows one net, with the program-wide scale and its own
// scrolling, the grid, the status bar and the save progress bar, and is the
// surface the simulation animates. The document it shows (file, modes,
// view arithmetic, file commands) is a TDocument; this window translates
// events and paints through the core's canvas.
class TDocForm final : public QWidget {
    Q_OBJECT
public:
    explicit TDocForm(TMainWindow& main, QWidget* parent = nullptr);
    ~TDocForm() override;

    TDocument& Document() { return *document_; }
    const TDocument& Document() const { return *document_; }
    TMainWindow& Main() { return main_; }
    QtWindowSurface& WindowSurface() { return *surface_; }
    QWidget* ClientArea() const { return client_; }
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
    int Tool() const { return tool_; }

    // Status panel texts.
    QString StatusText(int panel) const;
    void RefreshStatus();
    void RefreshCaption();

    // The view.
    void FormResize();
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
    // The program-wide scale changed: status text, ranges, repaint.
    void ScaleChanged();
    // Set by the editing tools while a selection is dragged: painting then
    // leaves the scroll ranges as they are.
    bool draggingSelection = false;

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
    // may not change then); the editors say so when they open and close.
    bool InPlaceEditorOpen() const { return inPlaceEditorOpen_; }
    void SetInPlaceEditorOpen(bool on) { inPlaceEditorOpen_ = on; }

    // The close question; true when the window may close.
    bool CloseQuery();

    // Mouse gestures of the view tools (the editing tools plug in here).
    void FormMouseDown(QMouseEvent* e);
    void FormMouseMove(QMouseEvent* e);
    void FormMouseUp(QMouseEvent* e);
    // The wheel scrolls; with Ctrl it zooms by the zoom steps about the
    // pointer.
    void FormMouseWheel(QWheelEvent* e);

    // The save progress bar (runs while a file is written).
    void StartSaveProgress();

signals:
    void viewChanged();

protected:
    void closeEvent(QCloseEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void SyncScrollBars();
    void ScrollBarsMoved();
    void SaveTimerTimer();
    void DrawGrid(QPainter& p, const QRect& window, const QRect& viewport);
    // The world rectangle the client shows under the current mapping.
    TRect VisibleWorld() const;
    void PaintClient();

    TMainWindow& main_;
    std::unique_ptr<QtWindowSurface> surface_;
    std::unique_ptr<TDocument> document_;
    QWidget* client_ = nullptr;
    QScrollBar* hScroll_ = nullptr;
    QScrollBar* vScroll_ = nullptr;
    TStatusPanels* status_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QTimer* saveTimer_ = nullptr;
    int tool_ = 0;
    bool syncing_ = false;
    bool inPaintEvent_ = false;
    bool inPlaceEditorOpen_ = false;
    int wheelZoom_ = 0; // angle not yet turned into zoom steps
    // Rubber band of the hand and zoom-area tools (client pixels), drawn
    // over the picture.
    bool rubberBand_ = false;
    QPoint pressPoint_, lastPoint_;
    // One row of grid dots in device pixels, drawn at every dot row; kept
    // from paint to paint.
    QImage gridRow_;

public:
    // "Init Net" and "Init Net and Diagramms": the net back to its initial
    // markings (and the diagrams emptied), with or without a session.
    void Initialisieren1Click();
    void InitAll1Click();
};

} // namespace qz::ui
