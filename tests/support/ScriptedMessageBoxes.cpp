#include "ScriptedMessageBoxes.h"

namespace qz::test {

MsgAnswer ScriptedMessageBoxes::Show(std::string_view text, MsgKind kind, MsgButtons buttons) {
    MsgAnswer answer = DefaultAnswer(buttons);
    if (!answers_.empty()) {
        answer = answers_.front();
        answers_.pop_front();
    }
    shown_.push_back({std::string(text), kind, buttons, answer});
    return answer;
}

std::optional<std::string> ScriptedMessageBoxes::InputQuery(std::string_view caption,
                                                            std::string_view prompt,
                                                            std::string_view initial) {
    requests_.push_back({std::string(caption), std::string(prompt), std::string(initial)});
    if (inputs_.empty()) return std::nullopt;
    std::optional<std::string> result = std::move(inputs_.front());
    inputs_.pop_front();
    return result;
}

std::vector<std::string> ScriptedMessageBoxes::Texts() const {
    std::vector<std::string> out;
    for (const ShownMessage& m : shown_) out.push_back(m.text);
    return out;
}

bool ScriptedMessageBoxes::AnyContains(std::string_view fragment) const {
    for (const ShownMessage& m : shown_) {
        if (m.text.find(fragment) != std::string::npos) return true;
    }
    return false;
}

void ScriptedMessageBoxes::Clear() {
    answers_.clear();
    inputs_.clear();
    shown_.clear();
    requests_.clear();
}

} // namespace qz::test
