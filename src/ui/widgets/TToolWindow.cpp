#include "widgets/TToolWindow.h"

#include <QLabel>
#include <QVBoxLayout>

namespace qz::ui {

TToolWindow::TToolWindow(const QString& objectName, const QString& caption, QWidget* parent,
                         Qt::WindowFlags flags)
    : QWidget(parent, flags), layout_(new QVBoxLayout(this)) {
    setObjectName(objectName);
    setWindowTitle(caption);
    setAccessibleName(caption);
}

QLabel* TToolWindow::AddNote(const QString& text) {
    auto* note = new QLabel(text, this);
    note->setObjectName(QStringLiteral("Note"));
    note->setWordWrap(true);
    note->setAlignment(Qt::AlignCenter);
    note->setEnabled(false);
    layout_->addWidget(note);
    return note;
}

} // namespace qz::ui
