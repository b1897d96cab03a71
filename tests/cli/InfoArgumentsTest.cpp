// "--version" and "COMMAND --help": answered on standard output for every
// command, and nothing is written anywhere.
#include <gtest/gtest.h>

#include <filesystem>

#include "CliTestSupport.h"
#include "QuenzorVersion.h"

namespace qz::test {
namespace {

TEST(InfoArguments, EveryCommandAnswersHelpWithoutTouchingFiles) {
    TempHome home;
    const auto cwd = std::filesystem::current_path();
    const std::filesystem::path work = home.PathOf("work");
    std::filesystem::create_directory(work);
    std::filesystem::current_path(work);
    ASSERT_FALSE(cli::Registry().empty());
    for (const cli::Command& c : cli::Registry()) {
        for (const char* flag : {"--help", "-h"}) {
            const CliRun r = Cli({c.name, flag});
            EXPECT_EQ(r.code, cli::kExitOk) << c.name << ' ' << flag;
            EXPECT_EQ(r.out.rfind("Usage: quenzor-cli " + c.name + ' ', 0), 0u) << r.out;
        }
    }
    std::filesystem::current_path(cwd);
    EXPECT_TRUE(std::filesystem::is_empty(work)) << "a command wrote into the working directory";

    const CliRun version = Cli({"--version"});
    EXPECT_EQ(version.code, cli::kExitOk);
    EXPECT_EQ(version.out, std::string(kVersionText) + '\n');
    EXPECT_NE(Cli({"help"}).out.find("--version"), std::string::npos);
}

} // namespace
} // namespace qz::test
