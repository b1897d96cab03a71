#include "FakePlatform.h"

#include <algorithm>

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

FakeTimer::~FakeTimer() {
    auto& live = *registry_;
    live.erase(std::remove(live.begin(), live.end(), this), live.end());
}

bool FakeTimer::Tick() {
    if (!enabled_ || !onTick) return false;
    // Copy first: the handler may destroy this timer.
    const std::function<void()> handler = onTick;
    handler();
    return true;
}

std::unique_ptr<Timer> FakeTimerFactory::CreateTimer() {
    std::unique_ptr<FakeTimer> timer(new FakeTimer(registry_));
    registry_->push_back(timer.get());
    ++created_;
    return timer;
}

int FakeTimerFactory::TickAll() {
    const std::vector<FakeTimer*> snapshot = *registry_;
    int delivered = 0;
    for (FakeTimer* t : snapshot) {
        const auto& live = *registry_;
        if (std::find(live.begin(), live.end(), t) == live.end()) continue;
        delivered += t->Tick();
    }
    return delivered;
}

ScopedPlatform::ScopedPlatform()
    : scope_(PlatformServices{&messages, &clock, &random, &trace, &timers, &pump, &clipboard}) {}

} // namespace qz::test
