#pragma once
#include <string>

#include "diagrams/TPunktListe.h"

namespace qz::diagrams {

// The texts of the trace info dialog ("Info"): the sample count and the
// border of all samples. A new dialog shows its design texts; an empty trace
// leaves every text as it was.
struct TInfoFigures {
    std::string points = "0 Points"; // StuetzAnzahl
    std::string left = "Left";       // XMinLabel: first sample's x
    std::string right = "Right";     // XMaxLabel: last sample's x
    std::string bottom = "Bottom";   // YMinLabel: smallest y
    std::string top = "Top";         // YMaxLabel: largest y

    // Fills the texts from the trace (fixed notation, 5 digits, 3 decimals).
    void Update(TPunktListe& trace);
};

// The value export ("Export Graphic (ASCII)"): one line "x;y" per sample,
// general format with 15 digits and the decimal comma, CR LF line ends.
std::string ExportValues(TPunktListe& trace);
// Writes the export to `path`, replacing the file; false with the reason in
// *error when it could not be written.
bool SaveValues(TPunktListe& trace, const std::string& path, std::string* error = nullptr);

} // namespace qz::diagrams
