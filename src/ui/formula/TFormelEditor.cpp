#include "formula/TFormelEditor.h"

#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include "formula/FormulaBinding.h"
#include "model/TNetList.h"
#include "model/TPlatz.h"
#include "widgets/ControlNames.h"

namespace qz::ui {

namespace {

QPushButton* Button(QWidget* parent, const QString& caption, const char* objectName) {
    auto* b = Named(new QPushButton(caption, parent), objectName, caption);
    b->setAutoDefault(false);
    return b;
}

QLabel* Label(QWidget* parent, const QString& text) {
    auto* l = new QLabel(text, parent);
    l->setAccessibleName(text);
    return l;
}

} // namespace

TFormelEditor::TFormelEditor(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("TFormelEditor"));
    setWindowTitle(QStringLiteral("Formula Editor"));
    setAccessibleName(windowTitle());
    formel_ = Named(new QLineEdit(this), "Formel", QStringLiteral("Formula"));
    parameters_ = Named(new QListWidget(this), "ParameterListe", QStringLiteral("Known Variables"));
    parameters_->setToolTip(QStringLiteral("Double Click on Element"));
    names_ = Named(new QListWidget(this), "PlatzNamenListe", QStringLiteral("Places"));
    // A variable double-clicked goes into the formula; the place of the
    // variable picked is picked beside it.
    connect(parameters_, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) { Insert(item->text()); });
    connect(parameters_, &QListWidget::currentRowChanged, names_, [this](int row) { names_->setCurrentRow(row); });

    auto* operators = new QGridLayout;
    const QString captions[] = {"+",     "-",      "*",      "/",      "Sin()", "Cos()", "Tan()", "Cot()",
                                "SQR()", "Sqrt()", "Sign()", "ABS()", "7",     "8",     "9",     "4",
                                "5",     "6",      "1",      "2",      "3",     "0",     "."};
    int i = 0;
    for (const QString& c : captions) {
        const QByteArray name = "Btn" + QByteArray::number(i);
        QPushButton* b = Button(this, c, name.constData());
        connect(b, &QPushButton::clicked, this, [this, c] { Insert(c); });
        operators->addWidget(b, i / 4, i % 4);
        ++i;
    }
    QPushButton* check = Button(this, QStringLiteral("Check"), "CheckBtn");
    QPushButton* ok = Button(this, QStringLiteral("OK"), "OKBtn");
    QPushButton* cancel = Button(this, QStringLiteral("Cancel"), "CancelBtn");
    ok->setDefault(true);
    connect(check, &QPushButton::clicked, this, [this] { CheckBtnClick(); });
    connect(ok, &QPushButton::clicked, this, [this] { OKBtnClick(); });
    connect(cancel, &QPushButton::clicked, this, [this] { CancelBtnClick(); });

    auto* lists = new QGridLayout;
    lists->addWidget(Label(this, QStringLiteral("Known Variables")), 0, 0);
    lists->addWidget(Label(this, QStringLiteral("Places")), 0, 1);
    lists->addWidget(parameters_, 1, 0);
    lists->addWidget(names_, 1, 1);
    lists->addWidget(Label(this, QStringLiteral("You can use he known variables.")), 2, 0, 1, 2);
    auto* middle = new QHBoxLayout;
    middle->addLayout(lists, 1);
    middle->addLayout(operators);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(check);
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label(this, QStringLiteral("Input a formula.")));
    layout->addWidget(formel_);
    layout->addLayout(middle, 1);
    layout->addLayout(buttons);
    resize(520, 320);
}

void TFormelEditor::showEvent(QShowEvent* e) {
    FillLists();
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - rect().center());
    }
    QDialog::showEvent(e);
}

void TFormelEditor::FillLists() {
    parameters_->clear();
    names_->clear();
    if (!net_) return;
    for (TGraphItem* e : net_->Elements()) {
        if (e->Kind() != kind::Place) continue;
        const auto* p = static_cast<const TPlatz*>(e);
        parameters_->addItem(Q(p->variableName));
        names_->addItem(Q(p->name));
    }
}

void TFormelEditor::Insert(const QString& text) {
    formel_->insert(text);
    formel_->setFocus();
}

void TFormelEditor::CheckBtnClick() {
    if (net_) CheckFormulaInEditor(formel_->text().toStdString(), *net_);
}

void TFormelEditor::OKBtnClick() { accept(); }

void TFormelEditor::CancelBtnClick() {
    formel_->setText(Q(opened_));
    reject();
}

std::string TFormelEditor::Execute(const std::string& text) {
    opened_ = text;
    formel_->setText(Q(text));
    exec();
    return formel_->text().toStdString();
}

} // namespace qz::ui
