#include "library/TFactoryWindow.h"

#include <QLabel>
#include <QVBoxLayout>

namespace qz::ui {

TFactoryWindow::TFactoryWindow(QWidget* parent)
    : TToolWindow(QStringLiteral("TFactoryWindow"), QStringLiteral("Factory"), parent, Qt::Widget) {
    AddNote(QStringLiteral("The object library: projects and the class hierarchy."));
    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("StatusText"));
    Layout()->addWidget(status_);
    Layout()->addStretch(1);
}

void TFactoryWindow::SetDirectory(const QString& directory) {
    directory_ = directory;
    Refresh();
}

void TFactoryWindow::SetStatusText(const QString& text) {
    status_->setText(text);
    status_->setAccessibleName(text);
}

QString TFactoryWindow::StatusText() const { return status_->text(); }

void TFactoryWindow::Refresh() {}

} // namespace qz::ui
