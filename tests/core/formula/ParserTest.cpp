#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <type_traits>

#include "formula/Parser.h"
#include "FakePlatform.h"

namespace qz {
namespace {

double Eval(const std::string& text, double x = 0) {
    TParser p;
    *p.Variables()->Find("X") = x;
    p.SetExpression(text);
    return p.Value();
}

// What `run` throws as the error type E, for `text`.
template <class E, class F>
std::string Fault(const std::string& text, F run) {
    try {
        run();
    } catch (const E& e) {
        return e.what();
    } catch (const std::exception& e) {
        ADD_FAILURE() << text << ": unexpected error " << e.what();
        return {};
    }
    ADD_FAILURE() << text << ": no fault";
    return {};
}

// Compiles `text` expecting the error type E and returns its message; the
// parser is left without a list, evaluating to 0.
template <class E>
std::string CompileError(const std::string& text) {
    TParser p;
    const std::string what = Fault<E>(text, [&] { p.SetExpression(text); });
    EXPECT_FALSE(p.HasCompiledList()) << text;
    EXPECT_EQ(p.Value(), 0.0) << text;
    return what;
}

template <class E>
std::string EvalError(const std::string& text, double x = 0) {
    return Fault<E>(text, [&] { Eval(text, x); });
}

// Rows of {formula, X, value}, checked exactly.
struct Row {
    const char* text;
    double x, value;
};
void ExpectValues(std::initializer_list<Row> rows) {
    for (const Row& r : rows) EXPECT_EQ(Eval(r.text, r.x), r.value) << r.text << " at X = " << r.x;
}

// Every row evaluates to the fault E with the message `text`.
template <class E>
void ExpectFaults(const char* text, std::initializer_list<std::pair<const char*, double>> rows) {
    for (const auto& [formula, x] : rows) {
        EXPECT_EQ(EvalError<E>(formula, x), text) << formula << " at X = " << x;
    }
}

void ExpectSyntaxErrors(std::initializer_list<const char*> texts) {
    for (const char* text : texts) EXPECT_NE(CompileError<ESyntaxError>(text), "") << text;
}

std::string Repeat(const std::string& head, const std::string& sep, int n) {
    std::string s = head;
    for (int i = 1; i < n; ++i) s += sep + head;
    return s;
}

TEST(Parser, PrecedenceAndGrouping) {
    ExpectValues({
        {"2+3*4", 0, 14}, {"(2+3)*4", 0, 20}, {"10-4-3", 0, 3}, {"10-4+3", 0, 9}, {"2-3*4+5", 0, -5},
        {"24/4/2", 0, 3}, {"24/4*2", 0, 12}, {"2*3^2", 0, 18}, {"((((7))))", 0, 7}, {"-X*2", 3, -6},
        {"2*-3", 0, -6}, {"1E-1-1", 0, -0.9}, {"2E+1*2", 0, 40}, {"-(2+3)", 0, -5}
    });
    // Unary minus takes only a variable, bracket, function or power.
    ExpectSyntaxErrors({"2*-X", "X+-X"});
}

TEST(Parser, PowerRules) {
    ExpectValues({
        {"2^3^2", 0, 64}, {"2^(3^2)", 0, 512}, {"-X^2", 3, -9}, {"-2^2", 0, -4}, {"X^3", -2, -8},
        {"X^4", 3, 81}, {"X^5", 2, 32}, {"X^-2", 2, 0.25}, {"X^0", 0, 1}, {"X^(1+2)", 2, 8},
        {"X^(1-2)", 4, 0.25}, {"(X-X)^X", 2, 0}, {"X^(X-X)", -3, 1}
    });
    EXPECT_DOUBLE_EQ(Eval("X^0.5", 2), std::sqrt(2.0));
    ExpectSyntaxErrors({"A^B^C"});

    TParser p;
    p.SetExpression("A^2^B");  // (A^2)^B
    *p.Variables()->Find("A") = 3;
    *p.Variables()->Find("B") = 3;
    EXPECT_EQ(p.Value(), 729);
    p.SetExpression("X^2");
    EXPECT_EQ(p.OperationCount(), 1);
    p.SetExpression("X^2^2");
    EXPECT_EQ(p.OperationCount(), 2);
}

TEST(Parser, DivAndMod) {
    ExpectValues({
        {"7DIV2", 0, 3}, {"-7DIV2", 0, -3}, {"7MOD2", 0, 1}, {"-7MOD2", 0, -1}, {"7MOD-2", 0, 1},
        {"7.9DIV2", 0, 3}, {"7div2*2", 0, 6}, {"2147483647DIV-1", 0, -2147483647}, {"7MOD+3*2", 0, 2},
        {"7DIV-2+1", 0, -2}
    });
    ExpectFaults<EDivByZero>("Division by zero", {{"5DIV0.5", 0}, {"5MODX", 0.9}});
    ExpectFaults<EIntOverflow>("Parser internal integer overflow",
                               {{"XDIV2", 2147483648.0}, {"2MODX", -3e9}});
    ExpectFaults<EInvalidOp>("Invalid floating point operation", {{"(X/X*0+SQRT(-1+X*0))DIV2", 1}});
}

TEST(Parser, EvaluationFaults) {
    // X^(X-1) is 0^-1 at run time.
    ExpectFaults<EZeroDivide>("Floating point division by zero",
                              {{"1/X", 0}, {"LN(X)", 0}, {"X^-1", 0}, {"X^(X-1)", 0}});
    ExpectFaults<EInvalidOp>("Invalid floating point operation",
                             {{"X/X", 0}, {"LN(X)", -1}, {"SQRT(X)", -1}, {"X^0.5", -4}});
    ExpectFaults<EOverflow>("Floating point overflow",
                            {{"EXP(X)", 1000}, {"X*X", 1e200}, {"X^2", 1e200}, {"X^7", 1e100},
                             {"SINH(X)", 1000}, {"COSH(X)", -12000}, {"X^1.5", 1e300}});
    EXPECT_EQ(Eval("SQRT(-X)"), 0);
    // Faults are classes of their own, not compile errors.
    static_assert(std::is_base_of_v<EArithmeticError, EZeroDivide> && !std::is_base_of_v<EMathParserError, EZeroDivide>);
    // Values already infinite pass through.
    TParser p;
    p.SetExpression("X+1");
    *p.Variables()->Find("X") = INFINITY;
    EXPECT_EQ(p.Value(), INFINITY);
}

TEST(Parser, Functions) {
    ExpectValues({
        {"PI", 0, 3.141592653589793}, {"-PI", 0, -3.141592653589793},
        {"SQR(-3)", 0, 9}, {"SQRT(16)", 0, 4}, {"ABS(-2.5)", 0, 2.5}, {"HEAV(0)", 0, 1},
        {"HEAV(-0.1)", 0, 0}, {"SIGN(0)", 0, 0}, {"SIGN(-3)", 0, -1}, {"ZERO(0.5)", 0, 1},
        {"ZERO(0)", 0, 0}, {"TRUNC(-2.7)", 0, -2}, {"MAX(1,2)", 0, 2}, {"MIN(2,2)", 0, 2},
        {"MAX(MIN(1,2),-(3))", 0, 1}, {"MAX((1),2*3)", 0, 6}
    });
    for (const Row& r : {Row{"sin(pi)", 0, 0}, Row{"COS(PI)", 0, -1}, Row{"TAN(PI/4)", 0, 1},
                         Row{"ARCTAN(1)*4", 0, 3.141592653589793}, Row{"SINH(1)", 0, std::sinh(1.0)},
                         Row{"COSH(1)", 0, std::cosh(1.0)}, Row{"LN(EXP(2))", 0, 2}}) {
        EXPECT_NEAR(Eval(r.text), r.value, 1e-15) << r.text;
    }
    // PH: q = x / (2/pi), (q - round(q)) * 2pi.
    EXPECT_NEAR(Eval("PH(X)", 0.63661977236758134 * 1.25), 0.25 * 6.2831853071795865, 1e-12);
    EXPECT_NEAR(Eval("PH(X)", 0.63661977236758134 * -3.75), 0.25 * 6.2831853071795865, 1e-12);
    ExpectSyntaxErrors({"SINH2(1)", "COT(1)", "MAX(1)"});
}

TEST(Parser, RndScalesByRoundedArgument) {
    test::ScopedPlatform platform;
    platform.random.QueueNext01(0.25);
    platform.random.QueueNext01(0.25);
    EXPECT_EQ(Eval("RND(X)", 4.4), 1);
    EXPECT_EQ(Eval("RND(X)", 2.5), 0.5);  // round(2.5) = 2
}

TEST(Parser, ListShape) {
    TParser p;
    p.SetExpression("x");
    EXPECT_TRUE(p.HasCompiledList());
    EXPECT_EQ(p.OperationCount(), 0);
    *p.Variables()->Find("X") = 5;
    EXPECT_EQ(p.Value(), 5);  // reads the variable at every evaluation
    p.SetExpression("  1.5  ");
    EXPECT_EQ(p.OperationCount(), 0);
    EXPECT_EQ(p.Value(), 1.5);
    EXPECT_EQ(p.Expression(), "  1.5  ");
    p.SetExpression("(A+B)*(C-D)/E");
    EXPECT_EQ(p.OperationCount(), 4);
    p.SetExpression("");
    EXPECT_FALSE(p.HasCompiledList());
    EXPECT_EQ(p.Value(), 0);
    EXPECT_THROW(p.SetExpression("A+"), ESyntaxError);
    EXPECT_EQ(p.Expression(), "A+");
}

TEST(Parser, CompileErrorMessages) {
    EXPECT_EQ(CompileError<EExpressionHasBlanks>(" 1 + 2 "), "Expression has blanks");
    EXPECT_EQ(CompileError<EMissMatchingBracket>("((1)"), "Missing brackets in expression");
    EXPECT_EQ(CompileError<ESyntaxError>("1+"), "Error parsing expression:\r1+");
    EXPECT_EQ(CompileError<ESyntaxError>(")1("), "Error parsing expression:\r)1(");
    EXPECT_EQ(CompileError<ESyntaxError>("max(1,2+)"), "Error parsing expression:\r1\r2+");
    EXPECT_EQ(CompileError<ESyntaxError>("   "), "Error parsing expression:\r");
    EXPECT_EQ(CompileError<ESyntaxError>("SIN(1)+COT(2)"), "Error parsing expression:\rSIN(1)+COT(2)");
}

// A full binary tree of products whose level 6 holds `sums` sums and the
// rest plain variables.
std::string Tree(int level, int& sums) {
    if (level == 6) {
        if (sums > 0) {
            --sums;
            return "(X+X)";
        }
        return "X";
    }
    std::string left = Tree(level + 1, sums);
    return "(" + left + "*" + Tree(level + 1, sums) + ")";
}

TEST(Parser, Limits) {
    // 20 operators of one precedence nest 20 levels deep; the operands of the
    // deepest lie on level 20.
    EXPECT_EQ(Eval(Repeat("1", "+", 21)), 21);
    EXPECT_EQ(Eval(Repeat("X", "-", 21), 1), -19);
    EXPECT_EQ(CompileError<ETooManyNestings>(Repeat("1", "+", 22)),
              "Expression contains too many nestings");
    for (const char* op : {"-", "*"}) {
        EXPECT_NE(CompileError<ETooManyNestings>(Repeat("X", op, 22)), "") << op;
    }
    std::string calls = "X";
    for (int i = 0; i < 20; ++i) calls = "SIN(" + calls + ")";
    EXPECT_NO_THROW(Eval(calls));
    EXPECT_EQ(CompileError<ETooManyNestings>("ABS(" + calls + ")"),
              "Expression contains too many nestings");
    // Redundant brackets cost no level.
    EXPECT_EQ(Eval(std::string(500, '(') + Repeat("1", "+", 21) + std::string(500, ')')), 21);

    int sums = 50;
    TParser p;
    p.SetExpression(Tree(0, sums));
    EXPECT_EQ(p.OperationCount(), 63 + 50);
    sums = 51;
    EXPECT_EQ(CompileError<EExpressionTooComplex>(Tree(0, sums)), "Expression is too complex");
}

TEST(Parser, EvaluationOrderIsDeepestLevelFirst) {
    // Results of earlier records feed later ones; a mixed tree checks that
    // every operand is computed before it is read.
    TParser p;
    p.SetExpression("((A+1)*(B-2)+SQR(C))/MAX(D,2^E)-X");
    auto set = [&](const char* n, double v) { *p.Variables()->Find(n) = v; };
    set("A", 1), set("B", 5), set("C", 3), set("D", 1), set("E", 3), set("X", 0.5);
    EXPECT_EQ(p.Value(), (2.0 * 3 + 9) / 8 - 0.5);
    set("D", 30);
    EXPECT_EQ(p.Value(), 15.0 / 30 - 0.5);
}

TEST(Parser, SharedVariableTable) {
    double m1 = 2, time = 10, shadow = 99;
    TVariableTable table;
    table.Add("m1", &m1);
    table.Add("Time", &time);
    table.Add("M1", &shadow);  // shadowed by the first entry
    EXPECT_FALSE(table.AddUnique("TIME", &shadow));

    TParser a, b;
    a.SetVariables(&table);
    b.SetVariables(&table);
    a.SetExpression("2*m1+time");
    b.SetExpression("M1*TIME");
    EXPECT_EQ(a.Value(), 14);
    m1 = 3;
    EXPECT_EQ(a.Value(), 16);
    EXPECT_EQ(b.Value(), 30);
    // The predefined letters are not visible through a shared table.
    EXPECT_THROW(a.SetExpression("X+m1"), ESyntaxError);
    a.SetVariables(nullptr);
    EXPECT_NE(a.Variables()->Find("x"), nullptr);
    EXPECT_THROW(a.SetExpression("m1"), ESyntaxError);
    // Clearing empties the list in use and the expression, not the doubles.
    b.ClearVariables();
    EXPECT_EQ(table.Count(), 0u);
    EXPECT_FALSE(b.HasCompiledList());
    EXPECT_EQ(b.Expression(), "");
    EXPECT_EQ(m1, 3);
    a.ClearVariables();
    EXPECT_THROW(a.SetExpression("X"), ESyntaxError);
}

TEST(Parser, DecimalPointFlag) {
    TParser p;
    p.SetExpression("1.5*2");
    EXPECT_EQ(p.Value(), 3);
    EXPECT_THROW(p.SetExpression("1,5*2"), ESyntaxError);
    p.decimalPointFlag = false;
    p.SetExpression("1,5*2");
    EXPECT_EQ(p.Value(), 3);
    EXPECT_THROW(p.SetExpression("1.5*2"), ESyntaxError);
    p.SetExpression("MAX(1,5,2)");  // the first comma that leaves two numbers
    EXPECT_EQ(p.Value(), 5.2);
}

TEST(Parser, NumbersAndNames) {
    ExpectValues({
        {"+5", 0, 5}, {".5+5.", 0, 5.5}, {"1e3", 0, 1000}, {"1E-400", 0, 0}, {"e+x", 1, 1},
        {"PI-PI", 0, 0}, {"5.-3*-2", 0, 11}
    });
    ExpectSyntaxErrors({"1E400", "1..2", "2E", "()", "(1)(2)", "1)+(2"});
    EXPECT_DOUBLE_EQ(Eval("E-1E-1-X*2E-1", 1), -0.3);
    // Names may hold operator characters; the whole name is tried first.
    double ab = 4, a = 1;
    TVariableTable table;
    table.Add("a-b", &ab);
    table.Add("a", &a);
    TParser p;
    p.SetVariables(&table);
    p.SetExpression("A-B*2");
    EXPECT_EQ(p.Value(), 8);
    p.SetExpression("a-b-a");
    EXPECT_EQ(p.Value(), 3);
}

} // namespace
} // namespace qz
