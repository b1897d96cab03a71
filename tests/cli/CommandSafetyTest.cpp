// quenzor-cli on special files, damaged nets and outputs that would replace
// the input: every case ends with a message and a failure status, and the
// user's files are as they were.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdlib>
#include <new>
#include <streambuf>

#include "NetBuilder.h"
#include "CliTestSupport.h"
#include "TempHome.h"
#include "model/storage/NetFile.h"

namespace qz::test {
namespace {

TEST(CommandSafety, NothingIsWrittenOverTheInputAndEveryFaultIsReported) {
    TempHome home;
    TPNObjekt root;
    NetBuilder b(root);
    b.Arc(b.Place("P", 1), b.Trans("T", "1"));
    const std::string net = home.PathOf("net.pn"), damaged = home.PathOf("damaged.pn");
    const std::string fifo = home.PathOf("fifo.pn"), csv = home.PathOf("out.csv");
    ASSERT_TRUE(SaveNetFile(root, net));
    const std::string bytes = ReadAll(net);
    ASSERT_TRUE(fs::WriteFileAtomically(damaged, bytes.substr(0, bytes.size() - 9)));
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string overInput = "is the net file read; give another file";
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"describe", net, "-o", net}, overInput},
        {{"simulate", net, "--trace", "P", "--csv", net}, overInput},
        {{"simulate", net, "--trace", "P", "--out", net}, overInput},
        {{"simulate", net, "--trace", "P", "--csv", csv, "--out", csv}, "--csv and --out name the same file"},
        {{"simulate", net, "--sample-time", "1e308", "--steps", "3"}, "would leave the range of numbers"},
        {{"describe", damaged}, "was read with errors (see above); nothing was done"},
        {{"describe", fifo}, "cannot read \"" + fifo + "\": it is no regular file"},
#ifdef QZ_HAVE_INTERCHANGE
        {{"convert", damaged, damaged}, "was read with errors"},
        {{"convert", fifo, home.PathOf("x.pn")}, "it is no regular file"},
#endif
    };
    for (const auto& [args, message] : cases) {
        const CliRun r = Cli(args);
        EXPECT_EQ(r.code, cli::kExitRefused) << args[0] << ' ' << message;
        EXPECT_NE(r.err.find(message), std::string::npos) << r.err;
        EXPECT_EQ(ReadAll(net), bytes);
        EXPECT_EQ(ReadAll(damaged), bytes.substr(0, bytes.size() - 9));
    }
    EXPECT_FALSE(fs::FileExists(csv));
}

TEST(CommandSafety, UnwritableOutputAndExhaustedMemoryEndWithTheirOwnMessageAndStatus) {
    struct FullDisk : std::streambuf {
        int overflow(int) override { return traits_type::eof(); }
    } full;
    std::ostream out(&full);
    std::ostringstream err;
    EXPECT_EQ(cli::RunCli({"eval", "1"}, out, err), cli::kExitFailure);
    EXPECT_EQ(err.str(), "quenzor-cli eval: cannot write to standard output\n");
    const int status = std::system((std::string(QZ_CLI_PATH) + " eval 1 >/dev/full 2>/dev/null").c_str());
    EXPECT_EQ(WEXITSTATUS(status), cli::kExitFailure);

    cli::Registrar hungry(cli::Command{"hungry", "", "", [](const auto&, auto&, auto&) -> int {
                                           throw std::bad_alloc();
                                       }});
    const CliRun r = Cli({"hungry"});
    cli::Registry().pop_back();
    EXPECT_EQ(r.code, cli::kExitNoMemory);
    EXPECT_EQ(r.err, "quenzor-cli hungry: out of memory\n");
}

} // namespace
} // namespace qz::test
