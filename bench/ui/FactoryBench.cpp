// The factory window with a library of 1 000 classes (a tree with three
// classes derived from each): "Refresh" of the class tree, that is the
// library rebuilt from the class files and the tree filled and expanded,
// should stay under 200 ms.
//
//   QT_QPA_PLATFORM=offscreen build/bench/bench_ui_Factory 2>/dev/null
#include <benchmark/benchmark.h>

#include <QTemporaryDir>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <cstdio>
#include <filesystem>

#include "BenchHome.h"
#include "library/TFactoryWindow.h"
#include "model/ObjectLibrary.h"
#include "model/TPNObjekt.h"

namespace {

using namespace qz;
using namespace qz::ui;

std::string ClassName(int i) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "Class%04d", i);
    return buf;
}

void BM_FactoryRefreshWithThousandClasses(benchmark::State& state) {
    QTemporaryDir dir;
    qputenv("QUENZOR_HOME", dir.path().toLocal8Bit());
    ProgramSettings settings;
    settings.startWindow = false;
    const std::vector<std::uint8_t> config = ConfigBytes(settings);
    fs::WriteFileAtomically(dir.filePath(QString::fromLatin1(kConfigFileName)).toStdString(), config.data(),
                            config.size());
    std::filesystem::create_directories(LibraryDirectory());
    for (int i = 0; i < 1000; ++i) {
        TPNObjekt c;
        c.SetObjectName(ClassName(i));
        c.baseName = i == 0 ? std::string(kEmptyObject) : ClassName((i - 1) / 3);
        SaveNetFile(c, LibraryDirectory() + c.name + ".pn");
    }
    TQuenzorApp app({}, {0});
    TFactoryWindow& factory = *app.Main().Windows().factory;
    for (auto _ : state) factory.RebuildLibrary();
    int nodes = 0;
    for (QTreeWidgetItemIterator it(factory.findChild<QTreeWidget*>(QStringLiteral("TV"))); *it; ++it) ++nodes;
    state.counters["nodes"] = nodes;
}
BENCHMARK(BM_FactoryRefreshWithThousandClasses)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) { return qz::bench::RunWindowBenchmarks(argc, argv); }
