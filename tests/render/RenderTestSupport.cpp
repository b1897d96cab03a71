#include "RenderTestSupport.h"

#include <array>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

namespace qz::test {

std::filesystem::path FreshDirectory(const std::string& name) {
    const auto dir = std::filesystem::temp_directory_path() /
                     ("quenzor-render-" + name + "-" + std::to_string(::getpid()));
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir;
}

int RunTool(const std::string& command, std::string* output) {
    FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
    if (!pipe) return -1;
    std::array<char, 4096> buffer{};
    std::string text;
    std::size_t n;
    while ((n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0) text.append(buffer.data(), n);
    const int status = ::pclose(pipe);
    if (output) *output = text;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool ToolAvailable(const std::string& tool) { return RunTool("command -v " + tool) == 0; }

std::string ReadText(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

int CountOf(const std::string& hay, const std::string& needle) {
    int n = 0;
    for (std::size_t pos = hay.find(needle); pos != std::string::npos; pos = hay.find(needle, pos + 1)) ++n;
    return n;
}

} // namespace qz::test

namespace qz::test {

void BuildExample(const std::string& name, TPNObjekt& root) {
    if (name == "kinds") examples::BuildElementKinds(root);
    if (name == "hybrid") examples::BuildHybrid(root);
    if (name == "producer") examples::BuildProducerConsumer(root);
    if (name == "plant") examples::BuildPlant(root);
}

} // namespace qz::test
