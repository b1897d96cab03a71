#pragma once
#include <functional>
#include <vector>

namespace qz {

class TEdge;

// The plan of one token animation after a step with discrete firings: the
// input arcs are animated together, then the output arcs; each frame f =
// 0 .. frames - 6 shows the token at path point round(f * points / frames)
// and then waits until more than delayMs milliseconds have passed.
struct TokenAnimation {
    const std::vector<TEdge*>* inputs = nullptr;
    const std::vector<TEdge*>* outputs = nullptr;
    int frames = 0;
    int delayMs = 0;
};

// Frames N = trunc(p / 500 * 150 + 15) for speed bar position p.
int TokenAnimationFrames(int speedBarPosition);
// Frame delay D = trunc(p / N) ms.
int TokenAnimationDelay(int speedBarPosition);
// The path point of frame f of N on a path of `points` points.
int TokenPathIndex(int frame, int points, int frames);
// The flow animation's timer interval: round(p / 1000 * 800) + 180 ms.
int FlowAnimationInterval(int speedBarPosition);

// One arc of the flow animation: its first drawing is a red dotted line with
// a red arrow head, every later one a solid red line in inverting mode.
struct FlowArc {
    TEdge* arc = nullptr;
    bool first = true;
};

// What the engine asks of the window that shows the session. Every hook is
// optional; none is called while "Max Speed" is on, except where noted.
struct SimulationView {
    std::function<void()> refreshViewMapping;
    std::function<void()> redrawNet;
    // Redraws every arc of the root object's own net.
    std::function<void()> redrawArcs;
    std::function<void()> refreshPropertyList;
    std::function<void(const TokenAnimation&)> animateTokens;
    // A tick of the flow animation timer.
    std::function<void(const std::vector<FlowArc>&)> drawFlowingArcs;
};

} // namespace qz
