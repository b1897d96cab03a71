#pragma once
#include <string>

#include "common/Geometry.h"
#include "platform/Canvas.h"

namespace qz::ui {

// How a document window shows its net: the program-wide scale (world units
// per screen pixel, shared by every document) and the document's own scroll
// positions and ranges. Scroll positions are in screen pixels at the current
// scale; the world point at the top-left corner of the client area is the
// view origin (round(h * s), round(v * s)).
class TViewState {
public:
    static constexpr double kZoomStep = 0.9;

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
    // round(bottom / s + 100). An empty net keeps the ranges it had. The
    // bounds are kept, so that a zoom recomputes the ranges for its scale.
    void UpdateRanges(const TRect& allBounds, bool hasElements);

    // Zoom steps; each saves the previous view first.
    void ZoomIn();
    void ZoomOut();
    void OneToOne();
    // The zoom tools: zoom by one step so that the world point under the
    // pixel becomes the centre of the client area.
    void ZoomAt(bool in, int x, int y);
    // The zoom-area tool with a dragged rectangle in client pixels; false
    // (nothing changed) for a rectangle of zero width.
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

// The grid dots of a view: the world x and y of the first and last dot
// column and row that the client shows (dots lie on multiples of the grid
// size from 0 to the right and bottom client edges).
struct GridDots {
    int firstColumn = 0, lastColumn = -1; // x = g * j for j = firstColumn .. lastColumn
    int firstRow = 0, lastRow = -1;       // y = g * i for i = firstRow .. lastRow
};
GridDots GridDotsOf(const TViewState& view, int gridSize);

} // namespace qz::ui
