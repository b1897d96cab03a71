// The double thresholds must decide every arc condition exactly as the
// extended-precision comparison does, at the threshold and far from it.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "simulation/EnablingThresholds.h"

namespace qz {
namespace {

constexpr long double kEps = 1E-9L;
constexpr double kInf = std::numeric_limits<double>::infinity();

std::vector<long double> Weights() {
    std::vector<long double> w = {0.0L, -0.0L, 1.0L, 2.0L, 0.5L, 1E-9L, 2E-9L, 5E-10L, -1E-9L,
                                  1.0L + 1E-12L, 1.0L - 1E-12L, 3.0L / 7.0L, 1E300L, -1E300L,
                                  1E-300L, 1E4000L, -1E4000L, 4E-10L, 1.0L / 3.0L, 123456789.0L,
                                  static_cast<long double>(std::numeric_limits<double>::max()),
                                  std::numeric_limits<double>::denorm_min()};
    std::mt19937_64 gen(42);
    std::uniform_real_distribution<long double> unit(-1, 1);
    std::uniform_int_distribution<int> exponent(-40, 40);
    for (int i = 0; i < 300; ++i) w.push_back(std::ldexp(unit(gen), exponent(gen)));
    return w;
}

// Probes: the threshold and its neighbours, plus markings nearby and far.
std::vector<double> Probes(double t, long double w) {
    std::vector<double> v = {0.0, -0.0, 1.0, -1.0, kInf, -kInf, std::nan(""),
                             static_cast<double>(w), std::nextafter(static_cast<double>(w), kInf),
                             std::nextafter(static_cast<double>(w), -kInf)};
    if (!std::isnan(t)) {
        double lo = t, hi = t;
        for (int i = 0; i < 3; ++i) {
            v.push_back(lo);
            v.push_back(hi);
            lo = std::nextafter(lo, -kInf);
            hi = std::nextafter(hi, kInf);
        }
    }
    return v;
}

TEST(EnablingThresholds, DecideEveryConditionAsTheExtendedComparison) {
    for (long double w : Weights()) {
        const double tokens = TokensThreshold(w);
        for (double v : Probes(tokens, w)) {
            const bool exact = w <= static_cast<long double>(v) + kEps;
            EXPECT_EQ(v >= tokens, exact) << "tokens w=" << static_cast<double>(w) << " v=" << v;
        }
        const double inhibitor = InhibitorThreshold(w);
        for (double v : Probes(inhibitor, w)) {
            const bool exact = static_cast<long double>(v) < w;
            EXPECT_EQ(v < inhibitor, exact) << "inhibitor w=" << static_cast<double>(w) << " v=" << v;
        }
        for (long double cap : {0.0L, 1.0L, 5.0L, 2.5L, 1E-9L, 1E300L, 7.0L / 3.0L}) {
            const double capacity = CapacityThreshold(cap, w);
            for (double v : Probes(capacity, w)) {
                const bool exact = cap >= static_cast<long double>(v) + w;
                EXPECT_EQ(v <= capacity, exact)
                    << "capacity " << static_cast<double>(cap) << " w=" << static_cast<double>(w) << " v=" << v;
            }
        }
    }
}

TEST(EnablingThresholds, NonFiniteWeightsHaveNoThreshold) {
    for (long double w : {static_cast<long double>(kInf), -static_cast<long double>(kInf),
                          std::numeric_limits<long double>::quiet_NaN()}) {
        EXPECT_TRUE(std::isnan(TokensThreshold(w)));
        EXPECT_TRUE(std::isnan(InhibitorThreshold(w)));
        EXPECT_TRUE(std::isnan(CapacityThreshold(3, w)));
    }
    EXPECT_TRUE(std::isnan(CapacityThreshold(static_cast<long double>(kInf), 1)));
}

} // namespace
} // namespace qz
