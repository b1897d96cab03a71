#include "editor/TProjectHierarchyWindow.h"

namespace qz::ui {

TProjectHierarchyWindow::TProjectHierarchyWindow(QWidget* parent)
    : TToolWindow(QStringLiteral("TProjectHierarchyWindow"), QStringLiteral("Project Hierarchy"), parent, Qt::Tool) {
    AddNote(QStringLiteral("The objects of the active document, ordered by inheritance."));
}

} // namespace qz::ui
