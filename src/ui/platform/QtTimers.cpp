#include "platform/QtTimers.h"

#include <QCoreApplication>
#include <algorithm>

namespace qz::ui {

QtTimer::QtTimer() {
    timer_.setTimerType(Qt::PreciseTimer);
    timer_.setInterval(1000);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
        // Copy first: the handler may destroy this timer.
        const std::function<void()> handler = onTick;
        if (handler) handler();
    });
}

void QtTimer::SetInterval(int milliseconds) { timer_.setInterval(milliseconds); }

void QtTimer::SetEnabled(bool on) {
    if (on) {
        if (!timer_.isActive()) timer_.start();
    } else {
        timer_.stop();
    }
}

void QtMessagePump::ProcessMessages() {
    if (++calls_ < stride_) return;
    const qint64 now = clock_.nsecsElapsed();
    constexpr qint64 kIntervalNs = kIntervalMs * 1000000;
    // The next look at the clock about a tenth of the interval later (at
    // most 64 calls, so that a run of slower steps is soon noticed).
    const qint64 perCall = std::max<qint64>(1, (now - lastCheck_) / calls_);
    stride_ = static_cast<int>(std::clamp<qint64>(kIntervalNs / 10 / perCall, 1, 64));
    calls_ = 0;
    lastCheck_ = now;
    if (now - lastMessages_ < kIntervalNs) return;
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    lastMessages_ = clock_.nsecsElapsed();
    lastCheck_ = lastMessages_;
}

} // namespace qz::ui
