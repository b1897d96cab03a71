#pragma once
#include <QString>

#include "platform/MessageBoxes.h"

class QWidget;

namespace qz::ui {

// The core's message boxes as modal Qt message boxes: the four kinds with
// their icons, the button sets, and the text input dialog.
class QtMessageBoxes final : public MessageBoxes {
public:
    MsgAnswer Show(std::string_view text, MsgKind kind, MsgButtons buttons) override;
    std::optional<std::string> InputQuery(std::string_view caption, std::string_view prompt,
                                          std::string_view initial) override;
};

// A message text with its carriage returns and CR LF pairs as line breaks.
QString MessageText(std::string_view text);

} // namespace qz::ui
