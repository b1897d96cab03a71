// The oscilloscope window: a full repaint of a long trace, the cost of one
// new sample in an open window (recorded, and recorded and drawn at once),
// and a maximum-speed run with an oscilloscope on each of the five places of
// the hybrid example against the same run without them. The repaint should
// stay under 50 ms, a sample under 20 µs and the run with oscilloscopes
// keep at least 90 % of the steps per second.
//
//   QT_QPA_PLATFORM=offscreen build-rel/bench/bench_ui_Oscilloscope 2>/dev/null
#include <benchmark/benchmark.h>

#include <cmath>

#include "BenchHome.h"
#include "diagrams/TOsziFenster.h"
#include "diagrams/TOsziPanel.h"
#include "editor/Document.h"
#include "editor/TDocForm.h"
#include "model/TNetList.h"
#include "model/TPlatz.h"

namespace {

using namespace qz;
using namespace qz::ui;
using namespace qz::bench;

void Fill(diagrams::TPunktListe& trace, int count) {
    for (int i = 0; i < count; ++i) trace.Append(0.1L * i, 5 + 4 * std::sin(0.001 * i));
}

void BM_RepaintLongTrace(benchmark::State& state) {
    QWidget host;
    host.resize(600, 400);
    TOsziPanel panel(&host);
    panel.resize(600, 400);
    Fill(panel.Trace(), int(state.range(0)));
    for (auto _ : state) panel.FullRepaint();
}
BENCHMARK(BM_RepaintLongTrace)->Arg(100'000)->Unit(benchmark::kMillisecond);

// Oscilloscopes opened on every place of the active document.
std::vector<TOsziFenster*> OpenOnEveryPlace(TMainWindow& main) {
    std::vector<TOsziFenster*> windows;
    TDocForm* doc = main.ActiveDocument();
    for (TGraphItem* e : doc->Document().Net()->Elements()) {
        if (e->Kind() != kind::Place) continue;
        auto* place = static_cast<TPlatz*>(e);
        doc->SelectElement(place);
        doc->ShowDiagramWindowClick();
        windows.push_back(dynamic_cast<TOsziFenster*>(place->Diagram()));
    }
    return windows;
}

void NewSamples(benchmark::State& state, bool drawEach) {
    TQuenzorApp app({TheHome().Net("Hybrid.pn")}, {0});
    TOsziFenster* window = OpenOnEveryPlace(app.Main()).front();
    // Past the first samples, which rescale and draw everything.
    for (int i = 0; i < 1000; ++i) window->AddSample(0.1L * i, 4);
    window->Panel().DrawPending();
    long double t = 100;
    for (auto _ : state) {
        window->AddSample(t, 4 + std::sin(double(t)));
        if (drawEach) window->Panel().DrawPending();
        t += 0.1L;
    }
}

void BM_NewSample(benchmark::State& state) { NewSamples(state, false); }
BENCHMARK(BM_NewSample)->Unit(benchmark::kMicrosecond);

void BM_NewSampleDrawnAtOnce(benchmark::State& state) { NewSamples(state, true); }
BENCHMARK(BM_NewSampleDrawnAtOnce)->Unit(benchmark::kMicrosecond);

void BM_MaxSpeedRunWithFiveOscilloscopes(benchmark::State& state) {
    const QString net = TheHome().Net("Hybrid.pn");
    const int steps = int(state.range(0));
    double without = 0, with = 0;
    for (auto _ : state) {
        without += WindowStepsPerSecond(net, steps);
        with += WindowStepsPerSecond(net, steps, [](TMainWindow& main) { OpenOnEveryPlace(main); });
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["without_steps_per_s"] = without / n;
    state.counters["with_steps_per_s"] = with / n;
    state.counters["share"] = without > 0 ? with / without : 0;
}
BENCHMARK(BM_MaxSpeedRunWithFiveOscilloscopes)->Arg(500'000)->Arg(5'000'000)->Iterations(3)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) { return qz::bench::RunWindowBenchmarks(argc, argv); }
