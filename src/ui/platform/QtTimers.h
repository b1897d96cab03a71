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
class QtMessagePump final : public MessagePump {
public:
    void ProcessMessages() override;
};

} // namespace qz::ui
