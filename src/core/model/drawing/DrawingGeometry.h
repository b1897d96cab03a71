#pragma once
#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "common/Geometry.h"
#include "platform/Color.h"

namespace qz {

class Canvas;
class TGraphItem;

// Geometry and small painting helpers shared by the element drawings.

// Round to nearest, halves to even.
int RoundHalfEven(double v);
int TruncToInt(double v);

// The token boxes of a discrete place with 1..4 tokens around (cx, cy) for
// diameter d; empty for any other count.
std::vector<TRect> TokenBoxes(int tokens, int cx, int cy, int d);

// The arrow head at `tip` of a segment with direction angle phi (radians):
// tip and the two back corners, each coordinate rounded.
std::array<TPoint, 3> ArrowHead(TPoint tip, double phi);
// Inhibitor arcs: the arrow head sits 8 units back along the arc; the circle
// (radius 4) touches the target.
TPoint InhibitorArrowTip(TPoint tip, double phi);
TRect InhibitorCircle(TPoint tip, double phi);

// At most `maxChars` characters of a UTF-8 text (whole code points).
std::string TruncateText(std::string_view utf8, std::size_t maxChars);

// Outline colour of an element: blue when selected, red when selected and
// error-marked, else `normal`.
TColor SelectionColour(const TGraphItem& e, TColor normal = 0);

// Four 6 x 6 squares in the corners of `r`, outlined black, filled `fill`.
void DrawCornerSquares(Canvas& c, const TRect& r, TColor fill);

// Text with its horizontal centre at cx (rounded) and its top at y.
void DrawCentredText(Canvas& c, int cx, int y, std::string_view text);

} // namespace qz
