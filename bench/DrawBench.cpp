// Drawing a net of 10 000 elements (places, transitions and the arcs
// between them) to a PNG file, and the drawing alone on an image.
#include <benchmark/benchmark.h>

#include <QImage>
#include <QPainter>
#include <filesystem>
#include <unistd.h>

#include "FontSupport.h"
#include "NetPicture.h"
#include "QtCanvas.h"
#include "model/ExampleNets.h"
#include "model/TNetList.h"
#include "model/TPNObjekt.h"

namespace {

struct LargeNet {
    qz::render::ScopedQtMeasuring metrics;
    qz::TPNObjekt root;
    explicit LargeNet(int elements) { qz::examples::BuildLargeNet(root, elements); }
};

void BM_DrawNetToPng(benchmark::State& state) {
    LargeNet net(static_cast<int>(state.range(0)));
    const std::string path =
        (std::filesystem::temp_directory_path() / ("quenzor-bench-" + std::to_string(::getpid()) + ".png"))
            .string();
    for (auto _ : state) {
        std::string error;
        if (!qz::render::ExportNetPicture(net.root.Net(), path, 1, &error)) state.SkipWithError(error.c_str());
    }
    state.counters["elements"] = static_cast<double>(net.root.Net().Count());
    state.counters["bytes"] = static_cast<double>(std::filesystem::file_size(path));
    std::filesystem::remove(path);
}
BENCHMARK(BM_DrawNetToPng)->Arg(10000)->Unit(benchmark::kMillisecond);

void BM_DrawNetOnImage(benchmark::State& state) {
    LargeNet net(static_cast<int>(state.range(0)));
    const qz::TRect r = qz::render::PictureBounds(net.root.Net(), false);
    QImage image(r.Width() + 20, r.Height() + 20, QImage::Format_RGB32);
    for (auto _ : state) {
        image.fill(Qt::white);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        qz::render::QtCanvas canvas(painter);
        canvas.SetWindowOrg(r.left - 10, r.top - 10);
        qz::render::DrawNetElements(canvas, net.root.Net(), false);
    }
    state.counters["elements"] = static_cast<double>(net.root.Net().Count());
}
BENCHMARK(BM_DrawNetOnImage)->Arg(10000)->Unit(benchmark::kMillisecond);

} // namespace
