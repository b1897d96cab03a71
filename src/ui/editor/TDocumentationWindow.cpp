#include "editor/TDocumentationWindow.h"

#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "widgets/ControlNames.h"

namespace qz::ui {

namespace {

QString Joined(const std::vector<std::string>& lines) {
    QStringList out;
    for (const std::string& l : lines) out << Q(l);
    return out.join(QLatin1Char('\n'));
}

std::vector<std::string> LinesOf(const QString& text) {
    std::vector<std::string> lines;
    if (text.isEmpty()) return lines;
    for (const QString& l : text.split(QLatin1Char('\n'))) lines.push_back(l.toStdString());
    return lines;
}

void Paint(QPlainTextEdit* memo, bool editable) {
    memo->setReadOnly(!editable);
    QPalette p = memo->palette();
    p.setColor(QPalette::Base, editable ? QColor(Qt::white) : QColor(0xC0, 0xC0, 0xC0));
    memo->setPalette(p);
}

QWidget* Page(QTabWidget* pages, const char* name, const QString& title, QPlainTextEdit* memo) {
    auto* page = Named(new QWidget(pages), name, title);
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(memo);
    pages->addTab(page, title);
    return page;
}

} // namespace

TDocumentationWindow::TDocumentationWindow(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("TDocumentationWindow"));
    setWindowTitle(QStringLiteral("Documentation"));
    setAccessibleName(windowTitle());
    setModal(true);
    pages_ = Named(new QTabWidget(this), "PageControl1", QStringLiteral("Documentation"));
    instanceMemo_ = Named(new QPlainTextEdit, "InstanceMemo", QStringLiteral("Instance Description"));
    classMemo_ = Named(new QPlainTextEdit, "ClassMemo", QStringLiteral("Class Description"));
    Paint(classMemo_, false);
    instanceTab_ = Page(pages_, "InstanceTab", QStringLiteral("Instance Description"), instanceMemo_);
    classTab_ = Page(pages_, "ClassTab", QStringLiteral("Class Description"), classMemo_);
    close_ = Named(new QPushButton(QStringLiteral("Close"), this), "CloseBtn", QStringLiteral("Close"));
    close_->setDefault(false);
    close_->setAutoDefault(false);
    connect(close_, &QPushButton::clicked, this, &QDialog::accept);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(close_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(pages_);
    layout->addLayout(buttons);
    resize(440, 320);
}

bool TDocumentationWindow::ShowDocumentation(const DocumentationRequest& request) {
    const bool editable = request.Editable() && request.instance;
    Paint(instanceMemo_, editable);
    instanceMemo_->setPlainText(request.instance ? Joined(*request.instance) : QString());
    classMemo_->setPlainText(request.classLines ? Joined(*request.classLines) : QString());
    pages_->setTabEnabled(pages_->indexOf(classTab_), request.classLines.has_value());
    pages_->setCurrentWidget(instanceTab_);
    instanceMemo_->setFocus();
    exec();
    // However it closes: an editing mode takes what the memo holds.
    if (!editable) return false;
    std::vector<std::string> lines = LinesOf(instanceMemo_->toPlainText());
    if (lines == *request.instance) return false;
    *request.instance = std::move(lines);
    return true;
}

} // namespace qz::ui
