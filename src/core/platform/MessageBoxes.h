#pragma once
#include <optional>
#include <string>
#include <string_view>

namespace qz {

enum class MsgKind { Information, Warning, Error, Confirmation };
enum class MsgButtons { Ok, OkCancel, YesNo, YesNoCancel, YesCancel };
enum class MsgAnswer { Ok, Cancel, Yes, No };

// Modal message boxes; the only way the core speaks to the user.
class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    virtual MsgAnswer Show(std::string_view text, MsgKind kind, MsgButtons buttons) = 0;
    // A text input dialog; nullopt when the user cancels.
    virtual std::optional<std::string> InputQuery(std::string_view caption, std::string_view prompt,
                                                  std::string_view initial) = 0;

    // Shorthands.
    void Info(std::string_view text) { Show(text, MsgKind::Information, MsgButtons::Ok); }
    void Warn(std::string_view text) { Show(text, MsgKind::Warning, MsgButtons::Ok); }
    void Error(std::string_view text) { Show(text, MsgKind::Error, MsgButtons::Ok); }
};

// The first button of a set: what a user who just presses Enter answers.
constexpr MsgAnswer DefaultAnswer(MsgButtons b) {
    return (b == MsgButtons::YesNo || b == MsgButtons::YesNoCancel || b == MsgButtons::YesCancel)
               ? MsgAnswer::Yes
               : MsgAnswer::Ok;
}

// Boxes for programs without a user (fuzz targets, benchmarks): nothing is
// shown, every box answers its default button, text input is cancelled.
class SilentMessageBoxes final : public MessageBoxes {
public:
    MsgAnswer Show(std::string_view, MsgKind, MsgButtons b) override { return DefaultAnswer(b); }
    std::optional<std::string> InputQuery(std::string_view, std::string_view, std::string_view) override {
        return std::nullopt;
    }
};

} // namespace qz
