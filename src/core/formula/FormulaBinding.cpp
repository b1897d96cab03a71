#include "formula/FormulaBinding.h"

#include <algorithm>

#include "common/NumberFormat.h"
#include "formula/ParserErrors.h"
#include "formula/Parser.h"
#include "formula/VariableTable.h"
#include "model/TEdge.h"
#include "model/TNetList.h"
#include "model/TPNObjekt.h"
#include "model/TPlatz.h"
#include "model/TTransition.h"
#include "platform/Services.h"

namespace qz {

namespace {

std::string Trim(const std::string& s) {
    const std::size_t a = s.find_first_not_of(' ');
    if (a == std::string::npos) return {};
    const std::size_t b = s.find_last_not_of(' ');
    return s.substr(a, b - a + 1);
}

void MarkResult(TGraphItem& e, std::uint8_t& valid, std::string& error, const std::string* failure) {
    if (failure) {
        valid = 0;
        error = *failure;
        e.SetErrorMark(true);
    } else {
        valid = 1;
        error = "OK";
        if (e.errorMark) e.SetErrorMark(false);
    }
}

void CheckTransition(TTransition& t, int& errors) {
    if (Trim(t.functionText).empty()) t.SetFunctionText("1");
    if (auto n = num::ParseNumber(t.functionText)) {
        t.value = *n;
        t.isExpression = 0;
        MarkResult(t, t.formulaValid, t.formulaError, nullptr);
        return;
    }
    try {
        t.parser->SetExpression(t.functionText);
    } catch (const EMathParserError& e) {
        const std::string message = e.what();
        MarkResult(t, t.formulaValid, t.formulaError, &message);
        ++errors;
        return;
    }
    t.isExpression = 1;
    if (!t.continuous) {
        t.firingTime = t.parser->Value();
        t.value = t.firingTime;
    }
    MarkResult(t, t.formulaValid, t.formulaError, nullptr);
}

void CheckArc(TEdge& a, int& errors) {
    if (Trim(a.weightText).empty()) a.SetWeightText("1");
    if (auto n = num::ParseNumber(a.weightText)) {
        a.weight = *n;
        a.isExpression = 0;
        MarkResult(a, a.formulaValid, a.formulaError, nullptr);
        return;
    }
    try {
        a.parser->SetExpression(a.weightText);
    } catch (const EMathParserError& e) {
        const std::string message = e.what();
        MarkResult(a, a.formulaValid, a.formulaError, &message);
        ++errors;
        return;
    }
    a.isExpression = 1;
    MarkResult(a, a.formulaValid, a.formulaError, nullptr);
}

template <typename F> void ForEachOfKind(TPNObjekt& object, char k, F f) {
    object.ForEachNet([&](TNetList& net) {
        for (TGraphItem* e : net.Elements()) {
            if (e->Kind() == k) f(*e);
        }
    });
}

void Trace(const std::string& line) {
    TraceSink* sink = Platform().trace;
    if (sink && sink->Enabled()) sink->Trace(line);
}

} // namespace

void CheckTransitionFormulas(TPNObjekt& object, int& errors) {
    ForEachOfKind(object, kind::Transition,
                  [&](TGraphItem& e) { CheckTransition(static_cast<TTransition&>(e), errors); });
}

void CheckArcFormulas(TPNObjekt& object, int& errors) {
    ForEachOfKind(object, kind::Arc, [&](TGraphItem& e) { CheckArc(static_cast<TEdge&>(e), errors); });
}

FormulaCheck CheckTransFunctions(TPNObjekt& root, bool continuousTransitions) {
    FormulaCheck check;
    CheckTransitionFormulas(root, check.errors);
    Trace("CheckTransFunctions erfolgreich beendet, Fehler: " + std::to_string(check.errors));
    for (TGraphItem* e : root.Net().Elements()) {
        if (e->Kind() != kind::Transition) continue;
        auto* t = static_cast<TTransition*>(e);
        if ((t->continuous != 0) != continuousTransitions) continue;
        FormulaRow row{t, t->name, t->functionText, "N.A.", t->formulaError};
        if (t->formulaValid) {
            row.value = num::FormatGeneral(t->value, 15);
            row.result = "OK";
        }
        check.rows.push_back(std::move(row));
    }
    return check;
}

FormulaCheck CheckArcFunctions(TPNObjekt& root) {
    FormulaCheck check;
    CheckArcFormulas(root, check.errors);
    Trace("CheckArcFunctions erfolgreich beendet, Fehler: " + std::to_string(check.errors));
    for (TGraphItem* e : root.Net().Elements()) {
        if (e->Kind() != kind::Arc) continue;
        auto* a = static_cast<TEdge*>(e);
        FormulaRow row{a, {}, a->weightText, "N.A.", a->formulaError};
        if (a->formulaValid) {
            row.value = num::FormatGeneral(a->weight, 15);
            row.result = "OK";
        }
        check.rows.push_back(std::move(row));
    }
    return check;
}

void ReleaseFormulas(TPNObjekt& root) {
    ForEachOfKind(root, kind::Transition,
                  [](TGraphItem& e) { static_cast<TTransition&>(e).parser->SetExpression(""); });
    ForEachOfKind(root, kind::Arc, [](TGraphItem& e) { static_cast<TEdge&>(e).parser->SetExpression(""); });
}

std::string CheckFormulaInEditor(const std::string& text, const TNetList& net) {
    // Each place's own marking: the editor knows nothing of fusion.
    std::vector<double> markings;
    std::vector<const TPlatz*> places;
    for (TGraphItem* e : net.Elements()) {
        if (e->Kind() == kind::Place) places.push_back(static_cast<const TPlatz*>(e));
    }
    markings.reserve(places.size());
    TVariableTable table;
    for (const TPlatz* p : places) {
        markings.push_back(p->Marking());
        table.Add(p->variableName, &markings.back());
    }
    TParser parser;
    parser.SetVariables(&table);
    std::string result = kNoErrorsInFormula;
    MsgKind kind = MsgKind::Information;
    try {
        parser.SetExpression(text);
    } catch (const EMathParserError& e) {
        result = e.what();
        kind = MsgKind::Error;
    }
    parser.SetExpression("");
    parser.SetVariables(nullptr);
    Platform().messages->Show(result, kind, MsgButtons::Ok);
    return result;
}

std::optional<std::string> FormulaError(const std::string& text, const TNetList& net) {
    if (num::ParseNumber(text)) return std::nullopt;
    // Only the names matter: every one refers to the same scratch value.
    double scratch = 0;
    TVariableTable table;
    table.Add("Time", &scratch);
    table.Add("STime", &scratch);
    for (TGraphItem* e : net.Elements()) {
        if (e->Kind() == kind::Place) table.Add(static_cast<const TPlatz*>(e)->variableName, &scratch);
    }
    TParser parser;
    parser.SetVariables(&table);
    std::optional<std::string> error;
    try {
        parser.SetExpression(text);
    } catch (const EMathParserError& e) {
        error = e.what();
    }
    parser.SetExpression("");
    parser.SetVariables(nullptr);
    return error;
}

bool SetPlaceVariableName(TPlatz& place, const std::string& newName) {
    // Blanks go first: the name that is stored is the one that must be free.
    std::string cleaned = newName;
    cleaned.erase(std::remove(cleaned.begin(), cleaned.end(), ' '), cleaned.end());
    if (place.owner) {
        for (TGraphItem* e : place.owner->Net().Elements()) {
            if (e != &place && e->Kind() == kind::Place &&
                static_cast<TPlatz*>(e)->variableName == cleaned) {
                Platform().messages->Error(kVariableNameExists);
                return false;
            }
        }
    }
    place.SetVariableName(cleaned);
    return true;
}

} // namespace qz
