#include "app/TAboutWindow.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "common/FileSystem.h"
#include "widgets/Pictures.h"

namespace qz::ui {

TAboutWindow::TAboutWindow(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("TAboutWindow"));
    setWindowTitle(QStringLiteral("About Quenzor"));
    setAccessibleName(windowTitle());
    auto* layout = new QVBoxLayout(this);
    auto* picture = new QLabel(this);
    picture->setPixmap(NamedPixmap(QStringLiteral("Splash"), 64, devicePixelRatioF()));
    picture->setAlignment(Qt::AlignCenter);
    layout->addWidget(picture);
    auto* text = new QLabel(QStringLiteral("<h2>Quenzor 2.7a</h2>"
                                           "<p>Modelling and simulation of hybrid, object-oriented Petri nets.</p>"
                                           "<p>Program directory:<br>%1</p>")
                                .arg(QString::fromStdString(fs::ProgramDirectory()).toHtmlEscaped()),
                            this);
    text->setObjectName(QStringLiteral("AboutText"));
    text->setAlignment(Qt::AlignCenter);
    text->setWordWrap(true);
    layout->addWidget(text);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("OKButton"));
    buttons->button(QDialogButtonBox::Ok)->setAccessibleName(QStringLiteral("OK"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(buttons);
}

} // namespace qz::ui
