// PNML import of the largest benchmark net (BART-PT-060: 15 MB, 8130 places,
// 12120 transitions, 97200 arcs) and export of the imported net.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "PnmlExporter.h"
#include "PnmlImporter.h"
#include "model/TPNObjekt.h"

namespace {

std::filesystem::path BenchNetDir() {
    std::filesystem::path dir = QZ_SOURCE_DIR "/../shared/bench-nets";
    if (!std::filesystem::is_directory(dir)) dir = QZ_SOURCE_DIR "/../../shared/bench-nets";
    return dir;
}

std::string ReadAll(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// Whole import from the file: read, parse, build the net, lay out.
void BM_ImportBartFile(benchmark::State& state) {
    const std::filesystem::path file = BenchNetDir() / "BART-PT-060.pnml";
    if (!std::filesystem::exists(file)) {
        state.SkipWithError("BART-PT-060.pnml not found");
        return;
    }
    for (auto _ : state) {
        qz::TPNObjekt root;
        const auto r = qz::pnml::PnmlImporter::ImportFile(root, file.string());
        if (!r.ok) state.SkipWithError(r.error.c_str());
        benchmark::DoNotOptimize(r.arcs);
        state.PauseTiming(); // freeing the net is not part of the import
        root.Clear();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_ImportBartFile)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_ExportBart(benchmark::State& state) {
    const std::filesystem::path file = BenchNetDir() / "BART-PT-060.pnml";
    if (!std::filesystem::exists(file)) {
        state.SkipWithError("BART-PT-060.pnml not found");
        return;
    }
    qz::TPNObjekt root;
    qz::pnml::PnmlImporter::ImportText(root, ReadAll(file));
    std::size_t bytes = 0;
    for (auto _ : state) {
        const std::string text = qz::pnml::PnmlExporter::ExportText(root);
        bytes = text.size();
        benchmark::DoNotOptimize(text.data());
    }
    state.counters["bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_ExportBart)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace
