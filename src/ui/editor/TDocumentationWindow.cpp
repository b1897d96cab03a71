#include "editor/TDocumentationWindow.h"

namespace qz::ui {

TDocumentationWindow::TDocumentationWindow(QWidget* parent)
    : TToolWindow(QStringLiteral("TDocumentationWindow"), QStringLiteral("Documentation"), parent, Qt::Tool) {
    AddNote(QStringLiteral("The documentation of an object class and its instances."));
}

} // namespace qz::ui
