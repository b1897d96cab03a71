#pragma once
#include <QDialog>

namespace qz::ui {

// "About Quenzor": the product, its version and the program directory.
class TAboutWindow final : public QDialog {
    Q_OBJECT
public:
    explicit TAboutWindow(QWidget* parent);
};

} // namespace qz::ui
