#pragma once
#include "widgets/TToolWindow.h"

namespace qz::ui {

// "New initial marking": the initial marking of an interface place.
class TCMIWindow final : public TToolWindow {
    Q_OBJECT
public:
    explicit TCMIWindow(QWidget* parent);
};

} // namespace qz::ui
