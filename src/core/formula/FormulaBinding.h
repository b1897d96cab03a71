#pragma once
#include <optional>
#include <string>
#include <vector>

namespace qz {

class TGraphItem;
class TNetList;
class TPNObjekt;
class TPlatz;

inline constexpr const char* kVariableNameExists = "This variable name already exists.";
inline constexpr const char* kNoErrorsInFormula = "No errors in formula";

// One row of the property window's formula grids.
struct FormulaRow {
    TGraphItem* element = nullptr;
    std::string name;   // transitions: the name; arcs: empty
    std::string text;   // function text or weight text
    std::string value;  // value in general format, or "N.A."
    std::string result; // "OK" or the error message
};

struct FormulaCheck {
    int errors = 0;
    std::vector<FormulaRow> rows;
    bool Ok() const { return errors == 0; }
};

// Checks (compiles) the function texts of every transition of the object's
// hierarchy; each failure adds 1 to `errors`. Arithmetic errors while a
// discrete firing time is evaluated are not caught.
void CheckTransitionFormulas(TPNObjekt& object, int& errors);
// The same for the weight texts of arcs (no evaluation).
void CheckArcFormulas(TPNObjekt& object, int& errors);

// What the property window's checks return: the count over the whole
// hierarchy and the rows of the root's own net (transitions of the chosen
// kind, or all arcs). Sends the trace line of the check.
FormulaCheck CheckTransFunctions(TPNObjekt& root, bool continuousTransitions);
FormulaCheck CheckArcFunctions(TPNObjekt& root);

// Frees the compiled formulas of every transition and arc of the hierarchy.
void ReleaseFormulas(TPNObjekt& root);

// The formula editor's "Check": compiles `text` knowing only the variable
// names of the net's places; shows and returns the error message, or
// "No errors in formula".
std::string CheckFormulaInEditor(const std::string& text, const TNetList& net);

// Whether a formula text would compile where it stands: a number, or an
// expression over "Time", "STime" and the variable names of the places of
// `net` (the names a simulation registers for its object). Nothing is
// shown; the parser's message, or nothing when it compiles.
std::optional<std::string> FormulaError(const std::string& text, const TNetList& net);

// Renames a place's variable: refused ("This variable name already exists.")
// when another place of the same net has exactly that name; blanks removed.
bool SetPlaceVariableName(TPlatz& place, const std::string& newName);

} // namespace qz
