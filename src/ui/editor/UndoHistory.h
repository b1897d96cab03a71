#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace qz::ui {

// The state of a document as undo keeps it: the net in its own file format
// and what the file does not hold (the current markings of its places, the
// model time), so that a restore puts back exactly what was there.
struct DocumentImage {
    std::vector<std::uint8_t> net;
    std::vector<double> markings;
    double modelTime = 0;
    std::size_t Bytes() const { return net.size() + markings.size() * sizeof(double); }
};

// Undo and redo of a document: the image before each changing command, at
// most `maxSteps` steps or `maxBytes` of images (the oldest go first). Every
// state of the document has a number; the document counts as unchanged
// while its state is the one last saved, so the modified flag follows undo
// and redo back to the saved state.
class UndoHistory {
public:
    static constexpr std::size_t kMaxSteps = 100;
    static constexpr std::size_t kMaxBytes = std::size_t(64) << 20;

    explicit UndoHistory(std::size_t maxSteps = kMaxSteps, std::size_t maxBytes = kMaxBytes);

    // A command changed the document: `before` is its image before the
    // change, `what` names the step. The redo steps are dropped.
    void Record(std::string what, DocumentImage before);
    bool CanUndo() const { return !undo_.empty(); }
    bool CanRedo() const { return !redo_.empty(); }
    // The name of the step the next undo (redo) takes back (does again).
    const std::string& UndoName() const;
    const std::string& RedoName() const;
    // Takes a step back: `current` is the document's image now, kept for
    // redo; the result is the image to restore (none when there is no step).
    std::optional<DocumentImage> Undo(DocumentImage current);
    std::optional<DocumentImage> Redo(DocumentImage current);
    // Forgets every step (the document entered simulation mode, or was
    // read anew); the saved state stays known when it is the current one.
    void Clear();

    // The document changed outside any step: its state is a new one.
    void Changed() { state_ = next_++; }
    // The document was saved (or read): its current state is the saved one.
    void MarkSaved() { saved_ = state_; }
    // Whether the document differs from its saved state.
    bool Modified() const { return state_ != saved_; }

    std::size_t Steps() const { return undo_.size() + redo_.size(); }
    std::size_t Bytes() const { return bytes_; }

private:
    struct Step {
        std::string what;
        DocumentImage image;
        std::uint64_t state = 0;
    };
    void Trim();
    // The last step of `from` is taken: its image is returned, `current`
    // goes to `to` with the state the document leaves.
    std::optional<DocumentImage> Move(std::vector<Step>& from, std::vector<Step>& to, DocumentImage current);

    std::size_t maxSteps_, maxBytes_;
    std::vector<Step> undo_, redo_;
    std::size_t bytes_ = 0;
    std::uint64_t state_ = 0, saved_ = 0, next_ = 1;
};

} // namespace qz::ui
