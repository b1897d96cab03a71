// The object library with 1 000 classes: the class tree built from the
// hierarchy list, and a whole rebuild (scanning the class files' headers,
// writing both index files, building the tree). Each should stay under
// 200 ms.
//
//   build/bench/bench_Library --benchmark_filter=Library
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "common/FileSystem.h"
#include "model/ObjectLibrary.h"
#include "model/TPNObjekt.h"
#include "model/storage/NetFile.h"

namespace qz {
namespace {

enum Shape { kTreeBasesFirst, kTreeBasesLast, kChainBasesLast };

std::string Name(int i, Shape shape) {
    char buf[16];
    // Names that sort derived classes before their bases, or after them.
    std::snprintf(buf, sizeof buf, "C%04d", shape == kTreeBasesFirst ? i : 999 - i);
    return buf;
}

// "name;base" of 1 000 classes, in file-name order: a tree with three
// classes derived from each class, or a single chain of inheritance.
std::vector<std::string> Hierarchy(Shape shape) {
    std::vector<std::string> lines(1000);
    for (int i = 0; i < 1000; ++i) {
        const int base = shape == kChainBasesLast ? i - 1 : (i - 1) / 3;
        const std::string line = Name(i, shape) + ";" + (i == 0 ? std::string(kEmptyObject) : Name(base, shape));
        lines[shape == kTreeBasesFirst ? i : 999 - i] = line;
    }
    return lines;
}

void BM_LibraryClassTree(benchmark::State& state) {
    const std::vector<std::string> hierarchy = Hierarchy(static_cast<Shape>(state.range(0)));
    for (auto _ : state) benchmark::DoNotOptimize(BuildClassTree(hierarchy));
}
BENCHMARK(BM_LibraryClassTree)
    ->Arg(kTreeBasesFirst)->Arg(kTreeBasesLast)->Arg(kChainBasesLast)
    ->Unit(benchmark::kMillisecond);

void BM_LibraryRebuild(benchmark::State& state) {
    char pattern[] = "/tmp/quenzor-bench-XXXXXX";
    const char* dir = ::mkdtemp(pattern);
    if (!dir) {
        state.SkipWithError("no temporary directory");
        return;
    }
    ::setenv("QUENZOR_HOME", dir, 1);
    std::filesystem::create_directories(LibraryDirectory());
    for (const std::string& line : Hierarchy(kTreeBasesLast)) {
        TPNObjekt c;
        c.SetObjectName(line.substr(0, line.find(';')));
        c.baseName = line.substr(line.find(';') + 1);
        SaveNetFile(c, LibraryDirectory() + c.name + ".pn");
    }
    for (auto _ : state) {
        if (!ObjectLibrary().Rebuild()) state.SkipWithError("the index files could not be written");
    }
    state.counters["classes"] = static_cast<double>(ObjectLibrary().names.size());
    std::filesystem::remove_all(dir);
    ::unsetenv("QUENZOR_HOME");
}
BENCHMARK(BM_LibraryRebuild)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace qz
