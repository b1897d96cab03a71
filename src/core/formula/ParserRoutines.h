#pragma once
#include "formula/Parser.h"

namespace qz {

// The evaluation routine of an operation kind other than the functions
// (kinds 15 and 16 take the routine registered under the function's name).
TEvalRoutine RoutineForKind(TOperationKind kind);

} // namespace qz
