#pragma once
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/MessageBoxes.h"

namespace qz::test {

struct ShownMessage {
    std::string text;
    MsgKind kind;
    MsgButtons buttons;
    MsgAnswer answer; // what the box answered
};

struct InputRequest {
    std::string caption;
    std::string prompt;
    std::string initial;
};

// Message boxes that answer from queues the test fills and record what was
// shown. With an empty queue a box answers its default button and an input
// query is cancelled.
class ScriptedMessageBoxes : public MessageBoxes {
public:
    MsgAnswer Show(std::string_view text, MsgKind kind, MsgButtons buttons) override;
    std::optional<std::string> InputQuery(std::string_view caption, std::string_view prompt,
                                          std::string_view initial) override;

    // Queues the answer of the next message box.
    void Answer(MsgAnswer answer) { answers_.push_back(answer); }
    // Queues the result of the next input query (nullopt: cancelled).
    void AnswerInput(std::optional<std::string> result) { inputs_.push_back(std::move(result)); }

    const std::vector<ShownMessage>& Shown() const { return shown_; }
    const std::vector<InputRequest>& InputRequests() const { return requests_; }
    // The texts of all shown boxes, in order.
    std::vector<std::string> Texts() const;
    bool AnyContains(std::string_view fragment) const;
    // Forgets what was shown and the queued answers.
    void Clear();

private:
    std::deque<MsgAnswer> answers_;
    std::deque<std::optional<std::string>> inputs_;
    std::vector<ShownMessage> shown_;
    std::vector<InputRequest> requests_;
};

} // namespace qz::test
