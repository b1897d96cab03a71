#pragma once
#include <QWidget>

class QCheckBox;

namespace qz::ui {

// "Compile Error": shown when a simulation start fails on formula errors
// while "Error Messages during Compiling" is checked. Its check box "Dont
// show this window again" switches that menu item the other way.
class TErrorFenster final : public QWidget {
    Q_OBJECT
public:
    explicit TErrorFenster(QWidget* parent);
    QCheckBox* DontShow() const { return dontShow_; }
    void CloseBtnClick();

protected:
    // The window is shown only while "Error Messages during Compiling" is
    // checked: its box starts unchecked, whatever it showed last time.
    void showEvent(QShowEvent* e) override;

signals:
    // The box was checked (false) or unchecked (true): whether the window
    // is wanted after failed checks.
    void errorWindowWanted(bool wanted);

private:
    QCheckBox* dontShow_;
};

} // namespace qz::ui
