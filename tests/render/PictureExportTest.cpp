// Pictures of nets: sizes, margins, scale, the selection picture of the
// document window, formats and failures.
#include <gtest/gtest.h>

#include <QImage>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <sys/resource.h>

#include "FakePlatform.h"
#include "NetPicture.h"
#include "RenderTestSupport.h"
#include "TempHome.h"
#include "model/ExampleNets.h"
#include "model/TNetList.h"
#include "model/TPlatz.h"
#include "model/TSchriftObjekt.h"
#include "model/TTransition.h"

namespace qz::test {
namespace {

using render::ErstelleMetaFile;
using render::ExportNetPicture;
using render::PictureBounds;

class PictureExport : public ::testing::Test {
protected:
    ScopedPlatform platform;
    ScopedTankLibrary library;
    BuiltNet net;
    TempHome home;
    std::filesystem::path dir = home.Path();
    std::string Path(const std::string& name) const { return (dir / name).string(); }
};

TEST_F(PictureExport, PngCoversTheNetWithATenUnitMarginAtTheScale) {
    examples::BuildProducerConsumer(*net.root);
    TNetList& n = net.root->Net();
    const TRect r = PictureBounds(n, false);
    for (double scale : {1.0, 2.0, 0.5}) {
        std::string error;
        ASSERT_TRUE(ExportNetPicture(n, Path("net.png"), scale, &error)) << error;
        QImage image(QString::fromStdString(Path("net.png")));
        ASSERT_FALSE(image.isNull());
        EXPECT_EQ(image.width(), static_cast<int>(std::nearbyint((r.Width() + 20) * scale)));
        EXPECT_EQ(image.height(), static_cast<int>(std::nearbyint((r.Height() + 20) * scale)));
    }
}

TEST_F(PictureExport, PngShowsPlacesAndBarsWhereTheWorldPutsThem) {
    TNetList& n = net.root->Net();
    TPlatz* p = examples::AddPlace(n, 100, 100, "P", "m", 0);
    TTransition* t = examples::AddTransition(n, 200, 100, "T");
    p->nameLabel->visible = 0;
    t->nameLabel->visible = 0;
    t->valueLabel->visible = 0;
    const TRect r = PictureBounds(n, false);
    ASSERT_TRUE(ExportNetPicture(n, Path("two.png"), 2));
    QImage image(QString::fromStdString(Path("two.png")));
    auto pixel = [&](int wx, int wy) {
        return image.pixelColor((wx - (r.left - 10)) * 2 + 1, (wy - (r.top - 10)) * 2 + 1);
    };
    EXPECT_EQ(pixel(90, 100), QColor(Qt::white)) << "inside the circle, beside the name";
    EXPECT_LT(pixel(86, 100).lightness(), 100) << "on the circle, one unit inside the bounds";
    EXPECT_EQ(pixel(200, 100), QColor(Qt::black)) << "a discrete bar is filled black";
    EXPECT_EQ(pixel(150, 100), QColor(Qt::white));
}

TEST_F(PictureExport, SelectionPictureHoldsOnlyTheSelectionElseTheWholeNet) {
    TNetList& n = net.root->Net();
    TPlatz* a = examples::AddPlace(n, 100, 100, "A", "a", 0);
    examples::AddPlace(n, 400, 300, "B", "b", 0);
    a->nameLabel->visible = 0;
    a->selected = 1;
    const TRect r = PictureBounds(n, true);
    EXPECT_EQ(r, (TRect{85, 85, 115, 115}));
    std::string error;
    ASSERT_TRUE(ErstelleMetaFile(n, {0.5, 0, 0}, Path("sel.png"), &error)) << error;
    QImage image(QString::fromStdString(Path("sel.png")));
    // round((30 + 20) / 0.5)
    EXPECT_EQ(image.width(), 100);
    EXPECT_EQ(image.height(), 100);
    EXPECT_EQ(a->selected, 1);
    // Drawn as it looks unselected: a black outline, no blue.
    bool blue = false;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            blue = blue || (c.blue() > 200 && c.red() < 100);
        }
    }
    EXPECT_FALSE(blue);

    a->selected = 0;
    ASSERT_TRUE(ErstelleMetaFile(n, {}, Path("all.png")));
    const TRect all = PictureBounds(n, false);
    EXPECT_EQ(QImage(QString::fromStdString(Path("all.png"))).size(),
              QSize(all.Width() + 20, all.Height() + 20));
}

TEST_F(PictureExport, ClipboardPictureIsTheMetafileOfTheSelection) {
    TNetList& n = net.root->Net();
    examples::AddPlace(n, 100, 100, "A", "a")->selected = 1;
    std::string error;
    const auto bytes = render::SelectionMetafile(n, {}, &error);
    ASSERT_TRUE(bytes) << error;
    ASSERT_TRUE(ErstelleMetaFile(n, {}, Path("sel.emf")));
    const std::string file = ReadAll(Path("sel.emf"));
    EXPECT_EQ(std::string(bytes->begin(), bytes->end()), file);
}

