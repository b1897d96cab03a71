// Typed formulas with decimal commas: the commas become points, except the
// one that separates the arguments of MAX and MIN.
#include <gtest/gtest.h>

#include "formula/FormulaText.h"
#include "formula/Parser.h"

namespace qz {
namespace {

TEST(FormulaText, DecimalCommasBecomePointsAndArgumentSeparatorsStay) {
    const std::pair<const char*, const char*> cases[] = {
        {"2,5*m1", "2.5*m1"},
        {"MAX(1,2)", "MAX(1,2)"},
        {"min(m1,3)", "min(m1,3)"},
        {"MAX(1,5,2)", "MAX(1.5,2)"},
        {"MAX(0,5,1,25)", "MAX(0.5,1.25)"},
        {"MAX(m1,0,5)", "MAX(m1,0.5)"},
        {"MIN(MAX(0,5,m1),2,5)*1,5", "MIN(MAX(0.5,m1),2.5)*1.5"},
        {"SIN(1,5)+(2,5)", "SIN(1.5)+(2.5)"},
        {"MAX(1,2", "MAX(1,2"},
    };
    for (const auto& [typed, expected] : cases) EXPECT_EQ(FormulaTextOf(typed), expected) << typed;

    TParser p;
    p.SetExpression(FormulaTextOf("MIN(MAX(0,5,2),1,5)"));
    EXPECT_DOUBLE_EQ(p.Value(), 1.5);
}

} // namespace
} // namespace qz
