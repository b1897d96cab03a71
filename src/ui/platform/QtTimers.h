#pragma once
#include <QElapsedTimer>
#include <QTimer>

#include "platform/Services.h"

namespace qz::ui {

// A window timer: a QTimer whose ticks run the core's handler on the
// user-interface thread.
class QtTimer final : public Timer {
public:
    QtTimer();
    void SetInterval(int milliseconds) override;
    int Interval() const override { return timer_.interval(); }
    void SetEnabled(bool on) override;
    bool Enabled() const override { return timer_.isActive(); }

private:
    QTimer timer_;
};

class QtTimerFactory final : public TimerFactory {
public:
    std::unique_ptr<Timer> CreateTimer() override { return std::make_unique<QtTimer>(); }
};

// Milliseconds since the program started, wrapping like a 32-bit tick count.
class QtClock final : public Clock {
public:
    QtClock() { started_.start(); }
    std::uint32_t Milliseconds() override { return static_cast<std::uint32_t>(started_.elapsed()); }

private:
    QElapsedTimer started_;
};

// Lets pending window messages run: the maximum-speed loop calls it between
// steps, which is how Stop, the speed bar and the check boxes reach it.
// Looking for messages costs far more than a step of a small net, so the
// pump looks at most every kIntervalMs; it reads the clock only every few
// calls, as many as take about a tenth of that interval.
class QtMessagePump final : public MessagePump {
public:
    QtMessagePump() { clock_.start(); }
    void ProcessMessages() override;

    static constexpr qint64 kIntervalMs = 10;

private:
    QElapsedTimer clock_;
    qint64 lastCheck_ = 0;     // nanoseconds
    qint64 lastMessages_ = -kIntervalMs * 1000000;
    int calls_ = 0;
    int stride_ = 1;
};

} // namespace qz::ui
