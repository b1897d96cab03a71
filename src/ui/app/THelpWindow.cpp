#include "app/THelpWindow.h"

#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QTextBrowser>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

#include "common/FileSystem.h"
#include "widgets/ScreenFit.h"

namespace qz::ui {

THelpWindow::THelpWindow(QWidget* parent) : QWidget(parent, Qt::Window), browser_(new QTextBrowser(this)) {
    setObjectName(QStringLiteral("THelpWindow"));
    setWindowTitle(QStringLiteral("Quenzor Help"));
    setAccessibleName(windowTitle());
    browser_->setObjectName(QStringLiteral("HelpText"));
    browser_->setAccessibleName(QStringLiteral("Help text"));
    browser_->setOpenExternalLinks(false);
    auto* bar = new QHBoxLayout;
    const auto button = [this, bar](const QString& name, const QString& text, auto slot) {
        auto* b = new QToolButton(this);
        b->setObjectName(name);
        b->setText(text);
        b->setAccessibleName(text);
        connect(b, &QToolButton::clicked, browser_, slot);
        bar->addWidget(b);
    };
    button(QStringLiteral("ContentsBtn"), QStringLiteral("Contents"), &QTextBrowser::home);
    button(QStringLiteral("BackBtn"), QStringLiteral("Back"), &QTextBrowser::backward);
    button(QStringLiteral("ForwardBtn"), QStringLiteral("Forward"), &QTextBrowser::forward);
    bar->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(browser_);
    resize(720, 560);
}

QString THelpWindow::ContentsPage() {
    return QString::fromStdString(fs::ProgramDirectory()) + QStringLiteral("Help/index.html");
}

bool THelpWindow::ShowContents() {
    const QString page = ContentsPage();
    if (!QFileInfo::exists(page)) return false;
    // The browser does not follow the pages' stylesheet link: the style of
    // the help document is given to it as its default.
    QFile style(QFileInfo(page).absolutePath() + QStringLiteral("/style.css"));
    if (style.open(QIODevice::ReadOnly)) browser_->document()->setDefaultStyleSheet(QString::fromUtf8(style.readAll()));
    browser_->setSource(QUrl::fromLocalFile(page));
    if (!placed_) {
        // First shown over the middle of the main window, inside the screen.
        placed_ = true;
        if (const QWidget* main = parentWidget() ? parentWidget()->window() : nullptr) {
            QRect r = geometry();
            r.moveCenter(main->geometry().center());
            setGeometry(r);
        }
        FitOnScreen(this);
        show();
        // Once more with the frame the platform has put around it.
        FitOnScreen(this);
    }
    show();
    raise();
    activateWindow();
    return true;
}

} // namespace qz::ui
