#include "simulation/EnablingThresholds.h"

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>

namespace qz {

namespace {

constexpr long double kEpsilon = 1E-9L;

// Doubles other than NaN in their numeric order as integers (-0 and +0 share
// a key).
std::int64_t Key(double v) {
    const auto bits = std::bit_cast<std::int64_t>(v);
    return bits < 0 ? -(bits & std::numeric_limits<std::int64_t>::max()) : bits;
}

double FromKey(std::int64_t k) {
    if (k >= 0) return std::bit_cast<double>(k);
    return std::bit_cast<double>((-k) | std::numeric_limits<std::int64_t>::min());
}

constexpr std::int64_t kLowest = -0x7FF0000000000000LL; // -infinity
constexpr std::int64_t kHighest = 0x7FF0000000000000LL; // +infinity

// Distances between keys span up to twice the int64 range.
std::uint64_t Distance(std::int64_t from, std::int64_t to) {
    return static_cast<std::uint64_t>(to) - static_cast<std::uint64_t>(from);
}

// The smallest double at which the monotone predicate `holds` becomes true,
// searched outward from `guess` and then by bisection (a few steps when the
// guess is close). NaN when it holds nowhere.
template <class Pred>
double FirstHolding(double guess, Pred holds) {
    if (!holds(FromKey(kHighest))) return std::numeric_limits<double>::quiet_NaN();
    if (holds(FromKey(kLowest))) return -std::numeric_limits<double>::infinity();
    const std::int64_t start = std::isnan(guess) ? 0 : Key(guess);
    std::int64_t lo, hi; // holds(lo) false, holds(hi) true
    if (holds(FromKey(start))) {
        hi = start;
        std::uint64_t step = 1;
        for (;;) {
            const std::int64_t probe =
                Distance(kLowest, hi) > step ? static_cast<std::int64_t>(static_cast<std::uint64_t>(hi) - step) : kLowest;
            if (!holds(FromKey(probe))) {
                lo = probe;
                break;
            }
            hi = probe;
            step *= 2;
        }
    } else {
        lo = start;
        std::uint64_t step = 1;
        for (;;) {
            const std::int64_t probe =
                Distance(lo, kHighest) > step ? static_cast<std::int64_t>(static_cast<std::uint64_t>(lo) + step) : kHighest;
            if (holds(FromKey(probe))) {
                hi = probe;
                break;
            }
            lo = probe;
            step *= 2;
        }
    }
    while (Distance(lo, hi) > 1) {
        const auto mid = static_cast<std::int64_t>(static_cast<std::uint64_t>(lo) + Distance(lo, hi) / 2);
        if (holds(FromKey(mid))) {
            hi = mid;
        } else {
            lo = mid;
        }
    }
    return FromKey(hi);
}

} // namespace

double TokensThreshold(long double w) {
    if (!std::isfinite(w)) return std::numeric_limits<double>::quiet_NaN();
    return FirstHolding(static_cast<double>(w - kEpsilon),
                        [w](double v) { return w <= static_cast<long double>(v) + kEpsilon; });
}

double InhibitorThreshold(long double w) {
    if (!std::isfinite(w)) return std::numeric_limits<double>::quiet_NaN();
    return FirstHolding(static_cast<double>(w),
                        [w](double v) { return !(static_cast<long double>(v) < w); });
}

double CapacityThreshold(long double capacity, long double w) {
    if (!std::isfinite(w) || !std::isfinite(capacity)) return std::numeric_limits<double>::quiet_NaN();
    const double firstFailing =
        FirstHolding(static_cast<double>(capacity - w),
                     [capacity, w](double v) { return !(capacity >= static_cast<long double>(v) + w); });
    if (std::isnan(firstFailing)) return std::numeric_limits<double>::infinity();
    return FromKey(Key(firstFailing) - 1);
}

} // namespace qz
