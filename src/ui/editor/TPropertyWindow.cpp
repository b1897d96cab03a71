#include "editor/TPropertyWindow.h"

#include <QApplication>
#include <QComboBox>
#include <QFontDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>

#include "editor/TDocForm.h"
#include "editor/TEditorWindow.h"
#include "editor/TElementTableModel.h"
#include "editor/TPropertyPage.h"
#include "formula/FormulaBinding.h"
#include "formula/TFormelEditor.h"
#include "model/ObjectLibrary.h"
#include "model/TEdge.h"
#include "model/TNetList.h"
#include "model/TPNObjekt.h"
#include "model/TPlatz.h"
#include "model/TSchriftObjekt.h"
#include "model/TTransition.h"
#include "platform/Services.h"
#include "widgets/ControlNames.h"
#include "workspace/MainFrame.h"
#include "workspace/TAppWindows.h"
#include "workspace/Workspace.h"

namespace qz::ui {

namespace {

using Table = ElementTables::Table;

constexpr int kRowHeight = 18;

QString ElementName(const TGraphItem* e) {
    switch (e->Kind()) {
    case kind::Place: return Q(static_cast<const TPlatz*>(e)->name);
    case kind::Transition: return Q(static_cast<const TTransition*>(e)->name);
    case kind::Arc: return QStringLiteral("Kante ") + Q(static_cast<const TEdge*>(e)->weightText);
    case kind::Label: return Q(static_cast<const TSchriftObjekt*>(e)->Text());
    default: return {};
    }
}

QLabel* Text(QWidget* parent, const char* objectName, const QString& text) {
    return Named(new QLabel(text, parent), objectName, text);
}

void SetText(QLabel* l, const QString& text) {
    l->setText(text);
    l->setAccessibleName(text);
}

} // namespace

TPropertyWindow::TPropertyWindow(MainFrame& main, QWidget* parent)
    : TToolWindow(QStringLiteral("TPropertyWindow"), QStringLiteral("Properties"), parent, Qt::Widget), main_(main) {
    pages_ = Named(new QTabWidget(this), "PageControl1", QStringLiteral("Pages"));
    BuildPropertiesPage();
    placeGrid_ = BuildTablePage(Table::Places, "PlaceGrid", QStringLiteral("Places"), placeModel_, placeCount_);
    transGrid_ = BuildTablePage(Table::Transitions, "TransGrid", QStringLiteral("Transitions"), transModel_, transCount_);
    arcGrid_ = BuildTablePage(Table::Arcs, "KantenGrid", QStringLiteral("Arcs"), arcModel_, arcCount_);
    Layout()->setContentsMargins(2, 2, 2, 2);
    Layout()->addWidget(pages_);
    // Changing the page saves a pending edit and lists the elements anew.
    connect(pages_, &QTabWidget::currentChanged, this, [this] {
        SavePending();
        RefreshList();
    });
}

void TPropertyWindow::BuildPropertiesPage() {
    auto* page = Named(new QWidget(pages_), "Properties", QStringLiteral("Properties"));
    objects_ = Named(new QComboBox(page), "ObjectList", QStringLiteral("Elements"));
    objects_->setEnabled(false);
    properties_ = new TPropertyPage(page);
    properties_->setEnabled(false);
    connect(properties_, &TPropertyPage::typed, this,
            [this](int row, const QString& text) { grid_.SetValue(std::size_t(row), text.toStdString()); });
    connect(properties_, &TPropertyPage::left, this, [this] {
        if (grid_.Dirty()) SaveToList();
    });
    connect(properties_, &TPropertyPage::chosen, this, [this](int row, const QString& text) { BoxChosen(row, text); });
    connect(properties_, &TPropertyPage::modeChosen, this, [this](const QString& text) {
        grid_.ChooseTimeMode(text.toStdString());
        SaveToList();
    });
    connect(properties_, &TPropertyPage::buttonClicked, this, [this](int row) { ButtonClicked(row); });
    connect(properties_, &TPropertyPage::escaped, this, [this] { Selected(grid_.Element()); });
    status_ = Text(page, "StatusLabel", QString());
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(objects_);
    layout->addWidget(properties_, 1);
    layout->addWidget(status_);
    pages_->addTab(page, QStringLiteral("Properties"));
}

QTableView* TPropertyWindow::BuildTablePage(Table table, const char* objectName, const QString& title,
                                            TElementTableModel*& model, QLabel*& count) {
    auto* page = Named(new QWidget(pages_), qPrintable(title), title);
    auto* view = Named(new QTableView(page), objectName, title);
    model = new TElementTableModel(tables_, table, view);
    model->saveRow = [this, table](std::size_t row, const std::vector<std::string>& cells) {
        switch (table) {
        case Table::Places: return SavePlaces(row, cells);
        case Table::Transitions: return SaveTransitions(row, cells);
        default: return SaveEdges(row, cells);
        }
    };
    view->setModel(model);
    view->verticalHeader()->hide();
    view->verticalHeader()->setDefaultSectionSize(kRowHeight + 4);
    view->horizontalHeader()->setStretchLastSection(true);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    connect(view->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this, table](const QModelIndex& current) {
                if (current.isValid()) RowPicked(table, current.row());
            });
    static const char* const kCountNames[] = {"PlaceCountLabel", "TransCountLabel", "ArcCountLabel"};
    count = Text(page, kCountNames[int(table)], QStringLiteral("Count: 0"));
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(view, 1);
    if (table != Table::Places) {
        auto* row = new QHBoxLayout;
        if (table == Table::Transitions) {
            auto* group = Named(new QGroupBox(QStringLiteral("Show Transitions"), page), "ShowTransGroup",
                                QStringLiteral("Show Transitions"));
            discrete_ = Named(new QRadioButton(QStringLiteral("discrete"), group), "DiscreteRadio",
                              QStringLiteral("discrete"));
            continuous_ = Named(new QRadioButton(QStringLiteral("continuous"), group), "ContinuousRadio",
                                QStringLiteral("continuous"));
            continuous_->setChecked(true);
            auto* radios = new QHBoxLayout(group);
            radios->addWidget(discrete_);
            radios->addWidget(continuous_);
            connect(continuous_, &QRadioButton::toggled, this, [this](bool on) { ShowTransGroupClick(on); });
            layout->addWidget(group);
        }
        const bool arcs = table == Table::Arcs;
        auto* check = Named(new QPushButton(QStringLiteral("Check"), page), arcs ? "CheckArcsBtn" : "CheckTransBtn",
                            QStringLiteral("Check"));
        check->setToolTip(arcs ? QStringLiteral("Check Formulas") : QStringLiteral("Check formulas"));
        QLabel* errors = Text(page, arcs ? "ArcErrorCountLabel" : "ErrorCountLabel", QStringLiteral("Errors: "));
        auto* next = Named(new QPushButton(QStringLiteral("Next Error"), page),
                           arcs ? "ShowNextArcErrorBtn" : "ShowNextErrorBtn", QStringLiteral("Next Error"));
        next->setEnabled(false);
        connect(check, &QPushButton::clicked, this, [this, arcs] { arcs ? CheckArcsBtnClick() : CheckTransBtnClick(); });
        connect(next, &QPushButton::clicked, this,
                [this, arcs] { arcs ? ShowNextArcErrorBtnClick() : ShowNextErrorBtnClick(); });
        (arcs ? arcErrors_ : transErrors_) = errors;
        (arcs ? nextArcError_ : nextError_) = next;
        row->addWidget(check);
        row->addWidget(errors, 1);
        row->addWidget(next);
        layout->addLayout(row);
    }
    layout->addWidget(count);
    pages_->addTab(page, title);
    return view;
}

