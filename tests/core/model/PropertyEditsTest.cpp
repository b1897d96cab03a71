#include <gtest/gtest.h>

#include "model/PropertyEdits.h"

namespace qz {
namespace {

TEST(PropertyEdits, InitialTokensTakeWhatTheCellLetsBeTyped) {
    const std::pair<std::string, std::optional<long double>> cases[] = {
        {"2.5", 2.5L}, {"2,5", 2.5L}, {"-3", -3.0L}, {"", 0.0L}, {"007", 7.0L},
        {"1e3", std::nullopt}, {" 1", std::nullopt}, {"1,2,3", std::nullopt}, {"--1", std::nullopt},
        {"abc", std::nullopt}, {std::string(5000, '9'), std::nullopt},
    };
    for (const auto& [text, value] : cases) EXPECT_EQ(InitialTokensFromText(text), value) << text;
}

} // namespace
} // namespace qz
