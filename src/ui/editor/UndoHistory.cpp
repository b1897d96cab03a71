#include "editor/UndoHistory.h"

#include <utility>

namespace qz::ui {

namespace {

const std::string kNone;

} // namespace

UndoHistory::UndoHistory(std::size_t maxSteps, std::size_t maxBytes) : maxSteps_(maxSteps), maxBytes_(maxBytes) {}

void UndoHistory::Record(std::string what, DocumentImage before) {
    for (const Step& s : redo_) bytes_ -= s.image.Bytes();
    redo_.clear();
    bytes_ += before.Bytes();
    undo_.push_back({std::move(what), std::move(before), state_});
    state_ = next_++;
    Trim();
}

void UndoHistory::Trim() {
    // The oldest steps go first; the newest one stays, however large.
    std::size_t drop = 0;
    while (undo_.size() - drop > 1 && (undo_.size() - drop > maxSteps_ || bytes_ > maxBytes_)) {
        bytes_ -= undo_[drop].image.Bytes();
        ++drop;
    }
    undo_.erase(undo_.begin(), undo_.begin() + static_cast<std::ptrdiff_t>(drop));
}

const std::string& UndoHistory::UndoName() const { return undo_.empty() ? kNone : undo_.back().what; }

const std::string& UndoHistory::RedoName() const { return redo_.empty() ? kNone : redo_.back().what; }

std::optional<DocumentImage> UndoHistory::Undo(DocumentImage current) {
    return Move(undo_, redo_, std::move(current));
}

std::optional<DocumentImage> UndoHistory::Redo(DocumentImage current) {
    return Move(redo_, undo_, std::move(current));
}

std::optional<DocumentImage> UndoHistory::Move(std::vector<Step>& from, std::vector<Step>& to,
                                               DocumentImage current) {
    if (from.empty()) return std::nullopt;
    Step step = std::move(from.back());
    from.pop_back();
    bytes_ += current.Bytes();
    bytes_ -= step.image.Bytes();
    to.push_back({step.what, std::move(current), state_});
    state_ = step.state;
    return std::move(step.image);
}

void UndoHistory::Clear() {
    undo_.clear();
    redo_.clear();
    bytes_ = 0;
}

} // namespace qz::ui