// ---------------------------------------------------------------------------
// What is shown

TDocForm* TPropertyWindow::Document() const {
    TDocForm* d = main_.ActiveDocument();
    return d && d->Document().Net() == net_ && net_ ? d : nullptr;
}

void TPropertyWindow::SetNet(TNetList* net, TVariableTable* variables) {
    if (net != net_) grid_.Clear();
    net_ = net;
    variables_ = variables;
    if (!net_) {
        grid_.Clear();
        FillPage();
        RefreshList();
    }
}

void TPropertyWindow::Selected(TGraphItem* e) {
    TDocForm* d = Document();
    if (!d) return;
    const TDocument& doc = d->Document();
    grid_.Show(e, doc.Root(), ObjectLibrary().names, doc.topLevel);
    FillPage();
    RefreshValues();
}

void TPropertyWindow::Deselected() { FormSelected(); }

void TPropertyWindow::FormSelected() { Selected(nullptr); }

bool TPropertyWindow::SavePlaces(std::size_t row, const std::vector<std::string>& cells) {
    return SaveRow(Table::Places, row, cells);
}

bool TPropertyWindow::SaveTransitions(std::size_t row, const std::vector<std::string>& cells) {
    return SaveRow(Table::Transitions, row, cells);
}

bool TPropertyWindow::SaveEdges(std::size_t row, const std::vector<std::string>& cells) {
    return SaveRow(Table::Arcs, row, cells);
}

