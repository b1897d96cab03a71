#pragma once
#include <QDialog>

#include "editor/FrameCommands.h"

class QPlainTextEdit;
class QPushButton;
class QTabWidget;

namespace qz::ui {

// "Documentation": the description of an object class ("Class
// Description") and of an instance or document ("Instance Description").
// It opens on the instance tab; in an editing mode the instance memo is
// white and its lines are written back when the dialog closes, in a view it
// is silver and read-only and nothing is written back.
class TDocumentationWindow final : public QDialog {
    Q_OBJECT
public:
    explicit TDocumentationWindow(QWidget* parent);

    // Shows the request modally; true when it wrote changed lines back.
    bool ShowDocumentation(const DocumentationRequest& request);

    QTabWidget* Pages() const { return pages_; }
    QPlainTextEdit* InstanceMemo() const { return instanceMemo_; }
    QPlainTextEdit* ClassMemo() const { return classMemo_; }

private:
    QTabWidget* pages_;
    QWidget* instanceTab_;
    QWidget* classTab_;
    QPlainTextEdit* instanceMemo_;
    QPlainTextEdit* classMemo_;
    QPushButton* close_;
};

} // namespace qz::ui
