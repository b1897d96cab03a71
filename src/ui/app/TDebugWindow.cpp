#include "app/TDebugWindow.h"

#include <QPlainTextEdit>
#include <QVBoxLayout>

#include "platform/QtTraceSink.h"

namespace qz::ui {

TDebugWindow::TDebugWindow(QtTraceSink& sink, QWidget* parent)
    : TToolWindow(QStringLiteral("TDbWinScrn"), QStringLiteral("Debug"), parent), sink_(sink),
      lines_(new QPlainTextEdit(this)) {
    lines_->setObjectName(QStringLiteral("TraceLines"));
    lines_->setAccessibleName(QStringLiteral("Trace lines"));
    lines_->setReadOnly(true);
    lines_->setMaximumBlockCount(100000);
    Layout()->addWidget(lines_);
    sink_.receiver = [this](const std::string& line) { Append(QString::fromStdString(line)); };
    resize(480, 320);
}

TDebugWindow::~TDebugWindow() {
    sink_.enabled = false;
    sink_.receiver = nullptr;
}

void TDebugWindow::Append(const QString& line) { lines_->appendPlainText(line); }

QString TDebugWindow::Text() const { return lines_->toPlainText(); }

void TDebugWindow::showEvent(QShowEvent* e) {
    TToolWindow::showEvent(e);
    sink_.enabled = true;
}

void TDebugWindow::hideEvent(QHideEvent* e) {
    TToolWindow::hideEvent(e);
    sink_.enabled = false;
}

} // namespace qz::ui
