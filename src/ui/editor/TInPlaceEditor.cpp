#include "editor/TInPlaceEditor.h"

#include <QFontMetrics>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>

#include "widgets/ControlNames.h"
#include "widgets/TypedTextFilter.h"

namespace qz::ui {

namespace {

QString Lines(const std::string& text) { return Q(text).replace(QLatin1Char('|'), QLatin1Char('\n')); }

bool IsEnter(const QKeyEvent* e) { return e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter; }

} // namespace

TInPlaceEditor::TInPlaceEditor(QWidget* client) : QObject(client), client_(client) {
    memo_ = Named(new QPlainTextEdit(client), "Memo1", QStringLiteral("Label editor"));
    memo_->setToolTip(QString::fromLatin1(kLabelEditorHint));
    memo_->setLineWrapMode(QPlainTextEdit::NoWrap);
    memo_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    memo_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    memo_->hide();
    memo_->installEventFilter(this);
    connect(memo_, &QPlainTextEdit::textChanged, this, [this] { MemoTextChange(); });
    valueEdit_ = Named(new QLineEdit(client), "Edit1", QStringLiteral("Value editor"));
    valueEdit_->hide();
    valueEdit_->installEventFilter(this);
    connect(valueEdit_, &QLineEdit::textChanged, this, [this] { EditChange(); });
}

void TInPlaceEditor::Open(const InPlaceEdit& edit, const QPoint& at, double scale) {
    Close();
    edit_ = edit;
    scale_ = scale;
    if (edit.editor == InPlaceEdit::Editor::Label) {
        memo_->setPlainText(Lines(edit.text));
        memo_->move(at);
        MemoTextChange();
        memo_->show();
        memo_->raise();
        memo_->setFocus();
        memo_->selectAll();
    } else if (edit.editor == InPlaceEdit::Editor::Value) {
        valueEdit_->setValidator(edit.numeric ? TypedTextFilter::Decimal(valueEdit_) : nullptr);
        valueEdit_->setText(Q(edit.text));
        valueEdit_->move(at);
        EditChange();
        valueEdit_->show();
        valueEdit_->raise();
        valueEdit_->setFocus();
        valueEdit_->selectAll();
    }
}

std::string TInPlaceEditor::Text() const {
    if (edit_.editor == InPlaceEdit::Editor::Label) {
        return memo_->toPlainText().replace(QLatin1Char('\n'), QLatin1Char('|')).toStdString();
    }
    return valueEdit_->text().toStdString();
}

void TInPlaceEditor::SetText(const std::string& text) {
    if (edit_.editor == InPlaceEdit::Editor::Label) {
        memo_->setPlainText(Lines(text));
    } else {
        valueEdit_->setText(Q(text));
    }
}

void TInPlaceEditor::Close() {
    const bool hadFocus = memo_->hasFocus() || valueEdit_->hasFocus();
    edit_ = {};
    memo_->hide();
    valueEdit_->hide();
    if (hadFocus) client_->setFocus();
}

bool TInPlaceEditor::eventFilter(QObject* watched, QEvent* e) {
    if (e->type() != QEvent::KeyPress) return QObject::eventFilter(watched, e);
    auto* key = static_cast<QKeyEvent*>(e);
    if (watched == memo_) return MemoKeyPress(key);
    if (watched == valueEdit_) return EditKeyPress(key);
    return false;
}

bool TInPlaceEditor::MemoKeyPress(QKeyEvent* e) {
    if (IsEnter(e) && (e->modifiers() & Qt::ControlModifier)) {
        memo_->insertPlainText(QStringLiteral("\n"));
        return true;
    }
    return EnterOrEscape(e);
}

void TInPlaceEditor::MemoTextChange() {
    const QFontMetrics fm(memo_->font());
    const QStringList lines = memo_->toPlainText().split(QLatin1Char('\n'));
    int widest = 0;
    for (const QString& l : lines) widest = std::max(widest, fm.horizontalAdvance(l));
    const EditorSize size = LabelEditorSize(widest, fm.height(), int(lines.size()), scale_);
    memo_->resize(size.width, size.height);
}

bool TInPlaceEditor::EditKeyPress(QKeyEvent* e) { return EnterOrEscape(e); }

bool TInPlaceEditor::EnterOrEscape(QKeyEvent* e) {
    if (IsEnter(e)) {
        emit accepted();
        return true;
    }
    if (e->key() == Qt::Key_Escape) {
        emit cancelled();
        return true;
    }
    return false;
}

void TInPlaceEditor::EditChange() {
    const QFontMetrics fm(valueEdit_->font());
    const int width = ValueEditorWidth(fm.horizontalAdvance(valueEdit_->text()), scale_);
    valueEdit_->resize(std::max(width, 40), valueEdit_->sizeHint().height());
}

} // namespace qz::ui
