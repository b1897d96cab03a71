#pragma once
#include <QDialog>

class QCheckBox;

namespace qz::ui {

// The start window, shown at start-up while the "Start Window" menu item is
// checked. "Close" sets that item to the opposite of the check box.
class TStartWindow final : public QDialog {
    Q_OBJECT
public:
    explicit TStartWindow(QWidget* parent);
    QCheckBox* DontShowAgain() const { return dontShow_; }

signals:
    void startWindowWanted(bool wanted);

private:
    void CloseBtnClick();

    QCheckBox* dontShow_;
};

} // namespace qz::ui
