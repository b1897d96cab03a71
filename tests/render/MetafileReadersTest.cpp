// The metafiles Quenzor writes must open in programs that share no code with
// it: emf2svg reads ".emf", libwmf's wmf2svg reads ".wmf". Their SVG output
// must show every circle and every text run the net draws.
#include <gtest/gtest.h>

#include <fstream>

#include "FakePlatform.h"
#include "NetPicture.h"
#include "RecordingCanvas.h"
#include "RenderTestSupport.h"
#include "model/TNetList.h"
#include "model/TPlatz.h"

namespace qz::test {
namespace {

struct Expected {
    std::size_t ellipses = 0;
    std::size_t texts = 0;
    std::vector<std::string> placeNames;
};

// What the net draws, counted on the recording canvas.
Expected CountDrawing(TNetList& net) {
    RecordingCanvas rec;
    render::DrawNetElements(rec, net, false);
    Expected e;
    e.ellipses = rec.Count("Ellipse");
    for (const std::string& t : rec.Texts()) {
        if (!t.empty()) ++e.texts;
    }
    for (TGraphItem* el : net.Elements()) {
        if (el->Kind() == kind::Place) e.placeNames.push_back(static_cast<TPlatz*>(el)->name);
    }
    return e;
}

// libwmf loads its fonts through a Ghostscript font map; point the standard
// faces at the Liberation fonts.
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

class MetafileReaders : public ::testing::TestWithParam<const char*> {
protected:
    ScopedPlatform platform;
    ScopedTankLibrary library;
    BuiltNet net;
    std::filesystem::path dir = FreshDirectory(std::string("readers-") + GetParam());
    void SetUp() override { BuildExample(GetParam(), *net.root); }
    void TearDown() override { std::filesystem::remove_all(dir); }

    void ExpectPicture(const std::string& svg, const Expected& e) {
        EXPECT_EQ(std::size_t(CountOf(svg, "<ellipse")), e.ellipses);
        EXPECT_EQ(std::size_t(CountOf(svg, "<text")), e.texts);
        for (const std::string& name : e.placeNames) {
            const bool found = svg.find(">" + name + "<") != std::string::npos ||
                               svg.find("[CDATA[" + name + "]]") != std::string::npos;
            EXPECT_TRUE(found) << "place name " << name;
        }
    }
};

TEST_P(MetafileReaders, EmfOpensInEmf2svg) {
    if (!ToolAvailable("emf2svg-conv")) GTEST_SKIP() << "emf2svg-conv is not installed (Debian package emf2svg)";
    const auto emf = dir / "net.emf", svg = dir / "emf.svg";
    std::string error, output;
    ASSERT_TRUE(render::ExportNetPicture(net.root->Net(), emf.string(), 1, &error)) << error;
    ASSERT_EQ(RunTool("emf2svg-conv -i " + emf.string() + " -o " + svg.string(), &output), 0) << output;
    ExpectPicture(ReadText(svg), CountDrawing(net.root->Net()));
}

TEST_P(MetafileReaders, WmfOpensInWmf2svg) {
    if (!ToolAvailable("wmf2svg")) GTEST_SKIP() << "wmf2svg is not installed (Debian package libwmf-bin)";
    const auto wmf = dir / "net.wmf", svg = dir / "wmf.svg";
    std::string error, output;
    ASSERT_TRUE(render::ExportNetPicture(net.root->Net(), wmf.string(), 1, &error)) << error;
    const std::string command = "wmf2svg --wmf-gs-fontmap=" + WriteFontMap(dir).string() + " -o " +
                                svg.string() + " " + wmf.string();
    ASSERT_EQ(RunTool(command, &output), 0) << output;
    EXPECT_EQ(output.find("ERROR"), std::string::npos) << output;
    ExpectPicture(ReadText(svg), CountDrawing(net.root->Net()));
}

INSTANTIATE_TEST_SUITE_P(Examples, MetafileReaders,
                         ::testing::Values("kinds", "hybrid", "producer", "plant"));

} // namespace
} // namespace qz::test
