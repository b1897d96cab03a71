#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "CliSupport.h"

namespace {

struct EvalRun {
    int code;
    std::string out;
    std::string err;
};

EvalRun Eval(std::vector<std::string> args) {
    args.insert(args.begin(), "eval");
    std::ostringstream out, err;
    const int code = qz::cli::RunCli(args, out, err);
    return {code, out.str(), err.str()};
}

TEST(EvalCommand, PrintsTheValueWithTheDecimalComma) {
    EXPECT_EQ(Eval({"2+3*4"}).out, "14\n");
    EXPECT_EQ(Eval({"PI"}).out, "3,14159265358979\n");
    EvalRun r = Eval({"2*m1+Time", "m1=1,25", "Time=0.5"});
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out, "3\n");
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(Eval({"m1", "M1=1", "m1=2"}).out, "1\n");  // the first entry wins
    EXPECT_EQ(Eval({"--", "-X^2", "X=3"}).out, "-9\n");
    EXPECT_EQ(Eval({"1/3"}).out, "0,333333333333333\n");
}

TEST(EvalCommand, ErrorsGoToStandardErrorWithExitCode2) {
    EvalRun r = Eval({"1+"});
    EXPECT_EQ(r.code, 2);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "Error parsing expression:\n1+\n");
    r = Eval({"1/X", "X=0"});
    EXPECT_EQ(r.code, 2);
    EXPECT_EQ(r.err, "Floating point division by zero\n");
    r = Eval({"X"});  // the letters are not predefined here
    EXPECT_EQ(r.code, 2);
}

TEST(EvalCommand, BadUsage) {
    for (const auto& args : std::vector<std::vector<std::string>>{
             {}, {"--"}, {"-X^2"}, {"X", "X"}, {"X", "=1"}, {"X", "X=abc"}, {"X", "X=1.5,2"}}) {
        EvalRun r = Eval(args);
        EXPECT_EQ(r.code, 2) << (args.empty() ? "" : args[0]);
        EXPECT_NE(r.err.find("Usage: quenzor-cli eval"), std::string::npos);
        EXPECT_EQ(r.out, "");
    }
}

} // namespace
