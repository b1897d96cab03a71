#pragma once
#include <QDialog>

#include "diagrams/OsziPlot.h"

class QFrame;
class QLabel;

namespace qz::ui {

class TOsziPanel;

// "Colors": the colours and the font of an oscilloscope's plot, with a
// preview that shows each change at once. OK gives them to the plot; Cancel
// leaves the plot as it was.
class TFarbenFenster final : public QDialog {
    Q_OBJECT
public:
    explicit TFarbenFenster(QWidget* parent);

    // Edits the settings (modal); true when OK took them.
    bool Execute(diagrams::PlotSettings& settings);
    TOsziPanel& DemoOszi() const { return *demo_; }

    // Applies a chosen colour (0 axis, 1 grids, 2 background) or font.
    void SetColour(int which, TColor colour);
    void SetFont(const TFont& font);

private:
    void ChooseColour(int which);
    void ChooseFont();
    void ShowSamples();

    TOsziPanel* demo_;
    QFrame* samples_[3];
    QLabel* font_;
    diagrams::PlotSettings settings_;
};

} // namespace qz::ui
