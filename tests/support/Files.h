#pragma once
// Reading what a test wrote and running outside tools on it.
#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <map>
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

// Every entry below a directory with its size and modification time, to
// show that nothing there was written.
inline std::map<std::string, std::string> TreeSnapshot(const std::string& dir) {
    std::map<std::string, std::string> entries;
    std::error_code ec;
    for (auto it = std::filesystem::recursive_directory_iterator(dir, ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
        struct stat st {};
        ::lstat(it->path().c_str(), &st);
        entries[it->path().string()] = std::to_string(st.st_size) + "@" + std::to_string(st.st_mtim.tv_sec) + "." +
                                       std::to_string(st.st_mtim.tv_nsec);
    }
    struct stat top {};
    ::lstat(dir.c_str(), &top);
    entries[dir] = std::to_string(top.st_mtim.tv_sec) + "." + std::to_string(top.st_mtim.tv_nsec);
    return entries;
}

inline bool ToolAvailable(const std::string& tool) { return RunTool("command -v " + tool) == 0; }

} // namespace qz::test
