#include "editor/TPropertyWindow.h"

namespace qz::ui {

TPropertyWindow::TPropertyWindow(QWidget* parent)
    : TToolWindow(QStringLiteral("TPropertyWindow"), QStringLiteral("Properties"), parent, Qt::Widget) {
    AddNote(QStringLiteral("The properties of the current element and the tables of all places, transitions and arcs."));
}

void TPropertyWindow::SetNet(TNetList* net, TVariableTable* variables) {
    net_ = net;
    variables_ = variables;
}

void TPropertyWindow::ForgetSelection() {}

void TPropertyWindow::RefreshList() {}

void TPropertyWindow::ShowFormulaResults() {}

} // namespace qz::ui
