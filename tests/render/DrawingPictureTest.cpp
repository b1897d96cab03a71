// Pictures of drawings (the oscilloscope's plot) in every format, read back
// where a reader is installed, and writes that cannot succeed.
#include <gtest/gtest.h>

#include <QImage>
#include <cstring>
#include <filesystem>
#include <unistd.h>

#include "DrawingPicture.h"
#include "FakePlatform.h"
#include "RenderTestSupport.h"
#include "TempHome.h"
#include "diagrams/OsziPlot.h"
#include "diagrams/TPunktListe.h"

namespace qz::test {
namespace {

// A plot of 300 x 200 pixels whose only lines are the curve's four segments.
class DrawingPicture : public ::testing::Test {
protected:
    ScopedPlatform platform;
    TempHome home;
    diagrams::TPunktListe trace;
    diagrams::PlotSettings settings;
    diagrams::PlotBorders borders;
    std::function<void(Canvas&)> plot = [this](Canvas& c) { PaintPlot(c, 300, 200, trace, settings, borders); };
    void SetUp() override {
        settings.axesVisible = settings.valuesVisible = false;
        settings.xName.clear();
        for (auto [x, y] : {std::pair{0, 1}, {1, 3}, {2, 2}, {3, 5}, {4, 4}}) trace.Append(x, y);
    }
};

TEST_F(DrawingPicture, EveryFormatHoldsThePlot) {
    const std::string back = home.PathOf("back.svg");
    const struct { const char* name; std::string head; const char* reader; std::string command; } cases[] = {
        {"plot.emf", {"\x01\0\0\0", 4}, "emf2svg-conv", "emf2svg-conv -i " + home.PathOf("plot.emf") + " -o " + back},
        {"plot.wmf", "\xD7\xCD\xC6\x9A", "wmf2svg",
         "wmf2svg --wmf-gs-fontmap=" + WriteFontMap(home.Path()).string() + " -o " + back + " " +
             home.PathOf("plot.wmf")},
        {"plot.svg", "<?xml", nullptr, ""},
        {"plot.pdf", "%PDF", nullptr, ""},
        {"plot.png", "\x89PNG", nullptr, ""},
    };
    for (const auto& c : cases) {
        std::string error, output;
        ASSERT_TRUE(render::WriteDrawing(home.PathOf(c.name), 300, 200, plot, &error)) << c.name << error;
        EXPECT_EQ(ReadAll(home.PathOf(c.name)).substr(0, c.head.size()), c.head) << c.name;
        if (!c.reader || !ToolAvailable(c.reader)) continue;
        EXPECT_EQ(RunTool(c.command, &output), 0) << output;
        const std::string svg = ReadAll(back);
        EXPECT_EQ(CountOf(svg, "<polyline") + CountOf(svg, "<path"), 4) << c.name << ":\n" << svg;
    }
    EXPECT_EQ(QImage(QString::fromStdString(home.PathOf("plot.png"))).size(), QSize(300, 200));
    // The clipboard's metafile: a frame of 31 hundredths of a millimetre per pixel.
    const auto bytes = render::DrawingMetafile(300, 200, plot, 31);
    ASSERT_TRUE(bytes && bytes->size() > 40);
    std::int32_t frame[4];
    std::memcpy(frame, bytes->data() + 24, sizeof frame);
    EXPECT_EQ(frame[2], 300 * 31);
    EXPECT_EQ(frame[3], 200 * 31);
}

TEST_F(DrawingPicture, AnUnwritableDirectoryFailsWithAReasonAndNoFile) {
    std::filesystem::path dir = home.PathOf("locked");
    std::filesystem::create_directory(dir);
    std::filesystem::permissions(dir, std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    // Permissions do not hold back the superuser, but /proc takes no files.
    if (::access(dir.c_str(), W_OK) == 0) dir = "/proc";
    for (const char* name : {"plot.emf", "plot.wmf", "plot.svg", "plot.pdf", "plot.png"}) {
        const std::string path = (dir / name).string();
        std::string error;
        EXPECT_FALSE(render::WriteDrawing(path, 300, 200, plot, &error)) << path;
        EXPECT_NE(error.find("cannot write " + path), std::string::npos) << error;
        EXPECT_FALSE(std::filesystem::exists(path)) << path;
    }
    EXPECT_TRUE(std::filesystem::is_empty(home.PathOf("locked")));
}

} // namespace
} // namespace qz::test
