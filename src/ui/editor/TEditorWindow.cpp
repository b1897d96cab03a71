#include "editor/TEditorWindow.h"

namespace qz::ui {

TEditorWindow::TEditorWindow(QWidget* parent)
    : TToolWindow(QStringLiteral("TEditorWindow"), QStringLiteral("Editor"), parent, Qt::Dialog) {
    AddNote(QStringLiteral("A text editor."));
}

} // namespace qz::ui
