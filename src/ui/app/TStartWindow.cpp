#include "app/TStartWindow.h"

#include <algorithm>

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace qz::ui {

namespace {

QLabel* Text(const QString& text, QWidget* parent, bool heading) {
    auto* label = new QLabel(text, parent);
    label->setWordWrap(true);
    if (heading) {
        QFont f = label->font();
        f.setBold(true);
        f.setPointSizeF(f.pointSizeF() * 1.3);
        label->setFont(f);
    }
    return label;
}

} // namespace

TStartWindow::TStartWindow(QWidget* parent) : QDialog(parent, Qt::Tool) {
    setObjectName(QStringLiteral("TStartWindow"));
    setWindowTitle(QStringLiteral("Start Window"));
    setAccessibleName(windowTitle());
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Text(QStringLiteral("Dear user"), this, true));
    layout->addWidget(Text(QStringLiteral(
        "Quenzor models hybrid Petri nets: discrete and continuous places and transitions, "
        "structured into object classes that inherit from one another. Draw a net, press "
        "\"Start\" to simulate it, and watch its markings in the diagram windows."), this, false));
    layout->addWidget(Text(QStringLiteral("Criticisms are wanted!"), this, true));
    layout->addWidget(Text(QStringLiteral(
        "Tell us what hinders your work and what you miss: every remark helps to make "
        "Quenzor a better tool."), this, false));
    dontShow_ = new QCheckBox(QStringLiteral("Do not show this window again."), this);
    dontShow_->setObjectName(QStringLiteral("DontShowCheckBox"));
    dontShow_->setAccessibleName(dontShow_->text());
    layout->addWidget(dontShow_);
    auto* close = new QPushButton(QStringLiteral("Close"), this);
    close->setObjectName(QStringLiteral("CloseBtn"));
    close->setAccessibleName(close->text());
    close->setDefault(true);
    layout->addWidget(close, 0, Qt::AlignRight);
    connect(close, &QPushButton::clicked, this, [this] { CloseBtnClick(); });
    // Word-wrapped texts take their height from the width: the window asks
    // its layout for the height at its width, so that no text lies on another.
    const int width = std::max(380, fontMetrics().averageCharWidth() * 48);
    layout->activate();
    setFixedSize(width, layout->totalHeightForWidth(width));
}

void TStartWindow::CloseBtnClick() {
    emit startWindowWanted(!dontShow_->isChecked());
    accept();
}

} // namespace qz::ui
