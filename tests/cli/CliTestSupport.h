#pragma once
// Running quenzor-cli in-process and reading what it wrote.
#include <sstream>
#include <string>
#include <vector>

#include "CliSupport.h"
#include "common/FileSystem.h"

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

inline std::string ReadAll(const std::string& path) {
    const auto data = fs::ReadFile(path);
    return data ? std::string(data->begin(), data->end()) : "<missing>";
}

} // namespace qz::test
