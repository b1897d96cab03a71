#include "app/TResourceWindow.h"

namespace qz::ui {

TResourceWindow::TResourceWindow(QWidget* parent)
    : TToolWindow(QStringLiteral("TResourceWindow"), QStringLiteral("Resources"), parent, Qt::Tool) {
    AddNote(QStringLiteral("The program's pictures and cursors."));
}

} // namespace qz::ui
