#include <gtest/gtest.h>

#include "EnsembleResults.h"

namespace qz::cli {
namespace {

TEST(EnsembleResults, QuantilesInterpolateBetweenTheClosestRanks) {
    const std::vector<double> four{1, 2, 3, 4}, one{7};
    const std::tuple<const std::vector<double>*, double, double> cases[] = {
        {&four, 0.5, 2.5}, {&four, 0.05, 1.15}, {&four, 0.95, 3.85}, {&four, 1, 4}, {&one, 0.95, 7},
    };
    for (const auto& [values, p, expected] : cases) EXPECT_DOUBLE_EQ(Quantile(*values, p), expected) << p;
}

TEST(EnsembleResults, StatisticsAlignRunsByTimeAndKeepTheLastSampleOfATime) {
    EnsembleLayout layout;
    layout.columns = {"P"};
    layout.points = {{}};
    layout.runs = 3;
    const std::vector<RunResult> runs{
        {0, "", {0, 1, 1, 2}, {5, 6, 7, 8}},
        {0, "", {0, 1}, {1, 3}},
        {1, "stopped\n", {0}, {100}},
    };
    EXPECT_EQ(StatisticsCsv(layout, runs),
              "time,place,count,errors,mean,sd,min,q5,q50,q95,max\n"
              "0,P,2,1,3,2.8284271247461903,1,1.2,3,4.8,5\n"
              "1,P,2,1,5,2.8284271247461903,3,3.2,5,6.8,7\n"
              "2,P,1,1,8,0,8,8,8,8,8\n");
    // Every truncation of a partial result is refused, none read past its end.
    const std::string whole = EncodePart(layout, 0, runs);
    EnsemblePart part;
    std::string why;
    ASSERT_TRUE(DecodePart({whole.begin(), whole.end()}, part, why)) << why;
    EXPECT_EQ(StatisticsCsv(part.layout, part.results), StatisticsCsv(layout, runs));
    for (std::size_t n = 0; n < whole.size(); ++n) {
        EXPECT_FALSE(DecodePart({whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(n)}, part, why)) << n;
    }
}

} // namespace
} // namespace qz::cli
