#include "diagrams/TInfoFenster.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "diagrams/TInfoFigures.h"
#include "widgets/ControlNames.h"

namespace qz::ui {

namespace {

// The texts the dialog showed last, in this program.
diagrams::TInfoFigures& Shown() {
    static diagrams::TInfoFigures figures;
    return figures;
}

void Set(QLabel* l, const std::string& text) {
    l->setText(Q(text));
    l->setAccessibleName(l->text());
}

} // namespace

TInfoFenster::TInfoFenster(QWidget* parent) : QDialog(parent, Qt::Tool) {
    setObjectName(QStringLiteral("TInfoFenster"));
    setWindowTitle(QStringLiteral("Info"));
    setAccessibleName(windowTitle());
    const auto label = [this](const char* name) { return Named(new QLabel(this), name, QString()); };
    points_ = label("StuetzAnzahl");
    left_ = label("XMinLabel");
    right_ = label("XMaxLabel");
    bottom_ = label("YMinLabel");
    top_ = label("YMaxLabel");
    auto* count = new QGroupBox(QStringLiteral("Graphic Points"), this);
    (new QVBoxLayout(count))->addWidget(points_);
    auto* border = new QGroupBox(QStringLiteral("Border of all Points"), this);
    auto* rows = new QFormLayout(border);
    rows->addRow(QStringLiteral("Left:"), left_);
    rows->addRow(QStringLiteral("Right:"), right_);
    rows->addRow(QStringLiteral("Bottom:"), bottom_);
    rows->addRow(QStringLiteral("Top:"), top_);
    auto* ok = Named(new QPushButton(QStringLiteral("OK"), this), "OKBtn", QStringLiteral("OK"));
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(count);
    layout->addWidget(border);
    layout->addWidget(ok, 0, Qt::AlignRight);
}

void TInfoFenster::Fill(diagrams::TPunktListe& trace) {
    diagrams::TInfoFigures& f = Shown();
    f.Update(trace);
    Set(points_, f.points);
    Set(left_, f.left);
    Set(right_, f.right);
    Set(bottom_, f.bottom);
    Set(top_, f.top);
}

void TInfoFenster::ShowFigures(diagrams::TPunktListe& trace) {
    Fill(trace);
    exec();
}

QLabel* TInfoFenster::Label(const char* objectName) const {
    return findChild<QLabel*>(QString::fromLatin1(objectName));
}

} // namespace qz::ui
