#pragma once
#include <cstddef>

#include "common/Geometry.h"

namespace qz {

class TEdge;

// What a point hits of an arc's bend points, with a tolerance of 3 world
// units: a bend point (its index), or a segment (its number n >= 1: a
// drag there inserts a new bend point at index n - 1), or nothing.
struct BendHit {
    enum class Kind { None, Point, Segment } kind = Kind::None;
    std::size_t point = 0; // Kind::Point: the bend point's index
    int segment = 0;       // Kind::Segment: 1 = start -> first point, count + 1 = last point -> end,
                           // i + 2 = point i -> point i + 1
    bool Hit() const { return kind != Kind::None; }
};

// Without bend points, segment 1 is hit when the point lies in the bounding
// box of the straight line widened by 3 on each side. With bend points, a
// point within 3 units in x and y of bend point i hits that point (the
// first such); else the widened boxes of the segments are tested (start ->
// first point, last point -> end, then the segments between points); where
// several boxes hold the point, the segment nearest to it wins (the first
// in that order among equals).
BendHit HitBendPoint(TEdge& arc, TPoint p);

// Inserts a bend point at `index` (0 .. count) and recomputes the geometry.
void InsertBendPoint(TEdge& arc, std::size_t index, TPoint p);
// Removes one bend point, or all of them, and recomputes the geometry.
void DeleteBendPoint(TEdge& arc, std::size_t index);
void DeleteAllBendPoints(TEdge& arc);

} // namespace qz
