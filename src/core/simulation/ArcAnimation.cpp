#include "simulation/ArcAnimation.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "model/TEdge.h"
#include "model/drawing/DrawingGeometry.h"
#include "platform/Canvas.h"
#include "platform/Services.h"

namespace qz {

namespace {

std::vector<TPoint> DrawnLine(TEdge& arc) {
    std::vector<TPoint> line;
    line.reserve(arc.bendPoints.size() + 2);
    line.push_back(arc.StartPoint());
    line.insert(line.end(), arc.bendPoints.begin(), arc.bendPoints.end());
    line.push_back(arc.EndPoint());
    return line;
}

long long Steps(TPoint a, TPoint b) {
    return std::max(std::llabs(static_cast<long long>(b.x) - a.x), std::llabs(static_cast<long long>(b.y) - a.y));
}

} // namespace

std::vector<TPoint> ArcPathPoints(TEdge& arc) {
    if (!arc.DrawnSource() || !arc.DrawnTarget()) return {};
    const std::vector<TPoint> line = DrawnLine(arc);
    long long total = 0;
    for (std::size_t i = 0; i + 1 < line.size(); ++i) total += Steps(line[i], line[i + 1]);
    // Every stride-th unit step: a path of bounded length however far apart
    // the points of a damaged file lie.
    const long long stride = std::max<long long>(1, (total + kMaxPathPoints - 1) / static_cast<long long>(kMaxPathPoints));
    std::vector<TPoint> points;
    points.reserve(static_cast<std::size_t>(std::min<long long>(total / stride + 1, kMaxPathPoints)));
    long long along = 0; // unit steps walked before the current segment
    for (std::size_t i = 0; i + 1 < line.size(); ++i) {
        const TPoint a = line[i];
        const TPoint b = line[i + 1];
        const long long n = Steps(a, b);
        const long double dx = static_cast<long double>(b.x) - a.x;
        const long double dy = static_cast<long double>(b.y) - a.y;
        // The first step of this segment that lies on the stride.
        for (long long k = (stride - along % stride) % stride; k < n; k += stride) {
            points.push_back({static_cast<std::int32_t>(a.x + std::lround(dx * k / n)),
                              static_cast<std::int32_t>(a.y + std::lround(dy * k / n))});
        }
        along += n;
    }
    return points;
}

void PlayTokenAnimation(const TokenAnimation& plan, TokenSprites& sprites, Clock& clock) {
    const int frames = plan.frames;
    if (frames <= 0) return;
    for (const std::vector<TEdge*>* group : {plan.inputs, plan.outputs}) {
        if (!group || group->empty()) continue;
        std::vector<std::vector<TPoint>> paths;
        paths.reserve(group->size());
        for (TEdge* arc : *group) {
            if (arc) paths.push_back(ArcPathPoints(*arc));
        }
        std::vector<TPoint> tokens;
        for (int f = 0; f <= frames - 6; ++f) {
            tokens.clear();
            for (const std::vector<TPoint>& path : paths) {
                if (path.empty()) continue;
                const int points = static_cast<int>(path.size());
                // A short path would reach one past its end in the late frames.
                const int at = std::clamp(TokenPathIndex(f, points, frames), 0, points - 1);
                tokens.push_back(path[static_cast<std::size_t>(at)]);
            }
            sprites.ShowFrame(tokens);
            const std::uint32_t start = clock.Milliseconds();
            while (clock.Milliseconds() - start <= static_cast<std::uint32_t>(std::max(0, plan.delayMs))) {
            }
        }
        sprites.Clear();
    }
}

void DrawFlowingArc(TEdge& arc, bool first) {
    if (!arc.shown || !arc.canvas || !arc.DrawnSource() || !arc.DrawnTarget()) return;
    Canvas& c = *arc.canvas;
    const std::vector<TPoint> line = DrawnLine(arc);
    const TPen pen = c.pen;
    const TBrush brush = c.brush;
    if (first) {
        // The gaps of the dotted line show white, not the arc below.
        c.pen = TPen{colors::White, 1, PenStyle::Solid, PenMode::Copy};
        c.Polyline(line);
        c.pen = TPen{colors::Red, 1, PenStyle::Dot, PenMode::Copy};
        c.Polyline(line);
        c.pen = TPen{colors::Red, 1, PenStyle::Solid, PenMode::Copy};
        c.brush = TBrush{colors::Red, BrushStyle::Solid};
        c.Polygon(ArrowHead(line.back(), arc.lastAngle));
    } else {
        c.pen = TPen{colors::Red, 1, PenStyle::Solid, PenMode::Not};
        c.Polyline(line);
    }
    c.pen = pen;
    c.brush = brush;
}

} // namespace qz
