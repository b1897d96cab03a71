#pragma once
#include "widgets/TToolWindow.h"

namespace qz::ui {

// "Log": the log of the simulation.
class TLogWindow final : public TToolWindow {
    Q_OBJECT
public:
    explicit TLogWindow(QWidget* parent);
};

} // namespace qz::ui
