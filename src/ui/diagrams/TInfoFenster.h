#pragma once
#include <QDialog>

class QLabel;

namespace qz::diagrams {
class TPunktListe;
}

namespace qz::ui {

// "Info": how many samples a trace holds and the border of all of them. The
// texts stay from one showing to the next while a trace is empty.
class TInfoFenster final : public QDialog {
    Q_OBJECT
public:
    explicit TInfoFenster(QWidget* parent);
    // Shows the figures of the trace (modal).
    void ShowFigures(diagrams::TPunktListe& trace);
    // Fills the texts without showing the dialog.
    void Fill(diagrams::TPunktListe& trace);
    QLabel* Label(const char* objectName) const;

private:
    QLabel *points_, *left_, *right_, *bottom_, *top_;
};

} // namespace qz::ui
