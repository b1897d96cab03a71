#include "model/BendPoints.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "model/TEdge.h"

namespace qz {

namespace {

constexpr int kTolerance = 3;

// The segment's bounding box widened by the tolerance, edges included.
bool InWidenedBox(TPoint p, TPoint a, TPoint b) {
    return p.x >= std::min(a.x, b.x) - kTolerance && p.x <= std::max(a.x, b.x) + kTolerance &&
           p.y >= std::min(a.y, b.y) - kTolerance && p.y <= std::max(a.y, b.y) + kTolerance;
}

double DistanceToSegment(TPoint p, TPoint a, TPoint b) {
    const double dx = double(b.x) - a.x, dy = double(b.y) - a.y;
    const double len2 = dx * dx + dy * dy;
    const double along = len2 > 0 ? ((double(p.x) - a.x) * dx + (double(p.y) - a.y) * dy) / len2 : 0;
    const double t = std::clamp(along, 0.0, 1.0);
    return std::hypot(a.x + t * dx - p.x, a.y + t * dy - p.y);
}

BendHit SegmentHit(int segment) {
    BendHit h;
    h.kind = BendHit::Kind::Segment;
    h.segment = segment;
    return h;
}

// After a change of the bend points: the new geometry, drawn anew.
void Recompute(TEdge& arc) {
    arc.geometryValid = 0;
    arc.ComputeGeometry();
    arc.InvalidateIfShown();
}

} // namespace

BendHit HitBendPoint(TEdge& arc, TPoint p) {
    const TPoint start = arc.StartPoint(), end = arc.EndPoint();
    const std::vector<TPunkt>& points = arc.bendPoints;
    if (points.empty()) return InWidenedBox(p, start, end) ? SegmentHit(1) : BendHit{};
    for (std::size_t i = 0; i < points.size(); ++i) {
        if (std::abs(p.x - points[i].x) <= kTolerance && std::abs(p.y - points[i].y) <= kTolerance) {
            BendHit h;
            h.kind = BendHit::Kind::Point;
            h.point = i;
            return h;
        }
    }
    const int count = static_cast<int>(points.size());
    BendHit best;
    double bestDistance = std::numeric_limits<double>::infinity();
    auto consider = [&](int segment, TPoint a, TPoint b) {
        if (!InWidenedBox(p, a, b)) return;
        const double d = DistanceToSegment(p, a, b);
        if (d < bestDistance) {
            bestDistance = d;
            best = SegmentHit(segment);
        }
    };
    consider(1, start, points.front());
    consider(count + 1, points.back(), end);
    for (int i = 0; i + 1 < count; ++i) consider(i + 2, points[i], points[i + 1]);
    return best;
}

void InsertBendPoint(TEdge& arc, std::size_t index, TPoint p) {
    index = std::min(index, arc.bendPoints.size());
    arc.InvalidateIfShown();
    arc.bendPoints.insert(arc.bendPoints.begin() + static_cast<std::ptrdiff_t>(index), p);
    Recompute(arc);
}

void DeleteBendPoint(TEdge& arc, std::size_t index) {
    if (index >= arc.bendPoints.size()) return;
    arc.InvalidateIfShown();
    arc.bendPoints.erase(arc.bendPoints.begin() + static_cast<std::ptrdiff_t>(index));
    Recompute(arc);
}

void DeleteAllBendPoints(TEdge& arc) {
    arc.InvalidateIfShown();
    arc.bendPoints.clear();
    Recompute(arc);
}

} // namespace qz
