#include "editor/TEditorWindow.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "widgets/ControlNames.h"

namespace qz::ui {

TEditorWindow::TEditorWindow(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("TEditorWindow"));
    setWindowTitle(QStringLiteral("Editor"));
    setAccessibleName(windowTitle());
    memo_ = Named(new QPlainTextEdit(this), "Memo1", QStringLiteral("Text"));
    memo_->setLineWrapMode(QPlainTextEdit::NoWrap);
    memo_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    memo_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    lines_ = Named(new QLabel(this), "ZeilenLabel", QStringLiteral("Zeilen: 1"));
    auto* cancel = Named(new QPushButton(QStringLiteral("Abbrechen"), this), "AbbrechenBtn", QStringLiteral("Abbrechen"));
    auto* close = Named(new QPushButton(QStringLiteral("Schließen"), this), "SchliessenBtn", QStringLiteral("Schließen"));
    connect(memo_, &QPlainTextEdit::textChanged, this, [this] { MemoChange(); });
    connect(cancel, &QPushButton::clicked, this, [this] {
        cancelled_ = true;
        reject();
    });
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(lines_);
    buttons->addStretch(1);
    buttons->addWidget(cancel);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(memo_);
    layout->addLayout(buttons);
    resize(420, 300);
}

void TEditorWindow::MemoChange() {
    const QString text = QStringLiteral("Zeilen: %1").arg(memo_->blockCount());
    lines_->setText(text);
    lines_->setAccessibleName(text);
}

std::string TEditorWindow::Execute(const std::string& text) {
    cancelled_ = false;
    memo_->setPlainText(Q(text).replace(QLatin1Char('|'), QLatin1Char('\n')));
    MemoChange();
    exec();
    if (cancelled_) return text;
    return memo_->toPlainText().replace(QLatin1Char('\n'), QLatin1Char('|')).toStdString();
}

} // namespace qz::ui
