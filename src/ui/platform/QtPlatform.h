#pragma once
#include <memory>

#include "platform/QtClipboard.h"
#include "platform/QtFileDialogs.h"
#include "platform/QtMessageBoxes.h"
#include "platform/QtTimers.h"
#include "platform/QtTraceSink.h"

namespace qz::ui {

// The Qt implementations of the core's platform services, installed for the
// lifetime of this object (the program, or one test).
class QtPlatform {
public:
    QtPlatform();
    ~QtPlatform();
    QtPlatform(const QtPlatform&) = delete;
    QtPlatform& operator=(const QtPlatform&) = delete;

    QtMessageBoxes messages;
    QtClock clock;
    QtTraceSink trace;
    QtTimerFactory timers;
    QtMessagePump pump;
    QtClipboard clipboard;
    QtFileDialogs dialogs;

private:
    std::unique_ptr<PlatformScope> scope_; // made last, undone first
};

} // namespace qz::ui
