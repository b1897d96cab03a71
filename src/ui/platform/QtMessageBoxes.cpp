#include "platform/QtMessageBoxes.h"

#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>
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

} // namespace

MsgAnswer QtMessageBoxes::Show(std::string_view text, MsgKind kind, MsgButtons buttons) {
    QMessageBox box(IconOf(kind), QApplication::applicationDisplayName(), MessageText(text),
                    ButtonsOf(buttons), QApplication::activeWindow());
    box.setObjectName(QStringLiteral("MessageBox"));
    box.setAccessibleName(box.text());
    box.setDefaultButton(QMessageBox::StandardButton(
        static_cast<int>(DefaultAnswer(buttons) == MsgAnswer::Yes ? QMessageBox::Yes : QMessageBox::Ok)));
    for (QAbstractButton* b : box.buttons()) b->setAccessibleName(b->text().remove(QLatin1Char('&')));
    switch (box.exec()) {
    case QMessageBox::Ok: return MsgAnswer::Ok;
    case QMessageBox::Cancel: return MsgAnswer::Cancel;
    case QMessageBox::Yes: return MsgAnswer::Yes;
    case QMessageBox::No: return MsgAnswer::No;
    default: return EscapeAnswer(buttons);
    }
}

std::optional<std::string> QtMessageBoxes::InputQuery(std::string_view caption, std::string_view prompt,
                                                      std::string_view initial) {
    QInputDialog dialog(QApplication::activeWindow());
    dialog.setObjectName(QStringLiteral("InputQuery"));
    dialog.setWindowTitle(MessageText(caption));
    dialog.setLabelText(MessageText(prompt));
    dialog.setTextValue(MessageText(initial));
    dialog.setAccessibleName(dialog.windowTitle());
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.textValue().toStdString();
}

} // namespace qz::ui