TEST_F(PictureExport, EveryFormatWritesItsKindOfFile) {
    examples::BuildElementKinds(*net.root);
    const std::pair<const char*, std::string> magic[] = {
        {"net.emf", std::string("\x01\x00\x00\x00", 4)},
        {"net.wmf", std::string("\xD7\xCD\xC6\x9A", 4)},
        {"net.svg", "<?xml"},
        {"net.pdf", "%PDF"},
        {"NET.PNG", "\x89PNG"}};
    for (const auto& [name, head] : magic) {
        std::string error;
        ASSERT_TRUE(ExportNetPicture(net.root->Net(), Path(name), 1, &error)) << name << ": " << error;
        EXPECT_EQ(ReadAll(Path(name)).substr(0, head.size()), head) << name;
    }
    const std::string emf = ReadAll(Path("net.emf"));
    EXPECT_EQ(emf.substr(40, 4), " EMF");
}

TEST_F(PictureExport, PngDrawnInStripsMatchesTheWholePicture) {
    examples::BuildElementKinds(*net.root);
    TNetList& n = net.root->Net();
    ASSERT_TRUE(ExportNetPicture(n, Path("whole.png"), 1.5));
    const QImage whole(QString::fromStdString(Path("whole.png")));
    // Seven rows a strip: every element and label crosses seams.
    render::SetRasterStripBytes(std::size_t{4} * whole.width() * 7);
    const bool written = ExportNetPicture(n, Path("strips.png"), 1.5);
    render::SetRasterStripBytes(std::size_t{32} << 20);
    ASSERT_TRUE(written);
    EXPECT_TRUE(QImage(QString::fromStdString(Path("strips.png"))) == whole);
}

TEST_F(PictureExport, SvgDrawnInPartsIsTheFileOfOnePainter) {
    examples::BuildElementKinds(*net.root);
    TNetList& n = net.root->Net();
    ASSERT_TRUE(ExportNetPicture(n, Path("whole.svg")));
    // One element a part: every seam lies between two elements.
    render::SetElementsPerPicturePart(1);
    const bool written = ExportNetPicture(n, Path("parts.svg"));
    render::SetElementsPerPicturePart(1024);
    ASSERT_TRUE(written);
    EXPECT_EQ(ReadAll(Path("parts.svg")), ReadAll(Path("whole.svg")));
}

TEST_F(PictureExport, AFailedWriteKeepsTheOldPictureAndSaysWhy) {
    examples::BuildElementKinds(*net.root);
    // A full disk: writes beyond 2 kB fail (EFBIG instead of a signal).
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    ::getrlimit(RLIMIT_FSIZE, &saved);
    for (const char* name : {"net.emf", "net.wmf", "net.svg", "net.pdf", "net.png"}) {
        std::ofstream(dir / name) << "old picture";
        rlimit small = saved;
        small.rlim_cur = 2048;
        ::setrlimit(RLIMIT_FSIZE, &small);
        std::string error;
        const bool written = ExportNetPicture(net.root->Net(), Path(name), 1, &error);
        ::setrlimit(RLIMIT_FSIZE, &saved);
        EXPECT_FALSE(written) << name;
        EXPECT_NE(error.find("cannot write " + Path(name)), std::string::npos) << name << ": " << error;
        EXPECT_EQ(ReadAll(Path(name)), "old picture") << name;
    }
    std::signal(SIGXFSZ, SIG_DFL);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), {}), 5) << "no temporary file is left";
}

TEST_F(PictureExport, RefusesUnknownTypesBadScalesAndUnwritablePlaces) {
    examples::AddPlace(net.root->Net(), 50, 50, "P", "m");
    std::string error;
    EXPECT_FALSE(ExportNetPicture(net.root->Net(), Path("net.bmp"), 1, &error));
    EXPECT_NE(error.find("unknown picture type"), std::string::npos);
    EXPECT_FALSE(ExportNetPicture(net.root->Net(), Path("net.png"), 0, &error));
    EXPECT_FALSE(ExportNetPicture(net.root->Net(), Path("net.png"), -1, &error));
    examples::AddPlace(net.root->Net(), 20'000, 50, "Far", "f");
    EXPECT_FALSE(ExportNetPicture(net.root->Net(), Path("net.png"), 100, &error));
    EXPECT_NE(error.find("the picture is too large"), std::string::npos) << error;
    for (const char* ext : {".emf", ".wmf", ".png", ".svg", ".pdf"}) {
        error.clear();
        EXPECT_FALSE(ExportNetPicture(net.root->Net(), "/nonexistent-dir/x" + std::string(ext), 1, &error))
            << ext;
        EXPECT_FALSE(error.empty()) << ext;
    }
}

} // namespace
} // namespace qz::test
