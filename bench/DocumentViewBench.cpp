// Repainting the document view of a 10 000-element net: the whole net zoomed
// to fit the window, and the part the window shows at 1:1. Each iteration
// invalidates the view and repaints it at once (drawing into the backing
// image and presenting it), on the offscreen platform.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QMdiSubWindow>
#include <QMouseEvent>
#include <QTabWidget>
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
#include "editor/TPropertyWindow.h"
#include "editor/UndoHistory.h"
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

namespace {

// Undo: the image of a net taken before each changing command, and a net put
// back from its image (read into the same document).
void BM_UndoImage(benchmark::State& state) {
    App();
    LargeView view(static_cast<int>(state.range(0)));
    std::size_t bytes = 0;
    for (auto _ : state) {
        const DocumentImage image = view.doc->Document().TakeImage();
        bytes = image.Bytes();
        benchmark::DoNotOptimize(image.net.data());
    }
    state.counters["elements"] = static_cast<double>(view.Net().Count());
    state.counters["image_bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_UndoImage)->Arg(10000)->Unit(benchmark::kMillisecond);

void BM_UndoRestore(benchmark::State& state) {
    App();
    LargeView view(static_cast<int>(state.range(0)));
    const DocumentImage image = view.doc->Document().TakeImage();
    for (auto _ : state) view.doc->Document().RestoreImage(image);
    state.counters["elements"] = static_cast<double>(view.Net().Count());
}
BENCHMARK(BM_UndoRestore)->Arg(10000)->Unit(benchmark::kMillisecond);

// Dragging a selection of 1 000 elements across the view, without the grid:
// each iteration is one mouse move and the repaint it asks for. The rate of
// repaints is 1 / time per iteration.
void Drag(benchmark::State& state, MovingDetail mode) {
    App();
    LargeView view(10000);
    view.doc->N111Click();
    Settings().alignToGrid = false;
    Settings().movingDetail = mode;
    std::size_t selected = 0;
    TGraphItem* grip = nullptr;
    for (TGraphItem* e : view.Net().Elements()) {
        if (selected == 1000 || e->Kind() == kind::Arc) continue;
        view.Net().SetSelected(e, true);
        if (!grip) grip = e;
        ++selected;
    }
    const TPoint c = grip->GetCenter();
    const QPoint at(c.x, c.y);
    QWidget* client = view.doc->ClientArea();
    const auto send = [client](QEvent::Type type, QPoint p, Qt::MouseButtons buttons) {
        QMouseEvent e(type, p, client->mapToGlobal(p), Qt::LeftButton, buttons, Qt::NoModifier);
        QApplication::sendEvent(client, &e);
    };
    view.doc->RepaintNow();
    send(QEvent::MouseButtonPress, at, Qt::LeftButton);
    int step = 0;
    for (auto _ : state) {
        ++step;
        send(QEvent::MouseMove, at + QPoint(step % 200, step % 100), Qt::LeftButton);
        view.doc->RepaintNow();
    }
    send(QEvent::MouseButtonRelease, at + QPoint(step % 200, step % 100), Qt::NoButton);
    state.counters["selected"] = static_cast<double>(selected);
    state.counters["repaints_per_s"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
    Settings() = ProgramSettings{};
}

void BM_DragThousandQuick(benchmark::State& state) { Drag(state, MovingDetail::Quick); }
BENCHMARK(BM_DragThousandQuick)->Unit(benchmark::kMillisecond);

void BM_DragThousandDetail(benchmark::State& state) { Drag(state, MovingDetail::Detail); }
BENCHMARK(BM_DragThousandDetail)->Unit(benchmark::kMillisecond);

} // namespace

namespace {

// The property window's tables over a 10 000-element net: listed anew (after
// an edit), and their values shown again after a simulation step, with the
// places table in view.
void BM_PropertyTablesFill(benchmark::State& state) {
    App();
    LargeView view(10000);
    TPropertyWindow& properties = *view.quenzor.Main().Windows().properties;
    properties.Pages()->setCurrentIndex(1);
    for (auto _ : state) properties.RefreshList();
    state.counters["elements"] = static_cast<double>(view.Net().Count());
}
BENCHMARK(BM_PropertyTablesFill)->Unit(benchmark::kMillisecond);

void BM_PropertyTablesAfterStep(benchmark::State& state) {
    App();
    LargeView view(10000);
    TPropertyWindow& properties = *view.quenzor.Main().Windows().properties;
    properties.Pages()->setCurrentIndex(1);
    properties.RefreshList();
    QApplication::processEvents();
    for (auto _ : state) {
        properties.RefreshValues();
        QApplication::processEvents();
    }
}
BENCHMARK(BM_PropertyTablesAfterStep)->Unit(benchmark::kMillisecond);

} // namespace
