// A maximum-speed run from the simulation panel with the net's window open,
// against `quenzor-cli simulate` on the same net: each iteration runs the
// command line program and the window for the same number of steps and
// reports both rates (steps per second as the "Performance" page computes
// them) and their ratio. The window should keep at least 80 % of the rate.
//
//   QT_QPA_PLATFORM=offscreen build/bench/bench_ui_Panel 2>/dev/null
#include <benchmark/benchmark.h>


#include "BenchHome.h"
#include "common/NumberFormat.h"

namespace {

using namespace qz;
using namespace qz::ui;
using namespace qz::bench;

double CliStepsPerSecond(const QString& net, int steps) {
    const QString out =
        Cli({QStringLiteral("simulate"), net, QStringLiteral("--steps"), QString::number(steps), QStringLiteral("--stats")});
    const QString label = QStringLiteral("Steps per sec: ");
    for (const QString& line : out.split(QLatin1Char('\n'))) {
        if (!line.startsWith(label)) continue;
        if (auto v = num::ParseNumber(line.mid(label.size()).trimmed().toStdString())) return static_cast<double>(*v);
    }
    return 0;
}

void BM_MaxSpeedRunWithWindow(benchmark::State& state, const char* net, int steps) {
    const QString path = TheHome().Net(net);
    double cli = 0, window = 0;
    for (auto _ : state) {
        cli += CliStepsPerSecond(path, steps);
        window += WindowStepsPerSecond(path, steps);
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["cli_steps_per_s"] = cli / n;
    state.counters["window_steps_per_s"] = window / n;
    state.counters["window_share"] = cli > 0 ? window / cli : 0;
}

BENCHMARK_CAPTURE(BM_MaxSpeedRunWithWindow, Plant, "Plant.pn", 20'000'000)
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_MaxSpeedRunWithWindow, Hybrid, "Hybrid.pn", 2'000'000)
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) { return qz::bench::RunWindowBenchmarks(argc, argv); }
