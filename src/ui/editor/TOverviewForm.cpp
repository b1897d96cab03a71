#include "editor/TOverviewForm.h"

#include <QCloseEvent>

namespace qz::ui {

TOverviewForm::TOverviewForm(QWidget* parent)
    : TToolWindow(QStringLiteral("TOverviewForm"), QStringLiteral("Net Navigator"), parent, Qt::Tool | Qt::WindowStaysOnTopHint) {
    AddNote(QStringLiteral("The whole net of the active document."));
    resize(220, 180);
}

void TOverviewForm::closeEvent(QCloseEvent* e) {
    TToolWindow::closeEvent(e);
    emit closed();
}

} // namespace qz::ui
