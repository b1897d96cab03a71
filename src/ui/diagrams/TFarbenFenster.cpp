#include "diagrams/TFarbenFenster.h"

namespace qz::ui {

TFarbenFenster::TFarbenFenster(QWidget* parent)
    : TToolWindow(QStringLiteral("TFarbenFenster"), QStringLiteral("Colors"), parent, Qt::Dialog) {
    AddNote(QStringLiteral("The colours of the diagram windows."));
}

} // namespace qz::ui
