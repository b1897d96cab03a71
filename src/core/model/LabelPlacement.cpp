#include "model/LabelPlacement.h"

#include <algorithm>
#include <cmath>

#include "model/TEdge.h"
#include "model/TSchriftObjekt.h"

namespace qz {
namespace {
void SetRect(TSchriftObjekt& l, const TRect& r) {
    l.bounds = r;
    l.hit = r;
}
int Round(double v) { return static_cast<int>(std::nearbyint(v)); }
} // namespace

void PositionPlaceNameLabel(TSchriftObjekt& l, const TRect& h) {
    const int w = l.Width(), ht = l.Height();
    SetRect(l, {h.left - w + 2, h.top - ht + 2, h.left + 2, h.top + 2});
}

void PositionTransitionNameLabel(TSchriftObjekt& l, const TRect& h) {
    const int w = l.Width(), ht = l.Height();
    SetRect(l, {h.left - w + 5, h.top - ht - 7, h.left + 5, h.top - 7});
}

void PositionTransitionValueLabel(TSchriftObjekt& l, const TRect& h, TPoint c) {
    const double w = l.Width();
    SetRect(l, {static_cast<int>(std::trunc(c.x - w / 2 - 15)), h.bottom + 5,
                static_cast<int>(std::trunc(c.x + w / 2)) - 15, h.bottom + 25});
}

void PositionArcValueLabel(TEdge& arc) {
    TSchriftObjekt& l = *arc.valueLabel;
    const int w = l.Width(), h = l.Height();
    const std::size_t n = arc.bendPoints.size();
    if (n == 0) {
        const TRect b = arc.GetBounds();
        const double mx = (b.left + b.right) / 2.0, my = (b.top + b.bottom) / 2.0;
        SetRect(l, {Round(mx - w / 2.0 + 1), Round(my + 3), Round(mx + w / 2.0 + 1), Round(my + 15)});
    } else if (n % 2 == 1) {
        const TPoint p = arc.bendPoints[n / 2];
        SetRect(l, {p.x - w / 2, p.y - h - 5, p.x + w / 2, p.y - 5});
    } else {
        const TPoint a = arc.bendPoints[n / 2 - 1], b = arc.bendPoints[n / 2];
        const double x1 = std::min(a.x, b.x), x2 = std::max(a.x, b.x);
        const double y1 = std::min(a.y, b.y), y2 = std::max(a.y, b.y);
        const double cx = x1 + (x2 - x1) / 2, cy = y1 + (y2 - y1) / 2;
        SetRect(l, {static_cast<int>(std::trunc(cx - w / 2.0 + 1)), static_cast<int>(std::trunc(cy + 1)),
                    static_cast<int>(std::trunc(cx + w / 2.0 + 1)), static_cast<int>(std::trunc(cy + 15))});
    }
}

bool DragSelectedLabel(TSchriftObjekt& l, int dx, int dy, Window* w, bool shown) {
    if (!l.selected) return false;
    if (shown) l.Invalidate(w);
    SetRect(l, l.bounds.Offset(dx, dy));
    l.userPositioned = 1;
    if (shown) l.Invalidate(w);
    return true;
}

} // namespace qz
