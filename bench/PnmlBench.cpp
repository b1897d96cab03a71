#include <cstdlib>
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

// The benchmark nets of the model checking contest, imported with immediate
// transitions and run at maximum speed: steps and discrete firings per
// second of the engine (import and session start are not timed).
#include "model/TNetList.h"
#include "platform/MessageBoxes.h"
#include "platform/Services.h"
#include "simulation/SimulationEngine.h"
#include "simulation/SimulationSession.h"

namespace {

void BM_RunBenchNet(benchmark::State& state, const std::string& name) {
    const std::filesystem::path file = BenchNetDir() / (name + ".pnml");
    if (!std::filesystem::exists(file)) {
        state.SkipWithError((name + ".pnml not found").c_str());
        return;
    }
    qz::SilentMessageBoxes boxes;
    qz::PlatformServices services{};
    services.messages = &boxes;
    qz::PlatformScope scope(services);

    qz::TPNObjekt root;
    qz::pnml::ImportOptions options;
    options.timing = qz::pnml::Timing::Immediate;
    const auto r = qz::pnml::PnmlImporter::ImportFile(root, file.string(), options);
    if (!r.ok) {
        state.SkipWithError(r.error.c_str());
        return;
    }
    qz::TSimulationSession session;
    session.engine.seed = 1;
    if (qz::StartSimulation(root, session) != qz::StartOutcome::Started) {
        state.SkipWithError("the simulation did not start");
        return;
    }
    session.engine.maxSpeed = true;
    session.engine.showAnimations = false;
    if (const char* from = std::getenv("QZ_INCREMENTAL_FROM")) session.engine.incrementalFromArcs = std::strtoul(from, nullptr, 10);
    session.engine.Refresh();
    const std::uint64_t before = session.engine.DiscreteFirings();
    for (auto _ : state) session.engine.Step();
    const auto firings = static_cast<double>(session.engine.DiscreteFirings() - before);
    state.counters["steps/s"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["firings/s"] = benchmark::Counter(firings, benchmark::Counter::kIsRate);
    state.counters["firings/step"] = firings / static_cast<double>(state.iterations());
    qz::EndSimulation(root, session);
}

const int kRegistered = [] {
    for (const char* n : {"ERK-PT-000001", "Kanban-PT-00005", "CircadianClock-PT-000001", "MAPK-PT-00008",
                          "Angiogenesis-PT-01", "Philosophers-PT-000100", "Eratosthenes-PT-500", "Peterson-PT-7",
                          "Railroad-PT-100", "BART-PT-060"}) {
        benchmark::RegisterBenchmark((std::string("BM_Run/") + n).c_str(), BM_RunBenchNet, std::string(n))
            ->Unit(benchmark::kMicrosecond)
            ->MinTime(3.0);
    }
    return 0;
}();

} // namespace
