#include "editor/ElementTables.h"

#include "common/NumberFormat.h"
#include "editor/ElementEdits.h"
#include "model/TEdge.h"
#include "model/TNetList.h"
#include "model/TPlatz.h"
#include "model/TTransition.h"

namespace qz::ui {

namespace {

std::string Number(long double v) { return num::FormatGeneral(v, 15); }

std::string ValueWithKind(long double v, bool expression) {
    return Number(v) + (expression ? " (Expression)" : " (Value)");
}

// The check column: "OK", the formula's error, or nothing before a check.
template <class E>
std::string CheckResult(const E& e) {
    return e.formulaValid ? std::string("OK") : e.formulaError;
}

} // namespace

void ElementTables::Fill(const TNetList* net, bool continuousTransitions) {
    continuous_ = continuousTransitions;
    places_.clear();
    transitions_.clear();
    arcs_.clear();
    if (!net) return;
    for (TGraphItem* e : net->Elements()) {
        switch (e->Kind()) {
        case kind::Place: places_.push_back(e); break;
        case kind::Transition:
            if ((e->continuous != 0) == continuousTransitions) transitions_.push_back(e);
            break;
        case kind::Arc: arcs_.push_back(e); break;
        default: break;
        }
    }
}

const std::vector<TGraphItem*>& ElementTables::List(Table t) const {
    switch (t) {
    case Table::Places: return places_;
    case Table::Transitions: return transitions_;
    default: return arcs_;
    }
}

TGraphItem* ElementTables::ElementAt(Table t, std::size_t row) const {
    const auto& list = List(t);
    return row < list.size() ? list[row] : nullptr;
}

std::optional<std::size_t> ElementTables::RowOf(Table t, const TGraphItem* e) const {
    const auto& list = List(t);
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (list[i] == e) return i;
    }
    return std::nullopt;
}

std::vector<std::string> ElementTables::Headers(Table t, bool continuousTransitions) {
    switch (t) {
    case Table::Places: return {"Name", "Variable", "Startvalue", "Value"};
    case Table::Transitions: return {"Name", continuousTransitions ? "Speed" : "Firingtime", "Value", ""};
    default: return {"Weight", "Actual Value", ""};
    }
}

bool ElementTables::Editable(Table t, int column) {
    switch (t) {
    case Table::Places: return column >= 0 && column <= 3;
    case Table::Transitions: return column == 0 || column == 1;
    default: return column == 0;
    }
}

std::string ElementTables::Cell(Table t, std::size_t row, int column) const {
    TGraphItem* e = ElementAt(t, row);
    if (!e) return {};
    switch (t) {
    case Table::Places: {
        const auto* p = static_cast<const TPlatz*>(e);
        switch (column) {
        case 0: return p->name;
        case 1: return p->variableName;
        case 2: return Number(p->InitialMarking());
        default: return Number(p->Marking());
        }
    }
    case Table::Transitions: {
        const auto* tr = static_cast<const TTransition*>(e);
        switch (column) {
        case 0: return tr->name;
        case 1: return tr->functionText;
        case 2: return ValueWithKind(tr->value, tr->isExpression);
        default: return CheckResult(*tr);
        }
    }
    default: {
        const auto* a = static_cast<const TEdge*>(e);
        switch (column) {
        case 0: return a->weightText;
        case 1: return ValueWithKind(a->weight, a->isExpression);
        default: return CheckResult(*a);
        }
    }
    }
}

std::optional<std::size_t> ElementTables::NextError(Table t, std::optional<std::size_t> after) const {
    const std::size_t n = Rows(t);
    const int column = t == Table::Arcs ? 2 : 3;
    const std::size_t start = after ? *after + 1 : 0;
    for (std::size_t k = 0; k < n; ++k) {
        const std::size_t row = (start + k) % n;
        const std::string result = Cell(t, row, column);
        if (!result.empty() && result != "OK") return row;
    }
    return std::nullopt;
}

bool ElementTables::SaveRow(Table t, std::size_t row, const std::vector<std::string>& cells) {
    TGraphItem* e = ElementAt(t, row);
    if (!e) return false;
    const auto cell = [&cells](std::size_t i) -> const std::string& {
        static const std::string kNone;
        return i < cells.size() ? cells[i] : kNone;
    };
    switch (t) {
    case Table::Places: {
        auto* p = static_cast<TPlatz*>(e);
        // Numbers are taken when they differ from what the row showed.
        const bool initial = cell(2) != Cell(t, row, 2), marking = cell(3) != Cell(t, row, 3);
        return EditName(*p, cell(0)) && EditVariable(*p, cell(1)) && (!initial || EditInitialTokens(*p, cell(2))) &&
               (!marking || EditMarking(*p, cell(3)));
    }
    case Table::Transitions: {
        auto* tr = static_cast<TTransition*>(e);
        return EditName(*tr, cell(0)) && EditDelayOrSpeed(*tr, cell(1));
    }
    default: return EditWeight(*static_cast<TEdge*>(e), cell(0));
    }
}

} // namespace qz::ui
