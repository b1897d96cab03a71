#pragma once
#include <QDialog>
#include <string>

class QLineEdit;
class QListWidget;

namespace qz {
class TNetList;
}

namespace qz::ui {

// "Formula Editor": composes a formula from the variables of the places of
// the active net, operators, functions and digits, checks it with the
// formula parser, and gives it back on OK ("Cancel" gives back the text it
// was opened with).
class TFormelEditor final : public QDialog {
    Q_OBJECT
public:
    explicit TFormelEditor(QWidget* parent);

    // The net whose places the editor offers; null detaches.
    void SetNet(TNetList* net) { net_ = net; }
    TNetList* Net() const { return net_; }

    // Opens the editor (modal) with `text`; the formula when it closes.
    std::string Execute(const std::string& text);

    QLineEdit* Formel() const { return formel_; }
    QListWidget* ParameterListe() const { return parameters_; }
    QListWidget* PlatzNamenListe() const { return names_; }

    // Inserts a text at the cursor, replacing what is selected.
    void Insert(const QString& text);
    void CheckBtnClick();
    void OKBtnClick();
    void CancelBtnClick();

protected:
    void showEvent(QShowEvent* e) override;

private:
    void FillLists();

    TNetList* net_ = nullptr;
    QLineEdit* formel_;
    QListWidget* parameters_;
    QListWidget* names_;
    std::string opened_;
};

} // namespace qz::ui
