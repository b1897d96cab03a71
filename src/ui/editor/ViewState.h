#pragma once
#include <string>

#include "common/Geometry.h"
#include "platform/Canvas.h"

namespace qz::ui {

// How a document window shows its net: the program-wide scale (world units
// per screen pixel, shared by every document) and the document's own scroll
// positions and ranges. Scroll positions are in screen pixels at the current
// scale; the world point at the top-left corner of the client area is the
// view origin (round(h * s), round(v * s)). Rounding is to nearest, halves
// to even, as everywhere in the program, and saturates far outside any net.
class TViewState {
public:
    static constexpr double kZoomStep = 0.9;
    // The scale stays within these bounds (100 times larger or smaller than
    // 1:1), so that positions and ranges stay within the scroll bars' reach.
    static constexpr double kMinScale = 0.01;
    static constexpr double kMaxScale = 100.0;

    // The program-wide scale.
    static double Scale();
    static void SetScale(double s);

    TPoint Origin() const;
    TPoint ScreenToWorld(int x, int y) const;
    // The isotropic mapping that draws the world onto a client of this size.
    TMapping Mapping(int clientWidth, int clientHeight) const;

    // The client size, as the window last reported it; it bounds the scroll
    // positions (0 .. range - client size).
    void SetClientSize(int width, int height);
    int ClientWidth() const { return clientWidth_; }
    int ClientHeight() const { return clientHeight_; }

    int HorzPosition() const { return h_; }
    int VertPosition() const { return v_; }
    int HorzRange() const { return hRange_; }
    int VertRange() const { return vRange_; }
    int HorzMax() const;
    int VertMax() const;
    void SetPositions(int h, int v);
    // Ranges from the bounds of all elements: round(right / s + 50) and
    // round(bottom / s + 100). An empty net keeps the ranges it had, also
    // when the scale changes; otherwise the bounds are kept, so that a
    // change of scale recomputes the ranges.
    void UpdateRanges(const TRect& allBounds, bool hasElements);
    // The program-wide scale changed (another document zoomed, or a new
    // document reset it): ranges and positions follow.
    void ScaleChanged();

    // Zoom steps; each saves the previous view first.
    void ZoomIn();
    void ZoomOut();
    void OneToOne();
    // The zoom tools: zoom by one step so that the world point under the
    // pixel becomes the centre of the client area.
    void ZoomAt(bool in, int x, int y);
    // The wheel: zoom by one step keeping the world point under the pixel
    // where it is.
    void ZoomAbout(bool in, int x, int y);
    // The zoom-area tool with a dragged rectangle in client pixels (either
    // corner first); false (nothing changed) for a rectangle of zero width.
    bool ZoomArea(const TRect& pixels);
    // The hand tool: the drawing follows a drag from (x0, y0) to (x1, y1).
    void Hand(int x0, int y0, int x1, int y1);
    // Back to the view saved by the last zoom; false when there is none.
    bool Previous();
    bool PreviousAvailable() const { return previousValid_; }

    // "Scale: " and the scale (three significant digits, two decimals).
    static std::string ScaleText();

private:
    void SavePrevious();
    // One zoom step in or out; the world point the pixel showed before it.
    TPoint StepAt(bool in, int x, int y);
    void Clamp();
    void RecomputeRanges();

    int h_ = 0, v_ = 0;
    int hRange_ = 0, vRange_ = 0;
    int clientWidth_ = 0, clientHeight_ = 0;
    TRect bounds_{};
    bool hasBounds_ = false;
    bool previousValid_ = false;
    double previousScale_ = 1.0;
    int previousH_ = 0, previousV_ = 0;
};

// Status panel texts of a document window.
std::string ElementsText(std::size_t own, std::size_t total);
std::string FileVersionText(const std::string& version);

// The grid dots a view shows: x = g * j for j = firstColumn .. lastColumn and
// y = g * i for i = firstRow .. lastRow, the multiples of the grid size from
// the view origin to the right and bottom client edges (the points "Align to
// Grid" snaps to). None while neighbouring dots would lie less than
// kMinGridSpacing pixels apart: the grid would only grey the whole view.
inline constexpr double kMinGridSpacing = 2.0;
struct GridDots {
    int firstColumn = 0, lastColumn = -1;
    int firstRow = 0, lastRow = -1;
    bool Empty() const { return lastColumn < firstColumn || lastRow < firstRow; }
};
GridDots GridDotsOf(const TViewState& view, int gridSize);

} // namespace qz::ui
