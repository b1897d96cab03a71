#pragma once
#include <QDialog>
#include <string>
#include <vector>

class QListWidget;

namespace qz::ui {

// "ExportForm": the text description of a net, shown line by line and saved
// as a text file.
class TExportForm final : public QDialog {
    Q_OBJECT
public:
    explicit TExportForm(QWidget* parent);

    // Shows the lines (modal).
    void ShowLines(const std::vector<std::string>& lines);
    // Takes the lines without showing them.
    void SetLines(const std::vector<std::string>& lines);
    QListWidget* Lines() const { return memo_; }

    void Button1Click();
    void Button2Click();

private:
    QListWidget* memo_;
    std::vector<std::string> lines_;
};

} // namespace qz::ui
