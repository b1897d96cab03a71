#include "RenderTestSupport.h"

#include <fstream>

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
