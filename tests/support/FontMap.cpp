#include "FontMap.h"

#include <fstream>
#include <string>
#include <utility>

namespace qz::test {

std::filesystem::path WriteFontMap(const std::filesystem::path& dir) {
    const std::string l = "/usr/share/fonts/truetype/liberation/";
    const std::pair<const char*, const char*> faces[] = {
        {"Helvetica", "LiberationSans-Regular"},        {"Helvetica-Oblique", "LiberationSans-Italic"},
        {"Helvetica-Bold", "LiberationSans-Bold"},      {"Helvetica-BoldOblique", "LiberationSans-BoldItalic"},
        {"Times-Roman", "LiberationSerif-Regular"},     {"Times-Italic", "LiberationSerif-Italic"},
        {"Times-Bold", "LiberationSerif-Bold"},         {"Times-BoldItalic", "LiberationSerif-BoldItalic"},
        {"Courier", "LiberationMono-Regular"},          {"Courier-Oblique", "LiberationMono-Italic"},
        {"Courier-Bold", "LiberationMono-Bold"},        {"Courier-BoldOblique", "LiberationMono-BoldItalic"},
        {"Symbol", "LiberationSans-Regular"},           {"ZapfDingbats", "LiberationSans-Regular"}};
    const auto path = dir / "Fontmap";
    std::ofstream out(path);
    for (const auto& [face, file] : faces) out << '/' << face << " (" << l << file << ".ttf) ;\n";
    return path;
}

} // namespace qz::test
