#include "editor/TCMIWindow.h"

#include <QHBoxLayout>
#include <algorithm>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "editor/FrameCommands.h"
#include "widgets/ControlNames.h"

namespace qz::ui {

TCMIWindow::TCMIWindow(QWidget* parent) : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint) {
    setObjectName(QStringLiteral("TCMIWindow"));
    setWindowTitle(QStringLiteral("New initial marking"));
    setAccessibleName(windowTitle());
    setModal(true);
    label_ = Named(new QLabel(QStringLiteral("New initial marking:"), this), "Label1",
                   QStringLiteral("New initial marking:"));
    edit_ = Named(new QLineEdit(this), "Edit1", QStringLiteral("New initial marking"));
    label_->setBuddy(edit_);
    ok_ = Named(new QPushButton(QStringLiteral("OK"), this), "OKBtn", QStringLiteral("OK"));
    ok_->setDefault(true);
    connect(edit_, &QLineEdit::textEdited, this, [this](const QString& t) { EditChange(t); });
    connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
    auto* row = new QHBoxLayout;
    row->addWidget(edit_, 1);
    row->addWidget(ok_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label_);
    layout->addLayout(row);
    setFixedSize(sizeHint().expandedTo(QSize(240, 0)));
}

void TCMIWindow::EditChange(const QString& text) {
    const QString kept = Q(InitialMarkingTyped(text.toStdString()));
    if (kept == text) return;
    // The cursor stays behind what was typed.
    const int cursor = edit_->cursorPosition() - int(text.size() - kept.size());
    edit_->setText(kept);
    edit_->setCursorPosition(std::clamp(cursor, 0, int(kept.size())));
}

std::string TCMIWindow::Execute(const std::string& value) {
    const QString start = Q(value);
    edit_->setText(start);
    edit_->selectAll();
    edit_->setFocus();
    if (exec() != QDialog::Accepted || edit_->text() == start) return {};
    return edit_->text().toStdString();
}

} // namespace qz::ui
