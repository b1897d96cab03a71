#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/FileDialogs.h"
#include "platform/MessageBoxes.h"

namespace qz {

// Millisecond clock (wraps like a 32-bit tick count).
class Clock {
public:
    virtual ~Clock() = default;
    virtual std::uint32_t Milliseconds() = 0;
};

// Uniform random numbers for conflict draws and the RND function.
class RandomSource {
public:
    virtual ~RandomSource() = default;
    virtual void Seed(std::uint64_t seed) = 0;
    // Reseeds from the clock, as the conflict resolution does at every call.
    virtual void SeedFromClock() = 0;
    virtual double Next01() = 0;       // in [0, 1)
    virtual int NextInt(int n) = 0;    // in [0, n), n >= 1
};

// Receives simulation trace lines; a sink may drop them.
class TraceSink {
public:
    virtual ~TraceSink() = default;
    virtual bool Enabled() const = 0;
    virtual void Trace(std::string_view line) = 0;
};

// A window timer that delivers ticks on the user-interface thread.
class Timer {
public:
    virtual ~Timer() = default;
    virtual void SetInterval(int milliseconds) = 0;
    virtual int Interval() const = 0;
    virtual void SetEnabled(bool on) = 0;
    virtual bool Enabled() const = 0;
    std::function<void()> onTick;
};

class TimerFactory {
public:
    virtual ~TimerFactory() = default;
    virtual std::unique_ptr<Timer> CreateTimer() = 0;
};

// Lets pending window messages run (the maximum-speed loop calls it between
// steps, which is how Stop reaches a running loop).
class MessagePump {
public:
    virtual ~MessagePump() = default;
    virtual void ProcessMessages() = 0;
};

class Clipboard {
public:
    virtual ~Clipboard() = default;
    virtual void SetText(std::string_view utf8) = 0;
    // An enhanced metafile picture.
    virtual void SetMetafile(const void* data, std::size_t size) = 0;
    // The text the clipboard holds; none when it holds no text (a picture,
    // nothing) or there is no clipboard.
    virtual std::optional<std::string> Text() { return std::nullopt; }
};

// The platform services the core reaches. Every pointer is valid; unset
// services fall back to headless defaults (messages to standard error with
// the default answer, a steady clock, a Mersenne-Twister random source, no
// trace, inert timers, no clipboard, dialogs that are always cancelled).
struct PlatformServices {
    MessageBoxes* messages;
    Clock* clock;
    RandomSource* random;
    TraceSink* trace;
    TimerFactory* timers;
    MessagePump* pump;
    Clipboard* clipboard;
    FileDialogs* dialogs = nullptr;
};

PlatformServices& Platform();

// Replaces some services for the lifetime of the scope (tests, the window,
// the command-line tool); null members keep the current ones.
class PlatformScope {
public:
    explicit PlatformScope(const PlatformServices& overrides);
    ~PlatformScope();
    PlatformScope(const PlatformScope&) = delete;
    PlatformScope& operator=(const PlatformScope&) = delete;

private:
    PlatformServices saved_;
};

} // namespace qz
