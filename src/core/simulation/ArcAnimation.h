#pragma once
#include <span>
#include <vector>

#include "common/Geometry.h"
#include "simulation/SimulationView.h"

namespace qz {

class Clock;
class TEdge;

// The points a token travels along an arc's drawn line: from the start
// point through the bend points towards the end point, one per unit step
// along the longer axis of each segment (a segment's last point is the next
// one's first; the end point itself is not visited). Very long arcs are
// sampled so that a path never holds more than kMaxPathPoints points.
inline constexpr std::size_t kMaxPathPoints = 20000;
std::vector<TPoint> ArcPathPoints(TEdge& arc);

// What a window does for a token animation: it draws the token picture at
// world points over the net, keeping the background under each token so
// that the next frame can put it back.
class TokenSprites {
public:
    virtual ~TokenSprites() = default;
    // Puts back the background under the previous frame's tokens, draws a
    // token at each world point and shows the result at once.
    virtual void ShowFrame(std::span<const TPoint> tokens) = 0;
    // Puts back the background under the last frame's tokens and shows it.
    virtual void Clear() = 0;
};

// Plays a token animation: first the input arcs together, then the output
// arcs; frame f = 0 .. N - 6 shows every arc's token at path point
// round(f * points / N) and then waits until more than D milliseconds have
// passed on the clock; after the last frame the tokens are removed. Blocks
// and lets no window message run.
void PlayTokenAnimation(const TokenAnimation& plan, TokenSprites& sprites, Clock& clock);

// One tick of the flow animation for a flowing arc, on the arc's canvas: the
// first drawing is a red dotted line (on white) with a red arrow head, every
// later one a solid red line in inverting mode, so that two ticks cancel and
// the arc blinks.
void DrawFlowingArc(TEdge& arc, bool first);

} // namespace qz
