#include <gtest/gtest.h>

#include "CliTestSupport.h"

namespace qz::test {
namespace {

CliRun Eval(std::vector<std::string> args) {
    args.insert(args.begin(), "eval");
    return Cli(args);
}

TEST(EvalCommand, PrintsTheValueWithTheDecimalComma) {
    EXPECT_EQ(Eval({"PI"}).out, "3,14159265358979\n");
    const CliRun r = Eval({"2*m1+Time", "m1=1,25", "Time=0.5"});
    EXPECT_EQ(std::make_tuple(r.code, r.out, r.err),
              std::make_tuple(0, std::string("3\n"), std::string()));
    EXPECT_EQ(Eval({"m1", "M1=1", "m1=2"}).out, "1\n");  // the first entry wins
    EXPECT_EQ(Eval({"--", "-X^2", "X=3"}).out, "-9\n");
}

TEST(EvalCommand, ErrorsGoToStandardErrorWithExitCode2) {
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"1+"}, "Error parsing expression:\n1+\n"},
        {{"1/X", "X=0"}, "Floating point division by zero\n"},
        {{"X"}, "Error parsing expression:\nX\n"},  // the letters are not predefined here
    };
    for (const auto& [args, err] : cases) {
        const CliRun r = Eval(args);
        EXPECT_EQ(std::make_tuple(r.code, r.out, r.err), std::make_tuple(2, std::string(), err))
            << args[0];
    }
    for (const auto& args : std::vector<std::vector<std::string>>{
             {}, {"--"}, {"-X^2"}, {"X", "X"}, {"X", "=1"}, {"X", "X=abc"}, {"X", "X=1.5,2"},
             {"X", "X=1e400"}, {"X", "X=-1E309"}}) {
        const CliRun r = Eval(args);
        EXPECT_EQ(r.code, 2) << (args.empty() ? "" : args[0]);
        EXPECT_NE(r.err.find("Usage: quenzor-cli eval"), std::string::npos);
        EXPECT_EQ(r.out, "");
    }
}

} // namespace
} // namespace qz::test
