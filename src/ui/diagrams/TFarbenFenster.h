#pragma once
#include "widgets/TToolWindow.h"

namespace qz::ui {

// "Colors": the colours of the diagram windows.
class TFarbenFenster final : public TToolWindow {
    Q_OBJECT
public:
    explicit TFarbenFenster(QWidget* parent);
};

} // namespace qz::ui
