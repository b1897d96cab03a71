#pragma once
#include "widgets/TToolWindow.h"

namespace qz::ui {

// "Project Hierarchy": the objects of the active document, ordered by inheritance.
class TProjectHierarchyWindow final : public TToolWindow {
    Q_OBJECT
public:
    explicit TProjectHierarchyWindow(QWidget* parent);
};

} // namespace qz::ui
