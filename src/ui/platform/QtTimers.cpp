#include "platform/QtTimers.h"

#include <QCoreApplication>

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

void QtMessagePump::ProcessMessages() { QCoreApplication::processEvents(QEventLoop::AllEvents); }

} // namespace qz::ui
