#pragma once
#include <vector>

#include "common/Geometry.h"

namespace qz::ui {

// Where windows go: arithmetic on rectangles (left, top, right, bottom) in
// the coordinates of the area they must stay in.

// The window moved, and shrunk where it must, so that it lies wholly inside
// the area; a window that fits keeps its size, and its place where it can.
TRect FitInto(const TRect& window, const TRect& area);

// n windows side by side in a grid of about equal columns and rows, together
// filling the area; the windows of a last, shorter row share its width.
std::vector<TRect> TileRects(int n, const TRect& area);

// n windows stacked, each moved by step down and right from the one before.
// Every window keeps at least half the area's width and height; when the
// steps would push a window past that, the stack starts again at the corner.
std::vector<TRect> CascadeRects(int n, const TRect& area, int step);

} // namespace qz::ui
