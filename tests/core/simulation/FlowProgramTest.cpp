#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <limits>
#include <memory>
#include <string>
#include <typeinfo>
#include <vector>

#include "FakePlatform.h"
#include "formula/Parser.h"
#include "simulation/FlowProgram.h"

// A FlowProgram runs copies of compiled formulas; every formula must give
// the bits (or the fault) its parser gives, on the variables' current values.

namespace qz::test {
namespace {

// What an evaluation gave: the value's bits, or the type of the fault.
std::string Outcome(const std::function<double()>& evaluate) {
    try {
        const double v = evaluate();
        std::uint64_t bits;
        std::memcpy(&bits, &v, sizeof bits);
        return std::to_string(bits);
    } catch (const std::exception& e) {
        return std::string("fault ") + typeid(e).name();
    }
}

const char* const kFormulas[] = {
    "A", "2.5", "-A", "A+B", "A-B", "A*B", "A/B", "A^2", "A^3", "A^4", "A^5", "A^-2", "A^B",
    "ADIVB", "AMODB", "SQRT(A)", "LN(A)", "EXP(A)", "SIN(A)*COS(B)", "MAX(A,B)-MIN(A,B)",
    "ABS(A)+HEAV(B)+SIGN(A)+ZERO(B)", "TRUNC(A)+PH(B)", "ARCTAN(A)+TAN(B)", "SINH(A)/COSH(B)",
    "SQR(A+1)", "((A+1)*(B-2)+SQR(A))/MAX(B,2^A)-A", "1/(A-1)", "A*1E308*10", "-(A+B)*(A-B)",
    // Products alone and with a sum or difference, evaluated without the records.
    "0.5*A+0.01", "A*B-1E308", "0.1-A*3", "2+B*A", "A*B+B", "1E308*A", "A*A-B",
};

const double kValues[] = {0.0, -0.0, 1.0, -1.0, 2.5, -3.75, 0.1, 1e-320, 1e308, -1e308, 7.0,
                          std::numeric_limits<double>::infinity(),
                          -std::numeric_limits<double>::infinity(),
                          std::numeric_limits<double>::quiet_NaN()};

TEST(FlowProgram, EveryFormulaShapeGivesTheParsersBitsAndFaults) {
    ScopedPlatform platform;
    std::vector<std::unique_ptr<TParser>> parsers;
    std::vector<const TCustomParser*> list;
    for (const char* text : kFormulas) {
        parsers.push_back(std::make_unique<TParser>());
        parsers.back()->SetExpression(text);
        list.push_back(parsers.back().get());
    }
    // Every parser has its own A and B; the program reads the same cells.
    FlowProgram program;
    program.Build(list);
    ASSERT_EQ(program.Size(), list.size());
    for (double a : kValues) {
        for (double b : kValues) {
            for (std::size_t k = 0; k < parsers.size(); ++k) {
                *parsers[k]->Variables()->Find("A") = a;
                *parsers[k]->Variables()->Find("B") = b;
                const std::string expected = Outcome([&] { return parsers[k]->Value(); });
                const std::string got = Outcome([&] { return program.Value(k); });
                ASSERT_EQ(got, expected) << kFormulas[k] << " with A=" << a << ", B=" << b;
            }
        }
    }
}

TEST(FlowProgram, ParsersWithoutAListGiveZeroAndConstantsAreCopied) {
    TParser empty, failed, number, variable;
    EXPECT_THROW(failed.SetExpression("A+"), std::exception);
    number.SetExpression("0.1");
    variable.SetExpression("X");
    FlowProgram program;
    program.Build({&empty, nullptr, &failed, &number, &variable});
    EXPECT_EQ(program.Value(0), 0.0);
    EXPECT_EQ(program.Value(1), 0.0);
    EXPECT_EQ(program.Value(2), 0.0);
    EXPECT_EQ(program.Value(3), 0.1);
    EXPECT_EQ(program.FirstVariable(3), nullptr) << "a number reads no variable";
    *variable.Variables()->Find("X") = 4.25;
    EXPECT_EQ(program.Value(4), 4.25) << "a single variable is read where it lives";
    EXPECT_EQ(program.FirstVariable(4), variable.Variables()->Find("X"));
    // The copy does not depend on the parser's own storage any more: the
    // number survives its parser's recompilation (the engine rebuilds after
    // such a change anyway, see listChanges).
    number.SetExpression("7");
    EXPECT_EQ(program.Value(3), 0.1);
}

TEST(FlowProgram, IntermediateResultsOfOneFormulaStayApartFromTheOthers) {
    // Two copies of one formula and a third one: the arena gives each its
    // own slots, so evaluating one leaves the others' results alone.
    TParser p, q, r;
    p.SetExpression("(X+1)*(X+2)");
    q.SetExpression("(X+1)*(X+2)");
    r.SetExpression("X*3");
    *p.Variables()->Find("X") = 1;
    *q.Variables()->Find("X") = 2;
    *r.Variables()->Find("X") = 5;
    FlowProgram program;
    program.Build({&p, &q, &r});
    EXPECT_EQ(program.Value(0), 6);
    EXPECT_EQ(program.Value(1), 12);
    EXPECT_EQ(program.Value(2), 15);
    EXPECT_EQ(program.Value(0), 6);
    EXPECT_EQ(p.Value(), 6) << "the parser itself is untouched";
}

TEST(FlowProgram, DestroyingAParserWithAListIsCounted) {
    auto p = std::make_unique<TParser>();
    const auto before = TCustomParser::listChanges.load();
    p->SetExpression("1+X");
    const auto compiled = TCustomParser::listChanges.load();
    EXPECT_GT(compiled, before);
    p.reset();
    EXPECT_GT(TCustomParser::listChanges.load(), compiled);
    auto idle = std::make_unique<TParser>();
    const auto idleBefore = TCustomParser::listChanges.load();
    idle.reset();
    EXPECT_EQ(TCustomParser::listChanges.load(), idleBefore) << "no list, nothing to notice";
}

} // namespace
} // namespace qz::test
