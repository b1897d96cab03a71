#pragma once
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace qz {
class TGraphItem;
class TNetList;
} // namespace qz

namespace qz::ui {

// The tables of the property window over the active net: all places, the
// transitions of one kind, all arcs; their cells, the results of the last
// formula check, "Next Error", and saving an edited row. The rows are the
// elements themselves, so that values shown after a simulation step are
// read afresh without building the tables again.
class ElementTables {
public:
    enum class Table { Places, Transitions, Arcs };

    // Lists the elements of the net (null: none) in element order; the
    // transitions of the kind chosen in "Show Transitions".
    void Fill(const TNetList* net, bool continuousTransitions);
    bool ContinuousTransitions() const { return continuous_; }

    std::size_t Rows(Table t) const { return List(t).size(); }
    TGraphItem* ElementAt(Table t, std::size_t row) const;
    // The row of an element in a table, if it is listed there.
    std::optional<std::size_t> RowOf(Table t, const TGraphItem* e) const;
    static std::vector<std::string> Headers(Table t, bool continuousTransitions);
    // The text of a cell as the table shows it now.
    std::string Cell(Table t, std::size_t row, int column) const;
    // The columns a user may edit.
    static bool Editable(Table t, int column);

    // The results of a check: the error count of the whole hierarchy.
    void SetErrors(Table t, int errors) { (t == Table::Arcs ? arcErrors_ : transitionErrors_) = errors; }
    int Errors(Table t) const { return t == Table::Arcs ? arcErrors_ : transitionErrors_; }
    // The next row after `after` (wrapping to the first) whose check result
    // is an error; none when no row has one.
    std::optional<std::size_t> NextError(Table t, std::optional<std::size_t> after) const;

    // Takes an edited row into its element; false when a value was refused
    // (its message shown).
    bool SaveRow(Table t, std::size_t row, const std::vector<std::string>& cells);

private:
    const std::vector<TGraphItem*>& List(Table t) const;

    std::vector<TGraphItem*> places_, transitions_, arcs_;
    bool continuous_ = true;
    int transitionErrors_ = 0, arcErrors_ = 0;
};

} // namespace qz::ui
