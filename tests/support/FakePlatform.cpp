#include "FakePlatform.h"

namespace qz::test {

double ScriptedRandom::Next01() {
    if (!next01_.empty()) {
        const double v = next01_.front();
        next01_.pop_front();
        return v;
    }
    return static_cast<double>(engine_() >> 11) * (1.0 / 9007199254740992.0);
}

int ScriptedRandom::NextInt(int n) {
    if (!nextInt_.empty()) {
        const int v = nextInt_.front();
        nextInt_.pop_front();
        return v;
    }
    if (n <= 1) return 0;
    return static_cast<int>(engine_() % static_cast<std::uint64_t>(n));
}

ScopedPlatform::ScopedPlatform()
    : scope_(PlatformServices{&messages, &clock, &random, &trace, &timers, &pump, &clipboard}) {}

} // namespace qz::test
