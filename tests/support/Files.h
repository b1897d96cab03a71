#pragma once
// Reading what a test wrote and running outside tools on it.
#include <sys/wait.h>

#include <cstdio>
#include <string>

#include "common/FileSystem.h"

namespace qz::test {

inline std::string ReadAll(const std::string& path) {
    const auto data = fs::ReadFile(path);
    return data ? std::string(data->begin(), data->end()) : "<missing>";
}

// Runs a shell command; its exit status, with what it wrote to standard
// output and standard error in `output`.
inline int RunTool(const std::string& command, std::string* output = nullptr) {
    FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
    if (!pipe) return -1;
    std::string text;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) text.append(buffer, n);
    const int status = ::pclose(pipe);
    if (output) *output = text;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

inline bool ToolAvailable(const std::string& tool) { return RunTool("command -v " + tool) == 0; }

} // namespace qz::test
