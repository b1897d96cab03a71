#include "formula/TFormelEditor.h"

namespace qz::ui {

TFormelEditor::TFormelEditor(QWidget* parent)
    : TToolWindow(QStringLiteral("TFormelEditor"), QStringLiteral("Formula Editor"), parent, Qt::Dialog) {
    AddNote(QStringLiteral("The formula editor."));
}

} // namespace qz::ui
