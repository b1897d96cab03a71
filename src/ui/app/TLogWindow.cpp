#include "app/TLogWindow.h"

namespace qz::ui {

TLogWindow::TLogWindow(QWidget* parent)
    : TToolWindow(QStringLiteral("TLogWindow"), QStringLiteral("Log"), parent, Qt::Tool) {
    AddNote(QStringLiteral("The log of the simulation."));
}

} // namespace qz::ui
