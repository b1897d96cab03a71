#pragma once
#include <QObject>
#include <QRect>
#include <string>

#include "editor/InPlaceEdit.h"

class QKeyEvent;
class QLineEdit;
class QPlainTextEdit;
class QWidget;

namespace qz::ui {

// The two text editors a document opens over its net: the label editor
// (several lines; Enter takes the text, Ctrl+Enter breaks the line, Escape
// leaves it) that grows with its text, and the one-line value editor
// (Enter, Escape; digits, "," and "-" only for a place's value).
class TInPlaceEditor final : public QObject {
    Q_OBJECT
public:
    explicit TInPlaceEditor(QWidget* client);

    // Opens the editor `edit` asks for with its top-left corner at `at`
    // (client pixels), at scale s.
    void Open(const InPlaceEdit& edit, const QPoint& at, double scale);
    bool IsOpen() const { return edit_.Open(); }
    const InPlaceEdit& Edit() const { return edit_; }
    // The text as it stands, lines joined by "|".
    std::string Text() const;
    void SetText(const std::string& text);
    // Closes without taking the text.
    void Close();

    QPlainTextEdit* Memo() const { return memo_; }
    QLineEdit* ValueEdit() const { return valueEdit_; }

signals:
    // Enter: the text is to be taken.
    void accepted();
    // Escape.
    void cancelled();

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    // The handlers of the two editors.
    bool MemoKeyPress(QKeyEvent* e);
    void MemoTextChange();
    bool EditKeyPress(QKeyEvent* e);
    void EditChange();
    // Enter takes the text, Escape leaves it.
    bool EnterOrEscape(QKeyEvent* e);

    QWidget* client_;
    QPlainTextEdit* memo_;
    QLineEdit* valueEdit_;
    InPlaceEdit edit_;
    double scale_ = 1.0;
};

} // namespace qz::ui
