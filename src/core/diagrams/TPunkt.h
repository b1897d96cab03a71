#pragma once
#include <cstdint>

namespace qz::diagrams {

// One sample of a trace: model time and marking, linked into its list.
struct TPunkt {
    long double x = 0;
    long double y = 0;
    TPunkt* next = nullptr;
    TPunkt* previous = nullptr;
    std::int32_t index = 0;
};

} // namespace qz::diagrams
