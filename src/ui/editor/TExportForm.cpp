#include "editor/TExportForm.h"

#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "common/FileSystem.h"
#include "editor/Document.h"
#include "model/description/NetDescription.h"
#include "platform/Services.h"

namespace qz::ui {

TExportForm::TExportForm(QWidget* parent) : QDialog(parent), memo_(new QListWidget(this)) {
    setObjectName(QStringLiteral("TExportForm"));
    setWindowTitle(QStringLiteral("ExportForm"));
    setAccessibleName(windowTitle());
    memo_->setObjectName(QStringLiteral("SaveAsAsciiMemo"));
    memo_->setAccessibleName(QStringLiteral("Description"));
    memo_->setFont(QFont(QStringLiteral("Liberation Mono"), 9));
    auto* save = new QPushButton(QStringLiteral("Save File"), this);
    save->setObjectName(QStringLiteral("Button1"));
    save->setAccessibleName(save->text());
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("Button2"));
    cancel->setAccessibleName(cancel->text());
    connect(save, &QPushButton::clicked, this, [this] { Button1Click(); });
    connect(cancel, &QPushButton::clicked, this, [this] { Button2Click(); });
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(save);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(memo_);
    layout->addLayout(buttons);
    resize(640, 480);
}

void TExportForm::ShowLines(const std::vector<std::string>& lines) {
    SetLines(lines);
    exec();
}

void TExportForm::SetLines(const std::vector<std::string>& lines) {
    lines_ = lines;
    memo_->clear();
    for (const std::string& line : lines) memo_->addItem(QString::fromStdString(line));
}

void TExportForm::Button1Click() {
    const std::optional<std::string> path = Platform().dialogs->SaveFileName("", "*.txt", "*.txt|*.txt");
    if (!path) return;
    if (fs::FileExists(*path) &&
        Platform().messages->Show(ReplaceFileText(*path), MsgKind::Warning, MsgButtons::YesNo) == MsgAnswer::No) {
        return;
    }
    std::string error;
    if (!fs::WriteFileAtomically(*path, DescriptionFileText(lines_), &error)) {
        Platform().messages->Error(SaveFailedText(*path, error.empty() ? "unknown error" : error));
    }
}

void TExportForm::Button2Click() { close(); }

} // namespace qz::ui
