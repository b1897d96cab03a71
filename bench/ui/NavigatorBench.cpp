// The net navigator: drawing the whole of a 10 000-element net into its
// picture (the net reduced to the window, the mark of the document's view,
// every element on the navigator's own canvas), at the window's start size
// and at a larger one. A redraw should stay under 50 ms.
//
//   QT_QPA_PLATFORM=offscreen build/bench/bench_ui_Navigator 2>/dev/null
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QMdiSubWindow>

#include "BenchHome.h"
#include "editor/Document.h"
#include "editor/TDocForm.h"
#include "editor/TOverviewForm.h"
#include "model/ExampleNets.h"
#include "model/TNetList.h"

namespace {

using namespace qz;
using namespace qz::ui;
using namespace qz::bench;

void BM_NavigatorRedraw(benchmark::State& state) {
    TheHome();
    TQuenzorApp app({}, {0});
    TMainWindow& main = app.Main();
    main.resize(1280, 900);
    TDocForm* doc = main.ActiveDocument();
    doc->SubWindow()->resize(800, 600);
    examples::BuildLargeNet(*doc->Document().Root(), int(state.range(0)));
    doc->FormResize();
    main.Actions()[Cmd::ShowOverview]->setChecked(true);
    TOverviewForm& navigator = *main.Windows().navigator;
    navigator.resize(int(state.range(1)), int(state.range(1)) * 3 / 4);
    QApplication::processEvents();
    for (auto _ : state)
        navigator.DrawNet();
    state.counters["elements"] = double(doc->Document().Net()->Count());
}
BENCHMARK(BM_NavigatorRedraw)->Args({10'000, 220})->Args({10'000, 480})->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    return qz::bench::RunWindowBenchmarks(argc, argv);
}
