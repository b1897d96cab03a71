#pragma once
#include <functional>
#include <string>

#include "platform/Services.h"

namespace qz::ui {

// The debug trace sink: lines go to the debug window while it is shown.
class QtTraceSink final : public TraceSink {
public:
    bool Enabled() const override { return enabled && static_cast<bool>(receiver); }
    void Trace(std::string_view line) override {
        if (receiver) receiver(std::string(line));
    }
    bool enabled = false;
    std::function<void(const std::string&)> receiver;
};

} // namespace qz::ui
