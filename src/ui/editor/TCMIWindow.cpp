#include "editor/TCMIWindow.h"

namespace qz::ui {

TCMIWindow::TCMIWindow(QWidget* parent)
    : TToolWindow(QStringLiteral("TCMIWindow"), QStringLiteral("New initial marking"), parent, Qt::Dialog) {
    AddNote(QStringLiteral("The initial marking of an interface place."));
}

} // namespace qz::ui
