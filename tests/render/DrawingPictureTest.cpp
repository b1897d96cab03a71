// Pictures of drawings (the oscilloscope's plot) in every format, read back
// where a reader exists, and writes that cannot succeed.
#include <gtest/gtest.h>

#include <QImage>
#include <cstring>
#include <filesystem>
#include <unistd.h>

#include "DrawingPicture.h"
#include "FakePlatform.h"
#include "Files.h"
#include "RenderTestSupport.h"
#include "TempHome.h"
#include "diagrams/OsziPlot.h"
#include "diagrams/TPunktListe.h"

namespace qz::test {
namespace {

using diagrams::PaintPlot;
using diagrams::PlotBorders;
using diagrams::PlotSettings;
using diagrams::TPunktListe;

constexpr int kWidth = 300, kHeight = 200;

// A plot whose only lines are the curve's four segments.
class DrawingPicture : public ::testing::Test {
protected:
    ScopedPlatform platform;
    TempHome home;
    TPunktListe trace;
    PlotSettings settings;
    PlotBorders borders;
    std::function<void(Canvas&)> plot = [this](Canvas& c) {
        PaintPlot(c, kWidth, kHeight, trace, settings, borders);
    };

    void SetUp() override {
        for (auto [x, y] : {std::pair{0, 1}, {1, 3}, {2, 2}, {3, 5}, {4, 4}})
            trace.Append(x, y);
        settings.axesVisible = false;
        settings.valuesVisible = false;
        settings.xName.clear();
    }
    // The SVG a reader makes of a picture; empty when it is not installed.
    std::string ReadBack(const std::string& tool, const std::string& command) {
        if (!ToolAvailable(tool))
            return {};
        std::string output;
        EXPECT_EQ(RunTool(command, &output), 0) << output;
        return ReadAll(home.PathOf("back.svg"));
    }
};

TEST_F(DrawingPicture, EveryFormatHoldsThePlot) {
    const std::string back = home.PathOf("back.svg");
    const struct {
        const char* name;
        std::string head;
        const char* reader;
        std::string command;
    } cases[] = {
        {"plot.emf", std::string("\x01\x00\x00\x00", 4), "emf2svg-conv",
         "emf2svg-conv -i " + home.PathOf("plot.emf") + " -o " + back},
        {"plot.wmf", "\xD7\xCD\xC6\x9A", "wmf2svg",
         "wmf2svg --wmf-gs-fontmap=" + WriteFontMap(home.Path()).string() + " -o " + back + " " +
             home.PathOf("plot.wmf")},
        {"plot.svg", "<?xml", nullptr, ""},
        {"plot.pdf", "%PDF", nullptr, ""},
        {"plot.png", "\x89PNG", nullptr, ""},
    };
    for (const auto& c : cases) {
        std::string error;
        ASSERT_TRUE(render::WriteDrawing(home.PathOf(c.name), kWidth, kHeight, plot, &error))
            << c.name << error;
        const std::string file = ReadAll(home.PathOf(c.name));
        EXPECT_EQ(file.substr(0, c.head.size()), c.head) << c.name;
        if (!c.reader)
            continue;
        const std::string svg = ReadBack(c.reader, c.command);
        if (svg.empty())
            continue; // the reader is not installed
        EXPECT_EQ(CountOf(svg, "<polyline") + CountOf(svg, "<path"), 4) << c.name << ":\n" << svg;
    }
    EXPECT_EQ(QImage(QString::fromStdString(home.PathOf("plot.png"))).size(),
              QSize(kWidth, kHeight));
}

TEST_F(DrawingPicture, ClipboardMetafileHasTheFrameScale) {
    std::string error;
    const auto bytes = render::DrawingMetafile(kWidth, kHeight, plot, 31, &error);
    ASSERT_TRUE(bytes) << error;
    ASSERT_GT(bytes->size(), 40u);
    std::int32_t frame[4];
    std::memcpy(frame, bytes->data() + 24, sizeof frame);
    EXPECT_EQ(frame[2], kWidth * 31);
    EXPECT_EQ(frame[3], kHeight * 31);
    EXPECT_FALSE(render::DrawingMetafile(0, kHeight, plot, 31, &error));
}

TEST_F(DrawingPicture, AnUnwritableDirectoryFailsWithAReasonAndNoFile) {
    std::filesystem::path dir = home.PathOf("locked");
    std::filesystem::create_directory(dir);
    std::filesystem::permissions(dir, std::filesystem::perms::owner_read |
                                          std::filesystem::perms::owner_exec);
    // Permissions do not hold back the superuser: /proc takes no files.
    if (::access(dir.c_str(), W_OK) == 0)
        dir = "/proc";
    for (const char* name : {"plot.emf", "plot.wmf", "plot.svg", "plot.pdf", "plot.png"}) {
        const std::string path = (dir / name).string();
        std::string error;
        EXPECT_FALSE(render::WriteDrawing(path, kWidth, kHeight, plot, &error)) << path;
        EXPECT_NE(error.find("cannot write " + path), std::string::npos) << error;
        EXPECT_FALSE(std::filesystem::exists(path)) << path;
    }
    EXPECT_TRUE(std::filesystem::is_empty(home.PathOf("locked")));
    std::string error;
    EXPECT_FALSE(render::WriteDrawing(home.PathOf("plot.bmp"), kWidth, kHeight, plot, &error));
    EXPECT_NE(error.find("unknown picture type"), std::string::npos) << error;
}

} // namespace
} // namespace qz::test
