#include "platform/Services.h"

#include <chrono>
#include <iostream>
#include <random>

namespace qz {
namespace {

// Headless message boxes: the text goes to standard error, the answer is the
// default button's.
class StderrMessageBoxes final : public MessageBoxes {
public:
    MsgAnswer Show(std::string_view text, MsgKind, MsgButtons buttons) override {
        std::string line(text);
        for (char& c : line) {
            if (c == '\r') c = '\n';
        }
        std::cerr << line << '\n';
        return DefaultAnswer(buttons);
    }
    std::optional<std::string> InputQuery(std::string_view, std::string_view,
                                          std::string_view) override {
        return std::nullopt;
    }
};

class SteadyClock final : public Clock {
public:
    std::uint32_t Milliseconds() override {
        using namespace std::chrono;
        return static_cast<std::uint32_t>(
            duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
    }
};

class MersenneRandom final : public RandomSource {
public:
    void Seed(std::uint64_t seed) override { engine_.seed(seed); }
    void SeedFromClock() override {
        engine_.seed(static_cast<std::uint64_t>(
            std::chrono::high_resolution_clock::now().time_since_epoch().count()));
    }
    double Next01() override {
        // 53 random bits, strictly below 1.
        return static_cast<double>(engine_() >> 11) * (1.0 / 9007199254740992.0);
    }
    int NextInt(int n) override {
        if (n <= 1) return 0;
        // The high word of a 64 x 64-bit product: as even as a remainder,
        // without a division in every conflict draw.
        const auto wide = static_cast<unsigned __int128>(engine_()) * static_cast<std::uint64_t>(n);
        return static_cast<int>(wide >> 64);
    }

private:
    std::mt19937_64 engine_{5489u};
};

class NoTrace final : public TraceSink {
public:
    bool Enabled() const override { return false; }
    void Trace(std::string_view) override {}
};

class InertTimer final : public Timer {
public:
    void SetInterval(int ms) override { interval_ = ms; }
    int Interval() const override { return interval_; }
    void SetEnabled(bool on) override { enabled_ = on; }
    bool Enabled() const override { return enabled_; }

private:
    int interval_ = 1000;
    bool enabled_ = false;
};

class InertTimers final : public TimerFactory {
public:
    std::unique_ptr<Timer> CreateTimer() override { return std::make_unique<InertTimer>(); }
};

class NoPump final : public MessagePump {
public:
    void ProcessMessages() override {}
};

class NoClipboard final : public Clipboard {
public:
    void SetText(std::string_view) override {}
    void SetMetafile(const void*, std::size_t) override {}
};

class NoDialogs final : public FileDialogs {
public:
    std::optional<std::string> OpenFileName(std::string_view, std::string_view) override {
        return std::nullopt;
    }
    std::optional<std::string> SaveFileName(std::string_view, std::string_view,
                                            std::string_view) override {
        return std::nullopt;
    }
};

PlatformServices& Defaults() {
    static StderrMessageBoxes messages;
    static SteadyClock clock;
    static MersenneRandom random;
    static NoTrace trace;
    static InertTimers timers;
    static NoPump pump;
    static NoClipboard clipboard;
    static NoDialogs dialogs;
    static PlatformServices services{&messages, &clock,     &random,   &trace,
                                     &timers,   &pump,      &clipboard, &dialogs};
    return services;
}

} // namespace

PlatformServices& Platform() {
    static PlatformServices current = Defaults();
    return current;
}

PlatformScope::PlatformScope(const PlatformServices& o) : saved_(Platform()) {
    PlatformServices& p = Platform();
    if (o.messages) p.messages = o.messages;
    if (o.clock) p.clock = o.clock;
    if (o.random) p.random = o.random;
    if (o.trace) p.trace = o.trace;
    if (o.timers) p.timers = o.timers;
    if (o.pump) p.pump = o.pump;
    if (o.clipboard) p.clipboard = o.clipboard;
    if (o.dialogs) p.dialogs = o.dialogs;
}

PlatformScope::~PlatformScope() { Platform() = saved_; }

} // namespace qz
