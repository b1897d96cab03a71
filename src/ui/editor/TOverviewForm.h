#pragma once
#include <QImage>
#include <QMetaObject>
#include <QPoint>
#include <QPointer>

#include "editor/NavigatorView.h"
#include "widgets/TToolWindow.h"

class QMouseEvent;

namespace qz::ui {

class MainFrame;
class TDocForm;

// "Net Navigator": the whole net of the active document reduced to fit a
// small window that stays on top, with the part the document shows marked
// in aqua. Dragging in the drawing area moves a dotted copy of the mark;
// on release the document scrolls to show what the mark covers then. The
// net is drawn on the window's own canvas at its own scale, so the
// program-wide view scale stays untouched. Closing only hides the window.
class TOverviewForm final : public TToolWindow {
    Q_OBJECT
public:
    TOverviewForm(MainFrame& main, QWidget* parent);

    // Draws the active document's net again when the drawing area paints
    // next.
    void RepaintNet();
    // Draws it into the picture now.
    void DrawNet();
    // What the drawing area shows (without the moving mark of a drag).
    const QImage& Picture() const { return picture_; }
    // The scale, origin and mark of the last drawing.
    const NavigatorView& View() const { return view_; }
    QWidget* DrawingArea() const { return area_; }

    void DrawingAreaMouseDown(QMouseEvent* e);
    void DrawingAreaMouseMove(QMouseEvent* e);
    void DrawingAreaMouseUp(QMouseEvent* e);

signals:
    // The window was closed (the main window releases its button).
    void closed();

protected:
    void closeEvent(QCloseEvent* e) override;
    void showEvent(QShowEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void PaintDrawingArea();
    // The first time it shows: at the top right of the document area, on
    // the screen.
    void PlaceFirstTime();
    // Repaints whenever the document shown scrolls, zooms or resizes.
    void Watch(TDocForm* doc);

    MainFrame& main_;
    QWidget* area_;
    QImage picture_;
    NavigatorView view_;
    bool dirty_ = true;
    bool placed_ = false;
    QPointer<TDocForm> watched_;
    QMetaObject::Connection watch_;
    // The drag of the mark.
    bool dragging_ = false;
    bool moved_ = false;
    QPoint press_, last_;
    QPointer<TDocForm> dragged_;
};

} // namespace qz::ui
