#pragma once
#include <QWidget>

class QTextBrowser;

namespace qz::ui {

// The help viewer: the program's help document from the program directory,
// opened at its contents page.
class THelpWindow final : public QWidget {
    Q_OBJECT
public:
    explicit THelpWindow(QWidget* parent);
    // The contents page of the help document ("Help/index.html" in the
    // program directory).
    static QString ContentsPage();
    // Shows the contents page; false when the help document is missing.
    bool ShowContents();
    QTextBrowser* Browser() const { return browser_; }

private:
    bool placed_ = false;
    QTextBrowser* browser_;
};

} // namespace qz::ui
