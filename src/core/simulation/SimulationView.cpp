#include "simulation/SimulationView.h"

#include <cmath>

namespace qz {

int TokenAnimationFrames(int p) {
    return static_cast<int>(std::trunc(static_cast<long double>(p) / 500 * 150 + 15));
}

int TokenAnimationDelay(int p) {
    const int n = TokenAnimationFrames(p);
    return n > 0 ? p / n : 0;
}

int TokenPathIndex(int frame, int points, int frames) {
    if (frames <= 0) return 0;
    return static_cast<int>(
        std::nearbyint(static_cast<long double>(frame) * points / frames));
}

int FlowAnimationInterval(int p) {
    return static_cast<int>(std::nearbyint(static_cast<long double>(p) / 1000 * 800)) + 180;
}

} // namespace qz
