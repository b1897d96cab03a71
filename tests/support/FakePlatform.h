#pragma once
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "ScriptedMessageBoxes.h"
#include "platform/Services.h"

namespace qz::test {

// A millisecond clock that moves only when told to. With an automatic step,
// every reading advances it afterwards, so code that waits on the clock in a
// loop terminates.
class FakeClock : public Clock {
public:
    std::uint32_t Milliseconds() override {
        const std::uint32_t now = now_;
        now_ += step_;
        return now;
    }
    void Set(std::uint32_t ms) { now_ = ms; }
    void SetAutoAdvance(std::uint32_t msPerReading) { step_ = msPerReading; }
    std::uint32_t Now() const { return now_; }

private:
    std::uint32_t now_ = 0;
    std::uint32_t step_ = 0;
};

// Random numbers from a queue the test fills, then from a fixed-seed
// generator; seeding from the clock is ignored so runs repeat.
class ScriptedRandom : public RandomSource {
public:
    void Seed(std::uint64_t seed) override { engine_.seed(seed); }
    void SeedFromClock() override { ++clockSeeds_; }
    double Next01() override;
    int NextInt(int n) override;

    void QueueNext01(double v) { next01_.push_back(v); }
    void QueueNextInt(int v) { nextInt_.push_back(v); }
    int ClockSeedCount() const { return clockSeeds_; }

private:
    std::deque<double> next01_;
    std::deque<int> nextInt_;
    std::mt19937_64 engine_{12345u};
    int clockSeeds_ = 0;
};

// A trace sink that keeps every line.
class RecordingTraceSink : public TraceSink {
public:
    bool Enabled() const override { return enabled_; }
    void Trace(std::string_view line) override { lines_.emplace_back(line); }
    void SetEnabled(bool on) { enabled_ = on; }
    const std::vector<std::string>& Lines() const { return lines_; }
    void Clear() { lines_.clear(); }

private:
    bool enabled_ = true;
    std::vector<std::string> lines_;
};

// A timer that never ticks by itself: tests call its handler.
class FakeTimer : public Timer {
public:
    void SetInterval(int ms) override { interval_ = ms; }
    int Interval() const override { return interval_; }
    void SetEnabled(bool on) override { enabled_ = on; }
    bool Enabled() const override { return enabled_; }

private:
    int interval_ = 1000;
    bool enabled_ = false;
};

class FakeTimerFactory : public TimerFactory {
public:
    std::unique_ptr<Timer> CreateTimer() override { return std::make_unique<FakeTimer>(); }
};

// A message pump that counts its calls and runs an optional action, e.g. a
// Stop that a user would click while a loop runs.
class FakeMessagePump : public MessagePump {
public:
    void ProcessMessages() override {
        ++calls_;
        if (onProcess) onProcess();
    }
    int Calls() const { return calls_; }
    std::function<void()> onProcess;

private:
    int calls_ = 0;
};

class RecordingClipboard : public Clipboard {
public:
    void SetText(std::string_view utf8) override { texts.emplace_back(utf8); }
    void SetMetafile(const void* data, std::size_t size) override {
        const auto* p = static_cast<const std::uint8_t*>(data);
        metafiles.emplace_back(p, p + size);
    }
    std::optional<std::string> Text() override {
        if (texts.empty()) return std::nullopt;
        return texts.back();
    }
    std::vector<std::string> texts;
    std::vector<std::vector<std::uint8_t>> metafiles;
};

// Installs a full set of test doubles as the platform services for its
// lifetime and restores the previous services afterwards.
class ScopedPlatform {
public:
    ScopedPlatform();
    ScopedPlatform(const ScopedPlatform&) = delete;
    ScopedPlatform& operator=(const ScopedPlatform&) = delete;

    ScriptedMessageBoxes messages;
    FakeClock clock;
    ScriptedRandom random;
    RecordingTraceSink trace;
    FakeTimerFactory timers;
    FakeMessagePump pump;
    RecordingClipboard clipboard;

private:
    PlatformScope scope_; // declared last: restores before the doubles die
};

} // namespace qz::test
