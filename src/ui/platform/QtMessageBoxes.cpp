#include "platform/QtMessageBoxes.h"

#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>

namespace qz::ui {

QString MessageText(std::string_view text) {
    QString s = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    s.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return s;
}

namespace {

QMessageBox::Icon IconOf(MsgKind kind) {
    switch (kind) {
    case MsgKind::Information: return QMessageBox::Information;
    case MsgKind::Warning: return QMessageBox::Warning;
    case MsgKind::Error: return QMessageBox::Critical;
    case MsgKind::Confirmation: return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons ButtonsOf(MsgButtons b) {
    switch (b) {
    case MsgButtons::Ok: return QMessageBox::Ok;
    case MsgButtons::OkCancel: return QMessageBox::Ok | QMessageBox::Cancel;
    case MsgButtons::YesNo: return QMessageBox::Yes | QMessageBox::No;
    case MsgButtons::YesNoCancel: return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case MsgButtons::YesCancel: return QMessageBox::Yes | QMessageBox::Cancel;
    }
    return QMessageBox::Ok;
}

// The box closed through its frame or Escape answers as the button set's
// cancelling button would.
MsgAnswer EscapeAnswer(MsgButtons b) {
    switch (b) {
    case MsgButtons::Ok: return MsgAnswer::Ok;
    case MsgButtons::YesNo: return MsgAnswer::No;
    default: return MsgAnswer::Cancel;
    }
}

// The window a dialog belongs to: the active one, but not the splash window,
// which closes (and would take the dialog with it) while the dialog waits
// for its answer.
QWidget* DialogParent() {
    QWidget* active = QApplication::activeWindow();
    return active && active->windowType() == Qt::SplashScreen ? nullptr : active;
}

} // namespace

MsgAnswer QtMessageBoxes::Show(std::string_view text, MsgKind kind, MsgButtons buttons) {
    // On the heap: a parent that goes away while the box waits takes the box
    // with it, and the box then answers as if closed.
    QPointer<QMessageBox> box = new QMessageBox(IconOf(kind), QApplication::applicationDisplayName(),
                                                MessageText(text), ButtonsOf(buttons), DialogParent());
    box->setObjectName(QStringLiteral("MessageBox"));
    box->setAccessibleName(box->text());
    box->setDefaultButton(QMessageBox::StandardButton(
        static_cast<int>(DefaultAnswer(buttons) == MsgAnswer::Yes ? QMessageBox::Yes : QMessageBox::Ok)));
    for (QAbstractButton* b : box->buttons()) b->setAccessibleName(b->text().remove(QLatin1Char('&')));
    const int result = box->exec();
    if (!box) return EscapeAnswer(buttons);
    delete box.data();
    switch (result) {
    case QMessageBox::Ok: return MsgAnswer::Ok;
    case QMessageBox::Cancel: return MsgAnswer::Cancel;
    case QMessageBox::Yes: return MsgAnswer::Yes;
    case QMessageBox::No: return MsgAnswer::No;
    default: return EscapeAnswer(buttons);
    }
}

std::optional<std::string> QtMessageBoxes::InputQuery(std::string_view caption, std::string_view prompt,
                                                      std::string_view initial) {
    QPointer<QInputDialog> dialog = new QInputDialog(DialogParent());
    dialog->setObjectName(QStringLiteral("InputQuery"));
    dialog->setWindowTitle(MessageText(caption));
    dialog->setLabelText(MessageText(prompt));
    dialog->setTextValue(MessageText(initial));
    dialog->setAccessibleName(dialog->windowTitle());
    const bool accepted = dialog->exec() == QDialog::Accepted;
    if (!dialog) return std::nullopt;
    const std::string text = dialog->textValue().toStdString();
    delete dialog.data();
    if (!accepted) return std::nullopt;
    return text;
}

} // namespace qz::ui
