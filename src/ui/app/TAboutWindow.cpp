#include "app/TAboutWindow.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "common/ProgramDirectories.h"
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
    const fs::ProgramDirectories dirs = fs::CurrentDirectories();
    const auto html = [](const std::string& s) { return QString::fromStdString(s).toHtmlEscaped(); };
    QString directories = QStringLiteral("<p>Program directory:<br>%1</p>").arg(html(dirs.program));
    if (dirs.config != dirs.program) {
        directories += QStringLiteral("<p>Configuration directory:<br>%1</p>").arg(html(dirs.config));
    }
    if (dirs.kind == fs::DirectoryKind::PerUser) {
        directories += QStringLiteral("<p>Your own copy of the files installed in:<br>%1</p>").arg(html(dirs.installed));
    } else if (!dirs.Writable()) {
        directories += QStringLiteral("<p>Read only in this session.</p>");
    }
    auto* text = new QLabel(QStringLiteral("<h2>Quenzor 2.7a</h2>"
                                           "<p>Modelling and simulation of hybrid, object-oriented Petri nets.</p>") +
                                directories,
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