void TPropertyWindow::ForgetSelection() {
    grid_.Clear();
    FillPage();
}

void TPropertyWindow::SavePending() {
    if (grid_.Dirty()) SaveToList();
}

void TPropertyWindow::FillPage() {
    filling_ = true;
    properties_->Show(grid_.Rows());
    objects_->setCurrentIndex(grid_.Element() ? objects_->findText(ElementName(grid_.Element())) : -1);
    filling_ = false;
}

void TPropertyWindow::RefreshList() {
    tables_.Fill(net_, continuous_->isChecked());
    for (TElementTableModel* m : {placeModel_, transModel_, arcModel_}) m->Reset();
    // The names of all elements, sorted, in the selection box.
    QStringList names;
    if (net_) {
        for (TGraphItem* e : net_->Elements()) {
            if (const QString n = ElementName(e); !n.isEmpty()) names << n;
        }
    }
    names.sort();
    objects_->clear();
    objects_->addItems(names);
    objects_->setCurrentIndex(grid_.Element() ? objects_->findText(ElementName(grid_.Element())) : -1);
    ShowCounts();
}

void TPropertyWindow::RefreshValues() {
    for (TElementTableModel* m : {placeModel_, transModel_, arcModel_}) m->ValuesChanged();
}

void TPropertyWindow::ShowCounts() {
    SetText(placeCount_, QStringLiteral("Count: %1").arg(tables_.Rows(Table::Places)));
    SetText(transCount_, QStringLiteral("Count: %1").arg(tables_.Rows(Table::Transitions)));
    SetText(arcCount_, QStringLiteral("Count: %1").arg(tables_.Rows(Table::Arcs)));
}

void TPropertyWindow::ShowErrors() {
    SetText(transErrors_, QStringLiteral("Errors: %1").arg(tables_.Errors(Table::Transitions)));
    SetText(arcErrors_, QStringLiteral("Errors: %1").arg(tables_.Errors(Table::Arcs)));
    nextError_->setEnabled(tables_.Errors(Table::Transitions) > 0);
    nextArcError_->setEnabled(tables_.Errors(Table::Arcs) > 0);
}

// ---------------------------------------------------------------------------
// Saving

template <class F>
bool TPropertyWindow::Change(F change) {
    TDocForm* d = Document();
    if (!d) return false;
    TDocument& doc = d->Document();
    if (!doc.MayEdit()) {
        // A view: what was typed goes back to what the element holds.
        Platform().messages->Info(doc.RefusalText());
        Selected(grid_.Element());
        RefreshList();
        return false;
    }
    doc.BeginChange("Properties");
    const bool ok = change();
    if (doc.DiffersFromBeginning() || (doc.simulationMode && ok)) doc.SetModified(true);
    doc.EndChange();
    d->InvalidateWindow();
    return ok;
}

bool TPropertyWindow::SaveToList() {
    TDocForm* d = Document();
    if (!d || grid_.Empty()) return false;
    TWorkspace& workspace = main_.Workspace();
    if (workspace.EngineLoopRunning()) {
        // Taken once the running loop has ended.
        QPointer<TPropertyWindow> self(this);
        workspace.RunWhenIdle([self] {
            if (self) self->SaveToList();
        });
        return false;
    }
    SetText(status_, QStringLiteral("\"%1\"").arg(QString::fromLatin1(grid_.SaveWord())));
    const bool leaves = grid_.SavingLeavesSimulation();
    const bool ok = Change([this] { return grid_.Save(); });
    SetText(status_, QString());
    if (!ok) return false;
    if (leaves && d->Document().simulationMode) d->EditierModusClick();
    Selected(grid_.Element());
    RefreshList();
    return true;
}

void TPropertyWindow::BoxChosen(int row, const QString& text) {
    if (filling_) return;
    grid_.SetValue(std::size_t(row), text.toStdString());
    SaveToList();
}

void TPropertyWindow::ButtonClicked(int row) {
    const PropertyRow& r = grid_.Rows().at(std::size_t(row));
    TAppWindows& w = main_.Windows();
    std::string text;
    switch (r.button) {
    case CellButton::TextEditor:
        if (!w.textEditor) return;
        text = w.textEditor->Execute(r.value);
        break;
    case CellButton::Formula:
        if (!w.formulaEditor) return;
        w.formulaEditor->SetNet(net_);
        text = w.formulaEditor->Execute(r.value);
        break;
    case CellButton::Font: FontClicked(); return;
    case CellButton::None: return;
    }
    if (text == r.value) return;
    grid_.SetValue(std::size_t(row), text);
    SaveToList();
}

