#pragma once
// Reading files through xmllint, which shares nothing with the importer.
#include <string>

#include "Files.h"

namespace qz::test {

// What libxml2 reads at `xpath` (given in double quotes to the shell).
inline std::string Xmllint(const std::string& file, const std::string& xpath) {
    std::string text;
    RunTool("xmllint --xpath \"" + xpath + "\" '" + file + "'", &text);
    if (!text.empty() && text.back() == '\n') text.pop_back();
    return text;
}

} // namespace qz::test
