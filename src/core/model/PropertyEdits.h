#pragma once
#include <optional>
#include <string>
#include <string_view>

namespace qz {

class TPlatz;
class TTransition;

// The edits of the property window that other front ends (the command line's
// overrides) apply with the same checks.

// The "Initial Tokens" cell: only digits, "," and "-" can be typed there ("."
// turns into ","); an empty cell reads as 0. Returns the value, or nothing
// when the text could not have been typed or is no finite number.
std::optional<long double> InitialTokensFromText(std::string_view text);

// Saving "Initial Tokens": the initial marking is set and the marking becomes
// equal to it (rounded for a discrete place).
void SetInitialTokens(TPlatz& place, long double value);

// Saving the "Delay"/"Speed" cell: the text, trimmed ("1" when nothing is
// left), replaces the function text when it differs and shows the time
// label. A discrete delay below zero other than -1 is reported by the
// transition and stored as its absolute value.
void SetDelayOrSpeedText(TTransition& transition, const std::string& text);

} // namespace qz
