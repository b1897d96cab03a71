// Pictures of a large net in every format, against reading the same net from
// its .pn file: each export should stay within three times the reading's
// time (the peak memory is measured by hand, see make_large_nets.py).
//     bench_PictureExport --benchmark_filter='/200000'
#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <string>
#include <unistd.h>

#include "FontSupport.h"
#include "NetPicture.h"
#include "model/ExampleNets.h"
#include "model/TNetList.h"
#include "model/TPNObjekt.h"
#include "model/storage/NetFile.h"

namespace {

namespace stdfs = std::filesystem;

const char* const kFormats[] = {".svg", ".pdf", ".png", ".emf", ".wmf"};

std::string TempPath(const std::string& name) {
    return (stdfs::temp_directory_path() / ("quenzor-bench-" + std::to_string(::getpid()) + "-" + name)).string();
}

// The net of `elements` elements, built once and saved as .pn.
struct SavedNet {
    qz::render::ScopedQtMeasuring metrics;
    std::unique_ptr<qz::TPNObjekt> root = std::make_unique<qz::TPNObjekt>();
    std::string path;
    explicit SavedNet(int elements) : path(TempPath(std::to_string(elements) + ".pn")) {
        qz::examples::BuildLargeNet(*root, elements);
        qz::SaveNetFile(*root, path);
    }
    ~SavedNet() { stdfs::remove(path); }
};

SavedNet& NetOf(int elements) {
    static std::unique_ptr<SavedNet> net;
    if (!net || net->root->Net().Count() != static_cast<std::size_t>(elements)) {
        net.reset();
        net = std::make_unique<SavedNet>(elements);
    }
    return *net;
}

void BM_LoadNet(benchmark::State& state) {
    SavedNet& net = NetOf(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        qz::TPNObjekt root;
        if (!qz::LoadNetFile(root, net.path)) state.SkipWithError("the net cannot be read");
    }
    state.counters["elements"] = static_cast<double>(net.root->Net().Count());
}
BENCHMARK(BM_LoadNet)->Arg(20000)->Arg(200000)->Unit(benchmark::kMillisecond)->Iterations(3);

// range(0): the format (index into kFormats), range(1): elements.
void BM_ExportNet(benchmark::State& state) {
    SavedNet& net = NetOf(static_cast<int>(state.range(1)));
    const std::string path = TempPath(std::string("picture") + kFormats[state.range(0)]);
    for (auto _ : state) {
        std::string error;
        if (!qz::render::ExportNetPicture(net.root->Net(), path, 1, &error)) state.SkipWithError(error.c_str());
    }
    state.SetLabel(kFormats[state.range(0)]);
    state.counters["bytes"] = static_cast<double>(stdfs::exists(path) ? stdfs::file_size(path) : 0);
    stdfs::remove(path);
}
BENCHMARK(BM_ExportNet)
    ->ArgsProduct({{0, 1, 2, 3, 4}, {20000, 200000}})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

} // namespace