void TPropertyWindow::FontClicked() {
    auto* label = grid_.Element() && grid_.Element()->Kind() == kind::Label
                      ? static_cast<TSchriftObjekt*>(grid_.Element())
                      : nullptr;
    if (!label) return;
    TFont font = label->Font();
    QFont initial(Q(font.name), font.size);
    initial.setBold(font.style & 1);
    initial.setItalic(font.style & 2);
    bool ok = false;
    const QFont chosen = QFontDialog::getFont(&ok, initial, this, QStringLiteral("Font"));
    if (!ok) return;
    font.name = chosen.family().toStdString();
    font.size = std::clamp(chosen.pointSize(), 1, 200);
    font.style = std::uint8_t((chosen.bold() ? 1 : 0) | (chosen.italic() ? 2 : 0) | (chosen.underline() ? 4 : 0) |
                              (chosen.strikeOut() ? 8 : 0));
    if (Change([label, &font] {
            label->SetFont(font);
            return true;
        })) {
        Selected(label);
    }
}

bool TPropertyWindow::SaveRow(Table table, std::size_t row, const std::vector<std::string>& cells) {
    TDocForm* d = Document();
    if (!d) return false;
    TWorkspace& workspace = main_.Workspace();
    if (workspace.EngineLoopRunning()) {
        // Taken once the running loop has ended.
        QPointer<TPropertyWindow> self(this);
        workspace.RunWhenIdle([self, table, row, cells] {
            if (self) self->SaveRow(table, row, cells);
        });
        return false;
    }
    const bool ok = Change([&] { return tables_.SaveRow(table, row, cells); });
    if (ok && d->Document().simulationMode) d->EditierModusClick();
    if (ok && grid_.Element()) Selected(grid_.Element());
    return ok;
}

void TPropertyWindow::RowPicked(Table table, int row) {
    TDocForm* d = Document();
    TGraphItem* e = tables_.ElementAt(table, std::size_t(row));
    if (!d || !e || filling_) return;
    if (d->Document().current == e && e->selected) return;
    // The element becomes the only one selected, and current.
    d->Document().Net()->DeselectAll();
    d->SelectElement(e);
    d->InvalidateWindow();
}

// ---------------------------------------------------------------------------
// Formula checks

void TPropertyWindow::Check(Table table) {
    TDocForm* d = Document();
    if (!d || main_.Workspace().EngineLoopRunning()) return;
    TPNObjekt& root = *d->Document().Root();
    root.RegisterVariables();
    FormulaCheck check;
    try {
        check = table == Table::Arcs ? CheckArcFunctions(root) : CheckTransFunctions(root, continuous_->isChecked());
    } catch (const std::exception& e) {
        // A firing time that cannot be evaluated.
        Platform().messages->Error(e.what());
    }
    // Outside a session nothing keeps the compiled formulas.
    if (!d->Document().simulationMode) ReleaseFormulas(root);
    tables_.SetErrors(table, check.errors);
    ShowErrors();
    RefreshList();
}

void TPropertyWindow::CheckTransBtnClick() { Check(Table::Transitions); }

void TPropertyWindow::CheckArcsBtnClick() {
    continuous_->setChecked(true);
    Check(Table::Arcs);
}

void TPropertyWindow::ShowFormulaResults() {
    TDocForm* d = Document();
    if (!d) return;
    Check(Table::Transitions);
    Check(Table::Arcs);
    pages_->setCurrentIndex(tables_.Errors(Table::Transitions) == 0 && tables_.Errors(Table::Arcs) > 0 ? 3 : 2);
}

void TPropertyWindow::NextError(Table table, QTableView* view) {
    const QModelIndex current = view->currentIndex();
    const std::optional<std::size_t> from =
        current.isValid() ? std::optional<std::size_t>(std::size_t(current.row())) : std::nullopt;
    if (const std::optional<std::size_t> row = tables_.NextError(table, from)) {
        view->selectRow(int(*row));
        view->scrollTo(view->model()->index(int(*row), 0));
    }
}

void TPropertyWindow::ShowNextErrorBtnClick() { NextError(Table::Transitions, transGrid_); }

void TPropertyWindow::ShowNextArcErrorBtnClick() { NextError(Table::Arcs, arcGrid_); }

void TPropertyWindow::ShowTransGroupClick(bool) {
    RefreshList();
    transModel_->headerDataChanged(Qt::Horizontal, 0, 3);
}

} // namespace qz::ui
