// Repainting the document view of a 10 000-element net: the whole net zoomed
// to fit the window, and the part the window shows at 1:1. Each iteration
// invalidates the view and repaints it at once (drawing into the backing
// image and presenting it), on the offscreen platform.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QMdiSubWindow>
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <unistd.h>

#include "app/TMainWindow.h"
#include "common/FileSystem.h"
#include "settings/ConfigFile.h"
#include "settings/ProgramSettings.h"
#include "app/TQuenzorApp.h"
#include "editor/TDocForm.h"
#include "model/ExampleNets.h"
#include "model/TNetList.h"
#include "model/TPNObjekt.h"

namespace {

using namespace qz;
using namespace qz::ui;

const std::filesystem::path& Home() {
    static const std::filesystem::path home =
        std::filesystem::temp_directory_path() / ("quenzor-bench-home-" + std::to_string(::getpid()));
    return home;
}

// The application lives until the process ends (Qt's own statics go first,
// so it is never destroyed); the program directory is a private one, so that
// nothing is read from or written beside the benchmark.
QApplication& App() {
    static int argc = 1;
    static char name[] = "bench_DocumentView";
    static char* argv[] = {name, nullptr};
    static QApplication* app = [] {
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        std::filesystem::create_directories(Home());
        setenv("QUENZOR_HOME", Home().c_str(), 1);
        // The start values, without the start window.
        ProgramSettings settings;
        settings.startWindow = false;
        const std::vector<std::uint8_t> bytes = ConfigBytes(settings);
        fs::WriteFileAtomically((Home() / kConfigFileName).string(), bytes.data(), bytes.size());
        std::atexit([] {
            std::error_code ec;
            std::filesystem::remove_all(Home(), ec);
        });
        return new QApplication(argc, argv);
    }();
    return *app;
}

// The main window with one document holding a large net, maximised in a
// main window of 1920 x 1200.
struct LargeView {
    TQuenzorApp quenzor{{}, {0}};
    TDocForm* doc = nullptr;

    explicit LargeView(int elements) {
        TMainWindow& main = quenzor.Main();
        main.show();
        QApplication::processEvents();
        main.resize(1920, 1200);
        doc = main.ActiveDocument();
        doc->SubWindow()->showMaximized();
        examples::BuildLargeNet(*doc->Document().Root(), elements);
        QApplication::processEvents();
    }
    TNetList& Net() { return *doc->Document().Net(); }
    QSize Client() const { return doc->ClientArea()->size(); }
};

void Repaint(benchmark::State& state, LargeView& view) {
    for (auto _ : state) {
        view.doc->InvalidateWindow();
        view.doc->RepaintNow();
    }
    state.counters["elements"] = static_cast<double>(view.Net().Count());
    state.counters["client_w"] = view.Client().width();
    state.counters["client_h"] = view.Client().height();
    state.counters["scale"] = TViewState::Scale();
}

void BM_RepaintWholeNetZoomedToFit(benchmark::State& state) {
    App();
    LargeView view(static_cast<int>(state.range(0)));
    const TRect all = view.Net().BoundsOfAll();
    const QSize c = view.Client();
    TViewState::SetScale(std::max(double(all.right + 10) / c.width(), double(all.bottom + 10) / c.height()));
    view.doc->ScaleChanged();
    Repaint(state, view);
}
BENCHMARK(BM_RepaintWholeNetZoomedToFit)->Arg(10000)->Unit(benchmark::kMillisecond);

void BM_RepaintVisiblePartAtOneToOne(benchmark::State& state) {
    App();
    LargeView view(static_cast<int>(state.range(0)));
    view.doc->N111Click();
    // Somewhere in the middle of the net.
    view.doc->Document().view.SetPositions(600, 4000);
    view.doc->FormResize();
    Repaint(state, view);
}
BENCHMARK(BM_RepaintVisiblePartAtOneToOne)->Arg(10000)->Unit(benchmark::kMillisecond);

} // namespace
