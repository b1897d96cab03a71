#include "editor/TPropertyPage.h"

#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QToolButton>
#include <QVBoxLayout>

#include "widgets/ControlNames.h"
#include "widgets/TypedTextFilter.h"

namespace qz::ui {

namespace {

constexpr int kRowHeight = 18;

QComboBox* Box(QWidget* parent, const std::vector<std::string>& choices, const QString& name) {
    auto* box = new QComboBox(parent);
    box->setAccessibleName(name);
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    for (const std::string& c : choices) box->addItem(Q(c));
    return box;
}

} // namespace

TPropertyPage::TPropertyPage(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("PropertyGrid"));
    setAccessibleName(QStringLiteral("Properties"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
}

std::string TPropertyPage::ShapeOf(const PropertyRow& r) {
    std::string s = r.name + (r.box == CellBox::Choices ? "[" : "") + std::to_string(int(r.button)) +
                    (r.editable ? "e" : "f") + (r.modeChoices.empty() ? "" : "m");
    for (const std::string& c : r.choices) s += "|" + c;
    return s;
}

void TPropertyPage::Show(const std::vector<PropertyRow>& rows) {
    bool same = rows.size() == rows_.size() && body_;
    for (std::size_t i = 0; same && i < rows.size(); ++i) same = ShapeOf(rows[i]) == rows_[i].shape;
    if (!same) Build(rows);
    Fill(rows);
}

void TPropertyPage::Build(const std::vector<PropertyRow>& rows) {
    if (body_) {
        // The control that is being left may be the one asking for this.
        body_->hide();
        body_->deleteLater();
    }
    rows_.clear();
    body_ = new QWidget(this);
    layout()->addWidget(body_);
    auto* grid = new QGridLayout(body_);
    grid->setContentsMargins(2, 2, 2, 2);
    grid->setHorizontalSpacing(3);
    grid->setVerticalSpacing(1);
    grid->setColumnStretch(1, 1);
    for (int i = 0; i < int(rows.size()); ++i) {
        const PropertyRow& r = rows[std::size_t(i)];
        Row w;
        w.shape = ShapeOf(r);
        w.name = new QLabel(Q(r.name), body_);
        w.name->setObjectName(QStringLiteral("Name%1").arg(i));
        w.name->setMinimumHeight(kRowHeight);
        grid->addWidget(w.name, i, 0);
        QWidget* value = nullptr;
        if (r.box == CellBox::Choices) {
            w.box = Box(body_, r.choices, Q(r.name));
            w.box->setObjectName(QStringLiteral("Box%1").arg(i));
            w.box->setEnabled(r.editable);
            connect(w.box, &QComboBox::textActivated, this, [this, i](const QString& text) { emit chosen(i, text); });
            connect(w.box->lineEdit(), &QLineEdit::returnPressed, this,
                    [this, i] { emit chosen(i, rows_[std::size_t(i)].box->currentText()); });
            w.box->lineEdit()->installEventFilter(this);
            value = w.box;
        } else {
            w.edit = Named(new QLineEdit(body_), qPrintable(QStringLiteral("Edit%1").arg(i)), Q(r.name));
            w.edit->setReadOnly(!r.editable);
            if (r.keys == CellKeys::Decimal) w.edit->setValidator(TypedTextFilter::Decimal(w.edit));
            if (r.keys == CellKeys::Digits) w.edit->setValidator(TypedTextFilter::Digits(w.edit));
            connect(w.edit, &QLineEdit::textEdited, this, [this, i](const QString& text) { emit typed(i, text); });
            connect(w.edit, &QLineEdit::editingFinished, this, [this, i] { emit left(i); });
            w.edit->installEventFilter(this);
            value = w.edit;
        }
        if (!r.modeChoices.empty()) {
            // The "sec."/"stepwise" box goes under the value.
            auto* both = new QWidget(body_);
            auto* column = new QVBoxLayout(both);
            column->setContentsMargins(0, 0, 0, 0);
            column->setSpacing(1);
            value->setParent(both);
            column->addWidget(value);
            w.mode = Box(both, r.modeChoices, QStringLiteral("sec. or stepwise"));
            w.mode->setObjectName(QStringLiteral("TimeModeBox"));
            w.mode->setEditable(false);
            connect(w.mode, &QComboBox::textActivated, this, [this](const QString& text) { emit modeChosen(text); });
            column->addWidget(w.mode);
            value = both;
        }
        grid->addWidget(value, i, 1);
        if (r.button != CellButton::None) {
            static const char* const kCaptions[] = {"", "...", "fx", "Ft"};
            static const char* const kNames[] = {"", "EditorBtn", "FormulaBtn", "FontBtn"};
            const QString caption = QString::fromLatin1(kCaptions[int(r.button)]);
            w.button = Named(new QToolButton(body_), kNames[int(r.button)], caption);
            w.button->setText(caption);
            connect(w.button, &QToolButton::clicked, this, [this, i] { emit buttonClicked(i); });
            grid->addWidget(w.button, i, 2, Qt::AlignTop);
        }
        rows_.push_back(w);
    }
    grid->setRowStretch(int(rows.size()), 1);
}

void TPropertyPage::Fill(const std::vector<PropertyRow>& rows) {
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const Row& w = rows_[i];
        const QString value = Q(rows[i].value);
        if (w.edit && !(w.edit->hasFocus() && w.edit->text() == value)) w.edit->setText(value);
        if (w.box) {
            const QSignalBlocker block(w.box);
            w.box->setCurrentText(value);
        }
        if (w.mode) {
            const QSignalBlocker block(w.mode);
            w.mode->setCurrentText(Q(rows[i].mode));
        }
    }
    setEnabled(!rows.empty());
}

QComboBox* TPropertyPage::ModeBox() const {
    for (const Row& w : rows_) {
        if (w.mode) return w.mode;
    }
    return nullptr;
}

bool TPropertyPage::eventFilter(QObject* watched, QEvent* e) {
    if (e->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(e)->key() == Qt::Key_Escape) {
        emit escaped();
        return true;
    }
    if (e->type() == QEvent::MouseButtonDblClick) {
        // A double click on a box steps to its next choice (after the last,
        // the first).
        for (int i = 0; i < int(rows_.size()); ++i) {
            QComboBox* box = rows_[std::size_t(i)].box;
            if (!box || watched != box->lineEdit() || box->count() == 0) continue;
            const int next = (box->findText(box->currentText()) + 1) % box->count();
            emit chosen(i, box->itemText(next));
            return true;
        }
    }
    return QWidget::eventFilter(watched, e);
}

} // namespace qz::ui
