#pragma once
// Reading files through xmllint, which shares nothing with the importer.
#include <cstdio>
#include <string>

namespace qz::test {

// What libxml2 reads at `xpath` (given in double quotes to the shell).
inline std::string Xmllint(const std::string& file, const std::string& xpath) {
    FILE* pipe = ::popen(("xmllint --xpath \"" + xpath + "\" '" + file + "' 2>&1").c_str(), "r");
    if (!pipe) return "<xmllint did not start>";
    std::string text;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) text.append(buffer, n);
    ::pclose(pipe);
    if (!text.empty() && text.back() == '\n') text.pop_back();
    return text;
}

} // namespace qz::test
