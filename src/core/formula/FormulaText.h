#pragma once
#include <string>
#include <string_view>

namespace qz {

// A formula as typed, with decimal commas, turned into the text the parser
// reads: every comma becomes a decimal point except the one that separates
// the two arguments of a two-argument function (MAX, MIN). Inside such a
// call the separator is its only comma, or else the first comma that does
// not stand inside a number, or else the middle one ("MAX(0,5,1)" is
// MAX(0.5,1)).
std::string FormulaTextOf(std::string_view typed);

} // namespace qz
