#pragma once
#include "widgets/TToolWindow.h"

namespace qz::ui {

// "Resources": the program's pictures and cursors.
class TResourceWindow final : public TToolWindow {
    Q_OBJECT
public:
    explicit TResourceWindow(QWidget* parent);
};

} // namespace qz::ui
