#include "model/PropertyEdits.h"

#include <cmath>

#include "common/NumberFormat.h"
#include "model/TPlatz.h"
#include "model/TSchriftObjekt.h"
#include "model/TTransition.h"

namespace qz {

std::optional<long double> InitialTokensFromText(std::string_view text) {
    std::string typed;
    for (char c : text) {
        if (c == '.') c = num::kDecimalSeparator;
        if ((c < '0' || c > '9') && c != num::kDecimalSeparator && c != '-') return std::nullopt;
        typed += c;
    }
    if (typed.empty()) return 0.0L;
    const std::optional<long double> v = num::ParseNumber(typed);
    if (!v || !std::isfinite(static_cast<double>(*v))) return std::nullopt;
    return v;
}

void SetInitialTokens(TPlatz& place, long double value) {
    place.SetInitialMarking(value);
    place.SetMarking(static_cast<double>(value));
}

void SetDelayOrSpeedText(TTransition& transition, const std::string& text) {
    const std::size_t first = text.find_first_not_of(' ');
    std::string cell = first == std::string::npos
                           ? std::string("1")
                           : text.substr(first, text.find_last_not_of(' ') - first + 1);
    if (cell == transition.functionText) return;
    transition.SetFunctionText(cell);
    transition.valueLabel->visible = 1;
    if (!transition.continuous && !transition.isExpression && transition.value < 0 &&
        transition.value != -1) {
        transition.SetFunctionText(num::FormatGeneral(-transition.value, 15));
    }
}

} // namespace qz
