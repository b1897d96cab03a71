#include "simulation/RunOverrides.h"

#include <exception>
#include <vector>

#include "common/NumberFormat.h"
#include "formula/FormulaBinding.h"
#include "model/PropertyEdits.h"
#include "model/TNetList.h"
#include "model/TPNObjekt.h"
#include "model/TTransition.h"
#include "simulation/HeadlessRun.h"

namespace qz {

namespace {

void CollectTransitions(TPNObjekt& object, const std::string& prefix, const std::string& path,
                        std::vector<TTransition*>& found) {
    for (TGraphItem* e : object.Net().Elements()) {
        if (e->Kind() == kind::Transition && prefix + static_cast<TTransition*>(e)->name == path) {
            found.push_back(static_cast<TTransition*>(e));
        }
    }
    for (auto& child : object.Net().Children()) {
        if (path.compare(0, prefix.size() + child->name.size() + 1, prefix + child->name + ".") == 0) {
            CollectTransitions(*child, prefix + child->name + ".", path, found);
        }
    }
    if (object.Base()) CollectTransitions(*object.Base(), prefix, path, found);
}

} // namespace

bool FindOverrideTarget(TPNObjekt& root, const std::string& name, OverrideTarget& target,
                        std::string& why) {
    target = OverrideTarget{name};
    int matches = 0;
    for (auto& [path, place] : AllPlacePaths(root)) {
        if (path == name && matches++ == 0) target.place = place;
    }
    std::vector<TTransition*> transitions;
    CollectTransitions(root, "", name, transitions);
    if (!transitions.empty() && matches == 0) target.transition = transitions.front();
    matches += static_cast<int>(transitions.size());
    if (matches == 0) {
        why = "no place or transition \"" + name + "\" in the net";
    } else if (matches > 1) {
        why = "\"" + name + "\" names " + std::to_string(matches) + " elements of the net";
    }
    return matches == 1;
}

bool ApplyOverrideText(TPNObjekt& root, const OverrideTarget& target, const std::string& text,
                       std::string& why) {
    if (target.place) {
        const std::optional<long double> v = InitialTokensFromText(text);
        if (!v) {
            why = "\"" + text + "\" is no initial marking (digits, one decimal comma and \"-\")";
            return false;
        }
        SetInitialTokens(*target.place, *v);
        return true;
    }
    TTransition& t = *target.transition;
    SetDelayOrSpeedText(t, text);
    int errors = 0;
    try {
        root.RegisterVariables();
        CheckTransitionFormulas(root, errors);
    } catch (const std::exception& e) {
        why = "\"" + t.functionText + "\": " + e.what();
        return false;
    }
    if (!t.formulaValid) why = "\"" + t.functionText + "\": " + t.formulaError;
    return t.formulaValid != 0;
}

void ApplyOverrideValue(const OverrideTarget& target, long double value) {
    if (target.place) {
        SetInitialTokens(*target.place, value);
    } else {
        SetDelayOrSpeedText(*target.transition, num::FormatGeneral(value, 15));
    }
}

} // namespace qz
