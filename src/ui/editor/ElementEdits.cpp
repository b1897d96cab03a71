#include "editor/ElementEdits.h"

#include <algorithm>
#include <optional>

#include "formula/FormulaBinding.h"
#include "model/PropertyEdits.h"
#include "model/TEdge.h"
#include "model/TPNObjekt.h"
#include "model/TPlatz.h"
#include "model/TTransition.h"
#include "platform/Services.h"

namespace qz::ui {

namespace {

bool Refuse(const std::string& text, const char* ending = kNotValid) {
    Platform().messages->Error(RefusedText(text, ending));
    return false;
}

// A formula is taken when it compiles among the names of its object.
bool Compiles(const std::string& text, const TPNObjekt* owner) {
    if (!OneLine(text)) return Refuse(text);
    if (!owner) return true;
    if (const std::optional<std::string> error = FormulaError(text, owner->Net())) {
        Platform().messages->Error(*error);
        return false;
    }
    return true;
}

std::optional<long double> Tokens(const std::string& text) {
    const std::optional<long double> v = InitialTokensFromText(text);
    if (!v) Refuse(text);
    return v;
}

} // namespace

std::string RefusedText(const std::string& text, const char* ending) {
    std::string shown = text;
    std::replace_if(shown.begin(), shown.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
    return "\"" + shown + "\"" + ending;
}

bool OneLine(const std::string& text) {
    return std::none_of(text.begin(), text.end(), [](char c) { return c == '\r' || c == '\n'; });
}

bool EditName(TGraphItem& element, const std::string& text) {
    if (!OneLine(text)) return Refuse(text, kNotValidName);
    if (element.Kind() == kind::Place) {
        auto& p = static_cast<TPlatz&>(element);
        if (p.name != text) p.SetName(text);
    } else if (element.Kind() == kind::Transition) {
        auto& t = static_cast<TTransition&>(element);
        if (t.name != text) t.SetName(text);
    }
    return true;
}

bool EditVariable(TPlatz& place, const std::string& text) {
    if (text == place.variableName) return true;
    const bool blank = std::all_of(text.begin(), text.end(), [](char c) { return c == ' '; });
    if (blank || !OneLine(text)) return Refuse(text, kNotValidName);
    return SetPlaceVariableName(place, text);
}

bool EditInitialTokens(TPlatz& place, const std::string& text) {
    const std::optional<long double> v = Tokens(text);
    if (!v) return false;
    SetInitialTokens(place, *v);
    return true;
}

bool EditMarking(TPlatz& place, const std::string& text) {
    const std::optional<long double> v = Tokens(text);
    if (!v) return false;
    place.SetMarking(static_cast<double>(*v));
    return true;
}

bool EditDelayOrSpeed(TTransition& transition, const std::string& text) {
    if (text == transition.functionText) return true;
    if (!Compiles(text, transition.owner)) return false;
    SetDelayOrSpeedText(transition, text);
    return true;
}

bool EditWeight(TEdge& arc, const std::string& text) {
    if (text == arc.weightText) return true;
    if (!Compiles(text, arc.owner)) return false;
    arc.SetWeightText(text);
    return true;
}

bool EditObjectName(TPNObjekt& object, const std::string& text) {
    if (text == object.name) return true;
    if (text.empty() || !OneLine(text)) return Refuse(text, kNotValidName);
    return object.SetObjectName(text);
}

} // namespace qz::ui
