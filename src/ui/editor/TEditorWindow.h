#pragma once
#include <QDialog>
#include <string>

class QLabel;
class QPlainTextEdit;

namespace qz::ui {

// "Editor": a long text in a window of its own (a label's text from the
// property window's "..." button), with a line counter. "Schließen" takes
// the text as it stands, "Abbrechen" keeps the text it was given.
class TEditorWindow final : public QDialog {
    Q_OBJECT
public:
    explicit TEditorWindow(QWidget* parent);

    // Edits `text` (lines separated by "|") modally; the text when the
    // window closes.
    std::string Execute(const std::string& text);
    QPlainTextEdit* Memo() const { return memo_; }

private:
    void MemoChange();

    QPlainTextEdit* memo_;
    QLabel* lines_;
    bool cancelled_ = false;
};

} // namespace qz::ui
