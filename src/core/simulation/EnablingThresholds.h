#pragma once

namespace qz {

// The arc conditions of the enabling rule compare a marking (a double) with
// a weight or capacity held in extended precision. For finite weights each
// condition is monotone in the marking, so it holds exactly on one side of
// one double, found once when the weight changes; a step then compares
// doubles only. A NaN result means that no marking satisfies the condition;
// non-finite weights and capacities have no threshold (callers evaluate
// those conditions directly).

// The smallest marking v with w <= v + 1E-9 (inputs from places): the
// condition holds exactly when v >= the result.
double TokensThreshold(long double w);
// The smallest marking v with !(v < w) (inhibitor arcs): the condition
// holds exactly when v < the result.
double InhibitorThreshold(long double w);
// The largest marking v with capacity >= v + w (outputs into bounded
// places): the condition holds exactly when v <= the result.
double CapacityThreshold(long double capacity, long double w);

} // namespace qz
