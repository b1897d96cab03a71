#pragma once
#include "common/Geometry.h"
#include "platform/Canvas.h"

namespace qz::ui {

// What a document window shows of its net: the world point at the top-left
// corner of its client area, the client size in pixels and the program-wide
// scale (world units per screen pixel).
struct DocumentViewport {
    TPoint origin{};
    int clientWidth = 0;
    int clientHeight = 0;
    double scale = 1;
};

// The net navigator's picture of a net: the whole net reduced so that it
// fits the drawing area with 5 % to spare on the side that limits it,
// centred in the area, and the mark of the part the document shows.
struct NavigatorView {
    // Nothing to draw: the net has no elements or the area no room.
    bool empty = true;
    // World units per navigator pixel.
    double scale = 1;
    // The world point at the area's top-left pixel.
    TPoint origin{};
    // The document's visible part in navigator pixels (right and bottom
    // excluded); it may reach beyond the area.
    TRect mark{};

    // The isotropic mapping that draws the world onto an area of this size
    // at the navigator's scale.
    TMapping Mapping(int areaWidth, int areaHeight) const;
};

// The navigator's view of a net whose elements span `netBounds` (all
// elements with their labels) in an area of `areaWidth` x `areaHeight`
// pixels, while the document shows `document`.
NavigatorView NavigatorViewOf(const TRect& netBounds, bool hasElements, int areaWidth, int areaHeight,
                              const DocumentViewport& document);

// The document's scroll positions (screen pixels at the document's scale)
// after the mark was dragged from `press` to `release` (navigator pixels)
// while the document stood at (h, v): the document follows the mark, so a
// drag of d pixels moves its view by round(d x navigator scale) world units.
// Not clamped to the scroll ranges; the document does that.
TPoint NavigatorDragScroll(const NavigatorView& view, TPoint press, TPoint release, int h, int v, double documentScale);

} // namespace qz::ui
