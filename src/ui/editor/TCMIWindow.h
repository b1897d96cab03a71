#pragma once
#include <QDialog>
#include <string>

class QLabel;
class QLineEdit;
class QPushButton;

namespace qz::ui {

// "New initial marking:": a small modal dialog for the start value of an
// interface place. Typing keeps digits and one decimal comma ("." becomes
// ","); "OK" answers the text when it was changed.
class TCMIWindow final : public QDialog {
    Q_OBJECT
public:
    explicit TCMIWindow(QWidget* parent);

    // Edits `value` modally: the edited text after "OK", or an empty text
    // when it was not changed or the dialog was closed otherwise.
    std::string Execute(const std::string& value);
    QLineEdit* Edit() const { return edit_; }

private:
    void EditChange(const QString& text);

    QLabel* label_;
    QLineEdit* edit_;
    QPushButton* ok_;
};

} // namespace qz::ui
