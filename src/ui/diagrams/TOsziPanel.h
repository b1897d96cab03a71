#pragma once
#include <QImage>
#include <QPoint>
#include <QWidget>
#include <array>
#include <functional>

#include "diagrams/OsziPlot.h"
#include "diagrams/TPunktListe.h"

class QLineEdit;
class QTimer;

namespace qz {
class Canvas;
}

namespace qz::ui {

// The plot of an oscilloscope window: the trace of its place over model
// time, drawn through the core's plot painter into a picture that is shown
// as it is. A new sample draws only the newest part of the curve (all the
// samples that came since the last drawing, paced by a timer), unless the
// borders follow the trace and must move. Zoom, zoom rectangle and move
// work on the mouse while the window's tool bar is shown; otherwise the
// mouse drags the window. With manual scaling four edit fields at the axis
// ends set the borders.
class TOsziPanel final : public QWidget {
    Q_OBJECT
public:
    enum class Mode { None, ZoomIn, ZoomOut, ZoomRect, Move };

    explicit TOsziPanel(QWidget* parent);

    diagrams::TPunktListe& Trace() { return trace_; }
    diagrams::PlotSettings& Settings() { return settings_; }
    const diagrams::PlotSettings& Settings() const { return settings_; }
    const diagrams::PlotBorders& Borders() const { return borders_; }

    // The published properties; each repaints.
    void SetAchsenVisible(bool on);
    void SetWerteVisible(bool on);
    void SetRasterVisible(bool on);
    void SetAutoScale(bool on);
    void SetManuell(bool on);
    void SetKurveTyp(diagrams::TKurveTyp t);
    // The border setters keep the borders in order (a value that would invert
    // them is dropped); every call repaints.
    void SetXMax(long double v);
    void SetXMin(long double v);
    void SetYMax(long double v);
    void SetYMin(long double v);
    void SetBorders(const diagrams::PlotBorders& b);

    Mode MouseMode() const { return mode_; }
    void SetMode(Mode m);
    // The mouse works the plot (tool bar shown) or drags the window.
    void SetOwnMouse(bool on) { ownMouse_ = on; }
    bool OwnMouse() const { return ownMouse_; }

    // A sample was appended to the trace.
    void NewSample();
    // Draws everything again now.
    void FullRepaint();
    // Draws now what new samples are waiting for (otherwise drawn together
    // at most every 20 ms).
    void DrawPending();
    // Draws the plot on an outside canvas of that size (copy and export).
    void PaintTo(Canvas& canvas, int width, int height);
    // The picture as it is shown now.
    const QImage& Picture() const { return image_; }
    // The edit fields of manual scaling: right (xmax), left (xmin), top (ymax),
    // bottom (ymin) ends.
    QLineEdit* BorderEdit(int i) const { return edits_[std::size_t(i)]; }
    // Enter in an edit field: all four borders from the fields.
    void BorderEditsEntered();

    // While the mouse does not work the plot it drags the window.
    std::function<void(QMouseEvent*)> dragPress, dragMove, dragRelease;

protected:
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;

private:
    void PlaceBorderEdits();

    diagrams::TPunktListe trace_;
    diagrams::PlotSettings settings_;
    diagrams::PlotBorders borders_;
    QImage image_;
    Mode mode_ = Mode::None;
    bool ownMouse_ = false;
    bool pressed_ = false;
    QPoint pressPoint_, lastPoint_;
    bool band_ = false;
    // Samples drawn into the picture so far, and whether everything must
    // be drawn again.
    int drawn_ = 0;
    bool full_ = true;
    QTimer* drawTimer_;
    std::array<QLineEdit*, 4> edits_{};
};

} // namespace qz::ui
