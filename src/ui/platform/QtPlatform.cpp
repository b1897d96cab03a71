#include "platform/QtPlatform.h"

namespace qz::ui {

QtPlatform::QtPlatform() {
    PlatformServices s{};
    s.messages = &messages;
    s.clock = &clock;
    s.trace = &trace;
    s.timers = &timers;
    s.pump = &pump;
    s.clipboard = &clipboard;
    s.dialogs = &dialogs;
    scope_ = std::make_unique<PlatformScope>(s);
}

QtPlatform::~QtPlatform() = default;

} // namespace qz::ui
