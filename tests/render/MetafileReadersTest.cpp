// The metafiles Quenzor writes must open in programs that share no code with
// it: emf2svg reads ".emf", libwmf's wmf2svg reads ".wmf". Their SVG output
// must show every circle and every text run the net draws.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "FakePlatform.h"
#include "NetPicture.h"
#include "RecordingCanvas.h"
#include "RenderTestSupport.h"
#include "TempHome.h"
#include "model/TNetList.h"
#include "model/TPlatz.h"

namespace qz::test {
namespace {

class MetafileReaders : public ::testing::TestWithParam<const char*> {
protected:
    ScopedPlatform platform;
    ScopedTankLibrary library;
    BuiltNet net;
    TempHome home;
    std::filesystem::path dir = home.Path();
    void SetUp() override { BuildExample(GetParam(), *net.root); }

    std::string Svg() const { return (dir / "out.svg").string(); }
    // Exports the net as `file` and returns the SVG `command` makes of it.
    std::string ThroughReader(const std::string& file, const std::string& command) {
        std::string error, output;
        EXPECT_TRUE(render::ExportNetPicture(net.root->Net(), (dir / file).string(), 1, &error))
            << error;
        EXPECT_EQ(RunTool(command, &output), 0) << output;
        EXPECT_EQ(output.find("ERROR"), std::string::npos) << output;
        return ReadAll(Svg());
    }
    // Every circle, every text run and every place name the net draws (on
    // the recording canvas) is in the SVG.
    void ExpectPicture(const std::string& svg) {
        RecordingCanvas rec;
        render::DrawNetElements(rec, net.root->Net(), false);
        const std::vector<std::string> texts = rec.Texts();
        EXPECT_EQ(std::size_t(CountOf(svg, "<ellipse")), rec.Count("Ellipse"));
        EXPECT_EQ(CountOf(svg, "<text"),
                  std::count_if(texts.begin(), texts.end(), [](auto& t) { return !t.empty(); }));
        for (TGraphItem* el : net.root->Net().Elements()) {
            if (el->Kind() != kind::Place) continue;
            const std::string& name = static_cast<TPlatz*>(el)->name;
            const bool found = svg.find(">" + name + "<") != std::string::npos ||
                               svg.find("[CDATA[" + name + "]]") != std::string::npos;
            EXPECT_TRUE(found) << "place name " << name;
        }
    }
};

TEST_P(MetafileReaders, EmfOpensInEmf2svg) {
    if (!ToolAvailable("emf2svg-conv")) GTEST_SKIP() << "emf2svg-conv is not installed (Debian package emf2svg)";
    ExpectPicture(
        ThroughReader("net.emf", "emf2svg-conv -i " + (dir / "net.emf").string() + " -o " + Svg()));
}

TEST_P(MetafileReaders, WmfOpensInWmf2svg) {
    if (!ToolAvailable("wmf2svg")) GTEST_SKIP() << "wmf2svg is not installed (Debian package libwmf-bin)";
    ExpectPicture(ThroughReader("net.wmf", "wmf2svg --wmf-gs-fontmap=" + WriteFontMap(dir).string() +
                                               " -o " + Svg() + " " + (dir / "net.wmf").string()));
}

INSTANTIATE_TEST_SUITE_P(Examples, MetafileReaders,
                         ::testing::Values("kinds", "hybrid", "producer", "plant"));

} // namespace
} // namespace qz::test
