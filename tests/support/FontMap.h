#pragma once
#include <filesystem>

namespace qz::test {

// libwmf loads its fonts through a Ghostscript font map: writes one into
// `dir` that points the standard faces at the Liberation fonts (for
// wmf2svg --wmf-gs-fontmap).
std::filesystem::path WriteFontMap(const std::filesystem::path& dir);

} // namespace qz::test
