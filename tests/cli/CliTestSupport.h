#pragma once
// Running quenzor-cli in-process and reading what it wrote.
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "CliSupport.h"
#include "Files.h"
#include "NetBuilder.h"
#include "TempHome.h"
#include "model/storage/NetFile.h"

namespace qz::test {

struct CliRun {
    int code;
    std::string out, err;
};

inline CliRun Cli(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    const int code = cli::RunCli(args, out, err);
    return {code, out.str(), err.str()};
}

// A temporary home to save nets in.
class CliTest : public ::testing::Test {
protected:
    // Runs `command` with `args`, keeping what it wrote in out and err.
    int Run(std::vector<std::string> args) {
        args.insert(args.begin(), command);
        const CliRun r = Cli(args);
        out = r.out;
        err = r.err;
        return r.code;
    }
    // The bundled examples and their library in the home.
    void CopyExamples() {
        std::filesystem::copy(std::filesystem::path(QZ_SOURCE_DIR) / "examples", home.Path(),
                              std::filesystem::copy_options::recursive);
        ASSERT_EQ(Cli({"library", "--rebuild"}).code, cli::kExitOk);
    }
    std::string Save(TPNObjekt& net, const std::string& name) {
        const std::string path = home.PathOf(name);
        EXPECT_TRUE(SaveNetFile(net, path));
        return path;
    }
    // A source puts a token on P every time unit; TA (to A) and TC (to C)
    // compete for it.
    std::string ConflictNet() {
        TPNObjekt net;
        NetBuilder b(net);
        TPlatz* p = b.Place("P", 0);
        b.Arc(b.Trans("Src", "1"), p);
        for (const char* name : {"A", "C"}) {
            TTransition* t = b.Trans(std::string("T") + name, "0");
            b.Arc(p, t);
            b.Arc(t, b.Place(name, 0));
        }
        return Save(net, "conflict.pn");
    }

    TempHome home;
    std::string command, out, err;
};

} // namespace qz::test
