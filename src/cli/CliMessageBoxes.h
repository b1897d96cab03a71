#pragma once
#include <optional>
#include <ostream>
#include <string>
#include <string_view>

#include "platform/MessageBoxes.h"
#include "platform/Services.h"

namespace qz::cli {

// Message boxes of a command: each text goes to the command's error stream
// as one line (CR turned into blanks), answered with the default button;
// text input is cancelled.
class StreamMessageBoxes final : public MessageBoxes {
public:
    explicit StreamMessageBoxes(std::ostream& err) : err_(err) {}
    MsgAnswer Show(std::string_view text, MsgKind, MsgButtons buttons) override {
        std::string line(text);
        for (char& c : line) {
            if (c == '\r' || c == '\n') c = ' ';
        }
        err_ << "quenzor-cli: " << line << '\n';
        ++count_;
        return DefaultAnswer(buttons);
    }
    std::optional<std::string> InputQuery(std::string_view, std::string_view,
                                          std::string_view) override {
        return std::nullopt;
    }
    int Count() const { return count_; }

private:
    std::ostream& err_;
    int count_ = 0;
};

// Routes the core's message boxes to a stream for the lifetime of the scope.
class MessagesToStream {
public:
    explicit MessagesToStream(std::ostream& err)
        : boxes_(err), scope_(PlatformServices{&boxes_, nullptr, nullptr, nullptr, nullptr, nullptr,
                                               nullptr}) {}
    const StreamMessageBoxes& Boxes() const { return boxes_; }

private:
    StreamMessageBoxes boxes_;
    PlatformScope scope_;
};

} // namespace qz::cli
